#include "QtArabicTexts.h"

#include <cstring>

namespace {

struct Text
{
    const char *context;
    const char *source;
    const char16_t *arabic;
};

constexpr Text kTexts[] = {
    {"QAbstractFileIconProvider", "Folder", u"مجلد"},
    {"QAbstractFileIconProvider", "File", u"ملف"},
    {"QAbstractFileIconProvider", "%1 File", u"ملف %1"},
    {"QAbstractFileIconProvider", "Drive", u"قرص"},
    {"QAbstractFileIconProvider", "Shortcut", u"اختصار"},
    {"QAbstractFileIconProvider", "Unknown", u"غير معروف"},
    {"QFileDialog", "All Files (*)", u"كل الملفات (*)"},
    {"QFileDialog", "Directories", u"المجلدات"},
};

} // namespace

QString QtArabicTexts::translate(const char *context, const char *sourceText, const char *disambiguation, int n) const
{
    Q_UNUSED(disambiguation);
    Q_UNUSED(n);
    if (!context || !sourceText)
        return {};
    for (const Text &t : kTexts) {
        if (std::strcmp(context, t.context) == 0 && std::strcmp(sourceText, t.source) == 0)
            return QString::fromUtf16(t.arabic);
    }
    return {};
}

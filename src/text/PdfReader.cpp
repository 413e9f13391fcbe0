#include "PdfReader.h"

#include <QFile>
#include <QList>
#include <QStringList>

#include <poppler-document.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kRenderDpi = 300;

// The text layer's words in their logical order; the marks that only steer how a line is drawn
// (embeddings, overrides, isolates) carry nothing a search needs.
QString fromUstring(const poppler::ustring &text)
{
    const std::vector<char> utf8 = text.to_utf8();
    QString out = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    out.removeIf([](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
    });
    return out;
}

} // namespace

Result<QString> PdfReader::read(const QString &path, const OcrReader::Progress &progress)
{
    const std::unique_ptr<poppler::document> doc(
        poppler::document::load_from_file(QFile::encodeName(path).toStdString()));
    if (!doc)
        return Result<QString>::failure(tr("ملف PDF تالف او غير مقروء"));
    if (doc->is_locked())
        return Result<QString>::failure(tr("ملف PDF محمي بكلمة سر"));
    const int pages = doc->pages();
    QStringList texts;
    QList<int> scanned;
    for (int i = 0; i < pages; ++i) {
        const std::unique_ptr<poppler::page> page(doc->create_page(i));
        const QString text = page ? fromUstring(page->text()).trimmed() : QString();
        if (text.isEmpty())
            scanned.append(i);
        texts.append(text);
    }
    if (!scanned.isEmpty()) {
        // Only the pages without a text layer are recognised; the count is known before the
        // first, so the wait can be sized to it.
        OcrReader ocr;
        poppler::page_renderer renderer;
        renderer.set_render_hint(poppler::page_renderer::antialiasing, true);
        renderer.set_render_hint(poppler::page_renderer::text_antialiasing, true);
        for (qsizetype n = 0; n < scanned.size(); ++n) {
            if (progress)
                progress(int(n) + 1, int(scanned.size()));
            const int i = scanned.at(n);
            const std::unique_ptr<poppler::page> page(doc->create_page(i));
            if (!page)
                continue;
            const poppler::image image = renderer.render_page(page.get(), kRenderDpi, kRenderDpi);
            if (!image.is_valid())
                return Result<QString>::failure(tr("تعذر رسم الصفحة %1 من ملف PDF").arg(i + 1));
            const QImage::Format format =
                image.format() == poppler::image::format_gray8 ? QImage::Format_Grayscale8 : QImage::Format_ARGB32;
            const QImage view(reinterpret_cast<const uchar *>(image.const_data()), image.width(), image.height(),
                              image.bytes_per_row(), format);
            const Result<QString> text = ocr.recognise(view, kRenderDpi);
            if (!text)
                return text;
            texts[i] = *text;
        }
    }
    return texts.join(u"\n\n"_s);
}

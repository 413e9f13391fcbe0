#include "PlainTextReader.h"

#include "base/Cp1256.h"

#include <QFile>
#include <QStringDecoder>

#include <uchardet.h>

#include <memory>

namespace {

// Larger than any letter; a bigger "text" is read up to here, which is far more than a card takes.
constexpr qint64 kLargestText = 64ll * 1024 * 1024;

bool isValidUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

struct DetectorFree
{
    void operator()(uchardet_t d) const { uchardet_delete(d); }
};

} // namespace

QByteArray PlainTextReader::encodingOf(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return "UTF-8";
    if (bytes.startsWith("\xFF\xFE"))
        return "UTF-16LE";
    if (bytes.startsWith("\xFE\xFF"))
        return "UTF-16BE";
    if (isValidUtf8(bytes))
        return "UTF-8";
    std::unique_ptr<std::remove_pointer_t<uchardet_t>, DetectorFree> detector(uchardet_new());
    QByteArray found;
    if (detector && uchardet_handle_data(detector.get(), bytes.constData(), size_t(bytes.size())) == 0) {
        uchardet_data_end(detector.get());
        found = QByteArray(uchardet_get_charset(detector.get())).toUpper();
    }
    // An Arabic office's single-byte text is 1256 unless the detector is sure of another code
    // page that Qt can read; ISO-8859-6 and the like are read as 1256's near relatives anyway.
    if (found.isEmpty() || found == "ASCII" || found.contains("1256") || found.contains("8859-6")
        || !QStringDecoder(found.constData()).isValid())
        return "WINDOWS-1256";
    return found;
}

QString PlainTextReader::decode(const QByteArray &bytes)
{
    const QByteArray encoding = encodingOf(bytes);
    if (encoding == "WINDOWS-1256")
        return Cp1256::decode(bytes);
    QStringDecoder decoder(encoding.constData());
    QString text = decoder.decode(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

Result<QString> PlainTextReader::read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<QString>::failure(tr("تعذر فتح الملف %1").arg(path));
    return decode(file.read(kLargestText));
}

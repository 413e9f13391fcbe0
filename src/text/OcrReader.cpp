#include "OcrReader.h"

#include <QImageReader>
#include <QStringList>

#include <tesseract/baseapi.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// A scan that does not say its resolution was most likely made at the office default.
constexpr int kAssumedDpi = 300;

} // namespace

OcrReader::OcrReader() = default;

OcrReader::~OcrReader()
{
    if (m_api)
        m_api->End();
}

QString OcrReader::languages()
{
    return u"ara+eng"_s;
}

Status OcrReader::start()
{
    if (m_api)
        return {};
    auto api = std::make_unique<tesseract::TessBaseAPI>();
    if (api->Init(nullptr, languages().toLatin1().constData(), tesseract::OEM_DEFAULT) != 0)
        return Status::failure(tr("نماذج التعرف الضوئي العربية والانجليزية غير مثبتة (tesseract-ocr-ara و tesseract-ocr-eng)"));
    m_api = std::move(api);
    return {};
}

Result<QString> OcrReader::recognise(const QImage &page, int dotsPerInch)
{
    if (const Status s = start(); !s)
        return Result<QString>::failure(s.error());
    if (page.isNull())
        return Result<QString>::failure(tr("الصورة فارغة"));
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    m_api->SetImage(grey.constBits(), grey.width(), grey.height(), 1, int(grey.bytesPerLine()));
    m_api->SetSourceResolution(dotsPerInch > 0 ? dotsPerInch : kAssumedDpi);
    const std::unique_ptr<char[]> text(m_api->GetUTF8Text());
    m_api->Clear();
    if (!text)
        return Result<QString>::failure(tr("تعذر التعرف على نص الصورة"));
    return QString::fromUtf8(text.get()).trimmed();
}

Result<QString> OcrReader::readPictureFile(const QString &path, const Progress &progress)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead())
        return Result<QString>::failure(tr("تعذر قراءة الصورة: %1").arg(reader.errorString()));
    const int pages = std::max(1, reader.imageCount());
    OcrReader ocr;
    QStringList texts;
    for (int i = 0; i < pages; ++i) {
        if (progress)
            progress(i + 1, pages);
        if (i > 0 && !reader.jumpToNextImage())
            break;
        const QImage page = reader.read();
        if (page.isNull())
            return Result<QString>::failure(tr("تعذر قراءة الصفحة %1 من الصورة: %2").arg(i + 1).arg(reader.errorString()));
        // Qt gives the resolution in dots per metre.
        const int dpi = int(page.dotsPerMeterX() * 0.0254 + 0.5);
        const Result<QString> text = ocr.recognise(page, dpi > 30 ? dpi : kAssumedDpi);
        if (!text)
            return text;
        texts.append(*text);
    }
    return texts.join(u"\n\n"_s);
}

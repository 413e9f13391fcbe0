#include "PictureDecoder.h"

#include "ImageDocument.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <Magick++.h>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

struct PictureDecoderTr
{
    Q_DECLARE_TR_FUNCTIONS(PictureDecoder)
};

constexpr double kCentimetresPerInch = 2.54;

// The program's own limits on what one picture may take (memory, size, area), whatever the
// system's policy allows: a report or a feed that meets a decompression bomb refuses that picture
// and goes on.
void initialiseMagick()
{
    ImageDocument::initialiseLibrary();
}

double inchResolution(double value, Magick::ResolutionType units)
{
    if (!(value > 0.0) || !std::isfinite(value))
        return PictureDecoder::kDefaultDpi;
    switch (units) {
    case MagickCore::PixelsPerInchResolution: return value;
    case MagickCore::PixelsPerCentimeterResolution: return value * kCentimetresPerInch;
    default: return PictureDecoder::kDefaultDpi; // no unit: only an aspect ratio
    }
}

// The library's own words say which limit or delegate refused; the user gets them after ours.
QString failure(const QString &path, const char *what)
{
    QString reason = QString::fromLocal8Bit(what).trimmed();
    // The library prefixes its messages with the program's name.
    const qsizetype colon = reason.indexOf(u": "_s);
    if (reason.startsWith(u"Magick"_s) && colon > 0)
        reason = reason.mid(colon + 2);
    return PictureDecoderTr::tr("تعذر فتح الصورة %1: %2").arg(QDir::toNativeSeparators(path), reason);
}

QString tooLarge(const QString &path, qint64 width, qint64 height)
{
    return PictureDecoderTr::tr("الصورة %1 أكبر من أن تفتح (%2 × %3)")
        .arg(QDir::toNativeSeparators(path), QString::number(width), QString::number(height));
}

bool overLimits(QSize size)
{
    if (!size.isValid() || size.isEmpty())
        return false;
    const auto w = MagickCore::MagickSizeType(size.width());
    const auto h = MagickCore::MagickSizeType(size.height());
    return w > Magick::ResourceLimits::width() || h > Magick::ResourceLimits::height()
           || w * h > Magick::ResourceLimits::area();
}

} // namespace

namespace PictureDecoder {

Decoded decode(const QString &path, QSize sizeHint)
{
    initialiseMagick();
    Decoded out;
    const QFileInfo info(path);
    if (!info.isFile()) {
        out.error = PictureDecoderTr::tr("الملف %1 غير موجود").arg(QDir::toNativeSeparators(path));
        return out;
    }
    try {
        Magick::Image image;
        // Only the first page of a multi-page file.
        image.subRange(1);
        const bool hinted = sizeHint.width() > 0 && sizeHint.height() > 0;
        if (hinted) {
            // A JPEG decodes straight at the smallest scale that still covers the hint; this is
            // what keeps a report of scanned pages fast.
            const std::string size = std::to_string(sizeHint.width()) + 'x' + std::to_string(sizeHint.height());
            image.defineValue("jpeg", "size", size);
        }
        std::string warning;
        try {
            // An absolute path is never taken for a "format:" prefix.
            image.read(QFile::encodeName(info.absoluteFilePath()).toStdString());
        } catch (const Magick::Warning &w) {
            // A damaged tail still gives the picture it has; a picture over the limits gives
            // nothing but this warning, which then is the reason.
            warning = w.what();
        }
        if (image.columns() == 0 || image.rows() == 0) {
            // The library refuses a picture over its limits without saying so; the file's own
            // header tells the size it asked for.
            const QSize declared = QImageReader(path).size();
            if (overLimits(declared)) {
                out.error = tooLarge(path, declared.width(), declared.height());
            } else {
                out.error = warning.empty() ? PictureDecoderTr::tr("تعذر فتح الصورة %1").arg(QDir::toNativeSeparators(path))
                                            : failure(path, warning.c_str());
            }
            return out;
        }
        const Magick::ResolutionType units = image.resolutionUnits();
        out.dpi = QPointF(inchResolution(image.xResolution(), units), inchResolution(image.yResolution(), units));
        // Turning copies the picture: only when the file asks for it.
        const MagickCore::OrientationType orientation = image.orientation();
        if (orientation != MagickCore::UndefinedOrientation && orientation != MagickCore::TopLeftOrientation)
            image.autoOrient();
        if (hinted && (image.columns() > size_t(2 * sizeHint.width()) || image.rows() > size_t(2 * sizeHint.height())))
            image.thumbnail(Magick::Geometry(size_t(sizeHint.width()), size_t(sizeHint.height())));
        // Printing separations and other colour models would come out as nonsense channels.
        const MagickCore::ColorspaceType space = image.colorSpace();
        if (space != MagickCore::sRGBColorspace && space != MagickCore::RGBColorspace
            && space != MagickCore::GRAYColorspace && space != MagickCore::UndefinedColorspace)
            image.colorSpace(MagickCore::sRGBColorspace);

        const int w = int(image.columns());
        const int h = int(image.rows());
        QImage pixels(w, h, QImage::Format_RGBA8888);
        if (pixels.isNull()) {
            out.error = tooLarge(path, w, h);
            return out;
        }
        // Rows of RGBA8888 are never padded, so the library may fill the buffer in one go.
        image.write(0, 0, size_t(w), size_t(h), "RGBA", Magick::CharPixel, pixels.bits());
        out.image = pixels;
    } catch (const std::exception &e) {
        out.image = QImage();
        out.error = failure(path, e.what());
    }
    return out;
}

QImage decodeImage(const QString &path, QSize sizeHint)
{
    return decode(path, sizeHint).image;
}

} // namespace PictureDecoder

#include "PictureDecoder.h"

#include "PixelMemory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <Magick++.h>

#include <cmath>
#include <mutex>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Translate
{
    Q_DECLARE_TR_FUNCTIONS(PictureDecoder)
};

constexpr double kCentimetresPerInch = 2.54;

void initialiseMagick()
{
    static std::once_flag once;
    std::call_once(once, [] {
        PixelMemory::installForLibrary();
        Magick::InitializeMagick(nullptr);
    });
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
    return Translate::tr("تعذر فتح الصورة %1: %2").arg(QDir::toNativeSeparators(path), reason);
}

} // namespace

namespace PictureDecoder {

Decoded decode(const QString &path, QSize sizeHint)
{
    initialiseMagick();
    Decoded out;
    const QFileInfo info(path);
    if (!info.isFile()) {
        out.error = Translate::tr("الملف %1 غير موجود").arg(QDir::toNativeSeparators(path));
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
        try {
            // An absolute path is never taken for a "format:" prefix.
            image.read(QFile::encodeName(info.absoluteFilePath()).toStdString());
        } catch (const Magick::Warning &) {
            // A damaged tail still gives the picture it has.
        }
        if (image.columns() == 0 || image.rows() == 0) {
            out.error = Translate::tr("تعذر فتح الصورة %1").arg(QDir::toNativeSeparators(path));
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
            out.error = Translate::tr("الصورة %1 أكبر من أن تفتح (%2 × %3)")
                            .arg(QDir::toNativeSeparators(path), QString::number(w), QString::number(h));
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

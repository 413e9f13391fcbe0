#include "Thumbnail.h"

#include <QFile>
#include <QPainter>

#include <Magick++.h>

#include <mutex>

namespace {

void initialiseMagick()
{
    static std::once_flag once;
    std::call_once(once, [] { Magick::InitializeMagick(nullptr); });
}

} // namespace

namespace Thumbnail {

QRect placement(QSize picture)
{
    if (picture.width() <= 0 || picture.height() <= 0)
        return {};
    const double r = double(picture.height()) / double(picture.width());
    if (r > 0.9) {
        const int width = int(kSize.height() / r);
        return QRect((kSize.width() - width) / 2, 0, width, kSize.height());
    }
    const int height = int(r * kSize.width());
    return QRect(0, (kSize.height() - height) / 2, kSize.width(), height);
}

QImage compose(const QImage &picture)
{
    QImage cell(kSize, QImage::Format_RGB32);
    cell.fill(Qt::white);
    QPainter p(&cell);
    if (!picture.isNull())
        p.drawImage(placement(picture.size()), picture);
    p.setPen(QColor(kFrameColour));
    p.drawRect(0, 0, kSize.width() - 1, kSize.height() - 1);
    return cell;
}

QImage decodeSmall(const QString &path)
{
    initialiseMagick();
    if (!QFile::exists(path))
        return {};
    try {
        Magick::Image image;
        // Only the first page, and a JPEG decoded near the size it is shown at.
        image.subRange(1);
        image.defineValue("jpeg", "size", "300x270");
        try {
            image.read(QFile::encodeName(path).toStdString());
        } catch (const Magick::Warning &) {
            // A damaged tail still gives the picture it has.
        }
        if (image.columns() > 600 || image.rows() > 540)
            image.thumbnail(Magick::Geometry(300, 270));
        const int w = int(image.columns());
        const int h = int(image.rows());
        if (w <= 0 || h <= 0)
            return {};
        QImage out(w, h, QImage::Format_RGBA8888);
        image.write(0, 0, size_t(w), size_t(h), "RGBA", Magick::CharPixel, out.bits());
        return out;
    } catch (const std::exception &) {
        return {};
    }
}

QImage make(const QString &path)
{
    return compose(decodeSmall(path));
}

} // namespace Thumbnail

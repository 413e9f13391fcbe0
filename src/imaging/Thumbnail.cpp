#include "Thumbnail.h"

#include "PictureDecoder.h"
#include "base/Palette.h"

#include <QPainter>

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
    p.setPen(QColor(Palette::kPictureFrame));
    p.drawRect(0, 0, kSize.width() - 1, kSize.height() - 1);
    return cell;
}

QImage decodeSmall(const QString &path)
{
    // Twice the cell, so that a picture reduced on loading still draws a sharp cell.
    return PictureDecoder::decodeImage(path, kDecodeHint);
}

QImage make(const QString &path)
{
    return compose(decodeSmall(path));
}

} // namespace Thumbnail

#pragma once

#include <QImage>
#include <QPointF>
#include <QSize>
#include <QString>

// The one way the program turns a picture file of the archive, a feed or a received-files folder
// into pixels: thumbnails, the preview window, printing, the image hand-off and the image viewer
// all come here, so a format that shows as a thumbnail also previews and prints. Every format of
// the image library is read (BMP GIF JPEG PNG ICO TIFF TGA PCX WBMP WMF JPEG 2000 PGX PNM RAS
// JBIG ...); only the first page of a multi-page file.
namespace PictureDecoder {

// A picture that stores no resolution of its own counts as having this one.
inline constexpr double kDefaultDpi = 96.0;

struct Decoded
{
    QImage image;                         // null when the file could not be decoded
    QPointF dpi{kDefaultDpi, kDefaultDpi}; // of the file as stored, in dots per inch
    QString error;                        // why not, in Arabic, when the image is null

    bool ok() const { return !image.isNull(); }
};

// Decodes the first page of the file. With a size hint the picture only needs to cover about that
// size: a JPEG is decoded at a fraction of its size by the decoder itself (the fast path of the
// thumbnails), and a result larger than twice the hint is reduced to fit the hint. Without a hint
// the picture comes at its full size. EXIF orientation is applied. Never throws.
Decoded decode(const QString &path, QSize sizeHint = {});

// decode(path, sizeHint).image.
QImage decodeImage(const QString &path, QSize sizeHint = {});

} // namespace PictureDecoder

#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

// A picture fitted into 150 x 135 keeping its proportions, centred on white, with a one-pixel
// grey frame around the whole cell.
namespace Thumbnail {

inline constexpr QSize kSize{150, 135};
// The size a picture is decoded at before it is fitted into the cell.
inline constexpr QSize kDecodeHint{300, 270};

// Where a picture of this size is drawn in the cell: a picture taller than 0.9 of its width fills
// the height, any other fills the width; the other side is centred.
QRect placement(QSize picture);

// The cell for a decoded picture; a null picture gives the empty framed box.
QImage compose(const QImage &picture);

// The file's first page through the program's picture decoder, at about twice the cell's size
// (JPEG decodes at a fraction of its size). A file that cannot be decoded gives a null image.
QImage decodeSmall(const QString &path);

// decodeSmall and compose together.
QImage make(const QString &path);

} // namespace Thumbnail

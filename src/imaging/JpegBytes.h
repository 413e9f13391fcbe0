#pragma once

#include <QByteArray>
#include <QImage>

// JPEG data in memory decoded by the JPEG library itself, straight into an RGB32 image. Qt's
// reader decodes colour rows as RGB and converts each to RGB32 afterwards, behind a device and a
// plugin lookup: for the small thumbnails of a report those cost a fifth of the decode. The pixels
// are the same as Qt's: the same library with the same settings (accurate DCT, smooth upsampling).
namespace JpegBytes {

// Null when the data is no 8-bit grey or colour JPEG, is damaged, or is not `expected` in size
// (an empty size takes any).
QImage decodeRgb32(const QByteArray &jpeg, QSize expected = {});

} // namespace JpegBytes

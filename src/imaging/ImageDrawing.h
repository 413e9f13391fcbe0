#pragma once

#include "base/AppState.h"

#include <QList>
#include <QPoint>
#include <QRgb>
#include <QString>

#include <Magick++.h>

// What the image window's text tool puts on a picture, and what the pointer pane and the palette
// window read off it.
namespace ImageDrawing {

// The picture with the text drawn at `at` (its top-left corner) in the text tool's face, style
// and colours. With `opaque` the text sits on a box of the background colour with corners
// rounded by `roundRadius`; `opacity` is how much of the picture shows through that box.
Magick::Image placeText(const Magick::Image &picture, QPoint at, const QString &text, const TextToolSettings &settings);

// The palette index of the pixel at `at`, or -1 when the picture has no palette or the point
// lies outside it.
int paletteIndexAt(const Magick::Image &picture, QPoint at);

// The entries of the picture's palette (with alpha); empty when it has none.
QList<QRgb> paletteOf(const Magick::Image &picture);

} // namespace ImageDrawing

#pragma once

#include <QString>

// The names under which the image dialogs hand their values to the command table
// (`ImageCommands::Values`), and under which `dovrelle-admin image` takes them after "--". One
// place for all of them, so a dialog and the table can never drift apart by a spelling.
namespace ImageParam {

using namespace Qt::Literals::StringLiterals;

// Rotate: the angle in degrees, the interpolation and overflow choices (indexes into the
// dialog's lists), and whether the picture keeps its size.
inline const QString kAngle = u"angle"_s;
inline const QString kInterpolation = u"interpolation"_s;
inline const QString kOverflow = u"overflow"_s;
inline const QString kKeepSize = u"keep-size"_s;

// Resample: the new size in pixels, always given; the factor only when the user chose it.
inline const QString kFactor = u"factor"_s;
inline const QString kWidth = u"width"_s;
inline const QString kHeight = u"height"_s;

// Dither: the method 0-7.
inline const QString kMethod = u"method"_s;

// Threshold: the level 0-255.
inline const QString kLevel = u"level"_s;

// Colorize: the mode (0 HSL, 1 RGB) and the values of each mode; blend in percent.
inline const QString kMode = u"mode"_s;
inline const QString kHue = u"hue"_s;
inline const QString kSaturation = u"saturation"_s;
inline const QString kBlend = u"blend"_s;
inline const QString kRed = u"red"_s;
inline const QString kGreen = u"green"_s;
inline const QString kBlue = u"blue"_s;

// Gamma: the correction 0-5.
inline const QString kCorrection = u"correction"_s;

// Combine: the colour space (0 RGB, 1 HSL, 2 YUV, 3 YIQ, 4 XYZ) and, per source, the channel
// taken from it (0 gray, 1 red, 2 green, 3 blue). The sources themselves travel as pictures.
inline const QString kColourSpace = u"colour-space"_s;
inline const QString kChannel1 = u"channel-1"_s;
inline const QString kChannel2 = u"channel-2"_s;
inline const QString kChannel3 = u"channel-3"_s;
inline const QString kChannel4 = u"channel-4"_s;

// FFT: the three flags.
inline const QString kInverse = u"inverse"_s;
inline const QString kComputeMagnitude = u"compute-magnitude"_s;
inline const QString kForceFft = u"force-fft"_s;

// Repair: radius, iterations and the colour space (kColourSpace).
inline const QString kRadius = u"radius"_s;
inline const QString kIterations = u"iterations"_s;

// Mix: the operation (index into the list in the dialog's order), the offsets and the alpha flag.
inline const QString kOperation = u"operation"_s;
inline const QString kXOffset = u"x-offset"_s;
inline const QString kYOffset = u"y-offset"_s;
inline const QString kMixAlpha = u"mix-alpha"_s;

// JPEG compression: the quality and the format (0 JPEG, 1 JPEG 2000).
inline const QString kQuality = u"quality"_s;
inline const QString kFormat = u"format"_s;

// Palette: the edited entries (QList<QRgb>) and how they are applied (0 maintain indexes,
// 1 nearest colour, 2 error diffusion).
inline const QString kPalette = u"palette"_s;
inline const QString kLoadOption = u"load-option"_s;

} // namespace ImageParam

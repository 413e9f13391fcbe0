#pragma once

#include "imaging/ImageProgress.h"

#include <QPolygonF>
#include <QRgb>

#include <Magick++.h>

#include <array>
#include <cstdint>
#include <vector>

// The pixel work of the image commands that ImageMagick has no operation of the same meaning
// for. Every function works on 8-bit channels, as the editor's commands always have: results are
// clamped to 0-255 and pixels outside the picture repeat the nearest edge pixel. The long ones
// report to an ImageProgress and return false as soon as it is cancelled; the pixels are then in
// an unfinished state and must be thrown away.
namespace ImageOps {

// A picture's pixels as interleaved 8-bit channels: 1 (grey), 3 (RGB) or 4 (RGBA).
struct Pixels
{
    int width = 0;
    int height = 0;
    int channels = 3;
    std::vector<std::uint8_t> data;

    Pixels() = default;
    Pixels(int w, int h, int c);
    std::uint8_t *row(int y) { return data.data() + std::size_t(y) * std::size_t(width) * std::size_t(channels); }
    const std::uint8_t *row(int y) const
    {
        return data.data() + std::size_t(y) * std::size_t(width) * std::size_t(channels);
    }
    std::uint8_t *at(int x, int y) { return row(y) + std::size_t(x) * std::size_t(channels); }
    const std::uint8_t *at(int x, int y) const { return row(y) + std::size_t(x) * std::size_t(channels); }
    // Colour channels, without alpha.
    int colourChannels() const { return channels == 4 ? 3 : channels == 2 ? 1 : channels; }
};

// RGB, or RGBA when the picture has an alpha channel.
Pixels pixelsOf(const Magick::Image &image);
// Back to a picture; resolution and the JPEG quality of `like` are kept.
Magick::Image imageOf(const Pixels &pixels, const Magick::Image &like);
// One grey channel of `width` x `height`.
Magick::Image greyImageOf(const std::vector<std::uint8_t> &grey, int width, int height, const Magick::Image &like);
// A black and white picture with a palette of the two, white where `on` is set.
Magick::Image bilevelImageOf(const std::vector<bool> &on, int width, int height, const Magick::Image &like);

// Counts the rows of a long loop into the progress and tells when to stop.
class Steps
{
public:
    Steps(ImageProgress *progress, int total, int fromPercent = 0, int toPercent = 100);
    // False once the run was cancelled.
    bool next();
    bool cancelled() const;

private:
    ImageProgress *m_progress;
    int m_total;
    int m_done = 0;
    int m_from;
    int m_to;
};

// A square convolution kernel: the sum of the products divided by the divisor (0 counts as 1),
// the offset added.
struct Kernel
{
    int size = 3;
    std::vector<int> weights; // size x size, row by row
    int divisor = 1;
    int offset = 0;
};

bool convolve(Pixels &pixels, const Kernel &kernel, ImageProgress *progress = nullptr);
// Each colour channel takes the smallest (erode) or largest (dilate) value of the size x size
// window; an even size reaches one pixel further back than forward.
bool rankFilter(Pixels &pixels, int size, bool largest, ImageProgress *progress = nullptr);
// 255 minus how much the brightest of the 3x3 neighbours exceeds the pixel: dark lines where a
// pixel borders on brighter ones.
bool contour(Pixels &pixels, ImageProgress *progress = nullptr);
// 255 minus the spread (largest - smallest) of the size x size window.
bool edgeNonLinear(Pixels &pixels, int size, ImageProgress *progress = nullptr);
// Each pixel takes a random pixel at most `radius` away in x and in y.
bool jitter(Pixels &pixels, int radius, std::uint32_t seed, ImageProgress *progress = nullptr);
// Adds to each pixel one random amount in -level/2 .. level/2, the same for its channels.
bool addNoise(Pixels &pixels, int level, std::uint32_t seed, ImageProgress *progress = nullptr);

// Brightness is added; contrast in percent stretches the levels around the middle grey (128).
void light(Pixels &pixels, int brightness, int contrast);
void shiftRgb(Pixels &pixels, int red, int green, int blue);
// Keeps each pixel's lightness and gives it this hue and saturation (0-255), mixed with the old
// colour by `blend` (0-1).
void colorize(Pixels &pixels, int hue, int saturation, double blend);
// Grey levels to a rainbow from red (dark) to blue (bright).
void huePalette(Pixels &pixels);

// The turned rectangle through four corners (in order around it), upright: its width is the
// first side, its height the last.
Pixels cropCorners(const Pixels &pixels, const QPolygonF &corners);

enum class Circle { Punch = 0, Pinch = 1, Twirl = 2, Cylinder = 3, Bathroom = 4 };
// radius 0 reaches the corners; strength is in percent for the first four and the wave
// amplitude for the bathroom window.
bool circleTransform(Pixels &pixels, Circle type, int radius, double strength, ImageProgress *progress = nullptr);

enum class Diffusion { FloydSteinberg, Burkes, Stucki, JarvisJudiceNinke, Sierra, StevensonArce };
// Black-and-white grey levels (0 or 255) of `grey`, the quantisation error of each pixel spread
// onto the following ones with the method's weights; the error that would fall outside is lost.
bool diffuseError(std::vector<std::uint8_t> &grey, int width, int height, Diffusion method,
                  ImageProgress *progress = nullptr);
// The grey level of a colour pixel as the editor computes it.
std::uint8_t greyOf(const std::uint8_t *rgb);
std::vector<std::uint8_t> greyLevels(const Pixels &pixels);

enum class Space { Rgb, Hsl, Yuv, Yiq, Xyz, Cmyk };
std::array<std::uint8_t, 4> toSpace(Space space, int r, int g, int b);
std::array<std::uint8_t, 3> fromSpace(Space space, int c0, int c1, int c2, int c3 = 0);
// The three (four for CMYK) channels of the picture in that space.
std::vector<std::vector<std::uint8_t>> split(const Pixels &pixels, Space space);
// Channels of one size back to RGB; a fourth channel in anything but CMYK becomes alpha.
Pixels combine(const std::vector<std::vector<std::uint8_t>> &channels, int width, int height, Space space);
// Mends small faults (specks, scratches) by letting the level lines of each channel flow toward
// their curvature: `radius` is the step of each iteration.
bool repair(Pixels &pixels, double radius, int iterations, Space space, ImageProgress *progress = nullptr);

enum class MixOp { Add, And, Xor, Or, Screen, Mask, SrcCopy, DstCopy, Sub, SrcBlend };
// Lays `src` onto `dst` with its top left corner at (x, y); only the overlap changes.
void mix(Pixels &dst, const Pixels &src, MixOp op, int x, int y, bool mixAlpha);

} // namespace ImageOps

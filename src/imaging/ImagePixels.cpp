#include "imaging/ImageOps.h"

#include <algorithm>
#include <cmath>

namespace ImageOps {
namespace {

std::uint8_t clamp8(int v)
{
    return std::uint8_t(std::clamp(v, 0, 255));
}

void keepSettings(Magick::Image &image, const Magick::Image &like)
{
    if (!like.isValid())
        return;
    image.density(like.density());
    image.resolutionUnits(like.resolutionUnits());
    image.quality(like.quality());
}

} // namespace

Pixels::Pixels(int w, int h, int c)
    : width(w), height(h), channels(c), data(std::size_t(w) * std::size_t(h) * std::size_t(c), 0)
{
}

Pixels pixelsOf(const Magick::Image &image)
{
    const bool alpha = image.matte();
    Pixels pixels(int(image.columns()), int(image.rows()), alpha ? 4 : 3);
    // Reading pixels out does not change the picture; the copy shares them.
    Magick::Image source = image;
    if (!pixels.data.empty())
        source.write(0, 0, image.columns(), image.rows(), alpha ? "RGBA" : "RGB", Magick::CharPixel,
                    pixels.data.data());
    return pixels;
}

Magick::Image imageOf(const Pixels &pixels, const Magick::Image &like)
{
    const char *map = pixels.channels == 4 ? "RGBA" : pixels.channels == 1 ? "I" : "RGB";
    Magick::Image image(std::size_t(pixels.width), std::size_t(pixels.height), map, Magick::CharPixel,
                        pixels.data.data());
    keepSettings(image, like);
    if (pixels.channels == 1)
        image.type(Magick::GrayscaleType);
    return image;
}

Magick::Image greyImageOf(const std::vector<std::uint8_t> &grey, int width, int height, const Magick::Image &like)
{
    Magick::Image image(std::size_t(width), std::size_t(height), "I", Magick::CharPixel, grey.data());
    keepSettings(image, like);
    image.type(Magick::GrayscaleType);
    return image;
}

Magick::Image bilevelImageOf(const std::vector<bool> &on, int width, int height, const Magick::Image &like)
{
    // A two-entry palette written index by index: asking the library for a bilevel type instead
    // would quantize the whole page again, which costs more than the threshold itself.
    Magick::Image image(Magick::Geometry(std::size_t(width), std::size_t(height)), Magick::Color("black"));
    keepSettings(image, like);
    image.modifyImage();
    MagickCore::Image *raw = image.image();
    MagickCore::ExceptionInfo *exception = MagickCore::AcquireExceptionInfo();
    MagickCore::AcquireImageColormap(raw, 2);
    MagickCore::CacheView *view = MagickCore::AcquireAuthenticCacheView(raw, exception);
    for (int y = 0; y < height; ++y) {
        MagickCore::PixelPacket *q = MagickCore::GetCacheViewAuthenticPixels(view, 0, y, std::size_t(width), 1, exception);
        MagickCore::IndexPacket *index = MagickCore::GetCacheViewAuthenticIndexQueue(view);
        if (!q || !index)
            break;
        const std::size_t row = std::size_t(y) * std::size_t(width);
        for (int x = 0; x < width; ++x) {
            const int entry = on[row + std::size_t(x)] ? 1 : 0;
            index[x] = MagickCore::IndexPacket(entry);
            q[x] = raw->colormap[entry];
        }
        MagickCore::SyncCacheViewAuthenticPixels(view, exception);
    }
    MagickCore::DestroyCacheView(view);
    MagickCore::DestroyExceptionInfo(exception);
    image.depth(1);
    raw->type = MagickCore::BilevelType;
    return image;
}

Steps::Steps(ImageProgress *progress, int total, int fromPercent, int toPercent)
    : m_progress(progress), m_total(std::max(total, 1)), m_from(fromPercent), m_to(toPercent)
{
}

bool Steps::next()
{
    if (!m_progress)
        return true;
    ++m_done;
    m_progress->percent = m_from + int(std::int64_t(m_to - m_from) * m_done / m_total);
    return !m_progress->cancelled;
}

bool Steps::cancelled() const
{
    return m_progress && m_progress->cancelled;
}

void light(Pixels &pixels, int brightness, int contrast)
{
    const double c = (100.0 + contrast) / 100.0;
    std::array<std::uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[std::size_t(i)] = clamp8(int(std::lround((i - 128) * c + 128 + brightness)));
    const int colours = pixels.colourChannels();
    for (std::size_t i = 0; i < pixels.data.size(); i += std::size_t(pixels.channels))
        for (int k = 0; k < colours; ++k)
            pixels.data[i + std::size_t(k)] = table[pixels.data[i + std::size_t(k)]];
}

void shiftRgb(Pixels &pixels, int red, int green, int blue)
{
    const int shift[3] = {red, green, blue};
    const int colours = pixels.colourChannels();
    for (std::size_t i = 0; i < pixels.data.size(); i += std::size_t(pixels.channels))
        for (int k = 0; k < colours; ++k)
            pixels.data[i + std::size_t(k)] = clamp8(pixels.data[i + std::size_t(k)] + shift[colours == 1 ? 0 : k]);
}

void colorize(Pixels &pixels, int hue, int saturation, double blend)
{
    blend = std::clamp(blend, 0.0, 1.0);
    for (int y = 0; y < pixels.height; ++y) {
        for (int x = 0; x < pixels.width; ++x) {
            std::uint8_t *p = pixels.at(x, y);
            if (pixels.colourChannels() == 1) {
                const auto rgb = fromSpace(Space::Hsl, hue, saturation, p[0]);
                p[0] = clamp8(int(std::lround(greyOf(rgb.data()) * blend + p[0] * (1 - blend))));
                continue;
            }
            const auto hsl = toSpace(Space::Hsl, p[0], p[1], p[2]);
            const auto rgb = fromSpace(Space::Hsl, hue, saturation, hsl[2]);
            for (int k = 0; k < 3; ++k)
                p[k] = clamp8(int(std::lround(rgb[std::size_t(k)] * blend + p[k] * (1 - blend))));
        }
    }
}

void huePalette(Pixels &pixels)
{
    std::array<std::array<std::uint8_t, 3>, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[std::size_t(i)] = fromSpace(Space::Hsl, i * 170 / 255, 255, 128);
    Pixels out(pixels.width, pixels.height, pixels.channels == 4 || pixels.channels == 2 ? 4 : 3);
    for (int y = 0; y < pixels.height; ++y) {
        for (int x = 0; x < pixels.width; ++x) {
            const std::uint8_t *p = pixels.at(x, y);
            std::uint8_t *q = out.at(x, y);
            const auto &c = table[pixels.colourChannels() == 1 ? p[0] : greyOf(p)];
            std::copy(c.begin(), c.end(), q);
            if (out.channels == 4)
                q[3] = p[pixels.channels - 1];
        }
    }
    pixels = std::move(out);
}

Pixels cropCorners(const Pixels &pixels, const QPolygonF &corners)
{
    if (corners.size() != 4 || pixels.data.empty())
        return {};
    const QPointF origin = corners[0];
    const QPointF across = corners[1] - corners[0];
    const QPointF down = corners[3] - corners[0];
    const int w = std::max(1, int(std::lround(std::hypot(across.x(), across.y()))));
    const int h = std::max(1, int(std::lround(std::hypot(down.x(), down.y()))));
    Pixels out(w, h, pixels.channels);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const QPointF at = origin + across * ((x + 0.5) / w) + down * ((y + 0.5) / h);
            const int sx = std::clamp(int(std::floor(at.x())), 0, pixels.width - 1);
            const int sy = std::clamp(int(std::floor(at.y())), 0, pixels.height - 1);
            std::copy_n(pixels.at(sx, sy), pixels.channels, out.at(x, y));
        }
    }
    return out;
}

void mix(Pixels &dst, const Pixels &src, MixOp op, int x0, int y0, bool mixAlpha)
{
    const int colours = std::min(dst.colourChannels(), src.colourChannels());
    const bool bothAlpha = dst.channels == 4 && src.channels == 4;
    for (int y = std::max(0, y0); y < std::min(dst.height, y0 + src.height); ++y) {
        for (int x = std::max(0, x0); x < std::min(dst.width, x0 + src.width); ++x) {
            std::uint8_t *d = dst.at(x, y);
            const std::uint8_t *s = src.at(x - x0, y - y0);
            const int sa = src.channels == 4 ? s[3] : 255;
            const int channels = colours + (mixAlpha && bothAlpha ? 1 : 0);
            for (int k = 0; k < channels; ++k) {
                const int a = d[k];
                const int b = s[k < colours ? k : 3];
                int v = a;
                switch (op) {
                case MixOp::Add: v = a + b; break;
                case MixOp::And: v = a & b; break;
                case MixOp::Xor: v = a ^ b; break;
                case MixOp::Or: v = a | b; break;
                case MixOp::Screen: v = 255 - (255 - a) * (255 - b) / 255; break;
                case MixOp::Mask: v = a * b / 255; break;
                case MixOp::SrcCopy: v = b; break;
                case MixOp::DstCopy: v = a; break;
                case MixOp::Sub: v = a - b; break;
                case MixOp::SrcBlend: v = (a * (255 - sa) + b * sa + 127) / 255; break;
                }
                d[k] = clamp8(v);
            }
        }
    }
}

} // namespace ImageOps

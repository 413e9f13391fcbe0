#include "imaging/ImageOps.h"

#include <algorithm>
#include <cmath>

// The colour spaces of the channel splits, combine and repair, on 8-bit channels: hue,
// saturation and lightness on 0-255 (hue 0 red, 85 green, 170 blue), chroma channels offset by 128.
namespace ImageOps {
namespace {

std::uint8_t to8(double v)
{
    return std::uint8_t(std::clamp(std::lround(v), 0L, 255L));
}

std::array<std::uint8_t, 4> rgbToHsl(int r, int g, int b)
{
    const int high = std::max({r, g, b});
    const int low = std::min({r, g, b});
    const double l = (high + low) / 2.0;
    if (high == low)
        return {0, 0, to8(l), 0};
    const double d = high - low;
    const double s = l <= 127.5 ? d / (high + low) : d / (510.0 - high - low);
    double h = 0;
    if (r == high)
        h = (g - b) / d;
    else if (g == high)
        h = 2 + (b - r) / d;
    else
        h = 4 + (r - g) / d;
    h = std::fmod(h / 6.0 + 1.0, 1.0);
    return {std::uint8_t(std::lround(h * 255) % 255), to8(s * 255), to8(l), 0};
}

double hueChannel(double p, double q, double t)
{
    t = t < 0 ? t + 1 : t > 1 ? t - 1 : t;
    if (t < 1.0 / 6)
        return p + (q - p) * 6 * t;
    if (t < 0.5)
        return q;
    if (t < 2.0 / 3)
        return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}

std::array<std::uint8_t, 3> hslToRgb(int h, int s, int l)
{
    const double hh = h / 255.0;
    const double ss = s / 255.0;
    const double ll = l / 255.0;
    if (s == 0)
        return {std::uint8_t(l), std::uint8_t(l), std::uint8_t(l)};
    const double q = ll < 0.5 ? ll * (1 + ss) : ll + ss - ll * ss;
    const double p = 2 * ll - q;
    return {to8(255 * hueChannel(p, q, hh + 1.0 / 3)), to8(255 * hueChannel(p, q, hh)),
            to8(255 * hueChannel(p, q, hh - 1.0 / 3))};
}

} // namespace

std::array<std::uint8_t, 4> toSpace(Space space, int r, int g, int b)
{
    const double y = 0.299 * r + 0.587 * g + 0.114 * b;
    switch (space) {
    case Space::Rgb: return {std::uint8_t(r), std::uint8_t(g), std::uint8_t(b), 0};
    case Space::Hsl: return rgbToHsl(r, g, b);
    case Space::Yuv: return {to8(y), to8((b - y) * 0.565 + 128), to8((r - y) * 0.713 + 128), 0};
    case Space::Yiq:
        return {to8(y), to8(0.596 * r - 0.274 * g - 0.322 * b + 128), to8(0.211 * r - 0.523 * g + 0.312 * b + 128), 0};
    case Space::Xyz:
        return {to8(0.412453 * r + 0.357580 * g + 0.180423 * b), to8(0.212671 * r + 0.715160 * g + 0.072169 * b),
                to8(0.019334 * r + 0.119193 * g + 0.950227 * b), 0};
    case Space::Cmyk: {
        const int c = 255 - r;
        const int m = 255 - g;
        const int ye = 255 - b;
        const int k = std::min({c, m, ye});
        return {std::uint8_t(c - k), std::uint8_t(m - k), std::uint8_t(ye - k), std::uint8_t(k)};
    }
    }
    return {};
}

std::array<std::uint8_t, 3> fromSpace(Space space, int c0, int c1, int c2, int c3)
{
    switch (space) {
    case Space::Rgb: return {std::uint8_t(c0), std::uint8_t(c1), std::uint8_t(c2)};
    case Space::Hsl: return hslToRgb(c0, c1, c2);
    case Space::Yuv: {
        const double u = c1 - 128;
        const double v = c2 - 128;
        return {to8(c0 + 1.403 * v), to8(c0 - 0.344 * u - 0.714 * v), to8(c0 + 1.770 * u)};
    }
    case Space::Yiq: {
        const double i = c1 - 128;
        const double q = c2 - 128;
        return {to8(c0 + 0.956 * i + 0.621 * q), to8(c0 - 0.272 * i - 0.647 * q), to8(c0 - 1.106 * i + 1.703 * q)};
    }
    case Space::Xyz:
        return {to8(3.240479 * c0 - 1.537150 * c1 - 0.498535 * c2), to8(-0.969256 * c0 + 1.875992 * c1 + 0.041556 * c2),
                to8(0.055648 * c0 - 0.204043 * c1 + 1.057311 * c2)};
    case Space::Cmyk:
        return {to8(255 - c0 - c3), to8(255 - c1 - c3), to8(255 - c2 - c3)};
    }
    return {};
}

std::vector<std::vector<std::uint8_t>> split(const Pixels &pixels, Space space)
{
    const std::size_t count = std::size_t(pixels.width) * std::size_t(pixels.height);
    std::vector<std::vector<std::uint8_t>> channels(space == Space::Cmyk ? 4 : 3, std::vector<std::uint8_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t *p = pixels.data.data() + i * std::size_t(pixels.channels);
        const bool grey = pixels.colourChannels() == 1;
        const auto c = toSpace(space, p[0], grey ? p[0] : p[1], grey ? p[0] : p[2]);
        for (std::size_t k = 0; k < channels.size(); ++k)
            channels[k][i] = c[k];
    }
    return channels;
}

Pixels combine(const std::vector<std::vector<std::uint8_t>> &channels, int width, int height, Space space)
{
    const bool alpha = space != Space::Cmyk && channels.size() > 3;
    Pixels out(width, height, alpha ? 4 : 3);
    const std::size_t count = std::size_t(width) * std::size_t(height);
    for (std::size_t i = 0; i < count; ++i) {
        const int c3 = channels.size() > 3 ? channels[3][i] : 0;
        const auto rgb = fromSpace(space, channels[0][i], channels[1][i], channels[2][i], c3);
        std::uint8_t *q = out.data.data() + i * std::size_t(out.channels);
        std::copy(rgb.begin(), rgb.end(), q);
        if (alpha)
            q[3] = std::uint8_t(c3);
    }
    return out;
}

bool repair(Pixels &pixels, double radius, int iterations, Space space, ImageProgress *progress)
{
    if (pixels.data.empty())
        return true;
    const int w = pixels.width;
    const int h = pixels.height;
    const std::vector<std::vector<std::uint8_t>> levels = split(pixels, space == Space::Cmyk ? Space::Rgb : space);
    std::vector<std::vector<std::uint8_t>> mended;
    Steps steps(progress, iterations * int(levels.size()) * h);
    for (const std::vector<std::uint8_t> &channel : levels) {
        std::vector<double> now(channel.begin(), channel.end());
        std::vector<double> next(now.size());
        auto at = [&](int x, int y) {
            return now[std::size_t(std::clamp(y, 0, h - 1)) * std::size_t(w) + std::size_t(std::clamp(x, 0, w - 1))];
        };
        for (int pass = 0; pass < iterations; ++pass) {
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    const double c = at(x, y);
                    const double ix = (at(x + 1, y) - at(x - 1, y)) / 2;
                    const double iy = (at(x, y + 1) - at(x, y - 1)) / 2;
                    const double ixx = at(x + 1, y) - 2 * c + at(x - 1, y);
                    const double iyy = at(x, y + 1) - 2 * c + at(x, y - 1);
                    const double ixy = (at(x + 1, y + 1) - at(x - 1, y + 1) - at(x + 1, y - 1) + at(x - 1, y - 1)) / 4;
                    const double flow = ((1 + iy * iy) * ixx - 2 * ix * iy * ixy + (1 + ix * ix) * iyy) / (1 + ix * ix + iy * iy);
                    next[std::size_t(y) * std::size_t(w) + std::size_t(x)] = std::clamp(c + radius * flow, 0.0, 255.0);
                }
                if (!steps.next())
                    return false;
            }
            now.swap(next);
        }
        std::vector<std::uint8_t> out(now.size());
        std::transform(now.begin(), now.end(), out.begin(), [](double v) { return to8(v); });
        mended.push_back(std::move(out));
    }
    Pixels out = combine(mended, w, h, space == Space::Cmyk ? Space::Rgb : space);
    if (pixels.channels == 4)
        for (std::size_t i = 0; i < std::size_t(w) * std::size_t(h); ++i) {
            const std::uint8_t *src = out.data.data() + i * 3;
            std::copy_n(src, 3, pixels.data.data() + i * 4);
        }
    else if (pixels.channels == 3)
        pixels = std::move(out);
    else
        for (std::size_t i = 0; i < std::size_t(w) * std::size_t(h); ++i)
            pixels.data[i * std::size_t(pixels.channels)] = greyOf(out.data.data() + i * 3);
    return true;
}

} // namespace ImageOps

#include "imaging/ImageOps.h"

#include <algorithm>
#include <cmath>
#include <numbers>

// The circle transforms move pixels about the picture's centre. Each output pixel looks up the
// point it comes from and takes the bilinear mix of the four pixels around it, so the centre, which
// maps onto itself, keeps its colour.
namespace ImageOps {
namespace {

constexpr int kBathroomStripe = 32; // the width of one glass block of the bathroom window

void sample(const Pixels &source, double x, double y, std::uint8_t *out)
{
    x = std::clamp(x, 0.0, double(source.width - 1));
    y = std::clamp(y, 0.0, double(source.height - 1));
    const int x0 = int(x);
    const int y0 = int(y);
    const int x1 = std::min(x0 + 1, source.width - 1);
    const int y1 = std::min(y0 + 1, source.height - 1);
    const double fx = x - x0;
    const double fy = y - y0;
    const std::uint8_t *a = source.at(x0, y0);
    const std::uint8_t *b = source.at(x1, y0);
    const std::uint8_t *c = source.at(x0, y1);
    const std::uint8_t *d = source.at(x1, y1);
    for (int k = 0; k < source.channels; ++k) {
        const double top = a[k] + (b[k] - a[k]) * fx;
        const double bottom = c[k] + (d[k] - c[k]) * fx;
        out[k] = std::uint8_t(std::clamp(std::lround(top + (bottom - top) * fy), 0L, 255L));
    }
}

} // namespace

bool circleTransform(Pixels &pixels, Circle type, int radius, double strength, ImageProgress *progress)
{
    if (pixels.data.empty())
        return true;
    const Pixels source = pixels;
    const double cx = (pixels.width - 1) / 2.0;
    const double cy = (pixels.height - 1) / 2.0;
    const double rmax = radius > 0 ? radius : std::hypot(cx, cy) + 0.5;
    const double k = type == Circle::Bathroom ? strength : strength / 100.0;
    Steps steps(progress, pixels.height);
    for (int y = 0; y < pixels.height; ++y) {
        for (int x = 0; x < pixels.width; ++x) {
            const double dx = x - cx;
            const double dy = y - cy;
            const double r = std::hypot(dx, dy);
            if (r >= rmax && type != Circle::Bathroom && type != Circle::Cylinder)
                continue;
            double sx = x;
            double sy = y;
            switch (type) {
            case Circle::Punch:
            case Circle::Pinch: {
                // Pinch takes its pixels from further out (the middle shrinks), punch from
                // nearer the centre (the middle swells).
                const double to = type == Circle::Pinch ? std::sqrt(r * rmax) : r * r / rmax;
                const double scale = r > 0 ? (r + (to - r) * k) / r : 1.0;
                sx = cx + dx * scale;
                sy = cy + dy * scale;
                break;
            }
            case Circle::Twirl: {
                const double turn = k * std::numbers::pi * (1.0 - r / rmax);
                const double angle = std::atan2(dy, dx) + turn;
                sx = cx + r * std::cos(angle);
                sy = cy + r * std::sin(angle);
                break;
            }
            case Circle::Cylinder: {
                const double half = std::max(cx, 0.5);
                const double u = std::clamp(dx / half, -1.0, 1.0);
                const double to = half * std::asin(u) * 2.0 / std::numbers::pi;
                sx = cx + dx + (to - dx) * k;
                break;
            }
            case Circle::Bathroom:
                sx = x + ((x % kBathroomStripe) - kBathroomStripe / 2) * k;
                break;
            }
            sample(source, sx, sy, pixels.at(x, y));
        }
        if (!steps.next())
            return false;
    }
    return true;
}

} // namespace ImageOps

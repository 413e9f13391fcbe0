#include "imaging/ImageOps.h"

#include <algorithm>
#include <random>

// Neighbourhood filters. Each keeps a table of clamped column indices so the inner loops never
// test for the picture's edge: a pixel outside repeats the nearest edge pixel.
namespace ImageOps {
namespace {

std::vector<int> clampedColumns(int width, int before, int after)
{
    std::vector<int> columns(std::size_t(width + before + after));
    for (int i = 0; i < int(columns.size()); ++i)
        columns[std::size_t(i)] = std::clamp(i - before, 0, width - 1);
    return columns;
}

// Runs `body(out row, source rows of the window, column table)` for every row, the window
// reaching `before` rows up and `after` rows down.
template <typename Body>
bool eachRow(Pixels &pixels, int before, int after, ImageProgress *progress, Body body)
{
    if (pixels.data.empty())
        return true;
    const Pixels source = pixels;
    const std::vector<int> columns = clampedColumns(pixels.width, before, after);
    std::vector<const std::uint8_t *> rows(std::size_t(before + after + 1));
    Steps steps(progress, pixels.height);
    for (int y = 0; y < pixels.height; ++y) {
        for (int j = -before; j <= after; ++j)
            rows[std::size_t(j + before)] = source.row(std::clamp(y + j, 0, pixels.height - 1));
        body(pixels.row(y), rows, columns);
        if (!steps.next())
            return false;
    }
    return true;
}

} // namespace

bool convolve(Pixels &pixels, const Kernel &kernel, ImageProgress *progress)
{
    const int half = kernel.size / 2;
    const int divisor = kernel.divisor == 0 ? 1 : kernel.divisor;
    const int channels = pixels.channels;
    const int colours = pixels.colourChannels();
    const int width = pixels.width;
    // The taps that count, with their offsets, so zero weights cost nothing.
    struct Tap { int row; int column; int weight; };
    std::vector<Tap> taps;
    for (int j = 0; j < kernel.size; ++j)
        for (int i = 0; i < kernel.size; ++i)
            if (int w = kernel.weights[std::size_t(j * kernel.size + i)]; w != 0)
                taps.push_back({j, i, w});
    return eachRow(pixels, half, kernel.size - 1 - half, progress,
                   [&](std::uint8_t *out, const std::vector<const std::uint8_t *> &rows, const std::vector<int> &columns) {
                       for (int x = 0; x < width; ++x) {
                           int sum[3] = {0, 0, 0};
                           for (const Tap &t : taps) {
                               const std::uint8_t *p = rows[std::size_t(t.row)]
                                                       + std::size_t(columns[std::size_t(x + t.column)]) * std::size_t(channels);
                               for (int k = 0; k < colours; ++k)
                                   sum[k] += p[k] * t.weight;
                           }
                           std::uint8_t *q = out + std::size_t(x) * std::size_t(channels);
                           for (int k = 0; k < colours; ++k)
                               q[k] = std::uint8_t(std::clamp(sum[k] / divisor + kernel.offset, 0, 255));
                       }
                   });
}

bool rankFilter(Pixels &pixels, int size, bool largest, ImageProgress *progress)
{
    const int before = size / 2;
    const int after = size - 1 - before;
    const int channels = pixels.channels;
    const int colours = pixels.colourChannels();
    const int width = pixels.width;
    return eachRow(pixels, before, after, progress,
                   [&](std::uint8_t *out, const std::vector<const std::uint8_t *> &rows, const std::vector<int> &columns) {
                       for (int x = 0; x < width; ++x) {
                           std::uint8_t *q = out + std::size_t(x) * std::size_t(channels);
                           for (int k = 0; k < colours; ++k) {
                               int best = largest ? 0 : 255;
                               for (const std::uint8_t *r : rows)
                                   for (int i = 0; i < size; ++i) {
                                       const int v = r[std::size_t(columns[std::size_t(x + i)]) * std::size_t(channels) + std::size_t(k)];
                                       best = largest ? std::max(best, v) : std::min(best, v);
                                   }
                               q[k] = std::uint8_t(best);
                           }
                       }
                   });
}

bool contour(Pixels &pixels, ImageProgress *progress)
{
    const int channels = pixels.channels;
    const int colours = pixels.colourChannels();
    const int width = pixels.width;
    return eachRow(pixels, 1, 1, progress,
                   [&](std::uint8_t *out, const std::vector<const std::uint8_t *> &rows, const std::vector<int> &columns) {
                       for (int x = 0; x < width; ++x) {
                           std::uint8_t *q = out + std::size_t(x) * std::size_t(channels);
                           for (int k = 0; k < colours; ++k) {
                               const int centre = rows[1][std::size_t(x) * std::size_t(channels) + std::size_t(k)];
                               int brightest = centre;
                               for (const std::uint8_t *r : rows)
                                   for (int i = 0; i < 3; ++i)
                                       brightest = std::max<int>(
                                           brightest, r[std::size_t(columns[std::size_t(x + i)]) * std::size_t(channels) + std::size_t(k)]);
                               q[k] = std::uint8_t(255 - (brightest - centre));
                           }
                       }
                   });
}

bool edgeNonLinear(Pixels &pixels, int size, ImageProgress *progress)
{
    const int before = size / 2;
    const int after = size - 1 - before;
    const int channels = pixels.channels;
    const int colours = pixels.colourChannels();
    const int width = pixels.width;
    return eachRow(pixels, before, after, progress,
                   [&](std::uint8_t *out, const std::vector<const std::uint8_t *> &rows, const std::vector<int> &columns) {
                       for (int x = 0; x < width; ++x) {
                           std::uint8_t *q = out + std::size_t(x) * std::size_t(channels);
                           for (int k = 0; k < colours; ++k) {
                               int low = 255;
                               int high = 0;
                               for (const std::uint8_t *r : rows)
                                   for (int i = 0; i < size; ++i) {
                                       const int v = r[std::size_t(columns[std::size_t(x + i)]) * std::size_t(channels) + std::size_t(k)];
                                       low = std::min(low, v);
                                       high = std::max(high, v);
                                   }
                               q[k] = std::uint8_t(255 - (high - low));
                           }
                       }
                   });
}

bool jitter(Pixels &pixels, int radius, std::uint32_t seed, ImageProgress *progress)
{
    if (pixels.data.empty() || radius <= 0)
        return true;
    const Pixels source = pixels;
    std::minstd_rand random(seed);
    std::uniform_int_distribution<int> offset(-radius, radius);
    Steps steps(progress, pixels.height);
    for (int y = 0; y < pixels.height; ++y) {
        for (int x = 0; x < pixels.width; ++x) {
            const int sx = std::clamp(x + offset(random), 0, pixels.width - 1);
            const int sy = std::clamp(y + offset(random), 0, pixels.height - 1);
            std::copy_n(source.at(sx, sy), pixels.channels, pixels.at(x, y));
        }
        if (!steps.next())
            return false;
    }
    return true;
}

bool addNoise(Pixels &pixels, int level, std::uint32_t seed, ImageProgress *progress)
{
    std::minstd_rand random(seed);
    std::uniform_int_distribution<int> amount(-level / 2, level / 2);
    const int colours = pixels.colourChannels();
    Steps steps(progress, pixels.height);
    for (int y = 0; y < pixels.height; ++y) {
        std::uint8_t *p = pixels.row(y);
        for (int x = 0; x < pixels.width; ++x, p += pixels.channels) {
            const int n = amount(random);
            for (int k = 0; k < colours; ++k)
                p[k] = std::uint8_t(std::clamp(p[k] + n, 0, 255));
        }
        if (!steps.next())
            return false;
    }
    return true;
}

} // namespace ImageOps

#include "imaging/ImageOps.h"

#include <algorithm>

// Error diffusion to black and white: each pixel becomes 0 or 255 and the difference is handed on
// to the pixels not yet visited, in the shares of the method's matrix.
namespace ImageOps {
namespace {

struct Share
{
    int dx;
    int dy;
    int weight;
};

struct Matrix
{
    int divisor;
    std::vector<Share> shares;
};

Matrix matrixOf(Diffusion method)
{
    switch (method) {
    case Diffusion::FloydSteinberg:
        return {16, {{1, 0, 7}, {-1, 1, 3}, {0, 1, 5}, {1, 1, 1}}};
    case Diffusion::Burkes:
        return {32, {{1, 0, 8}, {2, 0, 4}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 8}, {1, 1, 4}, {2, 1, 2}}};
    case Diffusion::Stucki:
        return {42, {{1, 0, 8}, {2, 0, 4}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 8}, {1, 1, 4}, {2, 1, 2},
                     {-2, 2, 1}, {-1, 2, 2}, {0, 2, 4}, {1, 2, 2}, {2, 2, 1}}};
    case Diffusion::JarvisJudiceNinke:
        return {48, {{1, 0, 7}, {2, 0, 5}, {-2, 1, 3}, {-1, 1, 5}, {0, 1, 7}, {1, 1, 5}, {2, 1, 3},
                     {-2, 2, 1}, {-1, 2, 3}, {0, 2, 5}, {1, 2, 3}, {2, 2, 1}}};
    case Diffusion::Sierra:
        return {32, {{1, 0, 5}, {2, 0, 3}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 5}, {1, 1, 4}, {2, 1, 2},
                     {-1, 2, 2}, {0, 2, 3}, {1, 2, 2}}};
    case Diffusion::StevensonArce:
        return {200, {{2, 0, 32}, {-3, 1, 12}, {-1, 1, 26}, {1, 1, 30}, {3, 1, 16}, {-2, 2, 12},
                      {0, 2, 26}, {2, 2, 12}, {-3, 3, 5}, {-1, 3, 12}, {1, 3, 12}, {3, 3, 5}}};
    }
    return {1, {}};
}

} // namespace

std::uint8_t greyOf(const std::uint8_t *rgb)
{
    return std::uint8_t((rgb[0] * 299 + rgb[1] * 587 + rgb[2] * 114 + 500) / 1000);
}

std::vector<std::uint8_t> greyLevels(const Pixels &pixels)
{
    std::vector<std::uint8_t> grey(std::size_t(pixels.width) * std::size_t(pixels.height));
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) {
            const std::uint8_t *p = pixels.at(x, y);
            grey[std::size_t(y) * std::size_t(pixels.width) + std::size_t(x)]
                = pixels.colourChannels() == 1 ? p[0] : greyOf(p);
        }
    return grey;
}

bool diffuseError(std::vector<std::uint8_t> &grey, int width, int height, Diffusion method, ImageProgress *progress)
{
    const Matrix matrix = matrixOf(method);
    int reach = 0;
    for (const Share &s : matrix.shares)
        reach = std::max(reach, s.dy);
    // Levels with the errors received so far; only the rows the matrix reaches are kept.
    const std::size_t w = std::size_t(width);
    std::vector<int> levels(w * std::size_t(reach + 1));
    auto line = [&](int y) { return levels.data() + std::size_t(y % (reach + 1)) * w; };
    for (int y = 0; y < std::min(height, reach + 1); ++y)
        for (int x = 0; x < width; ++x)
            line(y)[x] = grey[std::size_t(y) * w + std::size_t(x)];
    Steps steps(progress, height);
    for (int y = 0; y < height; ++y) {
        int *current = line(y);
        for (int x = 0; x < width; ++x) {
            const int old = current[x];
            const int now = old > 127 ? 255 : 0;
            grey[std::size_t(y) * w + std::size_t(x)] = std::uint8_t(now);
            const int error = old - now;
            for (const Share &s : matrix.shares) {
                const int tx = x + s.dx;
                const int ty = y + s.dy;
                if (tx < 0 || tx >= width || ty >= height)
                    continue;
                line(ty)[tx] += error * s.weight / matrix.divisor;
            }
        }
        // The row just finished becomes the one `reach` rows further down.
        if (const int next = y + reach + 1; next < height)
            for (int x = 0; x < width; ++x)
                current[x] = grey[std::size_t(next) * w + std::size_t(x)];
        if (!steps.next())
            return false;
    }
    return true;
}

} // namespace ImageOps

#pragma once

// What the image benchmarks share: a scanned-looking colour A4 page at 300 dpi, and the median
// time of a few runs.

#include <Magick++.h>

#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace Bench {

constexpr int kPageWidth = 2480;
constexpr int kPageHeight = 3508;

inline void writeScannedPage(const std::string &path)
{
    Magick::Image page;
    page.size(Magick::Geometry(kPageWidth, kPageHeight));
    page.read("gradient:#f4efe4-#8090c0");
    page.addNoise(MagickCore::GaussianNoise);
    page.quality(85);
    page.write(path);
}

inline double medianSeconds(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(double(t.nsecsElapsed()) / 1e9);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace Bench

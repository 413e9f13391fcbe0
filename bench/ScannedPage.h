#pragma once

// What the image benchmarks share: a scanned-looking colour A4 page at 300 dpi, and the median
// wall and CPU time of a few runs. The CPU time is that of this process and of the children it
// waited for during the run (convert, djpeg), so it stays telling on a busy machine.

#include <Magick++.h>

#include <QElapsedTimer>

#include <sys/resource.h>

#include <ctime>

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

struct Timing
{
    double wall = 0;
    double cpu = 0;
};

// User and system seconds of this process and of its waited-for children so far.
inline double cpuSeconds()
{
    timespec self{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &self);
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return double(self.tv_sec) + double(self.tv_nsec) / 1e9 + seconds(children.ru_utime) + seconds(children.ru_stime);
}

// The median wall time and the median CPU time of `runs` runs (each its own median).
inline Timing medianTiming(int runs, const std::function<void()> &work)
{
    std::vector<double> walls;
    std::vector<double> cpus;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        const double cpu = cpuSeconds();
        t.start();
        work();
        walls.push_back(double(t.nsecsElapsed()) / 1e9);
        cpus.push_back(cpuSeconds() - cpu);
    }
    std::sort(walls.begin(), walls.end());
    std::sort(cpus.begin(), cpus.end());
    return {walls[walls.size() / 2], cpus[cpus.size() / 2]};
}

inline double medianSeconds(int runs, const std::function<void()> &work)
{
    return medianTiming(runs, work).wall;
}

} // namespace Bench

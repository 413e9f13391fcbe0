// The image editor's worker filters on a scanned colour page of 2480 x 3508: each filter that
// ImageMagick's convert also has, timed in process as decode + filter + JPEG encode against
// `convert in.jpg -OP out.jpg` on the same file; then our own pixel work timed alone. Each time is
// the median of 5 runs, wall clock and CPU (user + system, convert's counted from its process).
// Ours runs twice: as in the running program, where the memory of pictures let go is reused, and
// cold, with that memory handed back to the kernel before each run as a new process starts.
// Prints ratios; never gates anything.
//   bench_image [RUNS] [FILTER,FILTER...]   (default 5 runs, every filter)

#include "ScannedPage.h"
#include "imaging/ImageCommands.h"
#include "imaging/ImageDocument.h"
#include "imaging/PixelMemory.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

using Bench::medianSeconds;
using Bench::medianTiming;

struct Versus
{
    const char *command;
    QStringList convert;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The library as the program sets it up: its limits and its memory.
    ImageDocument::initialiseLibrary();
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const QStringList only = argc > 2 ? QString::fromLocal8Bit(argv[2]).split(u',') : QStringList();
    QTemporaryDir dir;
    const std::string in = dir.filePath(u"page.jpg"_s).toStdString();
    const std::string out = dir.filePath(u"ours.jpg"_s).toStdString();
    Bench::writeScannedPage(in);
    const QStringList k3 = {u"-define"_s, u"convolve:scale=!"_s, u"-convolve"_s};
    const QList<Versus> versus = {
        {"blur", k3 + QStringList{u"1,1,1,1,1,1,1,1,1"_s}},
        {"soften", k3 + QStringList{u"1,1,1,1,8,1,1,1,1"_s}},
        {"gaussian-3x3", k3 + QStringList{u"1,2,1,2,4,2,1,2,1"_s}},
        {"gaussian-5x5", k3 + QStringList{u"0,1,2,1,0,1,3,4,3,1,2,4,8,4,2,1,3,4,3,1,0,1,2,1,0"_s}},
        {"sharpen", k3 + QStringList{u"-1,-1,-1,-1,15,-1,-1,-1,-1"_s}},
        {"edge", {u"-convolve"_s, u"-1,-1,-1,-1,8,-1,-1,-1,-1"_s, u"-negate"_s}},
        {"emboss", {u"-convolve"_s, u"0,0,-1,0,0,0,1,0,0"_s}},
        {"erode", {u"-morphology"_s, u"Erode"_s, u"Rectangle:2x2"_s}},
        {"dilate", {u"-morphology"_s, u"Dilate"_s, u"Rectangle:2x2"_s}},
        {"median", {u"-median"_s, u"3"_s}},
        {"add-noise", {u"+noise"_s, u"Uniform"_s}},
        {"negative", {u"-negate"_s}},
        {"flip", {u"-flip"_s}},
        {"mirror", {u"-flop"_s}},
        {"rotate-right", {u"-rotate"_s, u"90"_s}},
        {"resample", {u"-filter"_s, u"Catrom"_s, u"-resize"_s, u"50%"_s}},
        {"gamma", {u"-gamma"_s, u"1.23"_s}},
        {"threshold", {u"-threshold"_s, u"50%"_s}},
        {"gray-scale", {u"-colorspace"_s, u"Gray"_s}},
    };
    std::printf("%-16s %10s %10s %8s   %10s %10s %8s   %10s %8s %10s %8s\n", "filter", "ours s", "convert s", "ratio",
                "ours cpu", "conv. cpu", "ratio", "cold s", "ratio", "cold cpu", "ratio");
    for (const Versus &v : versus) {
        if (!only.isEmpty() && !only.contains(QString::fromLatin1(v.command)))
            continue;
        const ImageCommands::Command &command = *ImageCommands::find(QString::fromLatin1(v.command));
        ImageCommands::Values values;
        if (command.name == u"resample")
            values = {{u"factor"_s, 0.5}, {u"interpolation"_s, 3}};
        // The window's dialog hands the level over, as convert is given one: the picture's mean,
        // the dialog's first value, is worked out when the dialog opens, not in the filter.
        if (command.name == u"threshold")
            values = {{u"level"_s, 128}};
        bool ok = true;
        const auto work = [&] {
            Magick::Image page(in);
            const Result<ImageCommands::Outcome> r = ImageCommands::run(command, page, values);
            ok = ok && r.ok();
            if (r.ok() && r->picture) {
                Magick::Image result = *r->picture;
                result.quality(85);
                result.write(out);
            }
        };
        const Bench::Timing ours = medianTiming(runs, work);
        std::vector<double> coldWalls;
        std::vector<double> coldCpus;
        for (int i = 0; i < runs; ++i) {
            PixelMemory::trim();
            const Bench::Timing once = medianTiming(1, work);
            coldWalls.push_back(once.wall);
            coldCpus.push_back(once.cpu);
        }
        std::sort(coldWalls.begin(), coldWalls.end());
        std::sort(coldCpus.begin(), coldCpus.end());
        const Bench::Timing cold{coldWalls[coldWalls.size() / 2], coldCpus[coldCpus.size() / 2]};
        const Bench::Timing theirs = medianTiming(runs, [&] {
            QProcess p;
            p.start(u"convert"_s, QStringList{QString::fromStdString(in)} + v.convert + QStringList{dir.filePath(u"theirs.jpg"_s)});
            p.waitForFinished(120000);
        });
        std::printf("%-16s %10.3f %10.3f %7.2fx   %10.3f %10.3f %7.2fx   %10.3f %7.2fx %10.3f %7.2fx%s\n", v.command,
                    ours.wall, theirs.wall, ours.wall / theirs.wall, ours.cpu, theirs.cpu, ours.cpu / theirs.cpu, cold.wall,
                    cold.wall / theirs.wall, cold.cpu, cold.cpu / theirs.cpu, ok ? "" : "  (failed)");
        std::fflush(stdout);
    }

    std::printf("\nown pixel work alone (no decode or encode)\n%-16s %10s\n", "filter", "s");
    Magick::Image page(in);
    const QList<std::pair<const char *, ImageCommands::Values>> alone = {
        {"blur", {}}, {"gaussian-5x5", {}}, {"sharpen", {}}, {"edge", {}}, {"emboss", {}}, {"erode", {}},
        {"dilate", {}}, {"contour", {}}, {"edge-nonlinear", {}}, {"jitter", {}}, {"add-noise", {}},
        {"lighten", {}}, {"more-contrast", {}}, {"colorize", {}}, {"threshold", {}}, {"pinch", {}},
        {"punch", {}}, {"twirl", {}}, {"cylinder", {}}, {"bathroom", {}}, {"pseudo-colors", {}},
        {"dither", {{u"method"_s, 2}}}, {"dither", {{u"method"_s, 3}}}, {"dither", {{u"method"_s, 4}}},
        {"dither", {{u"method"_s, 5}}}, {"dither", {{u"method"_s, 6}}}, {"repair", {}},
        {"split-to-hsl", {}}, {"mix", {}}};
    for (const auto &[name, values] : alone) {
        if (!only.isEmpty() && !only.contains(QString::fromLatin1(name)))
            continue;
        const ImageCommands::Command &command = *ImageCommands::find(QString::fromLatin1(name));
        const QList<Magick::Image> sources = command.sources > 0 ? QList<Magick::Image>{page} : QList<Magick::Image>{};
        bool ok = true;
        const double t = medianSeconds(runs, [&] { ok = ok && ImageCommands::run(command, page, values, sources).ok(); });
        std::printf("%-16s %10.3f%s%s\n", name, t, values.isEmpty() ? "" : qPrintable(u" method "_s + values.first().toString()),
                    ok ? (t < 2.0 ? "" : "  (over 2 s)") : "  (failed)");
        std::fflush(stdout);
    }
    return 0;
}

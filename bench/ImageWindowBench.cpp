// The image window on a scanned colour page of 2480 x 3508: opening the JPEG into a shown,
// painted window as File Open does, against djpeg decoding the same file; the time until the
// window's picture can be edited (its background read done); then the peak memory after nine
// filters with the eight undo steps held. Times are the median of 5 runs, wall clock and CPU
// (djpeg's counted from its process). Prints ratios; gates nothing.
//   bench_image_window [RUNS]   (default 5)

#include "ScannedPage.h"
#include "imaging/CDemoDoc.h"
#include "imaging/CDemoView.h"
#include "imaging/ImageCommands.h"
#include "imaging/ImageDocument.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// The process's peak resident size in MiB, as the kernel counts it.
double peakMiB()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').constFirst().toDouble() / 1024.0;
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ImageDocument::initialiseLibrary();
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir;
    const QString in = dir.filePath(u"page.jpg"_s);
    Bench::writeScannedPage(in.toStdString());

    // Until the window is painted (timed), and then on until the picture can be edited. The
    // document goes at the end of each run, as a window closed at once would.
    std::vector<double> walls;
    std::vector<double> cpus;
    std::vector<double> editable;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer since;
        const double cpu = Bench::cpuSeconds();
        since.start();
        auto doc = std::make_unique<CDemoDoc>();
        if (!doc->open(in, 0))
            std::printf("the page did not open\n");
        CDemoView view(doc.get());
        view.resize(1000, 700);
        view.show();
        if (!QTest::qWaitForWindowExposed(&view))
            std::printf("the window did not show\n");
        view.viewport()->repaint();
        walls.push_back(double(since.nsecsElapsed()) / 1e9);
        cpus.push_back(Bench::cpuSeconds() - cpu);
        if (!QTest::qWaitFor([&] { return !doc->isBusy(); }, 60000))
            std::printf("the picture was not read within a minute\n");
        editable.push_back(double(since.nsecsElapsed()) / 1e9);
        if (!doc->hasPicture())
            std::printf("the picture was not read\n");
    }
    std::sort(walls.begin(), walls.end());
    std::sort(cpus.begin(), cpus.end());
    const Bench::Timing ours{walls[walls.size() / 2], cpus[cpus.size() / 2]};
    std::sort(editable.begin(), editable.end());
    if (QStandardPaths::findExecutable(u"djpeg"_s).isEmpty()) {
        std::printf("open into a window   %8.3f s (cpu %.3f s)   djpeg SKIPPED: not installed (libjpeg-turbo-progs)\n",
                    ours.wall, ours.cpu);
    } else {
        const Bench::Timing theirs = Bench::medianTiming(runs, [&] {
            QProcess p;
            p.setStandardOutputFile(QProcess::nullDevice());
            p.start(u"djpeg"_s, {u"-bmp"_s, in});
            p.waitForFinished(60000);
        });
        std::printf("open into a window   %8.3f s   djpeg %8.3f s   ratio %5.2fx (goal <= 1.50x)\n", ours.wall,
                    theirs.wall, ours.wall / theirs.wall);
        std::printf("              cpu    %8.3f s   djpeg %8.3f s   ratio %5.2fx\n", ours.cpu, theirs.cpu,
                    ours.cpu / theirs.cpu);
    }
    std::printf("editable picture     %8.3f s after File Open (background read done)\n",
                editable[editable.size() / 2]);

    // Nine filters on one document: the eight undo steps each hold a whole page.
    const double before = peakMiB();
    ImageDocument doc;
    if (!doc.load(in))
        return 1;
    for (const char *name : {"blur", "sharpen", "negative", "gaussian-3x3", "emboss", "median", "gamma", "mirror", "soften"}) {
        const Result<ImageCommands::Outcome> r = ImageCommands::run(*ImageCommands::find(QString::fromLatin1(name)), doc.picture());
        if (!r || !r->picture) {
            std::printf("%s failed\n", name);
            return 1;
        }
        doc.change(*r->picture);
    }
    std::printf("nine filters, %d undo steps held: peak %.0f MiB (%.0f MiB before; goal < 1024 MiB)\n",
                doc.undoLevel(), peakMiB(), before);
    return 0;
}

// Acquiring 10 pages from the feeder of SANE's test backend at 300 dpi (letter size) into pictures
// in memory, against scanimage --batch writing the same pages as PNM files into a RAM folder.
// Ours twice: the client reading in this process, and the window's way, where dovrelle-scan reads
// the pages and hands them over. Prints the times and the ratios ours / scanimage (the goal is at
// most 1.2), for grey and colour.
//   bench_scan [ROUNDS]   (default 3, the best counts)

#include "scan/CTwain.h"
#include "scan/ScanProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <limits>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

class MemoryScanner : public CTwain
{
public:
    QList<QImage> pages;

protected:
    void TakeImage(const QImage &image, const ScanPageInfo &) override { pages.append(image); }
};

constexpr int kDpi = 300;
const QString kFeeder = u"Automatic Document Feeder"_s;

bool writeConfig(const QString &folder)
{
    QFile dll(folder + u"/dll.conf"_s);
    QFile test(folder + u"/test.conf"_s);
    if (!dll.open(QIODevice::WriteOnly) || !test.open(QIODevice::WriteOnly))
        return false;
    dll.write("test\n");
    test.write("number_of_devices 1\nresolution_min 1.0\nresolution_max 1200.0\nresolution_quant 1.0\n"
               "resolution 300.0\ntest-picture \"Color pattern\"\ngeometry_min 0.0\ngeometry_max 300.0\n"
               "geometry_quant 0.0\ntl_x 0.0\ntl_y 0.0\nbr_x 215.9\nbr_y 279.4\n");
    return true;
}

double ours(const QString &mode, qint64 &bytes)
{
    MemoryScanner scanner;
    if (!scanner.Initialise() || !scanner.OpenDataSource(u"test:0"_s).ok())
        return -1;
    if (!scanner.setOption(u"source"_s, kFeeder).ok() || !scanner.setOption(u"mode"_s, mode).ok()
        || !scanner.setOption(u"resolution"_s, kDpi).ok())
        return -1;
    QElapsedTimer t;
    t.start();
    const ScanOutcome outcome = scanner.Acquire();
    const double seconds = double(t.nsecsElapsed()) / 1e9;
    if (outcome.end != ScanOutcome::End::Finished || scanner.pages.size() != 10)
        return -1;
    bytes = 0;
    for (const QImage &p : scanner.pages)
        bytes += p.sizeInBytes();
    return seconds;
}

// The window's way: the pages read by dovrelle-scan (beside this program) into pictures here.
double throughProgram(const QString &mode)
{
    ScanProcess process;
    QList<QImage> pages;
    std::optional<ScanOutcome> outcome;
    QEventLoop loop;
    QObject::connect(&process, &ScanProcess::pageArrived, [&](const QImage &p, const ScanPageInfo &) { pages << p; });
    QObject::connect(&process, &ScanProcess::ended, [&](const ScanOutcome &o) {
        outcome = o;
        loop.quit();
    });
    const QVariantMap values{{u"source"_s, kFeeder}, {u"mode"_s, mode}, {u"resolution"_s, QString::number(kDpi)}};
    QElapsedTimer t;
    t.start();
    if (!process.start({QCoreApplication::applicationDirPath() + u"/dovrelle-scan"_s,
                        QString::fromLatin1(SaneLibrary::kDefaultFile), u"test:0"_s, values})
             .ok())
        return -1;
    loop.exec();
    const double seconds = double(t.nsecsElapsed()) / 1e9;
    if (!outcome || outcome->end != ScanOutcome::End::Finished || pages.size() != 10)
        return -1;
    return seconds;
}

double theirs(const QString &program, const QString &mode, const QString &ram)
{
    QTemporaryDir out(ram + u"/bench-scan-XXXXXX"_s);
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(program, {u"-d"_s, u"test:0"_s, u"--source"_s, kFeeder, u"--mode"_s, mode, u"--resolution"_s,
                      QString::number(kDpi), u"--format=pnm"_s, u"--batch=%1/p%d.pnm"_s.arg(out.path())});
    p.waitForFinished(-1);
    const double seconds = double(t.nsecsElapsed()) / 1e9;
    if (QDir(out.path()).entryList(QDir::Files).size() != 10)
        return -1;
    return seconds;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    QTextStream out(stdout);
    const QString scanimage = QStandardPaths::findExecutable(u"scanimage"_s);
    if (scanimage.isEmpty()) {
        out << "bench_scan: scanimage is not installed (package sane-utils)\n";
        return 1;
    }
    QTemporaryDir config;
    if (!writeConfig(config.path())) {
        out << "bench_scan: the SANE configuration could not be written\n";
        return 1;
    }
    qputenv("SANE_CONFIG_DIR", QFile::encodeName(config.path()));
    const QString ram = QDir(u"/dev/shm"_s).exists() ? u"/dev/shm"_s : QDir::tempPath();

    out << "10 feeder pages, letter size at " << kDpi << " dpi, best of " << rounds << "\n";
    for (const QString &mode : {u"Gray"_s, u"Color"_s}) {
        double best = std::numeric_limits<double>::max();
        double bestProgram = std::numeric_limits<double>::max();
        double bestTheirs = std::numeric_limits<double>::max();
        qint64 bytes = 0;
        for (int i = 0; i < rounds; ++i) {
            const double a = ours(mode, bytes);
            const double p = throughProgram(mode);
            const double b = theirs(scanimage, mode, ram);
            if (a < 0 || p < 0 || b < 0) {
                out << "bench_scan: " << mode << " did not give 10 pages\n";
                return 1;
            }
            best = std::min(best, a);
            bestProgram = std::min(bestProgram, p);
            bestTheirs = std::min(bestTheirs, b);
        }
        out << mode << ": scanimage --batch " << QString::number(bestTheirs, 'f', 3) << " s into " << ram << " ("
            << QString::number(double(bytes) / (1 << 20), 'f', 0) << " MiB of pictures)\n"
            << "  ours in process " << QString::number(best, 'f', 3) << " s into memory, ratio "
            << QString::number(best / bestTheirs, 'f', 2) << " (goal <= 1.2)\n"
            << "  ours through dovrelle-scan " << QString::number(bestProgram, 'f', 3) << " s, ratio "
            << QString::number(bestProgram / bestTheirs, 'f', 2) << " (goal <= 1.2)\n";
        out.flush();
    }
    return 0;
}

// dovrelle-mw: the text converter. Started by the program without arguments it converts the
// hand-off copy "1.tmp" into "fdata.txt" of the hand-off folder; with --in and --out it converts
// any file, for bulk work. Pages of scans are announced on standard output as "pages N" and then
// "page I", so a caller can size its wait and show progress.

#include "base/HandOffFolder.h"
#include "text/OfficeConverter.h"
#include "text/TextConverter.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <csignal>
#include <cstdio>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kConverted = 0;
constexpr int kFailed = 1;
constexpr int kBadUsage = 2;
constexpr int kStopped = 3;

const char kUsage[] =
    "Usage: dovrelle-mw [--in FILE --out FILE]\n"
    "Writes the plain text of a txt, docx, doc, rtf, pdf or scanned picture file in code page 1256.\n"
    "Without arguments: 1.tmp into fdata.txt of the hand-off folder.\n"
    "Exit status: 0 converted, 1 the file could not be converted, 2 bad arguments, 3 stopped.\n";

// Told to stop (the user cancelled, or the wait ran out): LibreOffice goes with us.
extern "C" void stopNow(int)
{
    if (const pid_t group = OfficeConverter::runningGroup(); group > 0)
        ::kill(-group, SIGKILL);
    ::_exit(kStopped);
}

int fail(const QString &message, int status)
{
    // One line, so a caller can show it as it is.
    QTextStream(stderr) << "dovrelle-mw: " << QString(message).replace(u'\n', u' ') << Qt::endl;
    return status;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::signal(SIGTERM, stopNow);
    std::signal(SIGINT, stopNow);

    QCommandLineParser parser;
    const QCommandLineOption in(u"in"_s, QString(), u"FILE"_s);
    const QCommandLineOption out(u"out"_s, QString(), u"FILE"_s);
    const QCommandLineOption help(QStringList{u"h"_s, u"help"_s});
    parser.addOptions({in, out, help});
    if (!parser.parse(app.arguments()))
        return fail(parser.errorText() + u"\n"_s + QString::fromLatin1(kUsage), kBadUsage);
    if (parser.isSet(help)) {
        QTextStream(stdout) << kUsage;
        return kConverted;
    }
    if (parser.isSet(in) != parser.isSet(out) || !parser.positionalArguments().isEmpty())
        return fail(u"--in and --out go together, and nothing else is taken"_s, kBadUsage);
    const QString folder = parser.isSet(in) ? QString() : handOffFolder();
    const QString input = parser.isSet(in) ? parser.value(in) : folder + u"/1.tmp"_s;
    const QString output = parser.isSet(out) ? parser.value(out) : folder + u"/fdata.txt"_s;

    const auto progress = [](int page, int pages) {
        if (page == 1)
            std::printf("pages %d\n", pages);
        std::printf("page %d\n", page);
        std::fflush(stdout);
    };
    const Result<QString> text = TextConverter::convert(input, progress);
    if (!text)
        return fail(text.error(), kFailed);
    if (const Status written = TextConverter::writeCp1256(*text, output); !written)
        return fail(written.error(), kFailed);
    return kConverted;
}

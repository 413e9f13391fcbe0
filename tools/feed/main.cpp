// dovrelle-feed: the outside program that fills an information feed. It copies items into the
// feed folder and appends one index record per item, as the basket viewer and the side bar read
// them; for live tests and demos it can go on adding at a fixed pace.

#include "baskets/FeedWriter.h"
#include "base/TimeZoneFile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTextStream>
#include <QThread>

#include <atomic>
#include <csignal>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kBadUsage = 2;
constexpr int kSleepStepMs = 10;

const char kUsage[] =
    "Usage: dovrelle-feed add --folder DIR --index NAME.idx [options] [FILE...]\n"
    "Copies each FILE into the feed folder and appends its record to the index file.\n"
    "  --folder DIR       the feed folder (made when missing)\n"
    "  --index NAME.idx   the index file inside the feed folder (made when missing)\n"
    "  --text MESSAGE     add a text item holding MESSAGE (may be given more than once)\n"
    "  --describe TEXT    store TEXT as the description of every JPEG item of this call\n"
    "                     (Latin letters, digits and printable signs; at most 1494)\n"
    "  --every SECONDS    repeat the whole addition every SECONDS (fractions allowed)\n"
    "  --count N          how many times in all (default 1; with --every and no --count,\n"
    "                     until interrupted)\n"
    "In MESSAGE and TEXT, {n} stands for the item's sequence number.\n"
    "Prints one line per item added: its sequence number, a tab and its name in the folder.\n"
    "Exit status: 0 when everything was added, 1 on failure, 2 for bad arguments.\n";

std::atomic<bool> g_stop{false};

void onSignal(int) { g_stop = true; }

void catchStopSignals()
{
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

int usageError(const QString &message)
{
    QTextStream(stderr) << "dovrelle-feed: " << message << Qt::endl << kUsage;
    return kBadUsage;
}

// Waits until the deadline, or less when asked to stop.
void sleepUntil(const QDeadlineTimer &deadline)
{
    while (!g_stop.load() && !deadline.hasExpired())
        QThread::msleep(ulong(std::min<qint64>(kSleepStepMs, std::max<qint64>(1, deadline.remainingTime()))));
}

} // namespace

int main(int argc, char **argv)
{
    readTimeZoneOnce();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"dovrelle-feed"_s);
    catchStopSignals();

    QCommandLineParser parser;
    const QCommandLineOption folder(u"folder"_s, QString(), u"DIR"_s);
    const QCommandLineOption index(u"index"_s, QString(), u"NAME"_s);
    const QCommandLineOption text(u"text"_s, QString(), u"MESSAGE"_s);
    const QCommandLineOption describe(u"describe"_s, QString(), u"TEXT"_s);
    const QCommandLineOption every(u"every"_s, QString(), u"SECONDS"_s);
    const QCommandLineOption count(u"count"_s, QString(), u"N"_s);
    const QCommandLineOption help(QStringList{u"h"_s, u"help"_s});
    parser.addOptions({folder, index, text, describe, every, count, help});
    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        QTextStream(stdout) << kUsage;
        return kDone;
    }
    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty() || positional.takeFirst() != u"add"_s)
        return usageError(u"the first argument must be the command \"add\""_s);
    if (!parser.isSet(folder) || !parser.isSet(index))
        return usageError(u"--folder and --index are required"_s);

    double period = 0;
    if (parser.isSet(every)) {
        bool ok = false;
        period = parser.value(every).toDouble(&ok);
        if (!ok || !std::isfinite(period) || period < 0 || period > 24 * 3600)
            return usageError(u"--every takes a number of seconds, not %1"_s.arg(parser.value(every)));
    }
    qint64 rounds = 1;
    if (parser.isSet(count)) {
        bool ok = false;
        rounds = parser.value(count).toLongLong(&ok);
        if (!ok || rounds < 1)
            return usageError(u"--count takes a whole number above 0, not %1"_s.arg(parser.value(count)));
    } else if (parser.isSet(every)) {
        rounds = -1; // until interrupted
    }

    FeedWriter::Request request;
    for (const QString &file : std::as_const(positional))
        request.files.append(QDir(file).absolutePath());
    request.texts = parser.values(text);
    request.describe = parser.isSet(describe);
    request.description = parser.value(describe);

    FeedWriter writer(QDir(parser.value(folder)).absolutePath(), parser.value(index));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const Status valid = writer.check(request);
    if (!valid) {
        err << "dovrelle-feed: " << valid.error() << Qt::endl;
        return kFailed;
    }
    for (qint64 round = 0; (rounds < 0 || round < rounds) && !g_stop.load(); ++round) {
        const QDeadlineTimer next(qint64(std::llround(period * 1000)));
        QList<FeedWriter::Added> added;
        const Status done = writer.add(request, added, &g_stop);
        for (const FeedWriter::Added &item : std::as_const(added))
            out << item.sequence << '\t' << item.name << '\n';
        out.flush();
        for (const QString &note : writer.takeNotes())
            err << "dovrelle-feed: " << note << Qt::endl;
        if (!done) {
            err << "dovrelle-feed: " << done.error() << Qt::endl;
            return kFailed;
        }
        if (rounds < 0 || round + 1 < rounds)
            sleepUntil(next);
    }
    return kDone;
}

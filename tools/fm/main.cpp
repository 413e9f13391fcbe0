// dovrelle-fm: the copier the program starts, without waiting for it, after writing copy orders.
// It runs in the program folder's "COM" folder, or is told the program folder with --home.

#include "base/BackgroundLoader.h"
#include "base/TimeZoneFile.h"
#include "cards/Copier.h"
#include "cards/CopierWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <QTimer>

#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kAllCopied = 0;
constexpr int kSomeFailed = 1;
constexpr int kBadUsage = 2;
// A run that is over sooner than this shows no window at all.
constexpr int kShowWindowAfterMs = 400;

const char kUsage[] =
    "Usage: dovrelle-fm [--home DIR] [--list 1|2] [--wait]\n"
    "Copies the orders of the copy list into the file store.\n"
    "  --home DIR  the program folder (default: the parent of the working folder, which must be COM)\n"
    "  --list 2    the second copier's list (filelist2.dat, num2.txt); default 1 (filelist.dat, num.txt)\n"
    "  --wait      when a copier is already at work, wait for it instead of leaving the work to it\n"
    "Exit status: 0 when every order was copied, 1 when any failed, 2 for bad arguments.\n";

struct Options
{
    QString home;
    CopyHandOff::Copier list = CopyHandOff::Copier::Archive;
    Copier::WhenBusy whenBusy = Copier::WhenBusy::Leave;
};

QString tr(const char *text)
{
    return QCoreApplication::translate("dovrelle-fm", text);
}

int usageError(const QString &message)
{
    QTextStream(stderr) << "dovrelle-fm: " << message << Qt::endl << kUsage;
    return kBadUsage;
}

// Parsed before the application object exists: whether a window can be shown decides which one.
std::optional<int> parseArguments(int argc, char **argv, Options &options)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    QCommandLineParser parser;
    const QCommandLineOption home(u"home"_s, QString(), u"DIR"_s);
    const QCommandLineOption list(u"list"_s, QString(), u"N"_s);
    const QCommandLineOption wait(u"wait"_s);
    const QCommandLineOption help(QStringList{u"h"_s, u"help"_s});
    parser.addOptions({home, list, wait, help});
    if (!parser.parse(args))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        QTextStream(stdout) << kUsage;
        return kAllCopied;
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(u"unexpected argument: %1"_s.arg(parser.positionalArguments().constFirst()));
    if (parser.isSet(list)) {
        const QString n = parser.value(list);
        if (n != u"1"_s && n != u"2"_s)
            return usageError(u"--list takes 1 or 2, not %1"_s.arg(n));
        options.list = n == u"2"_s ? CopyHandOff::Copier::Second : CopyHandOff::Copier::Archive;
    }
    if (parser.isSet(wait))
        options.whenBusy = Copier::WhenBusy::Wait;
    if (parser.isSet(home)) {
        options.home = QDir(parser.value(home)).absolutePath();
    } else {
        const QString current = QDir::currentPath();
        if (QFileInfo(current).fileName() != u"COM"_s)
            return usageError(u"start me in the program folder's COM folder, or name the program folder with --home"_s);
        options.home = QFileInfo(current).path();
    }
    return std::nullopt;
}

bool displayNamed()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// A display that is named but cannot be reached must not end the copier before it copies: the
// platform list ends with the one that always starts, and that one means "no window".
void allowPlatformFallback()
{
    QByteArray platforms = qgetenv("QT_QPA_PLATFORM");
    if (platforms.isEmpty())
        platforms = qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ? "xcb" : "wayland;xcb";
    if (!platforms.split(';').contains("offscreen"))
        platforms += ";offscreen";
    qputenv("QT_QPA_PLATFORM", platforms);
}

bool windowPossible()
{
    const QString platform = QGuiApplication::platformName();
    return platform != u"offscreen"_s && platform != u"minimal"_s;
}

int exitCodeOf(const Copier &copier)
{
    return copier.failures().isEmpty() ? kAllCopied : kSomeFailed;
}

// No window: one line per copied file on standard output; failures go to standard error.
int runOnConsole(const Options &options)
{
    Copier copier(options.home, options.list);
    QTextStream out(stdout);
    QObject::connect(&copier, &Copier::fileCopied, &copier, [&out](const QString &source, const QString &target) {
        out << tr("نسخ %1 الى %2").arg(QDir::toNativeSeparators(source), QDir::toNativeSeparators(target))
            << Qt::endl;
    });
    copier.run(options.whenBusy);
    return exitCodeOf(copier);
}

// The copying runs on a thread of its own so the window keeps painting while a large file is
// copied; the window hears of the progress through the loader's deliveries.
int runWithWindow(const Options &options)
{
    QApplication::setLayoutDirection(Qt::RightToLeft);
    CopierWindow window(options.list);
    QStringList failures;
    BackgroundLoader worker;
    QObject::connect(&worker, &BackgroundLoader::finished, &window, [&window] {
        window.hide();
        QApplication::quit();
    });
    CopierWindow *shown = &window;
    worker.start([home = options.home, list = options.list, whenBusy = options.whenBusy, shown,
                  &failures](const BackgroundLoader::Run &run) {
        Copier copier(home, list);
        QObject::connect(&copier, &Copier::planned, [run, shown](qint64 files, qint64 bytes) {
            run.deliver([shown, files, bytes] { shown->addPlanned(files, bytes); });
        });
        QObject::connect(&copier, &Copier::advanced, [run, shown](qint64 bytes) {
            run.deliver([shown, bytes] { shown->addCopied(bytes); });
        });
        QObject::connect(&copier, &Copier::fileStarted, [run, shown](const QString &source) {
            run.deliver([shown, source] { shown->startFile(source); });
        });
        QObject::connect(&copier, &Copier::fileCopied, [run, shown](const QString &, const QString &) {
            run.deliver([shown] { shown->finishFile(); });
        });
        QObject::connect(&copier, &Copier::failed, [run, shown](const QString &) {
            run.deliver([shown] { shown->addFailure(); });
        });
        copier.run(whenBusy);
        run.deliver([&failures, left = copier.failures()] { failures = left; });
    });
    QTimer::singleShot(kShowWindowAfterMs, &window, [&] {
        if (worker.isRunning())
            window.show();
    });
    QApplication::exec();
    // The run lock is already released: new orders are copied while the user reads this.
    if (!failures.isEmpty())
        CopierWindow::showFailures(failures);
    return failures.isEmpty() ? kAllCopied : kSomeFailed;
}

} // namespace

int main(int argc, char **argv)
{
    readTimeZoneOnce();
    Options options;
    if (const std::optional<int> done = parseArguments(argc, argv, options))
        return *done;

    if (!displayNamed()) {
        QCoreApplication app(argc, argv);
        return runOnConsole(options);
    }
    allowPlatformFallback();
    QApplication app(argc, argv);
    if (!windowPossible())
        return runOnConsole(options);
    return runWithWindow(options);
}

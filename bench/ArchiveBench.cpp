// Archives one card of many 1 MiB files through the copier and times it against cp -r of the
// same files in the same run. Prints both times and the ratio.
//   bench_archive [FILES]   (default 1000)

#include "app/ArchiveSetup.h"
#include "base/AppState.h"
#include "base/SettingsFiles.h"
#include "cards/Archiver.h"
#include "db/Database.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

// Archiving against cp -r + sync: the goal, and the ratio of the copier that read the end of each
// copy back to check it (the same machine, Release).
constexpr double kGoalRatio = 1.2;
constexpr double kBeforeRatio = 1.39;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int files = argc > 1 ? std::atoi(argv[1]) : 1000;
    QTextStream out(stdout);
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/dovrelle-bench-XXXXXX"));
    const QString sources = work.filePath(QStringLiteral("sources"));
    QDir().mkpath(sources);
    QByteArray block(1024 * 1024, '\0');
    for (int i = 0; i < block.size(); ++i)
        block[i] = char((i * 131) & 0xff);
    for (int i = 0; i < files; ++i) {
        QFile f(sources + QStringLiteral("/page-%1.jpg").arg(i));
        if (!f.open(QIODevice::WriteOnly) || f.write(block) != block.size())
            return 1;
    }
    ::sync();

    // This machine's disk is noisy, so the two are run in turns and the medians compared.
    constexpr int kRounds = 3;
    QList<qint64> cpTimes, archiveTimes, copierTimes;
    for (int round = 0; round < kRounds; ++round) {
        // Baseline: cp -r of the same files, synced, as the copier syncs what it writes.
        QElapsedTimer clock;
        clock.start();
        const QString copy = work.filePath(QStringLiteral("copy%1").arg(round));
        QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("cp -r '%1' '%2' && sync").arg(sources, copy)});
        cpTimes.append(clock.elapsed());
        QDir(copy).removeRecursively();

        const QString home = work.filePath(QStringLiteral("archive%1").arg(round));
        if (Status s = createArchive(home); !s) {
            out << s.error() << Qt::endl;
            return 1;
        }
        const AppState state = AppState::load(home);
        // One series for the whole card, so the comparison is of copying alone.
        SettingsFiles::writeSeriesBudget(state.databaseFolder, std::numeric_limits<qint32>::max());
        Result<Database> db = Database::open(state.databaseFolder);
        CardDraft draft;
        draft.date = QDate::currentDate();
        draft.name = QStringLiteral("bench");
        draft.classCodes = {1};
        for (int i = 0; i < files; ++i)
            draft.files.append(FileItem::fromPath(sources + QStringLiteral("/page-%1.jpg").arg(i)));

        clock.restart();
        Archiver archiver(Archiver::foldersOf(state), *db, QStringLiteral("@1@"));
        archiver.setStartCopier(false);
        if (Result<qint32> card = archiver.archiveNew(draft); !card) {
            out << card.error() << Qt::endl;
            return 1;
        }
        QProcess fm;
        fm.setWorkingDirectory(home + QStringLiteral("/COM"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        fm.setProcessEnvironment(env);
        fm.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer copierClock;
        copierClock.start();
        fm.start(QCoreApplication::applicationDirPath() + QStringLiteral("/dovrelle-fm"), {QStringLiteral("--wait")});
        fm.waitForFinished(-1);
        copierTimes.append(copierClock.elapsed());
        archiveTimes.append(clock.elapsed());
        if (fm.exitCode() != 0) {
            out << "the copier failed" << Qt::endl;
            return 1;
        }
        Database::closeThreadConnections();
        QDir(home).removeRecursively();
    }
    const auto median = [](QList<qint64> v) {
        std::sort(v.begin(), v.end());
        return v.at(v.size() / 2);
    };
    const auto list = [](const QList<qint64> &v) {
        QStringList parts;
        for (qint64 t : v)
            parts << QString::number(t);
        return parts.join(u", ");
    };
    const double ratio = double(median(archiveTimes)) / double(std::max<qint64>(median(cpTimes), 1));
    out << "files: " << files << " x 1 MiB, " << kRounds << " rounds in turns\n"
        << "cp -r + sync (ms): " << list(cpTimes) << "  median " << median(cpTimes) << '\n'
        << "archive (ms): " << list(archiveTimes) << "  median " << median(archiveTimes) << "  (copier alone, median "
        << median(copierTimes) << ")\n"
        << "ratio archive / cp (medians): " << QString::number(ratio, 'f', 2) << "  goal <= "
        << QString::number(kGoalRatio, 'f', 2) << ": " << (ratio <= kGoalRatio ? "met" : "MISSED")
        << "  (before: " << QString::number(kBeforeRatio, 'f', 2) << ")" << Qt::endl;
    return 0;
}

#include "base/SettingsFiles.h"
#include "cards/Archiver.h"
#include "common/TestArchive.h"
#include "db/AllocationLock.h"
#include "db/CDFSet.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <map>
#include <set>
#include <thread>

using namespace Qt::Literals::StringLiterals;

namespace {

QString bin(const QString &program)
{
    return qEnvironmentVariable("DOVRELLE_BIN", QCoreApplication::applicationDirPath() + QStringLiteral("/../bin")) + u'/'
           + program;
}

QProcessEnvironment consoleEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

class ArchivingProcesses : public EngineTest
{
protected:
    QString sourceFile(const QString &name, int size)
    {
        const QString path = m_sources.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(size, char('a' + size % 26)));
        return path;
    }

    QStringList archiveArgs(const QStringList &files)
    {
        QStringList args{QStringLiteral("archive"), QStringLiteral("--home"), archive().home(), QStringLiteral("--user"),
                         QStringLiteral("MASTER"), QStringLiteral("--class"), QStringLiteral("1"), QStringLiteral("--name"),
                         QStringLiteral("بطاقة اختبار")};
        for (const QString &f : files)
            args << QStringLiteral("--file") << f;
        return args;
    }

    // Runs the copier until every order handed to it is placed.
    void drainCopier()
    {
        QProcess fm;
        fm.setProcessEnvironment(consoleEnvironment());
        fm.start(bin(QStringLiteral("dovrelle-fm")), {QStringLiteral("--home"), archive().home(), QStringLiteral("--wait")});
        ASSERT_TRUE(fm.waitForFinished(300000));
    }

    std::map<qint32, QList<DocumentRow>> cards()
    {
        std::map<qint32, QList<DocumentRow>> out;
        const Result<QList<DocumentRow>> rows = CDFSet(db()).search(SqlCondition::raw(QStringLiteral("n1 > 0")));
        EXPECT_TRUE(rows.ok()) << rows.error().toStdString();
        for (const DocumentRow &r : *rows)
            out[r.cardNumber].append(r);
        return out;
    }

    QTemporaryDir m_sources;
};

} // namespace

TEST_P(ArchivingProcesses, ThreeWorkstationsArchivingAtOnceShareOneConsistentStore)
{
    constexpr int kProcesses = 3;
    // Forty each keeps the three racing for the whole run and rolls the series over two dozen times.
    constexpr int kCardsEach = 40;
    // A small budget, so that the series roll over many times while the processes race.
    ASSERT_TRUE(SettingsFiles::writeSeriesBudget(archive().databaseFolder(), 2000).ok());
    std::vector<std::unique_ptr<QProcess>> runs;
    for (int p = 0; p < kProcesses; ++p) {
        const QString file = sourceFile(QStringLiteral("w%1.txt").arg(p), 300 + p * 50);
        QStringList script;
        for (int i = 0; i < kCardsEach; ++i) {
            QStringList quoted;
            for (const QString &a : archiveArgs({file}))
                quoted << u'\'' + a + u'\'';
            script << u'\'' + bin(QStringLiteral("dovrelle-admin")) + QStringLiteral("' ") + quoted.join(u' ') + QStringLiteral(" || exit 1");
        }
        auto run = std::make_unique<QProcess>();
        run->setProcessEnvironment(consoleEnvironment());
        run->start(QStringLiteral("bash"), {QStringLiteral("-c"), script.join(u'\n')});
        ASSERT_TRUE(run->waitForStarted());
        runs.push_back(std::move(run));
    }
    for (auto &run : runs) {
        ASSERT_TRUE(run->waitForFinished(600000));
        ASSERT_EQ(run->exitCode(), 0) << run->readAllStandardError().toStdString();
    }
    drainCopier();

    const auto all = cards();
    EXPECT_EQ(all.size(), size_t(kProcesses * kCardsEach));
    EXPECT_EQ(all.rbegin()->first, kProcesses * kCardsEach);
    // Every stored file is there, whole.
    std::map<QString, qint64> seriesBytes;
    qint32 highestSeries = 0;
    for (const auto &[card, rows] : all) {
        ASSERT_EQ(rows.size(), 1) << card;
        const QString stored = Archiver::storedPath(archive().fileServerFolder(), rows[0]);
        EXPECT_EQ(QFileInfo(stored).size(), rows[0].size) << stored.toStdString();
        seriesBytes[rows[0].seriesFolder] += rows[0].size;
        highestSeries = std::max(highestSeries, rows[0].seriesFolder.mid(3).toInt());
    }
    // No series holds more than the budget, and the stored series number is the last one used.
    for (const auto &[series, bytes] : seriesBytes)
        EXPECT_LE(bytes, 2000) << series.toStdString();
    EXPECT_EQ(SettingsFiles::readSeriesNumber(archive().databaseFolder()), highestSeries);
    QProcess verify;
    verify.start(bin(QStringLiteral("dovrelle-admin")), {QStringLiteral("verify"), QStringLiteral("--home"), archive().home()});
    ASSERT_TRUE(verify.waitForFinished(60000));
    EXPECT_EQ(verify.exitCode(), 0) << verify.readAllStandardOutput().toStdString();
}

TEST_P(ArchivingProcesses, KilledArchivingLeavesNoHalfCardAndEveryFileArrives)
{
    constexpr int kRuns = 50;
    const QStringList files{sourceFile(QStringLiteral("a.txt"), 4000), sourceFile(QStringLiteral("b.txt"), 9000),
                            sourceFile(QStringLiteral("c.txt"), 2000)};
    QRandomGenerator rng(7);
    // One whole run first: the kills fall anywhere within the time a run takes.
    QElapsedTimer whole;
    whole.start();
    {
        QProcess run;
        run.setProcessEnvironment(consoleEnvironment());
        run.start(bin(QStringLiteral("dovrelle-admin")), archiveArgs(files) << QStringLiteral("--wait"));
        ASSERT_TRUE(run.waitForFinished(60000));
        ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    }
    const int runMs = int(std::max<qint64>(whole.elapsed(), 20));
    int finished = 0;
    for (int i = 0; i < kRuns; ++i) {
        QProcess run;
        QProcessEnvironment env = consoleEnvironment();
        // Every fifth run dies right after its commit, the moment a crash is hardest to survive.
        if (i % 5 == 4)
            env.insert(QStringLiteral("DOVRELLE_TEST_DIE_AFTER_COMMIT"), QStringLiteral("1"));
        run.setProcessEnvironment(env);
        QStringList args = archiveArgs(files);
        args << QStringLiteral("--wait");
        run.start(bin(QStringLiteral("dovrelle-admin")), args);
        ASSERT_TRUE(run.waitForStarted());
        std::this_thread::sleep_for(std::chrono::milliseconds(rng.bounded(runMs)));
        ::kill(pid_t(run.processId()), SIGKILL);
        run.waitForFinished(10000);
        finished += run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0 ? 1 : 0;

        // The lock is usable at once: a dead holder's B is taken over.
        AllocationLock lock(archive().databaseFolder());
        QElapsedTimer clock;
        clock.start();
        ASSERT_TRUE(lock.acquire([&] { return clock.elapsed() > 1000; }).ok()) << "run " << i;
        ASSERT_TRUE(lock.release().ok());
    }
    qint64 waitingOrders = 0;
    {
        QSqlQuery q(*db().connection(DbFile::Archive));
        ASSERT_TRUE(q.exec(QStringLiteral("SELECT COUNT(*) FROM \"COPYOUT\"")) && q.next());
        waitingOrders = q.value(0).toLongLong();
    }

    // What the next start of a workstation does: hand over what is waiting, copy, check.
    QProcess repair;
    repair.setProcessEnvironment(consoleEnvironment());
    repair.start(bin(QStringLiteral("dovrelle-admin")),
                 {QStringLiteral("verify"), QStringLiteral("--repair"), QStringLiteral("--home"), archive().home()});
    ASSERT_TRUE(repair.waitForFinished(300000));
    EXPECT_EQ(repair.exitCode(), 0) << repair.readAllStandardOutput().toStdString()
                                    << repair.readAllStandardError().toStdString();

    int halfCards = 0;
    QSet<QString> missing;
    const auto all = cards();
    for (const auto &[card, rows] : all) {
        if (rows.size() != 3)
            ++halfCards;
        for (const DocumentRow &r : rows) {
            const QString stored = Archiver::storedPath(archive().fileServerFolder(), r);
            if (!QFileInfo::exists(stored))
                missing.insert(stored);
            else
                EXPECT_EQ(QFileInfo(stored).size(), r.size) << "a stored file is cut: " << stored.toStdString();
        }
    }
    EXPECT_EQ(halfCards, 0);
    EXPECT_TRUE(missing.isEmpty()) << QStringList(missing.cbegin(), missing.cend()).join(u' ').toStdString();
    // Nothing half-copied is left beside the stored files.
    for (const QFileInfo &series : QDir(archive().fileServerFolder()).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        for (const QString &name : QDir(series.filePath()).entryList(QDir::Files | QDir::Hidden))
            EXPECT_TRUE(name.contains(u'&')) << "left behind: " << name.toStdString() << " alive: "
                                             << QFileInfo::exists(u"/proc/"_s + name.section(u'-', 2, 2));
    }
    std::printf("kill loop (%s): a run takes %d ms; %d runs killed, %d ended before the kill, %zu cards, %lld "
                "orders found waiting in the archive, %d half cards, %lld files missing after the copier\n",
                GetParam() == Engine::SQLite ? "SQLite" : "PostgreSQL", runMs, kRuns - finished, finished, all.size(),
                waitingOrders, halfCards, qint64(missing.size()));
}

DOVRELLE_ON_BOTH_ENGINES(ArchivingProcesses);

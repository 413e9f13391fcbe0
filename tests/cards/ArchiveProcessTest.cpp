#include "base/SettingsFiles.h"
#include "baskets/FeedIndex.h"
#include "users/UserAdmin.h"
#include "cards/Archiver.h"
#include "ArchivingProcesses.h"
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
    const int kRuns = killRuns();
    constexpr int kFiles = 20;
    const QStringList files = sourceFiles(QStringLiteral("card"), kFiles);
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
        expectLockFree(i);
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
        if (rows.size() != kFiles)
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

TEST_P(ArchivingProcesses, KilledEditsLeaveTheOldCardOrTheNewAndNoFileWithoutItsRow)
{
    const int kRuns = killRuns();
    constexpr int kFiles = 20;
    const QString admin = QStringLiteral("dovrelle-admin");
    grantMaster();
    {
        QProcess first;
        first.setProcessEnvironment(consoleEnvironment());
        first.start(bin(admin), archiveArgs(sourceFiles(QStringLiteral("card"), kFiles)) << QStringLiteral("--wait"));
        ASSERT_TRUE(first.waitForFinished(120000));
        ASSERT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
    }
    const QStringList added = sourceFiles(QStringLiteral("added"), kRuns + 1);
    // Each edit takes out the card's first item and brings in a new file: a card of 20 items either way.
    auto editArgs = [&](int run) {
        return QStringList{QStringLiteral("edit"), QStringLiteral("1"), QStringLiteral("--home"), archive().home(),
                           QStringLiteral("--user"), QStringLiteral("MASTER"), QStringLiteral("--remove-item"),
                           QString::number(fileItems(1).constFirst()), QStringLiteral("--file"), added[run]};
    };
    const int runMs = wholeRunMs(admin, editArgs(kRuns));
    QRandomGenerator rng(11);
    int oldCards = 0, newCards = 0;
    for (int i = 0; i < kRuns; ++i) {
        const QList<qint32> before = fileItems(1);
        QProcessEnvironment env = consoleEnvironment();
        // Every fifth run is not killed but dies right after its commit, before the removed item's
        // file is deleted.
        const bool dies = i % 5 == 4;
        if (dies)
            env.insert(QStringLiteral("DOVRELLE_TEST_DIE_AFTER_COMMIT"), QStringLiteral("1"));
        runKilled(admin, editArgs(i), dies ? 60000 : runMs, rng, env);
        expectLockFree(i);
        const QList<qint32> after = fileItems(1);
        if (after == before) {
            ++oldCards;
            continue;
        }
        QList<qint32> expected = before.mid(1);
        ASSERT_EQ(after.size(), kFiles) << "run " << i;
        expected.append(after.constLast());
        EXPECT_EQ(after, expected) << "run " << i << ": neither the old card nor the new";
        EXPECT_GT(after.constLast(), before.constLast()) << "run " << i;
        ++newCards;
    }
    drainCopier();
    // The repair deletes what the dead saves had no time to delete; then nothing is out of order:
    // every row has its file, and no file of the card is left that no row names.
    expectVerified(true);
    expectVerified(false);
    const Result<QList<DocumentRow>> edited = CDFSet(db()).nonTextRows(1);
    for (const DocumentRow &r : *edited) {
        const QString stored = Archiver::storedPath(archive().fileServerFolder(), r);
        EXPECT_EQ(QFileInfo(stored).size(), r.size) << stored.toStdString();
    }
    std::printf("kill loop, edits (%s): a run takes %d ms; %d runs, %d left the old card, %d the new\n",
                GetParam() == Engine::SQLite ? "SQLite" : "PostgreSQL", runMs, kRuns, oldCards, newCards);
}

TEST_P(ArchivingProcesses, KilledDeletesLeaveTheWholeCardOrNoneAndKeepItsFiles)
{
    const int kRuns = killRuns();
    const QString admin = QStringLiteral("dovrelle-admin");
    const QStringList files = sourceFiles(QStringLiteral("card"), 3);
    grantMaster();
    auto archiveOne = [&]() -> qint32 {
        QProcess run;
        run.setProcessEnvironment(consoleEnvironment());
        run.start(bin(admin), archiveArgs(files) << QStringLiteral("--wait"));
        EXPECT_TRUE(run.waitForFinished(120000));
        EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
        // The card number is the first line; the copier's report follows it.
        return run.readAllStandardOutput().split('\n').constFirst().trimmed().toInt();
    };
    auto deleteArgs = [&](qint32 card) {
        return QStringList{QStringLiteral("delete"), QString::number(card), QStringLiteral("--home"), archive().home(),
                           QStringLiteral("--user"), QStringLiteral("MASTER")};
    };
    const int runMs = wholeRunMs(admin, deleteArgs(archiveOne()));
    QRandomGenerator rng(13);
    int kept = 0, deleted = 0;
    QStringList storedFiles;
    for (int i = 0; i < kRuns; ++i) {
        const qint32 card = archiveOne();
        ASSERT_GT(card, 0);
        const Result<QList<DocumentRow>> rows = CDFSet(db()).nonTextRows(card);
        for (const DocumentRow &r : *rows)
            storedFiles << Archiver::storedPath(archive().fileServerFolder(), r);
        runKilled(admin, deleteArgs(card), runMs, rng);
        expectLockFree(i);
        const qsizetype left = CDFSet(db()).cardRows(card)->size();
        EXPECT_TRUE(left == 0 || left == files.size()) << "run " << i << ": " << left << " rows left";
        (left == 0 ? deleted : kept) += 1;
    }
    // Deleting a card leaves its files in the store, and verify takes them for no fault.
    for (const QString &path : storedFiles)
        EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
    expectVerified(false);
    std::printf("kill loop, deletes (%s): a run takes %d ms; %d runs, %d cards kept, %d deleted\n",
                GetParam() == Engine::SQLite ? "SQLite" : "PostgreSQL", runMs, kRuns, kept, deleted);
}

TEST_P(ArchivingProcesses, AKilledCopierPlacesEveryFileWholeOnItsNextRun)
{
    const int kRuns = killRuns();
    constexpr int kFiles = 20;
    const QString admin = QStringLiteral("dovrelle-admin");
    const QString copier = QStringLiteral("dovrelle-fm");
    const QStringList copierArgs{QStringLiteral("--home"), archive().home(), QStringLiteral("--wait")};
    std::map<QString, QString> sourceOf; // stored path -> the file it was copied from
    // One card of 20 files a run, handed over to no copier: the killed copier finds the batch.
    auto archiveBatch = [&](int run) {
        const QStringList files = sourceFiles(QStringLiteral("run%1").arg(run), kFiles);
        QProcess a;
        a.setProcessEnvironment(consoleEnvironment());
        a.start(bin(admin), archiveArgs(files) << QStringLiteral("--no-copier"));
        EXPECT_TRUE(a.waitForFinished(120000));
        EXPECT_EQ(a.exitCode(), 0) << a.readAllStandardError().toStdString();
        const qint32 card = a.readAllStandardOutput().trimmed().toInt();
        const Result<QList<DocumentRow>> rows = CDFSet(db()).nonTextRows(card);
        EXPECT_EQ(rows->size(), kFiles);
        for (qsizetype k = 0; k < rows->size() && k < files.size(); ++k)
            sourceOf[Archiver::storedPath(archive().fileServerFolder(), rows->at(k))] = files[k];
    };
    archiveBatch(kRuns);
    const int runMs = wholeRunMs(copier, copierArgs);
    QRandomGenerator rng(17);
    int finished = 0;
    for (int i = 0; i < kRuns; ++i) {
        archiveBatch(i);
        finished += runKilled(copier, copierArgs, runMs, rng) ? 1 : 0;
    }
    drainCopier();
    expectVerified(false);
    // Every file arrived whole, with the bytes of its source, and no half copy is left behind.
    for (const auto &[stored, source] : sourceOf) {
        QFile a(stored), b(source);
        ASSERT_TRUE(a.open(QIODevice::ReadOnly)) << stored.toStdString();
        ASSERT_TRUE(b.open(QIODevice::ReadOnly));
        EXPECT_EQ(a.readAll(), b.readAll()) << stored.toStdString();
    }
    for (const QFileInfo &series : QDir(archive().fileServerFolder()).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        for (const QString &name : QDir(series.filePath()).entryList(QDir::Files | QDir::Hidden))
            EXPECT_TRUE(name.contains(u'&')) << "left behind: " << name.toStdString();
    }
    std::printf("kill loop, copier (%s): a run takes %d ms; %d runs, %d ended before the kill, %zu files placed\n",
                GetParam() == Engine::SQLite ? "SQLite" : "PostgreSQL", runMs, kRuns, finished, sourceOf.size());
}

// How long each workstation of the race runs: 10 s inside the ordinary tests, 60 in make soak.
int raceSeconds()
{
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("DOVRELLE_RACE_SECONDS", &ok);
    return ok && seconds > 0 ? seconds : 10;
}

TEST_P(ArchivingProcesses, FourWorkstationsRacingKeepOneConsistentArchive)
{
    constexpr int kWorkstations = 4;
    constexpr qint32 kBudget = 6000;
    const int seconds = raceSeconds();
    grantMaster();
    {
        // The search keeps to the classifications that exist and the user may open.
        QProcess add;
        add.setProcessEnvironment(consoleEnvironment());
        add.start(bin(QStringLiteral("dovrelle-admin")), {QStringLiteral("class"), QStringLiteral("add"), QStringLiteral("1"),
                                                          QStringLiteral("مراسلات"), QStringLiteral("--home"), archive().home()});
        ASSERT_TRUE(add.waitForFinished(60000));
        ASSERT_EQ(add.exitCode(), 0) << add.readAllStandardError().toStdString();
    }
    {
        // A second user, who receives the transfers beside MASTER.
        QProcess add;
        add.setProcessEnvironment(consoleEnvironment());
        add.start(bin(QStringLiteral("dovrelle-admin")), {QStringLiteral("user"), QStringLiteral("add"), QStringLiteral("CLERK"),
                                                          QStringLiteral("--password"), QStringLiteral("clerk-pw"),
                                                          QStringLiteral("--home"), archive().home()});
        ASSERT_TRUE(add.waitForFinished(60000));
        ASSERT_EQ(add.exitCode(), 0) << add.readAllStandardError().toStdString();
    }
    ASSERT_TRUE(SettingsFiles::writeSeriesBudget(archive().databaseFolder(), kBudget).ok());
    const QString feed = m_sources.filePath(QStringLiteral("feed"));
    // Each workstation picks an operation at random, again and again, and prints one line for
    // each: the operation, its exit status and the milliseconds it took (its wait for the
    // allocation lock included). Edits and deletes name a card number at random: one that is gone
    // or never was is refused, which the messages below allow.
    const QString script = QStringLiteral(R"sh(
end=$((SECONDS + DURATION)); i=0
while [ $SECONDS -lt $end ]; do
  i=$((i + 1)); started=$(date +%s%N); card=$((RANDOM % (4 * i + 8) + 1))
  case $((RANDOM % 11)) in
    0|1|2|3) op=archive; "$ADMIN" archive --home "$ARCHIVE" --user MASTER --class 1 --name "سباق $STATION-$i" --file "$SOURCE" ;;
    4|5) op=edit; "$ADMIN" edit $card --home "$ARCHIVE" --user MASTER --file "$SOURCE" --name "سباق $STATION-$i-e" ;;
    6) op=delete; "$ADMIN" delete $card --home "$ARCHIVE" --user MASTER ;;
    7|8) op=search; "$ADMIN" search --home "$ARCHIVE" --user MASTER --phrase "سباق" ;;
    9) op=feed; "$FEED" add --folder "$FEEDFOLDER" --index race.idx --text "$STATION {n}" ;;
    10) op=transfer; "$ADMIN" transfer "$SOURCE" --home "$ARCHIVE" --to MASTER,CLERK ;;
  esac > /dev/null 2>> "$ERRORS"
  status=$?
  echo "$op $status $(( ($(date +%s%N) - started) / 1000000 ))"
done
)sh");
    std::vector<std::unique_ptr<QProcess>> stations;
    std::map<QString, QByteArray> sent; // the file each workstation transfers, by name
    for (int w = 0; w < kWorkstations; ++w) {
        QProcessEnvironment env = consoleEnvironment();
        env.insert(QStringLiteral("DURATION"), QString::number(seconds));
        env.insert(QStringLiteral("ADMIN"), bin(QStringLiteral("dovrelle-admin")));
        env.insert(QStringLiteral("FEED"), bin(QStringLiteral("dovrelle-feed")));
        env.insert(QStringLiteral("ARCHIVE"), archive().home());
        env.insert(QStringLiteral("STATION"), QString::number(w + 1));
        // The general search looks at file names: every item of the race holds the word searched for.
        const QString source = sourceFile(QStringLiteral("سباق%1.txt").arg(w), 700 + 100 * w);
        env.insert(QStringLiteral("SOURCE"), source);
        QFile sourceBytes(source);
        EXPECT_TRUE(sourceBytes.open(QIODevice::ReadOnly));
        sent[QFileInfo(source).fileName()] = sourceBytes.readAll();
        env.insert(QStringLiteral("FEEDFOLDER"), feed);
        env.insert(QStringLiteral("ERRORS"), m_sources.filePath(QStringLiteral("errors%1.txt").arg(w)));
        auto station = std::make_unique<QProcess>();
        station->setProcessEnvironment(env);
        station->start(QStringLiteral("bash"), {QStringLiteral("-c"), script});
        ASSERT_TRUE(station->waitForStarted());
        stations.push_back(std::move(station));
    }
    std::map<QString, int> done, refused;
    std::map<QString, qint64> slowest;
    for (int w = 0; w < kWorkstations; ++w) {
        ASSERT_TRUE(stations[w]->waitForFinished((seconds + 120) * 1000));
        for (const QByteArray &line : stations[w]->readAllStandardOutput().split('\n')) {
            const QList<QByteArray> f = line.split(' ');
            if (f.size() != 3)
                continue;
            const QString op = QString::fromLatin1(f[0]);
            (f[1] == "0" ? done : refused)[op] += 1;
            slowest[op] = std::max(slowest[op], f[2].toLongLong());
        }
        // A refusal is a card that is gone or never was; anything else is a fault.
        QFile errors(m_sources.filePath(QStringLiteral("errors%1.txt").arg(w)));
        if (errors.open(QIODevice::ReadOnly)) {
            for (const QString &line : QString::fromUtf8(errors.readAll()).split(u'\n', Qt::SkipEmptyParts))
                EXPECT_TRUE(line.contains(Archiver::noSuchCardMessage(0).section(u' ', 0, 2))) << line.toStdString();
        }
    }
    EXPECT_EQ(refused[QStringLiteral("archive")] + refused[QStringLiteral("search")] + refused[QStringLiteral("feed")]
                  + refused[QStringLiteral("transfer")],
              0);
    // Each receiver holds, whole, the last copy of every file a workstation sent, and nothing else.
    if (done[QStringLiteral("transfer")] > 0) {
        for (const QString &user : {QStringLiteral("MASTER"), QStringLiteral("CLERK")}) {
            const QString received = receivedFilesFolder(archive().databaseFolder(), user);
            for (const QString &name : QDir(received).entryList(QDir::Files | QDir::Hidden)) {
                ASSERT_TRUE(sent.count(name)) << user.toStdString() << " received " << name.toStdString();
                QFile got(received + u'/' + name);
                ASSERT_TRUE(got.open(QIODevice::ReadOnly));
                EXPECT_EQ(got.readAll(), sent[name]) << user.toStdString() << ": " << name.toStdString();
            }
            EXPECT_FALSE(QDir(received).isEmpty()) << user.toStdString() << " received nothing";
        }
    }
    drainCopier();
    expectVerified(true);
    expectVerified(false);

    // No card number was given out twice (each archiving names its card after itself, and an edit
    // renames every row), no item number twice in a card, no series over its budget.
    std::map<QString, qint64> seriesBytes;
    qint64 rows = 0;
    for (const auto &[card, cardRows] : cards()) {
        QSet<qint32> items;
        for (const DocumentRow &r : cardRows) {
            EXPECT_EQ(r.cardName, cardRows.constFirst().cardName) << "card " << card << " was given out twice";
            EXPECT_FALSE(items.contains(r.itemNumber)) << "card " << card << " item " << r.itemNumber;
            items.insert(r.itemNumber);
            seriesBytes[r.seriesFolder] += r.size;
            ++rows;
        }
    }
    for (const auto &[series, bytes] : seriesBytes)
        EXPECT_LE(bytes, kBudget) << series.toStdString();
    // A search at rest finds exactly the rows there are.
    QProcess search;
    search.setProcessEnvironment(consoleEnvironment());
    search.start(bin(QStringLiteral("dovrelle-admin")), {QStringLiteral("search"), QStringLiteral("--home"), archive().home(),
                                                         QStringLiteral("--user"), QStringLiteral("MASTER"),
                                                         QStringLiteral("--phrase"), QStringLiteral("سباق")});
    ASSERT_TRUE(search.waitForFinished(120000));
    ASSERT_EQ(search.exitCode(), 0) << search.readAllStandardError().toStdString();
    const QByteArray found = search.readAllStandardOutput();
    EXPECT_EQ(found.count('\n'), rows) << found.toStdString() << search.readAllStandardError().toStdString();
    // The feed's records are whole and numbered by their places.
    QFile index(feed + QStringLiteral("/race.idx"));
    if (done[QStringLiteral("feed")] > 0) {
        ASSERT_TRUE(index.open(QIODevice::ReadOnly));
        const QByteArray bytes = index.readAll();
        EXPECT_EQ(bytes.size() % FeedIndex::kRecordSize, 0);
        EXPECT_EQ(bytes.size() / FeedIndex::kRecordSize, done[QStringLiteral("feed")]);
        for (qsizetype at = 0; at + FeedIndex::kRecordSize <= bytes.size(); at += FeedIndex::kRecordSize)
            EXPECT_EQ(FeedIndex::parseRecord(bytes.mid(at, FeedIndex::kRecordSize)).sequence, at / FeedIndex::kRecordSize);
    }
    int total = 0;
    for (const auto &[op, n] : done)
        total += n;
    for (const auto &[op, n] : refused)
        total += n;
    std::printf("race (%s): %d workstations for %d s, %.1f operations a second; done/refused/slowest ms: "
                "archive %d/%d/%lld, edit %d/%d/%lld, delete %d/%d/%lld, search %d/%d/%lld, feed %d/%d/%lld, "
                "transfer %d/%d/%lld; "
                "%zu cards, %lld rows, %zu series\n",
                GetParam() == Engine::SQLite ? "SQLite" : "PostgreSQL", kWorkstations, seconds, double(total) / seconds,
                done[u"archive"_s], refused[u"archive"_s], slowest[u"archive"_s], done[u"edit"_s], refused[u"edit"_s],
                slowest[u"edit"_s], done[u"delete"_s], refused[u"delete"_s], slowest[u"delete"_s], done[u"search"_s],
                refused[u"search"_s], slowest[u"search"_s], done[u"feed"_s], refused[u"feed"_s], slowest[u"feed"_s],
                done[u"transfer"_s], refused[u"transfer"_s], slowest[u"transfer"_s],
                cards().size(), rows, seriesBytes.size());
}

DOVRELLE_ON_BOTH_ENGINES(ArchivingProcesses);

#include "FeedTestSupport.h"

#include "base/Cp1256.h"
#include "baskets/FeedIndex.h"
#include "baskets/FeedWriter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

class FeedWriterRuns : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_feed = m_dir.path() + u"/feed"_s;
        m_jpeg = FeedTest::writeJpeg(m_dir.path() + u"/scan.jpg"_s);
        m_other = m_dir.path() + u"/report.pdf"_s;
        FeedTest::writeBytes(m_other, QByteArray("%PDF-1.4 not really a pdf\n") + QByteArray(5000, 'p'));
    }

    QString indexPath() const { return m_feed + u"/in.idx"_s; }

    FeedTest::Run add(const QStringList &rest) { return FeedTest::add(m_feed, u"in.idx"_s, rest); }

    // The writer run inside the test, as the program runs one round: checked first, then added,
    // one "sequence<TAB>name" line per item; 1 when the check or the round failed.
    FeedTest::Run write(const QStringList &files, const QStringList &texts = {})
    {
        FeedWriter::Request request;
        request.files = files;
        request.texts = texts;
        FeedWriter writer(m_feed, u"in.idx"_s);
        FeedTest::Run run;
        run.finished = true;
        Status status = writer.check(request);
        QList<FeedWriter::Added> added;
        if (status)
            status = writer.add(request, added);
        for (const FeedWriter::Added &item : std::as_const(added))
            run.out += QString::number(item.sequence) + u'\t' + item.name + u'\n';
        run.err = status.error();
        run.exitCode = status ? 0 : 1;
        return run;
    }

    QList<IndexRecord> records() const
    {
        const QByteArray bytes = FeedTest::readAll(indexPath());
        QList<IndexRecord> out;
        for (qsizetype at = 0; at + 400 <= bytes.size(); at += 400)
            out.append(FeedIndex::parseRecord(bytes.mid(at, 400)));
        return out;
    }

    QTemporaryDir m_dir;
    QString m_feed;
    QString m_jpeg;
    QString m_other;
};

} // namespace

TEST_F(FeedWriterRuns, EachFileIsCopiedWholeAndRecordedAtItsPosition)
{
    const FeedTest::Run run = write({m_jpeg, m_other});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, u"0\tscan.jpg\n1\treport.pdf\n"_s);
    EXPECT_EQ(QFileInfo(indexPath()).size(), 800);
    const QList<IndexRecord> written = records();
    ASSERT_EQ(written.size(), 2);
    EXPECT_EQ(written[0].sequence, 0);
    EXPECT_EQ(written[0].name, u"scan.jpg"_s);
    EXPECT_EQ(written[1].sequence, 1);
    EXPECT_EQ(written[1].name, u"report.pdf"_s);
    EXPECT_EQ(FeedTest::readAll(m_feed + u"/scan.jpg"_s), FeedTest::readAll(m_jpeg));
    EXPECT_EQ(FeedTest::readAll(m_feed + u"/report.pdf"_s), FeedTest::readAll(m_other));
    // Nothing but the items and the index.
    EXPECT_EQ(FeedTest::entries(m_feed), (QStringList{u"in.idx"_s, u"report.pdf"_s, u"scan.jpg"_s}));
}

TEST_F(FeedWriterRuns, TakenNamesGetTheSequenceNumberAndOldRecordsKeepTheirFile)
{
    ASSERT_EQ(write({m_jpeg, m_jpeg}).exitCode, 0);
    // The first item goes; a new one of the same name must not become what record 0 names.
    ASSERT_TRUE(QFile::remove(m_feed + u"/scan.jpg"_s));
    const FeedTest::Run again = write({m_jpeg});
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    QStringList names;
    for (const IndexRecord &r : records())
        names.append(r.name);
    EXPECT_EQ(names, (QStringList{u"scan.jpg"_s, u"scan-1.jpg"_s, u"scan-2.jpg"_s}));
    EXPECT_TRUE(QFile::exists(m_feed + u"/scan-2.jpg"_s));
    EXPECT_FALSE(QFile::exists(m_feed + u"/scan.jpg"_s));
}

TEST_F(FeedWriterRuns, TextItemsHoldTheMessageInCodePage1256)
{
    const FeedTest::Run run = write({}, {u"رسالة رقم {n}"_s, u"second"_s});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QList<IndexRecord> written = records();
    ASSERT_EQ(written.size(), 2);
    EXPECT_EQ(written[0].name, u"text-0.txt"_s);
    EXPECT_EQ(FeedTest::readAll(m_feed + u"/text-0.txt"_s), *Cp1256::encode(u"رسالة رقم 0"_s));
    EXPECT_EQ(FeedTest::readAll(m_feed + u"/text-1.txt"_s), QByteArray("second"));

    // Messages the reader could not give back are refused before anything is written.
    const FeedTest::Run refused = write({}, {u"漢字"_s});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_FALSE(refused.err.isEmpty());
    const FeedTest::Run tooLong = write({}, {QString(10001, u'x')});
    EXPECT_EQ(tooLong.exitCode, 1);
    EXPECT_EQ(records().size(), 2);
}

TEST_F(FeedWriterRuns, ADamagedIndexIsLeftAloneAndNothingIsAdded)
{
    ASSERT_TRUE(QDir().mkpath(m_feed));
    const QByteArray damaged = FeedTest::record(0, u"a.jpg"_s) + FeedTest::record(1, u"b.jpg"_s).left(300);
    FeedTest::writeBytes(indexPath(), damaged);
    const FeedTest::Run run = write({m_jpeg});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(u"700"_s)) << run.err.toStdString();
    EXPECT_EQ(FeedTest::readAll(indexPath()), damaged);
    EXPECT_EQ(FeedTest::entries(m_feed), QStringList{u"in.idx"_s});
}

TEST_F(FeedWriterRuns, BadArgumentsAndBadFilesWriteNothing)
{
    EXPECT_EQ(FeedTest::runTool({u"add"_s, u"--index"_s, u"in.idx"_s, m_jpeg}).exitCode, 2);
    EXPECT_EQ(FeedTest::runTool({u"remove"_s, u"--folder"_s, m_feed, u"--index"_s, u"in.idx"_s}).exitCode, 2);
    EXPECT_EQ(add({u"--every"_s, u"soon"_s, m_jpeg}).exitCode, 2);
    EXPECT_EQ(add({u"--count"_s, u"0"_s, m_jpeg}).exitCode, 2);
    // A missing file among good ones: not even the good ones go in.
    const FeedTest::Run missing = add({m_jpeg, m_dir.path() + u"/nothing.jpg"_s});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains(u"nothing.jpg"_s));
    EXPECT_EQ(add({}).exitCode, 1);
    const QString asIndex = m_dir.path() + u"/old.idx"_s;
    FeedTest::writeBytes(asIndex, "x");
    EXPECT_EQ(add({asIndex}).exitCode, 1);
    EXPECT_EQ(FeedTest::add(m_feed, u"index.dat"_s, {m_jpeg}).exitCode, 1);
    EXPECT_EQ(FeedTest::add(m_feed, u"../in.idx"_s, {m_jpeg}).exitCode, 1);
    EXPECT_FALSE(QFileInfo::exists(m_feed));
}

TEST_F(FeedWriterRuns, TwoWritersAtOnceNeverShareASequenceNumber)
{
    const QStringList arguments{u"add"_s,    u"--folder"_s, m_feed,   u"--index"_s, u"in.idx"_s,
                                u"--every"_s, u"0"_s,        u"--count"_s, u"15"_s,    m_jpeg};
    QProcess first;
    QProcess second;
    first.start(FeedTest::toolPath(), arguments);
    second.start(FeedTest::toolPath(), arguments);
    ASSERT_TRUE(first.waitForFinished(120000));
    ASSERT_TRUE(second.waitForFinished(120000));
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();

    const QList<IndexRecord> written = records();
    ASSERT_EQ(written.size(), 30);
    QSet<QString> names;
    for (int p = 0; p < written.size(); ++p) {
        EXPECT_EQ(written[p].sequence, p);
        names.insert(written[p].name);
        EXPECT_EQ(FeedTest::readAll(m_feed + u'/' + written[p].name), FeedTest::readAll(m_jpeg)) << p;
    }
    EXPECT_EQ(names.size(), 30);
    EXPECT_EQ(FeedTest::entries(m_feed).size(), 31);
}

TEST_F(FeedWriterRuns, KeepsFeedingAtItsPaceAndStopsCleanlyWhenAsked)
{
    QProcess writer;
    writer.start(FeedTest::toolPath(), {u"add"_s, u"--folder"_s, m_feed, u"--index"_s, u"in.idx"_s, u"--every"_s,
                                        u"0.05"_s, u"--text"_s, u"tick {n}"_s, m_jpeg});
    ASSERT_TRUE(writer.waitForStarted());
    QElapsedTimer timer;
    timer.start();
    while (QFileInfo(indexPath()).size() < 8 * 400 && timer.elapsed() < 30000)
        QThread::msleep(20);
    ASSERT_GE(QFileInfo(indexPath()).size(), 8 * 400);
    writer.terminate();
    ASSERT_TRUE(writer.waitForFinished(5000));
    EXPECT_EQ(writer.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(writer.exitCode(), 0);

    const qint64 size = QFileInfo(indexPath()).size();
    EXPECT_EQ(size % 400, 0);
    const QList<IndexRecord> written = records();
    // Every record names a file that is there; no temporary file is left.
    for (const IndexRecord &r : written)
        EXPECT_TRUE(QFile::exists(m_feed + u'/' + r.name)) << r.name.toStdString();
    EXPECT_EQ(FeedTest::entries(m_feed).size(), written.size() + 1);
    // Pictures and texts take turns, each round numbering its text after itself.
    EXPECT_EQ(FeedTest::readAll(m_feed + u"/text-1.txt"_s), QByteArray("tick 1"));
}

TEST_F(FeedWriterRuns, AWriterKilledAtAnyMomentLeavesOnlyWholeRecordsOfWholeItems)
{
    bool ok = false;
    const int envRuns = qEnvironmentVariableIntValue("DOVRELLE_KILL_RUNS", &ok);
    const int runs = ok && envRuns > 0 ? envRuns : 20;
    const QStringList arguments{u"add"_s,    u"--folder"_s, m_feed,       u"--index"_s, u"in.idx"_s, u"--every"_s,
                                u"0"_s,      u"--count"_s,  u"4"_s,        u"--text"_s,  u"m {n}"_s,  m_jpeg};
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(FeedTest::runTool(arguments).exitCode, 0);
    const int runMs = int(std::max<qint64>(clock.elapsed(), 20));
    const QByteArray picture = FeedTest::readAll(m_jpeg);
    QRandomGenerator rng(23);
    int killed = 0;
    auto checkIndex = [&](int run) {
        ASSERT_EQ(QFileInfo(indexPath()).size() % 400, 0) << "run " << run << ": a record cut short";
        const QList<IndexRecord> written = records();
        for (int p = 0; p < written.size(); ++p) {
            ASSERT_EQ(written[p].sequence, p) << "run " << run;
            const QByteArray item = FeedTest::readAll(m_feed + u'/' + written[p].name);
            if (written[p].name.endsWith(u".txt"_s))
                EXPECT_EQ(item, u"m %1"_s.arg(p).toLatin1()) << "run " << run << ": " << written[p].name.toStdString();
            else
                EXPECT_EQ(item, picture) << "run " << run << ": " << written[p].name.toStdString();
        }
    };
    for (int i = 0; i < runs; ++i) {
        QProcess writer;
        writer.start(FeedTest::toolPath(), arguments);
        ASSERT_TRUE(writer.waitForStarted());
        if (!writer.waitForFinished(int(rng.bounded(runMs)))) {
            ::kill(pid_t(writer.processId()), SIGKILL);
            writer.waitForFinished(10000);
            ++killed;
        }
        checkIndex(i);
    }
    // After the next writer that runs whole, no temporary file of a dead writer is left. A writer
    // killed between placing an item and appending its record leaves that item unannounced: a
    // whole copy that no record names, never a part of one.
    ASSERT_EQ(FeedTest::runTool(arguments).exitCode, 0);
    checkIndex(runs);
    QSet<QString> named{u"in.idx"_s};
    for (const IndexRecord &r : records())
        named.insert(r.name);
    int unannounced = 0;
    for (const QString &name : FeedTest::entries(m_feed)) {
        if (named.contains(name))
            continue;
        ++unannounced;
        EXPECT_FALSE(name.startsWith(u".dovrelle-feed-"_s)) << "left behind: " << name.toStdString();
        if (name.endsWith(u".jpg"_s)) {
            EXPECT_EQ(FeedTest::readAll(m_feed + u'/' + name), picture) << name.toStdString();
        }
    }
    std::printf("kill loop, feed writer: a run takes %d ms; %d runs, %d killed, %lld records, %d items unannounced\n",
                runMs, runs, killed, qint64(records().size()), unannounced);
}

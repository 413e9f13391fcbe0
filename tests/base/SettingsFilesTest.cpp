#include "app/SystemSettings.h"
#include "base/AppState.h"
#include "base/FixedRecord.h"
#include "base/SettingsFiles.h"
#include "db/AllocationLock.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <map>

#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class SettingsFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_home = m_dir.path();
        m_db = m_home + QStringLiteral("/DataBase");
        QDir().mkpath(m_db);
    }

    // Every settings file and the paths file, by name.
    std::map<QString, QByteArray> snapshot() const
    {
        std::map<QString, QByteArray> files;
        for (const QString &name : QDir(m_db).entryList(QDir::Files))
            files[name] = fileBytes(m_db + u'/' + name);
        files[QStringLiteral("pathes.txt")] = fileBytes(PathsFile::path(m_home));
        return files;
    }

    SystemSettings sample() const
    {
        SystemSettings s;
        s.companyName = QStringLiteral("شركة الوثائق");
        s.databaseFolder = m_db;
        s.fileServerFolder = QStringLiteral("/srv/store");
        s.scannerFolder = QStringLiteral("/srv/scan");
        s.faxFolder = QStringLiteral("/srv/fax");
        s.markingMode = QStringLiteral("بالتاريخ");
        s.seriesBudget = QStringLiteral("650000000");
        s.seriesNumber = QStringLiteral("10");
        s.startDate = PathsFile::formatStartDate(QDate(2006, 3, 5));
        s.feeds[0] = {7, FeedRecord::Images, QStringLiteral("الماسح"), QStringLiteral("/srv/feeds/scan")};
        s.feeds[2] = {0, FeedRecord::Text, QStringLiteral("الرسائل"), QStringLiteral("/srv/feeds/sms")};
        return s;
    }

    QTemporaryDir m_dir;
    QString m_home;
    QString m_db;
};

} // namespace

TEST_F(SettingsFolder, FeedRecordsAreLaidOutByteForByte)
{
    FeedList feeds;
    feeds[1] = {2, FeedRecord::Images, QStringLiteral("صور"), QStringLiteral("/in")};
    const Result<QByteArray> bytes = SettingsFiles::composeFeeds(feeds);
    ASSERT_TRUE(bytes.ok());
    ASSERT_EQ(bytes->size(), 2880);
    QByteArray expected(288, '\0');
    expected.replace(0, 8, QByteArray("\x02\0\0\0\x02\0\0\0", 8));
    expected.replace(8, 3, "\xD5\xE6\xD1");
    expected.replace(88, 3, "/in");
    EXPECT_EQ(bytes->mid(288, 288), expected);
    EXPECT_EQ(bytes->left(288), QByteArray(288, '\0'));
    EXPECT_EQ(SettingsFiles::parseFeeds(*bytes)[1].name, QStringLiteral("صور"));
}

TEST_F(SettingsFolder, FieldLimitsAreEnforcedAtTheirLastByte)
{
    FeedList feeds;
    feeds[3].name = QString(79, u'n');
    feeds[3].folder = QString(199, u'f');
    EXPECT_TRUE(SettingsFiles::composeFeeds(feeds).ok());
    feeds[3].name = QString(80, u'n');
    const Result<QByteArray> longName = SettingsFiles::composeFeeds(feeds);
    ASSERT_FALSE(longName.ok());
    EXPECT_TRUE(longName.error().contains(QStringLiteral("المصدر 4")));
    feeds[3].name.chop(1);
    feeds[3].folder += u'f';
    EXPECT_FALSE(SettingsFiles::composeFeeds(feeds).ok());

    EXPECT_TRUE(SettingsFiles::composeCompanyName(QString(559, u'c')).ok());
    EXPECT_FALSE(SettingsFiles::composeCompanyName(QString(560, u'c')).ok());
    const Result<QByteArray> company = SettingsFiles::composeCompanyName(QStringLiteral("الشركة"));
    ASSERT_TRUE(company.ok());
    EXPECT_EQ(company->size(), 560);
}

TEST_F(SettingsFolder, DamagedOrShortFilesReadAsZerosWithoutCrashing)
{
    // Half a record: the first feed keeps what it has, the rest is empty.
    QByteArray partial(300, '\0');
    partial.replace(0, 4, QByteArray("\x05\0\0\0", 4));
    partial.replace(8, 4, "abcd"); // no terminating zero inside the file
    writeBytes(SettingsFiles::feedsPath(m_db), partial.left(12));
    const FeedList feeds = SettingsFiles::readFeeds(m_db);
    EXPECT_EQ(feeds[0].number, 5);
    EXPECT_EQ(feeds[0].name, QStringLiteral("abcd"));
    EXPECT_EQ(feeds[9].number, 0);

    // A name field filled to its end with no zero byte stops at the field's end.
    QByteArray full(2880, 'x');
    writeBytes(SettingsFiles::feedsPath(m_db), full);
    EXPECT_EQ(SettingsFiles::readFeeds(m_db)[0].name.size(), 80);
    EXPECT_EQ(SettingsFiles::readFeeds(m_db)[9].folder.size(), 200);

    // Numbers shorter than four bytes count as 0, as do missing files.
    writeBytes(SettingsFiles::seriesNumberPath(m_db), QByteArray("\x0A\0", 2));
    EXPECT_EQ(SettingsFiles::readSeriesNumber(m_db), 0);
    EXPECT_EQ(SettingsFiles::readSeriesBudget(m_db), 0);
    EXPECT_TRUE(SettingsFiles::readCompanyName(m_db).isEmpty());
}

TEST_F(SettingsFolder, SeriesNumberTenIsStoredAs0A000000)
{
    ASSERT_TRUE(SettingsFiles::writeSeriesNumber(m_db, 10).ok());
    EXPECT_EQ(fileBytes(SettingsFiles::seriesNumberPath(m_db)), QByteArray("\x0A\0\0\0", 4));
    EXPECT_EQ(SettingsFiles::readSeriesNumber(m_db), 10);
    ASSERT_TRUE(SettingsFiles::writeSeriesBudget(m_db, 650000000).ok());
    EXPECT_EQ(fileBytes(SettingsFiles::seriesBudgetPath(m_db)), QByteArray("\x80\x36\xBE\x26", 4));
}

TEST_F(SettingsFolder, FeedTypeCellTexts)
{
    EXPECT_EQ(SettingsFiles::feedTypeFromText(QStringLiteral("صور")), FeedRecord::Images);
    EXPECT_EQ(SettingsFiles::feedTypeFromText(QStringLiteral("ملف")), FeedRecord::File);
    EXPECT_EQ(SettingsFiles::feedTypeFromText(QStringLiteral("نص")), FeedRecord::Text);
    EXPECT_EQ(SettingsFiles::feedTypeFromText(QString()), FeedRecord::None);
    EXPECT_EQ(SettingsFiles::feedTypeText(2), QStringLiteral("صور"));
    EXPECT_TRUE(SettingsFiles::feedTypeText(9).isEmpty());
}

TEST_F(SettingsFolder, SaveWritesEveryFileAndLoadReadsItBack)
{
    writeBytes(SettingsFiles::unusedConsPath(m_db), "old content");
    const SystemSettings s = sample();
    ASSERT_TRUE(s.save(m_home, m_db).ok());

    EXPECT_EQ(fileBytes(SettingsFiles::unusedConsPath(m_db)).size(), 0);
    const SystemSettings back = SystemSettings::load(m_home, m_db);
    EXPECT_EQ(back.companyName, s.companyName);
    EXPECT_EQ(back.fileServerFolder, s.fileServerFolder);
    EXPECT_EQ(back.markingMode, s.markingMode);
    EXPECT_EQ(back.startDate, QStringLiteral("5/3/2006"));
    EXPECT_EQ(back.seriesNumber, QStringLiteral("10"));
    EXPECT_EQ(back.feeds[0].name, s.feeds[0].name);
    EXPECT_EQ(back.feeds[2].type, FeedRecord::Text);
    // The stored number of a feed is its row number, whatever it held.
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(back.feeds[i].number, i + 1);

    // Saving what was loaded rewrites every file with the same bytes.
    const auto before = snapshot();
    ASSERT_TRUE(back.save(m_home, m_db).ok());
    EXPECT_EQ(snapshot(), before);
}

TEST_F(SettingsFolder, RefusedValueWritesNothingAtAll)
{
    ASSERT_TRUE(sample().save(m_home, m_db).ok());
    const auto before = snapshot();

    SystemSettings tooLong = sample();
    tooLong.feeds[9].folder = QString(200, u'/');
    const Status folder = tooLong.save(m_home, m_db);
    ASSERT_FALSE(folder.ok());
    EXPECT_TRUE(folder.error().contains(QStringLiteral("المصدر 10")));
    EXPECT_EQ(snapshot(), before);

    SystemSettings hugeBudget = sample();
    hugeBudget.seriesBudget = QStringLiteral("4700000000");
    const Status budget = hugeBudget.save(m_home, m_db);
    ASSERT_FALSE(budget.ok());
    EXPECT_TRUE(budget.error().contains(QStringLiteral("حجم المعلومات لكل قرص")));
    EXPECT_EQ(snapshot(), before);

    SystemSettings badChar = sample();
    badChar.companyName = QStringLiteral("公司");
    EXPECT_FALSE(badChar.save(m_home, m_db).ok());
    EXPECT_EQ(snapshot(), before);
}

TEST(FixedRecordParse, NumbersAreReadLikeTheFormReadsThem)
{
    struct Case
    {
        const char16_t *text;
        qint32 value;
    } cases[] = {
        {u"650000000", 650000000}, {u"  -12", -12},       {u"abc", 0},
        {u"", 0},                  {u"12abc", 12},        {u"١٠", 10},
        {u"2147483647", 2147483647}, {u"-2147483648", -2147483647 - 1},
    };
    for (const Case &c : cases) {
        const Result<qint32> r = FixedRecord::parseInt32(QString::fromUtf16(c.text), QStringLiteral("f"));
        ASSERT_TRUE(r.ok()) << QString::fromUtf16(c.text).toStdString();
        EXPECT_EQ(*r, c.value) << QString::fromUtf16(c.text).toStdString();
    }
    EXPECT_FALSE(FixedRecord::parseInt32(QStringLiteral("2147483648"), QStringLiteral("f")).ok());
    EXPECT_FALSE(FixedRecord::parseInt32(QStringLiteral("99999999999999999999"), QStringLiteral("f")).ok());
    EXPECT_FALSE(FixedRecord::parseInt32(QStringLiteral("-2147483649"), QStringLiteral("f")).ok());
}

TEST_F(SettingsFolder, ResetWritesTheSingleByteA)
{
    writeBytes(AllocationLock::path(m_db), "BBBB");
    ASSERT_TRUE(AllocationLock::reset(m_db).ok());
    EXPECT_EQ(fileBytes(AllocationLock::path(m_db)), QByteArray("A"));
}

TEST_F(SettingsFolder, AJournalLeftByADeadSaveIsFinishedOrUndoneAtTheNextStart)
{
    const QString journal = PathsFile::settingsJournalPath(m_home);
    QDir().mkpath(m_home + QStringLiteral("/COM"));
    const QString feeds = SettingsFiles::feedsPath(m_db), company = SettingsFiles::companyPath(m_db);
    writeBytes(feeds, "old feeds");
    writeBytes(company, "old company");

    // Died before its commit: the new contents go, the files stay as they were.
    writeBytes(journal, (feeds + u'\n' + company + u'\n').toUtf8());
    writeBytes(feeds + QStringLiteral(".new"), "new feeds");
    AppState::load(m_home);
    EXPECT_EQ(fileBytes(feeds), "old feeds");
    EXPECT_FALSE(QFile::exists(feeds + QStringLiteral(".new")));
    EXPECT_FALSE(QFile::exists(journal));

    // Died among its renames after the commit: the rest are renamed.
    writeBytes(journal, (feeds + u'\n' + company + u'\n').toUtf8() + "commit\n");
    writeBytes(company + QStringLiteral(".new"), "new company");
    writeBytes(feeds, "new feeds"); // renamed already
    AppState::load(m_home);
    EXPECT_EQ(fileBytes(feeds), "new feeds");
    EXPECT_EQ(fileBytes(company), "new company");
    EXPECT_FALSE(QFile::exists(company + QStringLiteral(".new")));
    EXPECT_FALSE(QFile::exists(journal));
}

TEST_F(SettingsFolder, ASaveKilledAtAnyMomentLeavesTheOldFilesOrTheNewNeverAMix)
{
    bool ok = false;
    const int envRuns = qEnvironmentVariableIntValue("DOVRELLE_KILL_RUNS", &ok);
    const int runs = ok && envRuns > 0 ? envRuns : 20;
    const SystemSettings first = sample();
    SystemSettings second = sample();
    second.companyName = QStringLiteral("مكتب الأرشيف");
    second.fileServerFolder = QStringLiteral("/srv/other-store");
    second.seriesBudget = QStringLiteral("700000000");
    second.seriesNumber = QStringLiteral("11");
    second.feeds[0].name = QStringLiteral("الفاكس");
    ASSERT_TRUE(second.save(m_home, m_db).ok());
    const auto secondFiles = snapshot();
    // A whole save in a child of its own, as the loop runs it: the kills fall within that time.
    QElapsedTimer clock;
    clock.start();
    const pid_t timed = ::fork();
    ASSERT_GE(timed, 0);
    if (timed == 0)
        ::_exit(first.save(m_home, m_db).ok() ? 0 : 1);
    int timedStatus = 0;
    ::waitpid(timed, &timedStatus, 0);
    ASSERT_TRUE(WIFEXITED(timedStatus) && WEXITSTATUS(timedStatus) == 0);
    const qint64 saveUs = std::max<qint64>(clock.nsecsElapsed() / 1000, 100);
    const auto firstFiles = snapshot();
    ASSERT_NE(firstFiles, secondFiles);

    QRandomGenerator rng(19);
    int asBefore = 0, asAfter = 0;
    bool onFirst = true;
    for (int i = 0; i < runs; ++i) {
        const SystemSettings &next = onFirst ? second : first;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            ::_exit(next.save(m_home, m_db).ok() ? 0 : 1);
        ::usleep(useconds_t(rng.bounded(int(saveUs))));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        AppState::load(m_home);
        const auto now = snapshot();
        const auto &before = onFirst ? firstFiles : secondFiles;
        const auto &after = onFirst ? secondFiles : firstFiles;
        ASSERT_TRUE(now == before || now == after) << "run " << i << ": the files are a mix of two saves";
        if (now == after) {
            onFirst = !onFirst;
            ++asAfter;
        } else {
            ++asBefore;
        }
    }
    std::printf("kill loop, settings save: a save takes %lld us; %d runs, %d left the old files, %d the new\n",
                saveUs, runs, asBefore, asAfter);
}

// A file that cannot be written says why in Arabic, with the file's name, and nothing is left.
TEST_F(SettingsFolder, AWriteIntoAFolderThatIsGoneSaysSoInArabic)
{
    const QString gone = m_home + QStringLiteral("/gone/Agencies.dat");
    const Status s = FixedRecord::writeWhole(gone, "feeds");
    ASSERT_FALSE(s.ok());
    EXPECT_TRUE(s.error().contains(QStringLiteral("Agencies.dat"))) << s.error().toStdString();
    EXPECT_TRUE(s.error().contains(QStringLiteral("غير موجود"))) << s.error().toStdString();
    EXPECT_FALSE(QFileInfo::exists(m_home + QStringLiteral("/gone")));
}

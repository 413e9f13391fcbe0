// Names with a line end, "..", "/" or characters code page 1256 cannot write, in the fixed
// records of the paths file and Agencies.dat: a name either stays inside its own field, every
// other field reading as before, or is refused with the file left as it was.
#include "base/PathsFile.h"
#include "base/SettingsFiles.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

TEST(HostileNames, AFeedNameStaysInItsFieldOrIsRefused)
{
    FeedList feeds;
    for (int i = 0; i < SettingsFiles::kFeedCount; ++i)
        feeds[i] = {i + 1, FeedRecord::Images, u"feed %1"_s.arg(i), u"/feeds/%1"_s.arg(i)};
    feeds[3].name = u"two\nlines\r\n"_s;
    feeds[3].folder = u"../../etc/..\n/x"_s;
    feeds[4].name = QString(SettingsFiles::kFeedNameSize - 1, u'ع'); // the last byte is the zero
    const Result<QByteArray> bytes = SettingsFiles::composeFeeds(feeds);
    ASSERT_TRUE(bytes.ok()) << bytes.error().toStdString();
    ASSERT_EQ(bytes->size(), SettingsFiles::kFeedCount * SettingsFiles::kFeedRecordSize);
    const FeedList back = SettingsFiles::parseFeeds(*bytes);
    for (int i = 0; i < SettingsFiles::kFeedCount; ++i) {
        EXPECT_EQ(back[i].number, feeds[i].number) << i;
        EXPECT_EQ(back[i].type, feeds[i].type) << i;
        EXPECT_EQ(back[i].name, feeds[i].name) << i;
        EXPECT_EQ(back[i].folder, feeds[i].folder) << i;
    }

    for (const QString &bad : {u"文件"_s, QString(SettingsFiles::kFeedNameSize, u'ع'), u"a\U0001F600"_s}) {
        FeedList refused = feeds;
        refused[5].name = bad;
        const Result<QByteArray> r = SettingsFiles::composeFeeds(refused);
        EXPECT_FALSE(r.ok()) << bad.toStdString();
        EXPECT_TRUE(r.error().contains(u"6"_s)) << "names the feed's row: " << r.error().toStdString();
    }
}

TEST(HostileNames, APathsFileValueStaysInItsSlotOrIsRefused)
{
    PathsFile::Values values;
    values[PathsFile::DatabaseFolder] = u"../DataBase/.."_s;
    values[PathsFile::FileServerFolder] = u"/srv/a\nb"_s;
    values[PathsFile::ScannerFolder] = u"\\\\server\\share"_s;
    values[PathsFile::StartDate] = u"5/3/2006"_s;
    const Result<QByteArray> bytes = PathsFile::compose(values);
    ASSERT_TRUE(bytes.ok()) << bytes.error().toStdString();
    ASSERT_EQ(bytes->size(), PathsFile::kFileSize);
    EXPECT_EQ(PathsFile::parse(*bytes).values, values);

    for (const QString &bad : {u"/srv/文件"_s, u"/srv/*"_s, QString(PathsFile::kSlotSize, u'a')}) {
        PathsFile::Values refused = values;
        refused[PathsFile::FaxFolder] = bad;
        EXPECT_FALSE(PathsFile::compose(refused).ok()) << bad.toStdString();
    }
}

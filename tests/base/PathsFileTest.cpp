#include "base/AppState.h"
#include "base/PathsFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray slotBytes(const QByteArray &file, int slot)
{
    return file.mid(slot * PathsFile::kSlotSize, PathsFile::kSlotSize);
}

QByteArray paddedSlot(const QByteArray &content)
{
    return content + QByteArray(PathsFile::kSlotSize - content.size(), '\0');
}

void writeRaw(const QString &home, const QByteArray &bytes)
{
    QDir().mkpath(home + QStringLiteral("/COM"));
    QFile f(PathsFile::path(home));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(PathsFile, WritesEachSlotAsValueStarZeroAndTheDateWithThreeStars)
{
    PathsFile::Values v;
    v[PathsFile::DatabaseFolder] = QStringLiteral("/srv/الارشيف/DataBase");
    v[PathsFile::FileServerFolder] = QStringLiteral("/srv/store");
    v[PathsFile::StartDate] = PathsFile::formatStartDate(QDate(2006, 3, 5));
    const Result<QByteArray> bytes = PathsFile::compose(v);
    ASSERT_TRUE(bytes.ok());
    ASSERT_EQ(bytes->size(), 1200);
    EXPECT_EQ(slotBytes(*bytes, 0), paddedSlot(QByteArray("/srv/\xC7\xE1\xC7\xD1\xD4\xED\xDD/DataBase*\0", 23)));
    EXPECT_EQ(slotBytes(*bytes, 1), paddedSlot(QByteArray("/srv/store*\0", 12)));
    // An empty value is still written as "*" and a zero byte.
    EXPECT_EQ(slotBytes(*bytes, 5), paddedSlot(QByteArray("*\0", 2)));
    EXPECT_EQ(slotBytes(*bytes, 9), paddedSlot(QByteArray("5/3/2006***\0", 12)));

    const PathsFile::Contents back = PathsFile::parse(*bytes);
    EXPECT_FALSE(back.firstRun);
    EXPECT_EQ(back.values, v);
    EXPECT_EQ(back.values[PathsFile::StartDate], QStringLiteral("5/3/2006"));
    EXPECT_EQ(PathsFile::parseStartDate(back.values[PathsFile::StartDate]), QDate(2006, 3, 5));
}

TEST(PathsFile, ReadingRulesForOddFiles)
{
    // First byte zero: a first run, whatever the later slots hold.
    QByteArray zeroFirst(1200, '\0');
    zeroFirst.replace(120, 5, "/x*\0\0");
    const PathsFile::Contents first = PathsFile::parse(zeroFirst);
    EXPECT_TRUE(first.firstRun);
    EXPECT_EQ(first.values[1], QStringLiteral("/x"));

    // A short file reads as if padded with zeros.
    const PathsFile::Contents shortFile = PathsFile::parse(QByteArray("/db*\0", 5));
    EXPECT_FALSE(shortFile.firstRun);
    EXPECT_EQ(shortFile.values[0], QStringLiteral("/db"));
    EXPECT_TRUE(shortFile.values[1].isEmpty());

    // A slot without "*" before its zero byte is empty; a slot starting with "*" is empty.
    QByteArray odd(1200, '\0');
    odd.replace(0, 2, "*x");
    odd.replace(120, 3, "abc");
    const PathsFile::Contents oddContents = PathsFile::parse(odd);
    EXPECT_FALSE(oddContents.firstRun);
    EXPECT_TRUE(oddContents.values[0].isEmpty());
    EXPECT_TRUE(oddContents.values[1].isEmpty());
}

TEST(PathsFile, SlotStartingWithStarGivesAnEmptyDatabaseFolder)
{
    QTemporaryDir dir;
    QByteArray bytes(1200, '\0');
    bytes[0] = '*';
    writeRaw(dir.path(), bytes);
    const AppState state = AppState::load(dir.path());
    EXPECT_FALSE(state.firstRun);
    EXPECT_TRUE(state.databaseFolder.isEmpty());
    EXPECT_EQ(state.databaseFolder + QStringLiteral("/Arch.sqlite"), QStringLiteral("/Arch.sqlite"));
}

TEST(PathsFile, RefusesWhatASlotCannotHoldAndLeavesTheFileAlone)
{
    QTemporaryDir dir;
    PathsFile::Values good;
    good[0] = QStringLiteral("/old");
    ASSERT_TRUE(PathsFile::write(dir.path(), good).ok());
    QFile f(PathsFile::path(dir.path()));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();

    PathsFile::Values v;
    v[1] = QString(118, u'a');
    EXPECT_TRUE(PathsFile::compose(v).ok());
    v[1] = QString(119, u'a');
    const Status longValue = PathsFile::write(dir.path(), v);
    ASSERT_FALSE(longValue.ok());
    EXPECT_TRUE(longValue.error().contains(QStringLiteral("خادم الملفات")));

    // Two-byte characters do not exist in the code page: 118 Arabic letters are 118 bytes.
    v[1] = QString(118, QChar(0x0628));
    EXPECT_TRUE(PathsFile::compose(v).ok());

    v[1] = QStringLiteral("/a*b");
    EXPECT_FALSE(PathsFile::write(dir.path(), v).ok());

    PathsFile::Values date;
    date[PathsFile::StartDate] = QString(117, u'1');
    EXPECT_FALSE(PathsFile::compose(date).ok());

    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
}

TEST(PathsFile, StartDateParsing)
{
    EXPECT_EQ(PathsFile::formatStartDate(QDate(2026, 12, 31)), QStringLiteral("31/12/2026"));
    EXPECT_FALSE(PathsFile::parseStartDate(QString()).has_value());
    EXPECT_FALSE(PathsFile::parseStartDate(QStringLiteral("31/2/2006")).has_value());
    EXPECT_FALSE(PathsFile::parseStartDate(QStringLiteral("x/y/z")).has_value());
}

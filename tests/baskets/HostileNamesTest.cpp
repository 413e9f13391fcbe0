// Names that try to leave their folder or break a record: "..", "/", a line end, characters code
// page 1256 cannot write. A feed record never leads out of its feed folder, a feed writer refuses
// what a record cannot hold and leaves the index whole, and a received file goes into its
// receiver's folder only.
#include "baskets/FeedIndex.h"
#include "baskets/FeedWriter.h"
#include "baskets/Transfer.h"
#include "common/FilesUnder.h"
#include "users/UserAdmin.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

// A record as an outside writer may have written it, name bytes as they stand.
QByteArray rawRecord(qint32 sequence, const QByteArray &name)
{
    QByteArray r(FeedIndex::kRecordSize, '\0');
    r[0] = char(sequence);
    r.replace(FeedIndex::kNameOffset, name.size(), name);
    return r.left(FeedIndex::kRecordSize);
}

} // namespace

TEST(HostileFeedNames, ARecordNeverLeadsOutOfTheFeedFolder)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString feed = root.path() + u"/feed"_s;
    QDir().mkpath(feed);
    // A secret beside the feed folder, which an escaping name would reach.
    writeBytes(root.path() + u"/secret.txt"_s, "secret");
    writeBytes(feed + u"/inside.txt"_s, "inside");

    QByteArray index;
    const QList<QByteArray> names{"../secret.txt", "..", ".", "sub/../../secret.txt", "/etc/passwd", "..\\secret.txt",
                                  QByteArray(), "inside.txt"};
    for (qsizetype i = 0; i < names.size(); ++i)
        index += rawRecord(qint32(i), names[i]);
    writeBytes(feed + u"/feed.idx"_s, index);

    const FeedIndex feedIndex(feed, u"feed.idx"_s);
    RetryingOpener opener(0);
    ASSERT_EQ(feedIndex.recordCount(opener), names.size());
    for (int i = 0; i + 1 < names.size(); ++i) {
        SCOPED_TRACE(names[i].toStdString());
        const FeedItem item = FeedItems::text(feedIndex, i, opener);
        EXPECT_TRUE(item.path.isEmpty());
        EXPECT_FALSE(item.opened);
        EXPECT_FALSE(item.text.contains(u"secret"_s));
        EXPECT_EQ(item.name, QString::fromLatin1(names[i]));
    }
    const FeedItem inside = FeedItems::text(feedIndex, int(names.size() - 1), opener);
    EXPECT_TRUE(inside.opened);
    EXPECT_EQ(inside.text, u"inside"_s);
}

TEST(HostileFeedNames, TheWriterRefusesWhatARecordCannotHoldAndKeepsTheIndexWhole)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString feed = root.path() + u"/feed"_s;
    const QString sources = root.path() + u"/sources"_s;
    QDir().mkpath(feed);
    QDir().mkpath(sources);
    FeedWriter writer(feed, u"feed.idx"_s);

    // A line end in a name is an ordinary character of a Linux name: it stays in the record.
    const QString twoLines = sources + u"/two\nlines.txt"_s;
    writeBytes(twoLines, "x");
    QList<FeedWriter::Added> added;
    ASSERT_TRUE(writer.add({{twoLines}, {}, {}, false}, added).ok());
    ASSERT_EQ(added.size(), 1);
    EXPECT_EQ(added[0].name, u"two\nlines.txt"_s);
    const QByteArray before = [&] {
        QFile f(feed + u"/feed.idx"_s);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    ASSERT_EQ(before.size(), FeedIndex::kRecordSize);
    EXPECT_EQ(FeedIndex::parseRecord(before).name, u"two\nlines.txt"_s);
    EXPECT_TRUE(QFileInfo::exists(feed + u"/two\nlines.txt"_s));

    // A name code page 1256 cannot write is refused whole. (No Linux name is too long for the
    // record: 255 bytes of UTF-8 are at most 255 of code page 1256, the record holds 391.)
    const QString chinese = sources + u"/文件.txt"_s;
    writeBytes(chinese, "x");
    for (const QString &file : {chinese}) {
        SCOPED_TRACE(file.toStdString());
        const Status checked = writer.check({{file}, {}, {}, false});
        EXPECT_FALSE(checked.ok());
        EXPECT_FALSE(checked.error().isEmpty());
        QList<FeedWriter::Added> none;
        EXPECT_FALSE(writer.add({{file}, {}, {}, false}, none).ok());
        EXPECT_TRUE(none.isEmpty());
    }
    QFile index(feed + u"/feed.idx"_s);
    ASSERT_TRUE(index.open(QIODevice::ReadOnly));
    EXPECT_EQ(index.readAll(), before) << "a refused item leaves the index as it was";
    EXPECT_EQ(filesUnder(feed), (QStringList{u"feed.idx"_s, u"two\nlines.txt"_s})) << "and leaves no file behind";

    for (const QString &name : {u".."_s, u"."_s, u"a/b"_s, u"a\\b"_s, QString()})
        EXPECT_FALSE(FeedIndex::composeRecord(1, name).ok()) << name.toStdString();
}

TEST(HostileReceivedNames, AFileGoesIntoItsReceiversFolderOnly)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString db = root.path() + u"/DataBase"_s;
    QDir().mkpath(db + u"/USERS/CLERK"_s);
    const QString outside = root.path() + u"/outside"_s;
    QDir().mkpath(outside);
    const QString file = root.path() + u"/letter\nwith line.pdf"_s;
    writeBytes(file, "letter");

    const QList<Delivery> deliveries =
        transferFile(db, file, {u"CLERK"_s, u".."_s, u"../../outside"_s, u"."_s, QString(), u"a/b"_s});
    ASSERT_EQ(deliveries.size(), 6);
    EXPECT_TRUE(deliveries[0].delivered) << deliveries[0].reason.toStdString();
    EXPECT_EQ(deliveries[0].target, db + u"/USERS/CLERK/letter\nwith line.pdf"_s);
    for (qsizetype i = 1; i < deliveries.size(); ++i) {
        SCOPED_TRACE(deliveries[i].user.toStdString());
        EXPECT_FALSE(deliveries[i].delivered);
        EXPECT_FALSE(deliveries[i].reason.isEmpty());
    }
    EXPECT_EQ(filesUnder(db), (QStringList{u"USERS/CLERK/letter\nwith line.pdf"_s}));
    EXPECT_TRUE(filesUnder(outside).isEmpty());
    EXPECT_EQ(filesUnder(root.path()).size(), 2) << "the letter and its one copy";
}

// Copy orders whose names try to leave their folder or break the 436-byte record: the record
// refuses what it cannot hold and the list is left as it was, and the copier places every file
// inside its destination folder or not at all.
#include "cards/Copier.h"
#include "cards/CopyOrder.h"
#include "common/FilesUnder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(HostileCopyOrders, TheRecordKeepsALineEndAndRefusesWhatItCannotHold)
{
    const CopyOrder lines{1, u"7&1&"_s, u"/home/a\nb/two\nlines.txt"_s, u"/srv/store/Ser1"_s};
    const Result<QByteArray> record = lines.compose();
    ASSERT_TRUE(record.ok());
    ASSERT_EQ(record->size(), CopyOrder::kSize);
    const CopyOrder back = CopyOrder::parse(*record);
    EXPECT_EQ(back.source, lines.source);
    EXPECT_EQ(back.prefix, lines.prefix);
    EXPECT_EQ(back.destination, lines.destination);

    const CopyOrder foreign{1, u"7&1&"_s, u"/home/文件.txt"_s, u"/srv/store/Ser1"_s};
    const CopyOrder tooLong{1, u"7&1&"_s, u'/' + QString(CopyOrder::kSourceSize, u'ع'), u"/srv/store/Ser1"_s};
    const CopyOrder longPrefix{1, QString(CopyOrder::kPrefixSize, u'9'), u"/home/a.txt"_s, u"/srv/store/Ser1"_s};
    for (const CopyOrder &o : {foreign, tooLong, longPrefix}) {
        const Result<QByteArray> refused = o.compose();
        EXPECT_FALSE(refused.ok());
        EXPECT_FALSE(refused.error().isEmpty());
    }

    // One order the record cannot hold writes nothing of the list it came in.
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const CopyHandOff handOff(home.path(), CopyHandOff::Copier::Archive);
    ASSERT_TRUE(handOff.append({lines}).ok());
    const QByteArray listBefore = bytesOf(handOff.listPath());
    const QByteArray countBefore = bytesOf(handOff.countPath());
    EXPECT_FALSE(handOff.append({lines, foreign}).ok());
    EXPECT_EQ(bytesOf(handOff.listPath()), listBefore);
    EXPECT_EQ(bytesOf(handOff.countPath()), countBefore);
    EXPECT_EQ(handOff.pending()->size(), 1);
}

TEST(HostileCopyOrders, TheCopierPlacesFilesInsideTheirDestinationOnly)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString home = root.path() + u"/home"_s;
    const QString store = root.path() + u"/store/Ser1"_s;
    const QString sources = root.path() + u"/sources"_s;
    QDir().mkpath(home + u"/COM"_s);
    QDir().mkpath(store);
    writeBytes(sources + u"/letter.pdf"_s, "letter");
    writeBytes(sources + u"/two\nlines.txt"_s, "lines");
    writeBytes(sources + u"/..."_s, "dots");

    const QList<CopyOrder> orders{
        {1, u"../"_s, sources + u"/letter.pdf"_s, store},          // would land beside the series folder
        {1, u"../../x"_s, sources + u"/letter.pdf"_s, store},
        {1, u"a/b"_s, sources + u"/letter.pdf"_s, store},
        {1, u".."_s, sources + u"/letter.pdf"_s, store},           // "..letter.pdf" is a name like any other
        {1, u"7&2&"_s, sources + u"/two\nlines.txt"_s, store},    // a line end is an ordinary letter
        {1, u"7&3&"_s, sources + u"/..."_s, store},                // three dots is a name, not a way up
        {1, u"7&4&"_s, sources + u"/letter.pdf"_s, u"relative/folder"_s},
    };
    ASSERT_TRUE(CopyHandOff(home, CopyHandOff::Copier::Archive).append(orders).ok());
    Copier copier(home, CopyHandOff::Copier::Archive);
    copier.run(Copier::WhenBusy::Wait);

    EXPECT_EQ(filesUnder(store), (QStringList{u"..letter.pdf"_s, u"7&2&two\nlines.txt"_s, u"7&3&..."_s}));
    EXPECT_EQ(bytesOf(store + u"/7&2&two\nlines.txt"_s), "lines");
    EXPECT_EQ(filesUnder(root.path() + u"/store"_s).size(), 3) << "nothing beside the series folder";
    EXPECT_EQ(filesUnder(sources).size(), 3) << "nothing among the sources";
    EXPECT_FALSE(QFileInfo::exists(home + u"/relative"_s));
    // The four refused orders are reported and kept for another try, none dropped.
    EXPECT_EQ(copier.failures().size(), 4);
    EXPECT_EQ(CopyHandOff(home, CopyHandOff::Copier::Archive).failed()->size(), 4);
}

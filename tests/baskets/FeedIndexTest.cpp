#include "FeedTestSupport.h"

#include "base/Cp1256.h"
#include "baskets/DescriptionReader.h"
#include "baskets/FeedIndex.h"
#include "imaging/Thumbnail.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <thread>

using namespace Qt::Literals::StringLiterals;

namespace {

class FeedIndexFiles : public ::testing::Test
{
protected:
    QString folder() const { return m_dir.path(); }
    QString indexPath() const { return m_dir.path() + u"/in.idx"_s; }
    FeedIndex feed() const { return FeedIndex(folder(), u"in.idx"_s); }

    QTemporaryDir m_dir;
};

} // namespace

TEST(FeedIndexRecord, ComposeLaysOutSequenceAndNameInCodePage1256)
{
    const QString name = u"صورة 7.jpg"_s;
    const Result<QByteArray> record = FeedIndex::composeRecord(7, name);
    ASSERT_TRUE(record.ok()) << record.error().toStdString();
    ASSERT_EQ(record->size(), 400);
    EXPECT_EQ(qFromLittleEndian<qint32>(record->constData()), 7);
    const QByteArray encoded = *Cp1256::encode(name);
    EXPECT_EQ(encoded.size(), name.size()); // one byte per letter
    EXPECT_EQ(record->mid(8, encoded.size()), encoded);
    EXPECT_EQ(record->at(8 + encoded.size()), '\0');

    const IndexRecord back = FeedIndex::parseRecord(*record);
    EXPECT_EQ(back.sequence, 7);
    EXPECT_EQ(back.name, name);
}

TEST(FeedIndexRecord, ComposeRefusesNamesThatCannotBeRead)
{
    for (const QString &bad : {u""_s, u"a/b.jpg"_s, u"..\\up.jpg"_s, u".."_s, u"中文.jpg"_s, QString(392, u'x')})
        EXPECT_FALSE(FeedIndex::composeRecord(0, bad).ok()) << bad.toStdString();
    // 391 bytes and the zero fill the name field exactly.
    const Result<QByteArray> longest = FeedIndex::composeRecord(0, QString(391, u'x'));
    ASSERT_TRUE(longest.ok());
    EXPECT_EQ(FeedIndex::parseRecord(*longest).name, QString(391, u'x'));
}

TEST(FeedIndexRecord, ParseIgnoresTheWritersOwnBytes)
{
    QByteArray record = FeedTest::record(3, u"a.jpg"_s);
    record.replace(4, 4, "\xde\xad\xbe\xef");
    record.replace(20, 10, "junk junk!");
    const IndexRecord back = FeedIndex::parseRecord(record);
    EXPECT_EQ(back.sequence, 3);
    EXPECT_EQ(back.name, u"a.jpg"_s);

    // A name without its zero byte runs to the end of the record.
    QByteArray full(400, 'n');
    qToLittleEndian<qint32>(-2, full.data());
    const IndexRecord unterminated = FeedIndex::parseRecord(full);
    EXPECT_EQ(unterminated.sequence, -2);
    EXPECT_EQ(unterminated.name, QString(392, u'n'));
}

TEST_F(FeedIndexFiles, ThousandBytesCountTwoRecordsUntilTheThirdIsWhole)
{
    QByteArray bytes = FeedTest::record(0, u"a.jpg"_s) + FeedTest::record(1, u"b.jpg"_s);
    const QByteArray third = FeedTest::record(2, u"c.jpg"_s);
    FeedTest::writeBytes(indexPath(), bytes + third.left(200));
    RetryingOpener opener(0);
    EXPECT_EQ(feed().recordCount(opener), 2);
    EXPECT_EQ(feed().record(1, opener)->name, u"b.jpg"_s);
    EXPECT_FALSE(feed().record(2, opener).has_value());

    FeedTest::writeBytes(indexPath(), third.mid(200), true);
    EXPECT_EQ(feed().recordCount(opener), 3);
    ASSERT_TRUE(feed().record(2, opener).has_value());
    EXPECT_EQ(feed().record(2, opener)->name, u"c.jpg"_s);
    EXPECT_EQ(feed().record(2, opener)->sequence, 2);
    EXPECT_EQ(FeedIndex::recordCountForSize(399), 0);
    EXPECT_EQ(FeedIndex::recordCountForSize(-1), 0);
}

TEST_F(FeedIndexFiles, AMissingIndexHasNoRecordsAndTheWaitIsBounded)
{
    RetryingOpener opener(300);
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(feed().recordCount(opener), 0);
    EXPECT_FALSE(feed().record(0, opener).has_value());
    EXPECT_EQ(FeedItems::sizeOf(folder() + u"/gone.jpg"_s, opener), -1);
    // Three opens of files that never come cost the one budget, not three.
    EXPECT_GE(timer.elapsed(), 250);
    EXPECT_LT(timer.elapsed(), 800);
    EXPECT_TRUE(opener.exhausted());
}

TEST_F(FeedIndexFiles, AnOpenWaitsForAFileThatComesWithinTheBudget)
{
    std::thread writer([path = indexPath()] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        // Made whole under another name and renamed, so that the reader cannot find it empty.
        QFile file(path + u".part"_s);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(FeedTest::record(0, u"late.jpg"_s));
            file.close();
            QFile::rename(path + u".part"_s, path);
        }
    });
    RetryingOpener opener(3000);
    const int count = feed().recordCount(opener);
    writer.join();
    EXPECT_EQ(count, 1);
    EXPECT_GE(opener.waitedMs(), 100);
    EXPECT_FALSE(opener.exhausted());
}

TEST_F(FeedIndexFiles, AStopRequestEndsTheWaitAtOnce)
{
    std::atomic<bool> stop{true};
    RetryingOpener opener(10000, &stop);
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(feed().recordCount(opener), 0);
    EXPECT_LT(timer.elapsed(), 200);
}

TEST_F(FeedIndexFiles, NamesLeadingOutOfTheFolderAreNotOpened)
{
    // The feed is a folder below a picture that its index must not reach.
    FeedTest::writeJpeg(folder() + u"/secret.jpg"_s);
    const QString inner = folder() + u"/feed"_s;
    ASSERT_TRUE(QDir().mkpath(inner));
    QByteArray unsafe(400, '\0');
    unsafe.replace(8, 13, "../secret.jpg");
    FeedTest::writeBytes(inner + u"/in.idx"_s, unsafe);
    RetryingOpener opener(0);
    const FeedItem item = FeedItems::picture(FeedIndex(inner, u"in.idx"_s), 0, opener);
    EXPECT_EQ(item.name, u"../secret.jpg"_s);
    EXPECT_TRUE(item.path.isEmpty());
    EXPECT_FALSE(item.opened);
    EXPECT_EQ(item.thumbnail, Thumbnail::compose(QImage()));
}

TEST_F(FeedIndexFiles, AMissingItemGivesAnEmptyFramedRowWithItsName)
{
    FeedTest::writeBytes(indexPath(), FeedTest::record(0, u"never.jpg"_s));
    RetryingOpener opener(100);
    const FeedItem item = FeedItems::picture(feed(), 0, opener);
    EXPECT_EQ(item.position, 0);
    EXPECT_EQ(item.name, u"never.jpg"_s);
    EXPECT_EQ(item.path, folder() + u"/never.jpg"_s);
    EXPECT_FALSE(item.opened);
    EXPECT_TRUE(item.description.isEmpty());
    EXPECT_EQ(item.thumbnail, Thumbnail::compose(QImage()));
}

TEST_F(FeedIndexFiles, APictureItemHasItsThumbnail)
{
    FeedTest::writeJpeg(folder() + u"/wide.jpg"_s, QSize(600, 300), QColor(200, 30, 30));
    FeedTest::writeBytes(indexPath(), FeedTest::record(0, u"wide.jpg"_s));
    RetryingOpener opener(0);
    const FeedItem item = FeedItems::picture(feed(), 0, opener);
    EXPECT_TRUE(item.opened);
    ASSERT_EQ(item.thumbnail.size(), QSize(150, 135));
    EXPECT_NE(item.thumbnail, Thumbnail::compose(QImage()));
    // 600 x 300 fills the width, 75 high and centred: the middle is red, the top white.
    EXPECT_GT(qRed(item.thumbnail.pixel(75, 67)), 150);
    EXPECT_EQ(item.thumbnail.pixel(75, 10), qRgb(255, 255, 255));
}

TEST_F(FeedIndexFiles, TextItemsAreReadWholeInCodePage1256)
{
    const QString message = u"وصلت رسالة جديدة\r\nالسطر الثاني"_s;
    FeedTest::writeBytes(folder() + u"/m.txt"_s, *Cp1256::encode(message));
    FeedTest::writeBytes(indexPath(), FeedTest::record(0, u"m.txt"_s));
    RetryingOpener opener(0);
    const FeedItem item = FeedItems::text(feed(), 0, opener);
    EXPECT_TRUE(item.opened);
    EXPECT_EQ(item.name, u"m.txt"_s);
    EXPECT_EQ(item.text, message);
    const Result<QString> missing = FeedItems::readText(folder() + u"/nothing.txt"_s, opener);
    EXPECT_FALSE(missing.ok());
    EXPECT_FALSE(missing.error().isEmpty());
}

// --- descriptions in JPEG items written by the feed writer ---------------------------------------

namespace {

class WrittenDescriptions : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_source = FeedTest::writeJpeg(m_dir.path() + u"/page.jpg"_s);
        m_feed = m_dir.path() + u"/feed"_s;
    }

    // Feeds one copy of the picture under the name with the description; the path in the feed.
    QString feedWith(const QString &name, const QString &description)
    {
        const QString source = m_dir.path() + u'/' + name;
        if (!QFile::exists(source))
            QFile::copy(m_source, source);
        const FeedTest::Run run = FeedTest::add(m_feed, u"in.idx"_s, {u"--describe"_s, description, source});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return m_feed + u'/' + run.out.section(u'\t', 1).trimmed();
    }

    QTemporaryDir m_dir;
    QString m_source;
    QString m_feed;
};

QString printable(int count)
{
    QString out;
    for (int i = 0; i < count; ++i)
        out.append(QChar(u'A' + i % 26));
    return out;
}

} // namespace

TEST_F(WrittenDescriptions, FortyCharactersComeBackExactlyAndThePictureStaysValid)
{
    const QString forty = u"Letter from the ministry, 9 Dec, ref 40"_s + u'.';
    ASSERT_EQ(forty.size(), 40);
    const QString path = feedWith(u"page.jpg"_s, forty);
    EXPECT_EQ(DescriptionReader::readDescription(path, DescriptionReader::Form::Display), forty);
    EXPECT_EQ(DescriptionReader::readDescription(path, DescriptionReader::Form::Archive), forty);

    const QImage original(m_source);
    const QImage described(path);
    ASSERT_FALSE(described.isNull());
    EXPECT_EQ(described.size(), original.size());
    EXPECT_EQ(described, original); // the comment changes no pixel

    // The marker is inside the scanned window, the description ends with a zero byte.
    const QByteArray bytes = FeedTest::readAll(path);
    const qsizetype marker = bytes.indexOf(DescriptionReader::kMarker);
    EXPECT_GE(marker, 150);
    EXPECT_LE(marker + 6 + 40, 4899);
    EXPECT_EQ(bytes.at(marker + 6 + 40), '\0');
    EXPECT_EQ(bytes.mid(marker + 6, 40), forty.toLatin1());
}

TEST_F(WrittenDescriptions, ShortDescriptionsComeBackExactlyToo)
{
    for (const QString &text : {u"0123456789"_s, u"x"_s, u"a@b"_s, QString()}) {
        const QString path = feedWith(u"page.jpg"_s, text);
        EXPECT_EQ(DescriptionReader::readDescription(path), text) << text.toStdString();
    }
}

TEST_F(WrittenDescriptions, TenCharactersAndAZeroByteReadOnToTheNextEnd)
{
    // The reader's own rule on a real item: a zero byte within 30 characters of the marker does
    // not end the description. The comment's bytes are changed in place, so the picture stays
    // valid.
    const QString path = feedWith(u"page.jpg"_s, printable(40));
    QByteArray bytes = FeedTest::readAll(path);
    const qsizetype marker = bytes.indexOf(DescriptionReader::kMarker);
    ASSERT_GE(marker, 150);
    const QByteArray stored = QByteArray("0123456789") + '\0' + "second part of the text" + '\0';
    bytes.replace(marker + 6, stored.size(), stored);
    FeedTest::writeBytes(path, bytes);
    EXPECT_EQ(DescriptionReader::readDescription(path), u"0123456789@second part of the text"_s);
    EXPECT_FALSE(QImage(path).isNull());
}

TEST_F(WrittenDescriptions, UpperCaseJpgIsReadOnlyInTheArchiveForm)
{
    const QString text = u"Upper case extension, read when archived"_s;
    const QString path = feedWith(u"SCAN.JPG"_s, text);
    ASSERT_TRUE(path.endsWith(u"SCAN.JPG"_s));
    EXPECT_TRUE(DescriptionReader::readDescription(path, DescriptionReader::Form::Display).isEmpty());
    EXPECT_EQ(DescriptionReader::readDescription(path, DescriptionReader::Form::Archive), text);
}

TEST_F(WrittenDescriptions, TheLongestDescriptionFitsAndOneMoreIsRefused)
{
    const QString longest = printable(1494);
    const QString path = feedWith(u"page.jpg"_s, longest);
    EXPECT_EQ(DescriptionReader::readDescription(path), longest);
    EXPECT_FALSE(QImage(path).isNull());

    const QByteArray indexBefore = FeedTest::readAll(m_feed + u"/in.idx"_s);
    const FeedTest::Run refused = FeedTest::add(m_feed, u"in.idx"_s, {u"--describe"_s, printable(1495), m_source});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(u"1494"_s)) << refused.err.toStdString();
    EXPECT_EQ(FeedTest::readAll(m_feed + u"/in.idx"_s), indexBefore);
}

TEST_F(WrittenDescriptions, DescriptionsTheReaderWouldChangeAreRefused)
{
    const QString late = QString(30, u'a') + u"@b"_s; // an "@" at index 30 would end it
    for (const QString &bad : {u"وصف بالعربية"_s, u"tab\there"_s, late, u"caf\u00e9"_s}) {
        const FeedTest::Run run = FeedTest::add(m_feed, u"in.idx"_s, {u"--describe"_s, bad, m_source});
        EXPECT_EQ(run.exitCode, 1) << bad.toStdString();
        EXPECT_TRUE(run.err.contains(u"الوصف"_s)) << run.err.toStdString();
    }
    // Nothing at all was written.
    EXPECT_FALSE(QFile::exists(m_feed + u"/in.idx"_s));
    EXPECT_TRUE(FeedTest::entries(m_feed).isEmpty());
    // An "@" early on is kept as it is.
    const QString path = feedWith(u"page.jpg"_s, u"mail@host"_s);
    EXPECT_EQ(DescriptionReader::readDescription(path), u"mail@host"_s);
}

TEST_F(WrittenDescriptions, FilesThatAreNotJpegKeepEveryByte)
{
    const QString png = m_dir.path() + u"/plan.png"_s;
    ASSERT_TRUE(QImage(m_source).save(png, "PNG"));
    const FeedTest::Run run = FeedTest::add(m_feed, u"in.idx"_s, {u"--describe"_s, u"Site plan"_s, png});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(u"JPEG"_s)); // told, not failed
    EXPECT_EQ(FeedTest::readAll(m_feed + u"/plan.png"_s), FeedTest::readAll(png));
}

#include "baskets/DescriptionReader.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// A file of `size` bytes of a value the reader drops, with `payload` written at `offset`.
QByteArray fileWith(qsizetype offset, const QByteArray &payload, qsizetype size = 6000)
{
    QByteArray bytes(size, '\x01');
    bytes.replace(offset, payload.size(), payload);
    return bytes.left(size);
}

QByteArray letters(int count)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out.append(char('a' + i % 26));
    return out;
}

QByteArray marked(const QByteArray &text)
{
    return QByteArray(DescriptionReader::kMarker) + text;
}

class DescriptionReaderFiles : public ::testing::Test
{
protected:
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.path() + u'/' + name;
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST(DescriptionReader, DescriptionEndsAtTheZeroByteAfterIt)
{
    const QByteArray forty = letters(40);
    const QByteArray bytes = fileWith(400, marked(forty) + '\0' + "after the end");
    EXPECT_EQ(DescriptionReader::descriptionInFile(bytes), QString::fromLatin1(forty));
}

TEST(DescriptionReader, ZeroByteWithinThirtyCharactersShowsAsAtAndDoesNotEnd)
{
    const QByteArray bytes =
        fileWith(400, marked("0123456789") + '\0' + "second part of the text" + '\0' + "gone");
    EXPECT_EQ(DescriptionReader::descriptionInFile(bytes), u"0123456789@second part of the text"_s);

    // An "@" typed within the first 30 characters stays too; the first one at 30 or later ends it.
    const QByteArray typed = fileWith(400, marked("mail@host and more words here, then") + "@tail");
    EXPECT_EQ(DescriptionReader::descriptionInFile(typed), u"mail@host and more words here, then"_s);
}

TEST(DescriptionReader, WithoutSuchAtTheDescriptionRunsToTheEndOfTheWindow)
{
    // 1500 kept characters at most: the marker's 6 and 1494 of the text.
    const QByteArray text = letters(2000);
    const QByteArray bytes = fileWith(150, marked(text));
    EXPECT_EQ(DescriptionReader::descriptionInFile(bytes), QString::fromLatin1(text.left(1494)));
}

TEST(DescriptionReader, NonPrintableBytesAreDroppedEvenInsideTheMarker)
{
    // 31 and 127 are kept; 30, 128, 255, tab and line ends are not.
    const QByteArray stored = QByteArray("@AF\xffPs@") + "ab\x1e\x1f\x7f\x80\ncd" + '\0' + QByteArray(40, '\x01');
    const QByteArray bytes = fileWith(1000, stored);
    EXPECT_EQ(DescriptionReader::descriptionInFile(bytes), u"ab\u001f\u007fcd@"_s)
        << "the zero byte falls within 30 characters, so the window's end closes it";
}

TEST(DescriptionReader, OnlyTheScannedRangeIsSearched)
{
    const QByteArray desc = letters(35);
    // The scan starts at file offset 150 and ends before 4900.
    EXPECT_TRUE(DescriptionReader::descriptionInFile(fileWith(145, marked(desc) + '\0')).isEmpty());
    EXPECT_EQ(DescriptionReader::descriptionInFile(fileWith(150, marked(desc) + '\0')), QString::fromLatin1(desc));
    EXPECT_EQ(DescriptionReader::descriptionInFile(fileWith(4894, marked(desc) + '\0')), QString())
        << "the window holds the marker but nothing after it";
    EXPECT_TRUE(DescriptionReader::descriptionInFile(fileWith(4895, marked(desc) + '\0')).isEmpty());
    EXPECT_TRUE(DescriptionReader::descriptionInFile(fileWith(400, "@AFPS@" + desc)).isEmpty()) << "case counts";
    EXPECT_TRUE(DescriptionReader::descriptionInFile(QByteArray(120, '\0')).isEmpty());
}

TEST(DescriptionReader, PrintableTextBeforeTheMarkerCountsTowardTheLimit)
{
    // 1490 printable bytes leave room for the marker and 4 characters.
    const QByteArray bytes = fileWith(150, QByteArray(1490, 'x') + marked(letters(100)));
    EXPECT_EQ(DescriptionReader::descriptionInFile(bytes), u"abcd"_s);
}

TEST_F(DescriptionReaderFiles, DisplayFormReadsOnlyLowerCaseJpgPaths)
{
    const QByteArray bytes = fileWith(300, marked("the scanned contract of March") + '\0' + QByteArray(9, ' '));
    const QString lower = write(u"page.jpg"_s, bytes);
    const QString upper = write(u"PAGE.JPG"_s, bytes);
    const QString description = u"the scanned contract of March@         "_s;

    EXPECT_EQ(DescriptionReader::readDescription(lower), description);
    EXPECT_EQ(DescriptionReader::readDescription(lower, DescriptionReader::Form::Archive), description);
    EXPECT_TRUE(DescriptionReader::readDescription(upper).isEmpty());
    EXPECT_EQ(DescriptionReader::readDescription(upper, DescriptionReader::Form::Archive), description);
}

TEST_F(DescriptionReaderFiles, ShortMissingAndUnmarkedFilesGiveNothing)
{
    EXPECT_TRUE(DescriptionReader::readDescription(m_dir.path() + u"/none.jpg"_s).isEmpty());
    EXPECT_TRUE(DescriptionReader::readDescription(write(u"short.jpg"_s, QByteArray(90, 'a'))).isEmpty());
    EXPECT_TRUE(DescriptionReader::readDescription(write(u"plain.jpg"_s, fileWith(0, letters(3000)))).isEmpty());
    // A short file is read as far as it goes.
    const QString shortMarked = write(u"small.jpg"_s, fileWith(200, marked("tiny"), 212));
    EXPECT_EQ(DescriptionReader::readDescription(shortMarked), u"tiny"_s);
}

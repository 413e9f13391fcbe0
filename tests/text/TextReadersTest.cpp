#include "base/Cp1256.h"
#include "common/TextFixtures.h"
#include "text/DocumentKind.h"
#include "text/DocxReader.h"
#include "text/PlainTextReader.h"
#include "text/TextConverter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kLetter = u"نرجو الموافقة على طلب الاجازة"_s;

QString writeBytes(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
}

struct EncodedText
{
    const char *name;
    QByteArray bytes;
    QString expected;
};

class TextEncodings : public ::testing::TestWithParam<EncodedText>
{
};

QByteArray utf16(const QString &text, bool littleEndian)
{
    QByteArray out(littleEndian ? "\xFF\xFE" : "\xFE\xFF");
    for (QChar c : text) {
        const char hi = char(c.unicode() >> 8), lo = char(c.unicode() & 0xFF);
        out.append(littleEndian ? lo : hi);
        out.append(littleEndian ? hi : lo);
    }
    return out;
}

} // namespace

TEST_P(TextEncodings, AreToldApartAndReadWithTheirLineEnds)
{
    const EncodedText &t = GetParam();
    QTemporaryDir dir;
    const QString path = writeBytes(dir, u"in.tmp"_s, t.bytes);
    EXPECT_EQ(DocumentKinds::ofFile(path), DocumentKind::PlainText);
    const Result<QString> text = TextConverter::convert(path);
    ASSERT_TRUE(text.ok()) << text.error().toStdString();
    EXPECT_EQ(*text, t.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, TextEncodings,
    ::testing::Values(EncodedText{"utf8", (kLetter + u"\r\nسطر ثان\n"_s).toUtf8(), kLetter + u"\r\nسطر ثان\n"_s},
                      EncodedText{"utf8bom", "\xEF\xBB\xBF" + kLetter.toUtf8(), kLetter},
                      EncodedText{"utf16le", utf16(kLetter + u"\r\nB"_s, true), kLetter + u"\r\nB"_s},
                      EncodedText{"utf16be", utf16(kLetter, false), kLetter},
                      EncodedText{"cp1256", *Cp1256::encode(kLetter + u"\r\nالمحاسبة"_s), kLetter + u"\r\nالمحاسبة"_s}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(DocumentKinds, AreToldByTheirFirstBytesWhateverTheName)
{
    EXPECT_EQ(DocumentKinds::fromHead("PK\x03\x04rest", true), DocumentKind::Docx);
    EXPECT_EQ(DocumentKinds::fromHead("PK\x03\x04rest", false), DocumentKind::Unknown) << "a zip that is no Word package";
    EXPECT_EQ(DocumentKinds::fromHead(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0", 10), false), DocumentKind::Word97);
    EXPECT_EQ(DocumentKinds::fromHead("{\\rtf1\\ansi", false), DocumentKind::Rtf);
    EXPECT_EQ(DocumentKinds::fromHead("%PDF-1.7\n", false), DocumentKind::Pdf);
    EXPECT_EQ(DocumentKinds::fromHead(QByteArray("\x89PNG\r\n\x1A\n\0\0", 10), false), DocumentKind::Picture);
    EXPECT_EQ(DocumentKinds::fromHead(QByteArray("\xFF\xD8\xFF\xE0\0\x10", 6), false), DocumentKind::Picture);
    EXPECT_EQ(DocumentKinds::fromHead(QByteArray("II*\0\x08\0", 6), false), DocumentKind::Picture);
    EXPECT_EQ(DocumentKinds::fromHead(QByteArray("\x7F" "ELF\x02\x01\0\0", 8), false), DocumentKind::Unknown);
    EXPECT_EQ(DocumentKinds::fromHead("plain words", false), DocumentKind::PlainText);
}

TEST(Cp1256Output, ForeignCharactersBecomeQuestionMarksAndTheRestStays)
{
    EXPECT_EQ(Cp1256::encodeLossy(u"عقد Ω بيع\n中文 x"_s), *Cp1256::encode(u"عقد ? بيع\n?? x"_s));
    EXPECT_EQ(Cp1256::encodeLossy(u"😀ب"_s), *Cp1256::encode(u"?ب"_s)) << "a surrogate pair is one character";

    QTemporaryDir dir;
    const QString out = dir.filePath(u"fdata.txt"_s);
    ASSERT_TRUE(TextConverter::writeCp1256(u"كتاب"_s, out).ok());
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), *Cp1256::encode(u"كتاب"_s));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"fdata.txt"_s}) << "no temporary file is left";
}

TEST(DocxText, ParagraphsTablesAndTextBoxesComeInReadingOrder)
{
    const QByteArray xml = TextFixtures::documentXml({u"الفقرة الاولى"_s, u"الفقرة الثانية"_s},
                                                     {{u"الاسم"_s, u"المبلغ"_s}, {u"احمد"_s, u"500"_s}}, u"نص الاطار"_s);
    const Result<QString> text = DocxReader::textOfDocumentXml(xml);
    ASSERT_TRUE(text.ok()) << text.error().toStdString();
    EXPECT_EQ(*text, u"الفقرة الاولى\nالفقرة الثانية\nالاسم\tالمبلغ\nاحمد\t500\nقبل الاطار\nنص الاطار"_s)
        << "the text box once, after the paragraph that holds it";

    QTemporaryDir dir;
    const QString path = dir.filePath(u"1.tmp"_s);
    ASSERT_TRUE(TextFixtures::writeDocx(path, xml));
    EXPECT_EQ(DocumentKinds::ofFile(path), DocumentKind::Docx);
    const Result<QString> read = TextConverter::convert(path);
    ASSERT_TRUE(read.ok()) << read.error().toStdString();
    EXPECT_EQ(*read, *text);
}

TEST(DocxText, DamagedPackagesAndUnknownFilesFailWithAReason)
{
    EXPECT_FALSE(DocxReader::textOfDocumentXml("<w:document><w:body><w:p>").ok());
    QTemporaryDir dir;
    const QString cut = writeBytes(dir, u"cut.docx"_s, QByteArray("PK\x03\x04", 4) + QByteArray(200, 'z'));
    const Result<QString> broken = TextConverter::convert(cut);
    ASSERT_FALSE(broken.ok());
    EXPECT_FALSE(broken.error().isEmpty());
    const Result<QString> binary = TextConverter::convert(writeBytes(dir, u"x.bin"_s, QByteArray("\x7F" "ELF\0\0\0", 7)));
    EXPECT_TRUE(binary.refused());
    EXPECT_FALSE(TextConverter::convert(dir.filePath(u"missing"_s)).ok());
}

#include "common/TestPictures.h"
#include "imaging/PictureDecoder.h"
#include "imaging/Thumbnail.h"
#include "search/Printing.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class EveryFormat : public ::testing::TestWithParam<TestPictures::Format>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_path = TestPictures::write(m_dir.filePath(u"picture."_s + QLatin1StringView(GetParam().extension)),
                                     GetParam().magick);
        ASSERT_FALSE(m_path.isEmpty()) << "the library cannot write " << GetParam().magick;
    }

    QTemporaryDir m_dir;
    QString m_path;
};

std::string formatName(const ::testing::TestParamInfo<TestPictures::Format> &info)
{
    return info.param.extension;
}

} // namespace

TEST_P(EveryFormat, DecodesAtItsSizeWithItsColour)
{
    const PictureDecoder::Decoded picture = PictureDecoder::decode(m_path);
    ASSERT_TRUE(picture.ok()) << picture.error.toStdString();
    EXPECT_EQ(picture.image.size(), TestPictures::kSize);
    EXPECT_TRUE(TestPictures::isInk(picture.image.pixel(32, 24)));
    EXPECT_TRUE(picture.error.isEmpty());
}

TEST_P(EveryFormat, ThumbnailShowsThePicture)
{
    const QImage cell = Thumbnail::make(m_path);
    ASSERT_EQ(cell.size(), Thumbnail::kSize);
    EXPECT_TRUE(TestPictures::isInk(cell.pixel(75, 67)));
}

TEST_P(EveryFormat, PrintingGetsThePicture)
{
    QTemporaryDir program;
    const Printing::Picture picture = Printing::loadPicture(m_path, program.path());
    ASSERT_FALSE(picture.image.isNull());
    EXPECT_EQ(picture.image.size(), TestPictures::kSize);
    EXPECT_TRUE(TestPictures::isInk(picture.image.pixel(32, 24)));
}

INSTANTIATE_TEST_SUITE_P(Formats, EveryFormat, ::testing::ValuesIn(TestPictures::formats()), formatName);

TEST(PictureDecoder, ReadsAWindowsMetafile)
{
    QTemporaryDir dir;
    const QString path = TestPictures::writeMetafile(dir.filePath(u"drawing.wmf"_s));
    ASSERT_FALSE(path.isEmpty());
    const PictureDecoder::Decoded picture = PictureDecoder::decode(path);
    ASSERT_TRUE(picture.ok()) << picture.error.toStdString();
    EXPECT_FALSE(picture.image.size().isEmpty());
    EXPECT_TRUE(TestPictures::isInk(picture.image.pixel(picture.image.width() / 2, picture.image.height() / 2)));
    EXPECT_TRUE(TestPictures::isInk(Thumbnail::make(path).pixel(75, 67)));
}

TEST(PictureDecoder, AHintedJpegDecodesSmallAndAnUnhintedOneWhole)
{
    QTemporaryDir dir;
    const QString page = TestPictures::write(dir.filePath(u"page.jpg"_s), "JPEG", QSize(2480, 3508));
    ASSERT_FALSE(page.isEmpty());
    const QImage small = PictureDecoder::decodeImage(page, QSize(300, 270));
    ASSERT_FALSE(small.isNull());
    // Decoded at 1/8 and never past twice the hint.
    EXPECT_LE(small.width(), 600);
    EXPECT_LE(small.height(), 540);
    EXPECT_GE(small.height(), 270) << "still covers the hint";
    EXPECT_EQ(PictureDecoder::decodeImage(page).size(), QSize(2480, 3508));
}

TEST(PictureDecoder, KeepsTheStoredResolution)
{
    QTemporaryDir dir;
    Magick::InitializeMagick(nullptr);
    Magick::Image image{Magick::Geometry(100, 100), Magick::Color("white")};
    image.resolutionUnits(MagickCore::PixelsPerCentimeterResolution);
    image.density(Magick::Geometry(118, 59));
    const QString path = dir.filePath(u"scan.tif"_s);
    image.write(QFile::encodeName(path).toStdString());
    const PictureDecoder::Decoded picture = PictureDecoder::decode(path);
    ASSERT_TRUE(picture.ok());
    EXPECT_NEAR(picture.dpi.x(), 118 * 2.54, 0.5);
    EXPECT_NEAR(picture.dpi.y(), 59 * 2.54, 0.5);
    // Without a stored resolution, the default.
    const PictureDecoder::Decoded plain =
        PictureDecoder::decode(TestPictures::write(dir.filePath(u"plain.pcx"_s), "PCX"));
    ASSERT_TRUE(plain.ok());
    EXPECT_GT(plain.dpi.x(), 0.0);
}

TEST(PictureDecoder, WhatCannotBeDecodedSaysWhyInArabic)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(u"gone.jpg"_s);
    const PictureDecoder::Decoded none = PictureDecoder::decode(missing);
    EXPECT_FALSE(none.ok());
    EXPECT_TRUE(none.error.contains(u"غير موجود"_s)) << none.error.toStdString();

    const QString broken = dir.filePath(u"broken.png"_s);
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is no picture at all");
    f.close();
    const PictureDecoder::Decoded bad = PictureDecoder::decode(broken);
    EXPECT_FALSE(bad.ok());
    EXPECT_TRUE(bad.error.startsWith(u"تعذر فتح الصورة"_s)) << bad.error.toStdString();
    EXPECT_TRUE(Thumbnail::make(broken).pixel(75, 67) == qRgb(255, 255, 255)) << "the empty framed box";

    // A folder is no picture either.
    EXPECT_FALSE(PictureDecoder::decode(dir.path()).ok());
}

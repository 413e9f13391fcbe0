#include "ImageTestPictures.h"

#include "imaging/ImageDocument.h"
#include "imaging/JpegBytes.h"
#include "imaging/QuickJpeg.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using ImageTestPictures::Jpeg;

namespace {

// Both images as RGBA bytes, compared pixel for pixel; the first difference is reported.
::testing::AssertionResult samePixels(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return ::testing::AssertionFailure() << "sizes differ";
    const QImage x = a.convertToFormat(QImage::Format_RGBA8888);
    const QImage y = b.convertToFormat(QImage::Format_RGBA8888);
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col)
            if (x.pixel(col, row) != y.pixel(col, row))
                return ::testing::AssertionFailure() << "pixel " << col << "," << row << " differs";
    return ::testing::AssertionSuccess();
}

bool isGreyPicture(const Magick::Image &picture)
{
    return picture.colorSpace() == MagickCore::GRAYColorspace || picture.type() == MagickCore::GrayscaleType;
}

class QuickJpegTest : public ::testing::TestWithParam<Jpeg>
{
protected:
    void SetUp() override { ImageDocument::initialiseLibrary(); }
    QTemporaryDir m_dir;
};

} // namespace

TEST(QuickJpegHeader, ReadsTheFrameHeaderAndRefusesWhatIsNoPlainJpeg)
{
    ImageDocument::initialiseLibrary();
    QTemporaryDir dir;
    const QuickJpeg::Header colour = QuickJpeg::readHeader(ImageTestPictures::writeJpeg(dir.filePath(u"c.jpg"_s), Jpeg::Colour));
    EXPECT_TRUE(colour.valid);
    EXPECT_EQ(colour.width, 97);
    EXPECT_EQ(colour.height, 61);
    EXPECT_EQ(colour.precision, 8);
    EXPECT_EQ(colour.components, 3);
    EXPECT_TRUE(QuickJpeg::suits(colour));

    const QuickJpeg::Header grey = QuickJpeg::readHeader(ImageTestPictures::writeJpeg(dir.filePath(u"g.jpg"_s), Jpeg::Grey));
    EXPECT_EQ(grey.components, 1);
    EXPECT_TRUE(QuickJpeg::suits(grey));
    // The EXIF block stands before the frame header and is stepped over.
    const QuickJpeg::Header turned = QuickJpeg::readHeader(ImageTestPictures::writeJpeg(dir.filePath(u"t.jpg"_s), Jpeg::Turned));
    EXPECT_TRUE(turned.valid);
    EXPECT_EQ(turned.width, 97);

    const QuickJpeg::Header cmyk = QuickJpeg::readHeader(ImageTestPictures::writeJpeg(dir.filePath(u"k.jpg"_s), Jpeg::Cmyk));
    EXPECT_EQ(cmyk.components, 4);
    EXPECT_FALSE(QuickJpeg::suits(cmyk));
    EXPECT_TRUE(QuickJpeg::decode(dir.filePath(u"k.jpg"_s)).isNull()) << "CMYK is left to the library";

    // Not a JPEG, and a JPEG cut off inside its metadata.
    Magick::Image png = ImageTestPictures::colourful(10, 10);
    png.write(QFile::encodeName(dir.filePath(u"p.png"_s)).toStdString());
    EXPECT_FALSE(QuickJpeg::readHeader(dir.filePath(u"p.png"_s)).valid);
    QFile whole(dir.filePath(u"t.jpg"_s));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    QFile cut(dir.filePath(u"cut.jpg"_s));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(whole.read(20));
    cut.close();
    EXPECT_FALSE(QuickJpeg::readHeader(cut.fileName()).valid);
    EXPECT_TRUE(QuickJpeg::decode(cut.fileName()).isNull());
    EXPECT_FALSE(QuickJpeg::readHeader(dir.filePath(u"missing.jpg"_s)).valid);
}

TEST_P(QuickJpegTest, ShowsThePixelsTheLibraryReads)
{
    const QString path = ImageTestPictures::writeJpeg(m_dir.filePath(u"page.jpg"_s), GetParam());
    ImageDocument library;
    ASSERT_TRUE(library.load(path));
    const QImage fromLibrary = ImageDocument::toQImage(library.picture());
    const QImage quick = QuickJpeg::decode(path);
    if (GetParam() == Jpeg::Cmyk) {
        EXPECT_TRUE(quick.isNull());
        return;
    }
    ASSERT_FALSE(quick.isNull());
    EXPECT_EQ(quick.size(), QSize(97, 61)) << "no EXIF turn on either side";
    EXPECT_TRUE(samePixels(quick, fromLibrary));
    EXPECT_TRUE(QuickJpeg::matches(quick, library.picture()));
    // Grey stays grey and colour colour on both sides.
    EXPECT_EQ(quick.format() == QImage::Format_Grayscale8, isGreyPicture(library.picture()));
    EXPECT_EQ(GetParam() == Jpeg::Grey, isGreyPicture(library.picture()));

    // One pixel changed in the library's picture is seen.
    Magick::Image changed = library.picture();
    changed.pixelColor(50, 30, Magick::Color("rgb(1,2,3)"));
    EXPECT_FALSE(QuickJpeg::matches(quick, changed));
}

INSTANTIATE_TEST_SUITE_P(Kinds, QuickJpegTest,
                         ::testing::Values(Jpeg::Colour, Jpeg::Grey, Jpeg::Progressive, Jpeg::Turned, Jpeg::Cmyk));

TEST(QuickJpegFiles, TheTestFilesAreWhatTheyClaim)
{
    ImageDocument::initialiseLibrary();
    QTemporaryDir dir;
    QImageReader turned(ImageTestPictures::writeJpeg(dir.filePath(u"t.jpg"_s), Jpeg::Turned));
    EXPECT_EQ(turned.transformation(), QImageIOHandler::TransformationRotate90);
    QFile progressive(ImageTestPictures::writeJpeg(dir.filePath(u"p.jpg"_s), Jpeg::Progressive));
    ASSERT_TRUE(progressive.open(QIODevice::ReadOnly));
    EXPECT_TRUE(progressive.readAll().contains("\xFF\xC2")) << "a progressive frame header";
}

TEST(ImageDocumentRead, ACancelledReadLeavesNoPicture)
{
    ImageDocument::initialiseLibrary();
    QTemporaryDir dir;
    const QString path = ImageTestPictures::writeJpeg(dir.filePath(u"page.jpg"_s), Jpeg::Colour, 800, 600);
    ImageDocument doc;
    ImageProgress progress;
    ASSERT_TRUE(doc.load(path, 0, &progress));
    EXPECT_EQ(progress.percent, 99) << "the read reported its rows";
    EXPECT_TRUE(doc.hasPicture());
    progress.cancelled = true;
    const Status stopped = doc.load(path, 0, &progress);
    EXPECT_FALSE(stopped);
    EXPECT_FALSE(doc.hasPicture());
    // The picture read earlier no longer reports into the progress it was read with.
    ImageDocument again;
    ImageProgress later;
    ASSERT_TRUE(again.load(path, 0, &later));
    later.percent = 0;
    const Result<ImageCommands::Outcome> negated =
        ImageCommands::run(*ImageCommands::find(u"negative"_s), again.picture());
    ASSERT_TRUE(negated.ok());
    EXPECT_EQ(later.percent, 0);
}

namespace {

QByteArray jpegOf(const QImage &image, int quality = 75)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", quality);
    return bytes;
}

// A picture with edges and gradients in every channel, so that the DCT and the upsampling show.
QImage busyPicture(QImage::Format format)
{
    QImage picture(150, 135, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb((x * 7) % 256, (y * 5 + x) % 256, ((x / 9 + y / 7) % 2) * 255));
    return picture.convertToFormat(format);
}

TEST(JpegBytes, GreyAndColourDecodeToQtsOwnPixels)
{
    for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_Grayscale8}) {
        const QByteArray jpeg = jpegOf(busyPicture(format));
        QImage qt;
        ASSERT_TRUE(qt.loadFromData(jpeg, "JPEG"));
        const QImage ours = JpegBytes::decodeRgb32(jpeg, QSize(150, 135));
        ASSERT_EQ(ours.format(), QImage::Format_RGB32);
        EXPECT_TRUE(samePixels(ours, qt)) << "format " << int(format);
        EXPECT_TRUE(samePixels(JpegBytes::decodeRgb32(jpeg), qt)) << "format " << int(format) << ", any size";
    }
}

TEST(JpegBytes, RefusesOtherSizesAndDataThatIsNoJpeg)
{
    const QByteArray jpeg = jpegOf(busyPicture(QImage::Format_RGB32));
    EXPECT_TRUE(JpegBytes::decodeRgb32(jpeg, QSize(150, 136)).isNull());
    EXPECT_TRUE(JpegBytes::decodeRgb32(QByteArray()).isNull());
    EXPECT_TRUE(JpegBytes::decodeRgb32(QByteArray("not a picture at all")).isNull());
    // The start of a JPEG cut off inside its tables: the library gives up, the decode says so.
    EXPECT_TRUE(JpegBytes::decodeRgb32(jpeg.left(40), QSize(150, 135)).isNull());
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    busyPicture(QImage::Format_RGB32).save(&buffer, "PNG");
    EXPECT_TRUE(JpegBytes::decodeRgb32(png, QSize(150, 135)).isNull());
}

} // namespace

#include "base/Palette.h"
#include "imaging/Thumbnail.h"

#include <QFile>
#include <QTemporaryDir>

#include <Magick++.h>

#include <gtest/gtest.h>

namespace {

QString drawPicture(const QTemporaryDir &dir, const char *name, int w, int h, const char *colour)
{
    Magick::Image image{Magick::Geometry(size_t(w), size_t(h)), Magick::Color(colour)};
    const QString path = dir.filePath(QString::fromLatin1(name));
    image.write(QFile::encodeName(path).toStdString());
    return path;
}

bool isFrame(const QImage &cell)
{
    const QSize s = cell.size();
    for (QPoint p : {QPoint(0, 0), QPoint(s.width() - 1, 0), QPoint(0, s.height() - 1),
                     QPoint(s.width() - 1, s.height() - 1), QPoint(75, 0), QPoint(0, 60)}) {
        if (cell.pixel(p) != Palette::kPictureFrame)
            return false;
    }
    return true;
}

} // namespace

TEST(ThumbnailCell, TallPicturesFillTheHeightAndWideOnesTheWidth)
{
    EXPECT_EQ(Thumbnail::placement(QSize(100, 200)), QRect(41, 0, 67, 135));
    EXPECT_EQ(Thumbnail::placement(QSize(300, 100)), QRect(0, 42, 150, 50));
    // Exactly 0.9 counts as wide.
    EXPECT_EQ(Thumbnail::placement(QSize(100, 90)), QRect(0, 0, 150, 135));
    EXPECT_EQ(Thumbnail::placement(QSize(1000, 901)).height(), 135);
    EXPECT_TRUE(Thumbnail::placement(QSize(0, 10)).isNull());
}

TEST(ThumbnailCell, PicturesAreDrawnOnWhiteInsideTheFrame)
{
    QTemporaryDir dir;
    Magick::InitializeMagick(nullptr);
    const QImage tall = Thumbnail::make(drawPicture(dir, "tall.jpg", 1240, 1754, "red"));
    ASSERT_EQ(tall.size(), QSize(150, 135));
    EXPECT_TRUE(isFrame(tall));
    EXPECT_EQ(tall.pixel(10, 67), qRgb(255, 255, 255)) << "beside a tall picture stays white";
    const QColor middle(tall.pixel(75, 67));
    EXPECT_GT(middle.red(), 200);
    EXPECT_LT(middle.green(), 60);

    const QImage wide = Thumbnail::make(drawPicture(dir, "wide.png", 400, 100, "blue"));
    EXPECT_EQ(wide.pixel(75, 10), qRgb(255, 255, 255)) << "above a wide picture stays white";
    EXPECT_GT(QColor(wide.pixel(75, 67)).blue(), 200);
}

TEST(ThumbnailCell, AnythingUndecodableGivesTheEmptyFramedBox)
{
    QTemporaryDir dir;
    QFile junk(dir.filePath(QStringLiteral("broken.jpg")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(5000, 'j'));
    junk.close();
    QFile pdf(dir.filePath(QStringLiteral("doc.pdf")));
    ASSERT_TRUE(pdf.open(QIODevice::WriteOnly));
    pdf.write("%PDF-1.4\n1 0 obj << >> endobj\ntrailer << >>\n%%EOF\n");
    pdf.close();
    const QImage empty = Thumbnail::compose({});
    for (const QString &path : {junk.fileName(), pdf.fileName(), dir.filePath(QStringLiteral("missing.png"))}) {
        const QImage cell = Thumbnail::make(path);
        EXPECT_TRUE(isFrame(cell)) << path.toStdString();
        EXPECT_EQ(cell, empty) << path.toStdString();
    }
}

TEST(ThumbnailCell, AMultiPageTiffShowsItsFirstPage)
{
    QTemporaryDir dir;
    std::vector<Magick::Image> pages{Magick::Image(Magick::Geometry(200, 200), Magick::Color("lime")),
                                     Magick::Image(Magick::Geometry(200, 200), Magick::Color("black"))};
    const QString path = dir.filePath(QStringLiteral("pages.tif"));
    Magick::writeImages(pages.begin(), pages.end(), QFile::encodeName(path).toStdString());
    const QImage cell = Thumbnail::make(path);
    EXPECT_GT(QColor(cell.pixel(75, 67)).green(), 200);
}

#include "imaging/ImageDocument.h"
#include "imaging/ImageTypes.h"
#include "imaging/ImageViewRules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <Magick++.h>

#include <gtest/gtest.h>

#include <list>

namespace {

Magick::Image solid(const char *colour, size_t w = 8, size_t h = 6)
{
    ImageDocument::initialiseLibrary();
    return Magick::Image(Magick::Geometry(w, h), Magick::Color(colour));
}

// The picture's width marks which change made it: change n gives a picture n + 1 wide.
int mark(const ImageDocument &doc)
{
    return int(doc.picture().columns()) - 1;
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList leftovers(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
}

} // namespace

TEST(ImageUndo, NineChangesKeepEightStepsAndEightUndosReturnToTheFirstChange)
{
    ImageDocument doc;
    doc.setPicture(solid("white", 1, 1), ImageTypes::kPng); // mark 0: the picture as opened
    for (int n = 1; n <= 9; ++n)
        doc.change(solid("red", size_t(n + 1), 1));
    EXPECT_EQ(doc.undoLevel(), 8);
    EXPECT_EQ(mark(doc), 9);
    EXPECT_FALSE(doc.canRedo());
    for (int n = 8; n >= 1; --n) {
        ASSERT_TRUE(doc.undo());
        EXPECT_EQ(mark(doc), n) << "after undoing change " << n + 1;
    }
    EXPECT_EQ(doc.undoLevel(), 0);
    EXPECT_FALSE(doc.canUndo()) << "the picture as opened is not among the eight";
    EXPECT_FALSE(doc.undo());
    EXPECT_EQ(mark(doc), 1);

    // Redo walks forward again through all eight.
    for (int n = 2; n <= 9; ++n) {
        ASSERT_TRUE(doc.redo());
        EXPECT_EQ(mark(doc), n);
    }
    EXPECT_FALSE(doc.canRedo());
}

TEST(ImageUndo, ANewChangeAfterUndoDropsTheRedoStep)
{
    ImageDocument doc;
    EXPECT_FALSE(doc.canUndo());
    doc.storeStep(); // without a picture nothing is kept
    EXPECT_EQ(doc.undoLevel(), 0);

    doc.setPicture(solid("white", 1, 1), ImageTypes::kPng);
    doc.change(solid("red", 2, 1));
    doc.change(solid("red", 3, 1));
    ASSERT_TRUE(doc.undo());
    EXPECT_EQ(mark(doc), 1);
    EXPECT_TRUE(doc.canRedo());
    doc.change(solid("blue", 5, 1));
    EXPECT_FALSE(doc.canRedo()) << "the undone change is gone";
    EXPECT_EQ(doc.undoLevel(), 2);
    ASSERT_TRUE(doc.undo());
    EXPECT_EQ(mark(doc), 1);
    ASSERT_TRUE(doc.undo());
    EXPECT_EQ(mark(doc), 0);
    ASSERT_TRUE(doc.redo());
    ASSERT_TRUE(doc.redo());
    EXPECT_EQ(mark(doc), 4);
}

TEST(ImageSelection, ARightDragTurnsTheCornersAboutTheCentreOrMovesThemWithCtrl)
{
    const QPolygonF corners = QPolygonF(QRectF(10, 20, 40, 20)).mid(0, 4);
    // From straight right of the centre (30, 30) to straight below it: a quarter turn.
    const QPolygonF turned = ImageViewRules::draggedCorners(corners, QPointF(60, 30), QPointF(30, 80), false);
    const QRectF box = turned.boundingRect();
    EXPECT_NEAR(box.width(), 20, 1e-9);
    EXPECT_NEAR(box.height(), 40, 1e-9);
    EXPECT_NEAR(box.center().x(), 30, 1e-9);
    EXPECT_NEAR(box.center().y(), 30, 1e-9);
    const QPolygonF moved = ImageViewRules::draggedCorners(corners, QPointF(60, 30), QPointF(65, 27), true);
    EXPECT_EQ(moved.boundingRect(), QRectF(15, 17, 40, 20));
}

TEST(ImageZoom, StepsInAndOutAndTheirEnableRules)
{
    std::vector<double> in;
    for (double f = 1.0, next = 0; (next = ImageViewRules::zoomIn(f)) != f; f = next)
        in.push_back(next);
    EXPECT_EQ(in, (std::vector<double>{1.5, 2, 4, 8, 16}));
    EXPECT_FALSE(ImageViewRules::canZoomIn(16));
    EXPECT_TRUE(ImageViewRules::canZoomIn(8));
    EXPECT_EQ(ImageViewRules::zoomIn(0.5), 0.75);
    EXPECT_EQ(ImageViewRules::zoomIn(0.75), 1.0);
    EXPECT_EQ(ImageViewRules::zoomIn(0.25), 0.5);

    std::vector<double> out;
    for (double f = 2.0, next = 0; (next = ImageViewRules::zoomOut(f)) != f; f = next)
        out.push_back(next);
    EXPECT_EQ(out, (std::vector<double>{1.5, 1, 0.75, 0.5, 0.25, 0.125, 0.0625}));
    EXPECT_FALSE(ImageViewRules::canZoomOut(0.125)) << "the button is off one step before the last";
    EXPECT_TRUE(ImageViewRules::canZoomOut(0.25));
    EXPECT_FALSE(ImageViewRules::canNormalSize(1.0));
    EXPECT_TRUE(ImageViewRules::canNormalSize(1.5));
    EXPECT_EQ(ImageViewRules::zoomInText(1.5), QStringLiteral(" 150 %"));
    EXPECT_EQ(ImageViewRules::zoomOutText(0.125), QStringLiteral("12.5 %"));
}

TEST(ImageViewTexts, WindowFitTitlesAndPanes)
{
    EXPECT_EQ(ImageViewRules::fittedClientSize(QSize(300, 200), QSize(1000, 700)), QSize(304, 204));
    EXPECT_EQ(ImageViewRules::fittedClientSize(QSize(2480, 3508), QSize(1000, 700)), QSize(992, 692));
    EXPECT_EQ(ImageViewRules::frameTitle(QStringLiteral("scan.tif"), 0), QStringLiteral("scan.tif"));
    EXPECT_EQ(ImageViewRules::frameTitle(QStringLiteral("scan.tif"), 2), QStringLiteral("scan.tif (3)"));
    EXPECT_EQ(ImageViewRules::duplicateTitle(4, QStringLiteral("a.png")), QStringLiteral("Copy 4 of a.png"));
    EXPECT_EQ(ImageViewRules::saveAsName({}, QStringLiteral("Clipboard Image 1"), QStringLiteral(".png")),
              QStringLiteral("Clipboard Image 1.png"));
    EXPECT_EQ(ImageViewRules::saveAsName({}, QStringLiteral("FFT 50%"), QStringLiteral(".bmp")),
              QStringLiteral("UntitledImage.bmp"));
    EXPECT_EQ(ImageViewRules::saveAsName(QStringLiteral("/d/x.jpg"), QStringLiteral("t"), QStringLiteral(".png")),
              QStringLiteral("/d/x.jpg"));
    EXPECT_EQ(ImageViewRules::pointerText(3, 40, -1), QStringLiteral("x: 3 y: 40  idx: -1"));
    EXPECT_EQ(ImageViewRules::undoText(3), QStringLiteral("Undo (3)\tCtrl+Z"));
}

TEST(ImageTypeTable, NamesFiltersAndStatusText)
{
    struct Case
    {
        const char *name;
        int type;
    } cases[] = {{"a.BMP", 1},  {"a.jpeg", 3}, {"a.JPG", 3}, {"x.gif", 2},  {"p.png", 4},  {"i.cur", 5},
                 {"t.tiff", 6}, {"t.tif", 6},  {"a.tga", 7}, {"a.pcx", 8},  {"a.wbmp", 9}, {"a.emf", 10},
                 {"a.j2k", 11}, {"a.jp2", 11}, {"a.jpc", 12}, {"a.j2c", 12}, {"a.pgx", 13}, {"a.ras", 15},
                 {"a.ppm", 14}, {"a.pgm", 14}, {"a.doc", 0},  {"noext", 0},  {"a.jpg.txt", 0}};
    for (const Case &c : cases)
        EXPECT_EQ(ImageTypes::typeOfName(QString::fromLatin1(c.name)), c.type) << c.name;

    const QStringList open = ImageTypes::openFilters();
    const QStringList save = ImageTypes::saveFilters();
    EXPECT_TRUE(open.constFirst().startsWith(QStringLiteral("Supported files (*.bmp *.gif *.jpg")));
    EXPECT_TRUE(open.contains(QStringLiteral("WMF EMF files (*.wmf *.emf)")));
    EXPECT_FALSE(save.contains(QStringLiteral("WMF EMF files (*.wmf *.emf)"))) << "read only";
    EXPECT_FALSE(save.constFirst().contains(QStringLiteral("*.emf")));
    EXPECT_EQ(open.size(), 16);
    EXPECT_EQ(save.size(), 15);
    EXPECT_EQ(ImageTypes::statusText(3), QStringLiteral("JPG"));
    EXPECT_EQ(ImageTypes::statusText(5), QStringLiteral("ICO"));
    EXPECT_EQ(ImageTypes::defaultExtension(6), QStringLiteral(".tif"));

    EXPECT_EQ(ImageTypes::bitsPerPixel(solid("red")), 24);
    Magick::Image grey = solid("gray50");
    grey.type(MagickCore::GrayscaleType);
    EXPECT_EQ(ImageTypes::bitsPerPixel(grey), 8);
    Magick::Image palette = solid("red");
    palette.type(MagickCore::PaletteType);
    EXPECT_LE(ImageTypes::bitsPerPixel(palette), 8);

    // Pictures handed over by Qt (scans, the clipboard) keep their depth and their pixels; the
    // odd width makes QImage pad its rows.
    QImage colour(5, 3, QImage::Format_RGB32);
    colour.fill(QColor(200, 40, 10));
    colour.setPixelColor(4, 2, QColor(1, 2, 3));
    const Magick::Image fromColour = ImageDocument::fromQImage(colour);
    EXPECT_EQ(ImageTypes::bitsPerPixel(fromColour), 24);
    EXPECT_EQ(ImageDocument::toQImage(fromColour).pixelColor(4, 2), QColor(1, 2, 3));
    EXPECT_EQ(ImageDocument::toQImage(fromColour).pixelColor(0, 0), QColor(200, 40, 10));
    QImage page(5, 3, QImage::Format_Grayscale8);
    page.fill(QColor(90, 90, 90));
    page.setPixelColor(3, 1, QColor(7, 7, 7));
    const Magick::Image fromGrey = ImageDocument::fromQImage(page);
    EXPECT_EQ(ImageTypes::bitsPerPixel(fromGrey), 8);
    EXPECT_EQ(ImageDocument::toQImage(fromGrey).pixelColor(3, 1), QColor(7, 7, 7));
    QImage clear(5, 3, QImage::Format_ARGB32);
    clear.fill(QColor(0, 0, 255, 100));
    EXPECT_EQ(ImageTypes::bitsPerPixel(ImageDocument::fromQImage(clear)), 32);
}

TEST(ImageFiles, EveryWritableTypeRoundTrips)
{
    QTemporaryDir dir;
    ImageDocument doc;
    Magick::Image picture = solid("rgb(200,40,10)", 32, 24);
    doc.setPicture(picture, ImageTypes::kPng);
    for (const ImageTypes::Type &type : ImageTypes::table()) {
        if (!type.write)
            continue;
        const QString path = dir.filePath(QStringLiteral("round") + type.patterns.constFirst().mid(1));
        const Status saved = doc.save(path);
        ASSERT_TRUE(saved.ok()) << type.description.toStdString() << ": " << saved.error().toStdString();
        ImageDocument back;
        const Status read = back.load(path);
        ASSERT_TRUE(read.ok()) << type.description.toStdString() << ": " << read.error().toStdString();
        EXPECT_EQ(back.picture().columns(), 32u) << type.description.toStdString();
        EXPECT_EQ(back.picture().rows(), 24u) << type.description.toStdString();
        EXPECT_EQ(back.type(), type.id);
    }
    EXPECT_EQ(leftovers(dir).filter(QStringLiteral(".round")).size(), 0) << "no temporary file stays";
}

TEST(ImageFiles, AThreePageTiffHasThreeFramesEachReadOnItsOwn)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pages.tif"));
    std::list<Magick::Image> pages{solid("red", 10, 10), solid("lime", 20, 10), solid("blue", 30, 10)};
    Magick::writeImages(pages.begin(), pages.end(), QFile::encodeName(path).toStdString());
    const Result<int> frames = ImageDocument::frameCount(path);
    ASSERT_TRUE(frames.ok()) << frames.error().toStdString();
    EXPECT_EQ(*frames, 3);
    for (int frame = 0; frame < 3; ++frame) {
        ImageDocument doc;
        ASSERT_TRUE(doc.load(path, frame).ok());
        EXPECT_EQ(doc.picture().columns(), size_t(10 * (frame + 1)));
    }
    const QString single = dir.filePath(QStringLiteral("one.png"));
    solid("red").write(QFile::encodeName(single).toStdString());
    EXPECT_EQ(*ImageDocument::frameCount(single), 1);
}

TEST(ImageFiles, AFailedSaveLeavesTheOldFileAsItWas)
{
    QTemporaryDir dir;
    ImageDocument doc;
    // An icon holds at most 256 × 256 pixels: the coder refuses this one after the file is open.
    doc.setPicture(solid("red", 300, 300), ImageTypes::kPng);
    const QString icon = dir.filePath(QStringLiteral("old.ico"));
    {
        QFile f(icon);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("the old icon");
    }
    const Status failed = doc.save(icon);
    EXPECT_FALSE(failed.ok());
    EXPECT_FALSE(failed.error().isEmpty());
    EXPECT_EQ(contents(icon), QByteArray("the old icon"));

    // A type that cannot be written is refused before anything is touched.
    const QString emf = dir.filePath(QStringLiteral("old.emf"));
    QFile::copy(icon, emf);
    const Status refused = doc.save(emf);
    EXPECT_TRUE(refused.refused());
    EXPECT_EQ(contents(emf), QByteArray("the old icon"));
    EXPECT_FALSE(doc.save(dir.filePath(QStringLiteral("old.txt"))).ok());
    EXPECT_EQ(leftovers(dir), (QStringList{QStringLiteral("old.emf"), QStringLiteral("old.ico")}));

    // A successful save replaces the file whole and keeps its permissions.
    const QString png = dir.filePath(QStringLiteral("old.png"));
    QFile::copy(icon, png);
    QFile::setPermissions(png, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
    ASSERT_TRUE(doc.save(png).ok());
    EXPECT_TRUE(contents(png).startsWith("\x89PNG"));
    EXPECT_EQ(QFile::permissions(png) & QFileDevice::ReadOther, QFileDevice::ReadOther);
}

TEST(ImageFiles, TrueColourGifIsWarnedAboutAndStillSaved)
{
    QTemporaryDir dir;
    Magick::Image colour = solid("red", 16, 16);
    colour.pixelColor(3, 3, Magick::Color("blue"));
    const QString gif = dir.filePath(QStringLiteral("c.gif"));
    EXPECT_TRUE(ImageDocument::needsTrueColourGifWarning(colour, gif));
    EXPECT_FALSE(ImageDocument::needsTrueColourGifWarning(colour, dir.filePath(QStringLiteral("c.png"))));
    Magick::Image few = colour;
    few.type(MagickCore::PaletteType);
    EXPECT_FALSE(ImageDocument::needsTrueColourGifWarning(few, gif));
    EXPECT_TRUE(ImageDocument::trueColourGifWarning().contains(QStringLiteral("This is ok for this program")));

    ImageDocument doc;
    doc.setPicture(colour, ImageTypes::kPng);
    ASSERT_TRUE(doc.save(gif).ok());
    EXPECT_TRUE(contents(gif).startsWith("GIF8"));
}

TEST(ImageFiles, JpegQualityDecidesTheSize)
{
    QTemporaryDir dir;
    Magick::Image noisy = solid("gray", 200, 200);
    noisy.addNoise(MagickCore::GaussianNoise);
    ImageDocument doc;
    doc.setPicture(noisy, ImageTypes::kPng);
    doc.setJpegQuality(20);
    ASSERT_TRUE(doc.save(dir.filePath(QStringLiteral("low.jpg"))).ok());
    doc.setJpegQuality(95);
    ASSERT_TRUE(doc.save(dir.filePath(QStringLiteral("high.jpg"))).ok());
    EXPECT_LT(QFileInfo(dir.filePath(QStringLiteral("low.jpg"))).size() * 2,
              QFileInfo(dir.filePath(QStringLiteral("high.jpg"))).size());
}

TEST(ImageFiles, DamagedHugeOrUnknownPicturesGiveTheLibrarysWordsAndNoPicture)
{
    QTemporaryDir dir;
    // A whole, valid picture wider than the program lets the library take.
    const QString huge = dir.filePath(QStringLiteral("huge.pnm"));
    {
        QFile f(huge);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("P4\n17000 2\n");
        f.write(QByteArray(2 * 2125, '\x55'));
    }
    ImageDocument doc;
    const Status tooBig = doc.load(huge);
    EXPECT_FALSE(tooBig.ok());
    EXPECT_TRUE(tooBig.error().contains(QStringLiteral("limit")) || tooBig.error().contains(QStringLiteral("Limit")))
        << tooBig.error().toStdString();
    EXPECT_FALSE(doc.hasPicture());

    const QString damaged = dir.filePath(QStringLiteral("damaged.png"));
    {
        QFile f(damaged);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\x89PNG\r\n\x1a\n garbage garbage");
    }
    const Status broken = doc.load(damaged);
    EXPECT_FALSE(broken.ok());
    EXPECT_GT(broken.error().size(), 20);

    const QString text = dir.filePath(QStringLiteral("note.txt"));
    QFile::copy(damaged, text);
    EXPECT_TRUE(doc.load(text).refused());
    EXPECT_FALSE(doc.load(dir.filePath(QStringLiteral("missing.png"))).ok());
}

TEST(ImagePixels, TheScreenCopyHasTheColoursOfThePicture)
{
    Magick::Image picture = solid("rgb(10,20,30)", 5, 4);
    picture.pixelColor(4, 3, Magick::Color("rgb(250,128,0)"));
    const QImage shown = ImageDocument::toQImage(picture);
    ASSERT_EQ(shown.size(), QSize(5, 4));
    EXPECT_EQ(shown.pixelColor(0, 0), QColor(10, 20, 30));
    EXPECT_EQ(shown.pixelColor(4, 3), QColor(250, 128, 0));
    Magick::Image cmyk = picture;
    cmyk.colorSpace(MagickCore::CMYKColorspace);
    const QColor back = ImageDocument::toQImage(cmyk).pixelColor(4, 3);
    EXPECT_NEAR(back.red(), 250, 3);
    EXPECT_NEAR(back.green(), 128, 3);
}

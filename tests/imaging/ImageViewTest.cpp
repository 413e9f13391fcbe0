#include "common/TimeFactor.h"
#include "ImageTestPictures.h"

#include "imaging/CDemoDoc.h"
#include "imaging/CDemoView.h"
#include "imaging/ImageTypes.h"

#include <QElapsedTimer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <Magick++.h>

#include <gtest/gtest.h>

namespace {

Magick::Image page(size_t w, size_t h)
{
    ImageDocument::initialiseLibrary();
    return Magick::Image(Magick::Geometry(w, h), Magick::Color("rgb(0,0,200)"));
}

// A long operation that makes the picture red, step by step, and stops when cancelled.
CDemoDoc::Operation slowRed(std::atomic<bool> *started = nullptr)
{
    return [started](const Magick::Image &picture, ImageProgress &progress) -> Result<Magick::Image> {
        if (started)
            *started = true;
        for (int step = 1; step <= 20; ++step) {
            if (progress.cancelled)
                return Result<Magick::Image>::refused(QStringLiteral("cancelled"));
            progress.percent = step * 5;
            QThread::msleep(40);
        }
        Magick::Image red = picture;
        red.opaque(Magick::Color("rgb(0,0,200)"), Magick::Color("red"));
        return red;
    };
}

bool waitIdle(CDemoDoc &doc, int ms = 5000)
{
    QElapsedTimer t;
    t.start();
    while (doc.isBusy() && t.elapsed() < ms)
        QTest::qWait(20);
    return !doc.isBusy();
}

} // namespace

TEST(ImageWorker, RunsOffTheWindowThreadReportsProgressAndUndoes)
{
    CDemoDoc doc;
    doc.setPicture(page(300, 200), ImageTypes::kPng);
    CDemoView view(&doc);
    QStringList panes;
    QObject::connect(&view, &CDemoView::statusText, [&panes](int pane, const QString &text) {
        if (pane == CDemoView::ZoomPane)
            panes << text;
    });
    view.resize(200, 150);
    view.show();
    ASSERT_TRUE(doc.runOnWorker(QStringLiteral("red"), slowRed()));
    EXPECT_TRUE(doc.isBusy());
    EXPECT_FALSE(doc.runOnWorker(QStringLiteral("again"), slowRed())) << "one operation at a time";
    EXPECT_FALSE(doc.undo()) << "no undo while busy";
    ASSERT_TRUE(waitIdle(doc));
    // The poll every 333 ms showed a percentage between the start and the end.
    bool between = false;
    for (const QString &text : panes) {
        const int value = text.section(QLatin1Char(' '), 0, 0).toInt();
        between = between || (text.endsWith(QStringLiteral(" %")) && value > 0 && value < 100);
    }
    EXPECT_TRUE(between) << panes.join(QStringLiteral(" | ")).toStdString();
    EXPECT_EQ(doc.screenImage().pixelColor(10, 10), QColor(Qt::red));
    EXPECT_EQ(doc.core().undoLevel(), 1);
    EXPECT_TRUE(doc.undo());
    EXPECT_EQ(doc.screenImage().pixelColor(10, 10), QColor(0, 0, 200));
}

TEST(ImageWorker, EscapeWhileBusyCancelsAndLeavesNoStep)
{
    CDemoDoc doc;
    doc.setPicture(page(100, 100), ImageTypes::kPng);
    CDemoView view(&doc);
    view.show();
    QSignalSpy leaveFullScreen(&view, &CDemoView::escapeWithoutWork);
    std::atomic<bool> started{false};
    ASSERT_TRUE(doc.runOnWorker(QStringLiteral("red"), slowRed(&started)));
    while (!started)
        QTest::qWait(5);
    QTest::keyClick(&view, Qt::Key_Escape);
    ASSERT_TRUE(waitIdle(doc));
    EXPECT_EQ(leaveFullScreen.count(), 0);
    EXPECT_EQ(doc.screenImage().pixelColor(1, 1), QColor(0, 0, 200)) << "the picture stays as it was";
    EXPECT_EQ(doc.core().undoLevel(), 0);
    QTest::keyClick(&view, Qt::Key_Escape);
    EXPECT_EQ(leaveFullScreen.count(), 1) << "nothing running: Escape is for full screen";
}

TEST(ImageViewZoom, AZoomedA4PageScrollsOverItsZoomedSizeAndDrawsOnlyWhatShows)
{
    CDemoDoc doc;
    doc.setPicture(page(2480, 3508), ImageTypes::kJpeg);
    CDemoView view(&doc);
    view.resize(800, 600);
    view.show();
    for (int i = 0; i < 2; ++i)
        view.zoomIn();
    EXPECT_EQ(view.zoom(), 2.0);
    EXPECT_GT(view.horizontalScrollBar()->maximum(), 2480 * 2 - 800 - 40);
    QElapsedTimer t;
    t.start();
    QImage shown;
    for (int i = 0; i < 20; ++i) {
        view.verticalScrollBar()->setValue(i * 200);
        shown = view.viewport()->grab().toImage();
    }
    EXPECT_EQ(shown.pixelColor(shown.width() / 2, shown.height() / 2), QColor(0, 0, 200));
    const qint64 ms = t.elapsed();
    std::cout << "twenty scrolled repaints of a 24 MP page at 200 %: " << ms << " ms" << std::endl;
    EXPECT_LT(ms, 2000 * testTimeFactor());
    view.setStretch(true);
    EXPECT_FALSE(view.zoomInEnabled()) << "zoom is off while stretched";
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 0);
}

namespace {

using ImageTestPictures::Jpeg;

QImage rgba(const QImage &image)
{
    return image.convertToFormat(QImage::Format_RGBA8888);
}

} // namespace

// File Open of a plain JPEG: the page shows at once and the document stays busy, every command
// refused, until the library has read the picture it edits; then the screen shows that picture
// and a filter runs on it.
TEST(ImageOpen, APlainJpegShowsAtOnceAndIsEditableOnceTheLibraryReadIt)
{
    ImageDocument::initialiseLibrary();
    QTemporaryDir dir;
    for (const Jpeg kind : {Jpeg::Colour, Jpeg::Grey, Jpeg::Turned}) {
        const QString path = ImageTestPictures::writeJpeg(dir.filePath(QStringLiteral("page.jpg")), kind, 640, 480);
        CDemoDoc doc;
        QSignalSpy busy(&doc, &CDemoDoc::busyChanged);
        QSignalSpy failed(&doc, &CDemoDoc::readFailed);
        ASSERT_TRUE(doc.open(path, 0));
        CDemoView view(&doc);
        view.resize(300, 200);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        EXPECT_TRUE(doc.isBusy());
        EXPECT_FALSE(doc.hasPicture()) << "nothing to edit before the library's read";
        EXPECT_EQ(doc.screenImage().size(), QSize(640, 480));
        EXPECT_FALSE(doc.runOnWorker(QStringLiteral("red"), slowRed())) << "busy: commands wait";
        EXPECT_FALSE(doc.undo());
        ASSERT_TRUE(waitIdle(doc));
        EXPECT_EQ(failed.count(), 0);
        ASSERT_EQ(busy.count(), 2);
        EXPECT_TRUE(busy.at(0).at(0).toBool());
        EXPECT_FALSE(busy.at(1).at(0).toBool());
        ASSERT_TRUE(doc.hasPicture());
        EXPECT_EQ(doc.core().type(), ImageTypes::kJpeg);
        EXPECT_EQ(doc.core().undoLevel(), 0);
        EXPECT_EQ(doc.path(), QFileInfo(path).absoluteFilePath());

        // What shows is what the synchronous read gives.
        CDemoDoc loaded;
        ASSERT_TRUE(loaded.load(path, 0));
        EXPECT_EQ(rgba(doc.screenImage()), rgba(loaded.screenImage()));
        EXPECT_EQ(rgba(doc.screenImage()), rgba(ImageDocument::toQImage(doc.core().picture())));
        EXPECT_EQ(doc.core().picture().colorSpace(), loaded.core().picture().colorSpace());

        const ImageCommands::Command &negative = *ImageCommands::find(QStringLiteral("negative"));
        ASSERT_TRUE(doc.runOnWorker(negative.name, [&negative](const Magick::Image &picture, ImageProgress &progress) {
            const Result<ImageCommands::Outcome> r = ImageCommands::run(negative, picture, {}, {}, &progress);
            return r ? Result<Magick::Image>(*r->picture) : Result<Magick::Image>::failure(r.error());
        }));
        ASSERT_TRUE(waitIdle(doc));
        const QColor before = loaded.screenImage().pixelColor(33, 44);
        const QColor after = doc.screenImage().pixelColor(33, 44);
        EXPECT_EQ(after, QColor(255 - before.red(), 255 - before.green(), 255 - before.blue()));
        EXPECT_EQ(doc.core().undoLevel(), 1);
    }
}

// Files Qt would decode otherwise, or not at all, read through the library alone and at once.
TEST(ImageOpen, CmykJpegsAndOtherFormatsReadAtOnceThroughTheLibrary)
{
    ImageDocument::initialiseLibrary();
    QTemporaryDir dir;
    const QString cmyk = ImageTestPictures::writeJpeg(dir.filePath(QStringLiteral("cmyk.jpg")), Jpeg::Cmyk);
    Magick::Image deep = ImageTestPictures::colourful(50, 40);
    deep.depth(16);
    // A level no 8-bit sample can hold, so the file keeps its 16 bits.
    deep.pixelColor(3, 3, Magick::Color(MagickCore::Quantum(1000), MagickCore::Quantum(2000), MagickCore::Quantum(3000)));
    const QString png = dir.filePath(QStringLiteral("deep.png"));
    deep.write(QFile::encodeName(png).toStdString());
    std::vector<Magick::Image> pages{ImageTestPictures::colourful(30, 20), ImageTestPictures::colourful(20, 30)};
    const QString tiff = dir.filePath(QStringLiteral("pages.tif"));
    Magick::writeImages(pages.begin(), pages.end(), QFile::encodeName(tiff).toStdString());
    for (const QString &path : {cmyk, png, tiff}) {
        CDemoDoc doc;
        ASSERT_TRUE(doc.open(path, 0)) << path.toStdString();
        EXPECT_FALSE(doc.isBusy()) << path.toStdString();
        ASSERT_TRUE(doc.hasPicture());
        EXPECT_EQ(rgba(doc.screenImage()), rgba(ImageDocument::toQImage(doc.core().picture())));
    }
    CDemoDoc cmykDoc;
    ASSERT_TRUE(cmykDoc.open(cmyk, 0));
    EXPECT_EQ(cmykDoc.core().picture().colorSpace(), MagickCore::CMYKColorspace) << "edited as the library read it";
    CDemoDoc deepDoc;
    ASSERT_TRUE(deepDoc.open(png, 0));
    EXPECT_EQ(deepDoc.core().picture().depth(), 16u);
    CDemoDoc second;
    ASSERT_TRUE(second.open(tiff, 1));
    EXPECT_EQ(second.screenImage().size(), QSize(20, 30)) << "the second page";
}

// Escape while the library still reads the page cancels the read: the document is left without
// a picture and says so (its windows then close), and nothing runs on.
TEST(ImageOpen, EscapeDuringTheReadCancelsItAndTheDocumentAsksToClose)
{
    ImageDocument::initialiseLibrary();
    QTemporaryDir dir;
    const QString path = ImageTestPictures::writeJpeg(dir.filePath(QStringLiteral("page.jpg")), Jpeg::Colour, 2480, 1754);
    CDemoDoc doc;
    QSignalSpy failed(&doc, &CDemoDoc::readFailed);
    ASSERT_TRUE(doc.open(path, 0));
    CDemoView view(&doc);
    QSignalSpy leaveFullScreen(&view, &CDemoView::escapeWithoutWork);
    view.show();
    ASSERT_TRUE(doc.isBusy());
    QTest::keyClick(&view, Qt::Key_Escape);
    ASSERT_TRUE(waitIdle(doc));
    ASSERT_EQ(failed.count(), 1);
    EXPECT_TRUE(failed.at(0).at(0).toString().isEmpty()) << "cancelled, not failed: no message";
    EXPECT_EQ(leaveFullScreen.count(), 0);
    EXPECT_FALSE(doc.hasPicture());
    EXPECT_TRUE(doc.screenImage().isNull());
    EXPECT_FALSE(doc.runOnWorker(QStringLiteral("red"), slowRed()));
}

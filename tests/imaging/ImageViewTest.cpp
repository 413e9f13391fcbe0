#include "imaging/CDemoDoc.h"
#include "imaging/CDemoView.h"
#include "imaging/ImageTypes.h"

#include <QElapsedTimer>
#include <QScrollBar>
#include <QSignalSpy>
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
    EXPECT_LT(ms, 2000);
    view.setStretch(true);
    EXPECT_FALSE(view.zoomInEnabled()) << "zoom is off while stretched";
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 0);
}

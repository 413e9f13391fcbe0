#include "app/CMainFrame.h"
#include "app/ImageCommandMenu.h"
#include "app/ImageWindows.h"
#include "base/Commands.h"
#include "common/MainWindowFixture.h"
#include "imaging/CDemoDoc.h"
#include "imaging/CDemoView.h"
#include "imaging/CHistogramBar.h"
#include "imaging/ImageCommandIds.h"
#include "imaging/ImageParamNames.h"

#include <QAction>
#include <QDialog>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include <Magick++.h>

#include <gtest/gtest.h>

#include <functional>

namespace Ids = ImageCommands::Ids;

namespace {

// Answers the next modal dialog once it shows: `fill` sets its controls, then it is accepted.
void whenModal(std::function<void(QDialog *)> fill)
{
    QTimer::singleShot(0, [fill] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            whenModal(fill);
            return;
        }
        fill(dialog);
        dialog->accept();
    });
}

class ImageCommandMenuTest : public MainWindowFixture
{
protected:
    std::unique_ptr<CMainFrame> frame()
    {
        auto f = std::make_unique<CMainFrame>(m_state, m_archive.db(), *m_profile);
        f->resize(1000, 700);
        f->show();
        return f;
    }
    CDemoDoc *open(CMainFrame &f, const char *colour, size_t w, size_t h, const QString &title)
    {
        ImageDocument::initialiseLibrary();
        Magick::Image picture(Magick::Geometry(w, h), Magick::Color(colour));
        auto *doc = new CDemoDoc(f.images());
        doc->setPicture(picture, 0);
        doc->setTitle(title);
        f.images()->openDocument(doc);
        return doc;
    }
    // The menu item the user clicks, found by its text in the menu bar's image menus, as it is
    // when its menu opens.
    static QAction *item(CMainFrame &f, const QString &text)
    {
        for (QMenu *menu : f.menuBar()->findChildren<QMenu *>()) {
            if (!menu->objectName().startsWith(QStringLiteral("imageMenu")))
                continue;
            emit menu->aboutToShow();
            for (QAction *a : menu->actions())
                if (a->text() == text)
                    return a;
        }
        return nullptr;
    }
    static bool waitIdle(CDemoDoc *doc)
    {
        for (int i = 0; i < 250 && doc->isBusy(); ++i)
            QTest::qWait(20);
        return !doc->isBusy();
    }
};

} // namespace

TEST_F(ImageCommandMenuTest, RotateAsksItsAngleAndTurnsThePictureOnTheWorkerAndTheHistogramFollows)
{
    auto f = frame();
    CDemoDoc *doc = open(*f, "rgb(200,0,0)", 120, 40, QStringLiteral("page"));
    f->histogramBar()->show();
    QAction *rotate = item(*f, QStringLiteral("Rotate..."));
    ASSERT_NE(rotate, nullptr);
    EXPECT_FALSE(rotate->icon().isNull());
    EXPECT_EQ(f->histogram()->histogram().pixelCount(), 120u * 40u);

    whenModal([](QDialog *dialog) {
        dialog->findChild<QDoubleSpinBox *>(ImageParam::kAngle)->setValue(90);
    });
    rotate->trigger();
    ASSERT_TRUE(waitIdle(doc));
    EXPECT_EQ(doc->core().picture().columns(), 40u);
    EXPECT_EQ(doc->core().picture().rows(), 120u);
    EXPECT_EQ(doc->core().undoLevel(), 1);
    // The bar follows every change of the picture, not only the window's first one.
    EXPECT_EQ(f->histogram()->histogram().counts(Histogram::Red)[200], 40u * 120u);
    item(*f, QStringLiteral("Negative"))->trigger();
    ASSERT_TRUE(waitIdle(doc));
    EXPECT_EQ(f->histogram()->histogram().counts(Histogram::Red)[55], 40u * 120u);
    f->close();
}

TEST_F(ImageCommandMenuTest, MixLaysOnePictureOverAnotherIntoANewWindowAndCropWaitsForASelection)
{
    auto f = frame();
    open(*f, "rgb(200,0,0)", 50, 30, QStringLiteral("red"));
    CDemoDoc *blue = open(*f, "rgb(0,0,200)", 50, 30, QStringLiteral("blue"));
    QAction *crop = item(*f, QStringLiteral("Crop"));
    QAction *palette = item(*f, QStringLiteral("Palette"));
    ASSERT_TRUE(crop && palette);
    f->images()->commands()->trigger(Ids::Crop);
    EXPECT_EQ(blue->core().undoLevel(), 0) << "no selection, nothing cropped";
    EXPECT_FALSE(f->images()->commands()->enabled(Ids::Crop));
    EXPECT_FALSE(f->images()->commands()->enabled(Ids::Palette)) << "a true-colour picture has no palette";

    const int windows = int(f->mdiArea()->subWindowList().size());
    whenModal([](QDialog *) {});
    item(*f, QStringLiteral("Mix ..."))->trigger();
    const QList<QMdiSubWindow *> subs = f->mdiArea()->subWindowList(QMdiArea::CreationOrder);
    ASSERT_EQ(subs.size(), windows + 1);
    EXPECT_TRUE(subs.last()->windowTitle().startsWith(QStringLiteral("Mix "))) << subs.last()->windowTitle().toStdString();
    EXPECT_TRUE(subs.last()->isVisible());
    EXPECT_EQ(blue->core().undoLevel(), 0) << "mixing leaves the pictures as they were";
    f->close();
}

TEST_F(ImageCommandMenuTest, TheTextToolWritesWhereTheUserClicksAndTheTransparencyPickTakesTheClickedColour)
{
    auto f = frame();
    CDemoDoc *doc = open(*f, "rgb(255,255,255)", 400, 200, QStringLiteral("page"));
    CDemoView *view = f->images()->activeView();
    ASSERT_NE(view, nullptr);
    whenModal([](QDialog *dialog) { dialog->findChild<QLineEdit *>(QStringLiteral("text"))->setText(QStringLiteral("ارشيف")); });
    f->dispatch(Command::ToolText);
    EXPECT_EQ(view->tool(), CDemoView::Text);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->pictureToView(QPoint(20, 20)));
    EXPECT_EQ(doc->core().undoLevel(), 1);
    EXPECT_EQ(view->tool(), CDemoView::NoTool) << "the text tool is used once";
    bool changed = false;
    const QImage shown = doc->screenImage();
    for (int y = 20; y < 40 && !changed; ++y)
        for (int x = 20; x < 120 && !changed; ++x)
            changed = shown.pixelColor(x, y) != QColor(Qt::white);
    EXPECT_TRUE(changed) << "the text is drawn right of and below the click";
    EXPECT_EQ(shown.pixelColor(300, 150), QColor(Qt::white));

    f->images()->commands()->trigger(Ids::SetTransparency);
    EXPECT_TRUE(view->picksTransparency());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->pictureToView(QPoint(300, 150)));
    EXPECT_FALSE(view->picksTransparency());
    EXPECT_EQ(doc->core().undoLevel(), 2);
    EXPECT_TRUE(doc->core().picture().matte());
    EXPECT_EQ(doc->screenImage().pixelColor(300, 150).alpha(), 0);
    EXPECT_TRUE(f->images()->commands()->enabled(Ids::RemoveTransparency));
    f->close();
}

TEST_F(ImageCommandMenuTest, ASelectionTurnedWithTheRightButtonCropsTheTurnedRectangle)
{
    auto f = frame();
    // Green above row 110, blue below: the rectangle drawn lies in the green, the turned one
    // reaches into the blue.
    Magick::Image page(Magick::Geometry(300, 200), Magick::Color("rgb(0,120,0)"));
    page.fillColor(Magick::Color("rgb(0,0,200)"));
    page.draw(Magick::DrawableRectangle(0, 110, 299, 199));
    auto *doc = new CDemoDoc(f->images());
    doc->setPicture(page, 0);
    doc->setTitle(QStringLiteral("page"));
    f->images()->openDocument(doc);
    CDemoView *view = f->images()->activeView();
    ASSERT_NE(view, nullptr);
    view->setTool(CDemoView::Select);
    QWidget *area = view->viewport();
    // Shift and a left drag: the rectangle 40,40 - 160,100.
    QTest::mousePress(area, Qt::LeftButton, Qt::ShiftModifier, view->pictureToView(QPoint(40, 40)));
    QTest::mouseMove(area, view->pictureToView(QPoint(160, 100)));
    QMouseEvent move(QEvent::MouseMove, view->pictureToView(QPoint(160, 100)), area->mapToGlobal(view->pictureToView(QPoint(160, 100))),
                     Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(area, &move);
    QTest::mouseRelease(area, Qt::LeftButton, Qt::ShiftModifier, view->pictureToView(QPoint(160, 100)));
    ASSERT_EQ(view->selection(), QRect(QPoint(40, 40), QPoint(160, 100)));

    // A right drag from right of the centre (100, 70) to below it turns the selection a quarter.
    const QPoint from = view->pictureToView(QPoint(180, 70));
    const QPoint to = view->pictureToView(QPoint(100, 150));
    QTest::mousePress(area, Qt::RightButton, {}, from);
    QMouseEvent drag(QEvent::MouseMove, to, area->mapToGlobal(to), Qt::NoButton, Qt::RightButton, {});
    QApplication::sendEvent(area, &drag);
    QTest::mouseRelease(area, Qt::RightButton, {}, to);
    ASSERT_EQ(view->corners().size(), 4);
    EXPECT_NEAR(view->corners().boundingRect().width(), 61, 3);
    EXPECT_NEAR(view->corners().boundingRect().height(), 121, 3);

    // The crop straightens the turned rectangle: its sides, with the blue it now covers.
    f->images()->commands()->trigger(Ids::Crop);
    EXPECT_EQ(doc->core().undoLevel(), 1);
    const QImage cropped = doc->screenImage();
    EXPECT_NEAR(double(std::max(cropped.width(), cropped.height())), 121, 3);
    EXPECT_NEAR(double(std::min(cropped.width(), cropped.height())), 61, 3);
    int blue = 0;
    for (int y = 0; y < cropped.height(); ++y)
        for (int x = 0; x < cropped.width(); ++x)
            blue += cropped.pixelColor(x, y).blue() > 150 ? 1 : 0;
    EXPECT_GT(blue, cropped.width() * cropped.height() / 20);
    f->close();
}

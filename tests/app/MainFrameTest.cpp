#include "app/ArchiveSetup.h"
#include "app/CCaptureDlg.h"
#include "app/CMainFrame.h"
#include "app/Profile.h"
#include "imaging/CDemoDoc.h"
#include "imaging/CDemoView.h"
#include "common/MainWindowFixture.h"
#include "common/TestArchive.h"
#include "db/SqlCondition.h"
#include "search/CFReport.h"
#include "ui/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDockWidget>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QSet>
#include <QTabBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

namespace {

class MainFrameTest : public MainWindowFixture
{
protected:
    void TearDown() override
    {
        QGuiApplication::clipboard()->clear();
        MainWindowFixture::TearDown();
    }

    std::unique_ptr<CMainFrame> frame()
    {
        return std::make_unique<CMainFrame>(m_state, m_archive.db(), *m_profile);
    }
};

QImage picture(QColor colour)
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

} // namespace

TEST_F(MainFrameTest, IsTitledDovrelleWithItsBarsWhereTheyBelong)
{
    auto f = frame();
    f->show();
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Dovrelle"));
    EXPECT_TRUE(f->isRightToLeft());
    EXPECT_FALSE(f->windowIcon().pixmap(32, 32).isNull());
    EXPECT_EQ(f->mdiArea()->viewMode(), QMdiArea::TabbedView);
    EXPECT_EQ(f->toolBarArea(f->archiveToolBar()), Qt::RightToolBarArea);
    EXPECT_EQ(f->archiveToolBar()->allowedAreas(), Qt::RightToolBarArea);
    EXPECT_EQ(f->toolBarArea(f->imageToolBar()), Qt::TopToolBarArea);
    EXPECT_EQ(f->dockWidgetArea(f->basketsBar()), Qt::LeftDockWidgetArea);
    EXPECT_FALSE(f->basketsBar()->isVisible()) << "the side bar is shown at the end of start-up, not by the frame";
    EXPECT_TRUE(f->histogramBar()->isFloating());
    EXPECT_FALSE(f->histogramBar()->isVisible());
    EXPECT_EQ(f->contextMenuPolicy(), Qt::PreventContextMenu);
    EXPECT_EQ(f->action(Command::Settings)->toolTip(), QStringLiteral("اعدادات"));
    // The message pane, four image panes, CAP, NUM and SCRL.
    EXPECT_EQ(f->statusBar()->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly).size(), 7);

    f->dispatch(Command::ToggleBaskets);
    EXPECT_TRUE(f->basketsBar()->isVisible());
    f->dispatch(Command::ToggleBaskets);
    EXPECT_FALSE(f->basketsBar()->isVisible());
}

TEST_F(MainFrameTest, RightsDecideWhichCommandsAreEnabled)
{
    struct Case
    {
        int command;
        int Rights::*right;
    } cases[] = {
        {Command::Settings, &Rights::constant},  {Command::Classes, &Rights::classes},
        {Command::Search, &Rights::fileser},     {Command::Print, &Rights::printjob},
        {Command::PrintReport, &Rights::printjob},
    };
    // The windows these commands open are wired by the application; here they do nothing.
    const auto frame = [this, &cases] {
        auto f = this->frame();
        for (const Case &c : cases)
            f->setHandler(c.command, [] {});
        f->updateCommandStates();
        return f;
    };
    for (const Case &c : cases) {
        m_state.rights = {};
        auto refused = frame();
        EXPECT_FALSE(refused->action(c.command)->isEnabled()) << c.command;
        m_state.rights.*c.right = 1; // anything but 7 refuses
        refused->updateCommandStates();
        EXPECT_FALSE(refused->action(c.command)->isEnabled()) << c.command;
        m_state.rights.*c.right = kGranted;
        auto granted = frame();
        EXPECT_TRUE(granted->action(c.command)->isEnabled()) << c.command;
    }
    m_state.rights = {};
    m_state.workflowUser = false;
    auto plain = frame();
    plain->setHandler(Command::CardDialog, [] {});
    plain->setHandler(Command::DeleteFile, [] {});
    plain->updateCommandStates();
    EXPECT_TRUE(plain->action(Command::CardDialog)->isEnabled());
    EXPECT_FALSE(plain->action(Command::DeleteFile)->isEnabled());
    m_state.cardEntry = true;
    plain->updateCommandStates();
    EXPECT_TRUE(plain->action(Command::DeleteFile)->isEnabled());
}

TEST_F(MainFrameTest, ScanningCommandsAreHandledAndNoEnabledCommandIsANotice)
{
    m_state.rights.constant = m_state.rights.classes = m_state.rights.fileser = kGranted;
    m_state.rights.filesBask = m_state.rights.printjob = kGranted;
    m_state.workflowUser = true;
    m_state.cardEntry = true;
    auto f = frame();
    f->show();
    for (int command : {Command::SelectSource, Command::Acquire}) {
        ASSERT_NE(f->action(command), nullptr) << command;
        EXPECT_TRUE(f->hasHandler(command)) << command;
        EXPECT_TRUE(f->action(command)->isEnabled()) << command;
    }
    EXPECT_NE(f->scanning(), nullptr);
    EXPECT_TRUE(f->acceptDrops()) << "dropped files open image windows";

    // The menus hold no recent files yet, and no item answers with a "not available" notice.
    for (QAction *menu : f->menuBar()->actions()) {
        for (QAction *item : menu->menu()->actions()) {
            const int command = item->data().toInt();
            if (item->isSeparator() || item->menu())
                continue;
            if (item->isEnabled()) {
                EXPECT_TRUE(f->hasHandler(command)) << item->text().toStdString();
            } else {
                f->dispatch(command);
                EXPECT_FALSE(f->statusBar()->currentMessage().contains(QStringLiteral("غير متوفر")))
                    << item->text().toStdString();
            }
        }
    }
    for (QToolBar *bar : {f->imageToolBar(), f->archiveToolBar()}) {
        for (QAction *button : bar->actions()) {
            if (!button->isSeparator() && button->isEnabled()) {
                EXPECT_TRUE(f->hasHandler(button->data().toInt())) << button->data().toInt();
            }
        }
    }
}

TEST_F(MainFrameTest, FullScreenHidesTheBarsAndComesBack)
{
    auto f = frame();
    f->show();
    f->dispatch(Command::FullScreen);
    EXPECT_TRUE(f->isFullScreenOn());
    EXPECT_TRUE(f->action(Command::FullScreen)->isChecked());
    EXPECT_FALSE(f->imageToolBar()->isVisible());
    EXPECT_FALSE(f->archiveToolBar()->isVisible());
    EXPECT_FALSE(f->statusBar()->isVisible());
    f->dispatch(Command::FullScreen);
    EXPECT_FALSE(f->isFullScreenOn());
    EXPECT_FALSE(f->action(Command::FullScreen)->isChecked());
    EXPECT_TRUE(f->imageToolBar()->isVisible());
    EXPECT_TRUE(f->statusBar()->isVisible());
    EXPECT_FALSE(f->isMaximized());
}

TEST_F(MainFrameTest, PasteNeedsAPictureAndSharesTheImageCounterWithCapture)
{
    auto f = frame();
    f->show();
    QGuiApplication::clipboard()->clear();
    f->updateCommandStates();
    EXPECT_FALSE(f->action(Command::Paste)->isEnabled());

    QGuiApplication::clipboard()->setImage(picture(Qt::red));
    QCoreApplication::processEvents();
    EXPECT_TRUE(f->action(Command::Paste)->isEnabled());
    f->dispatch(Command::Paste);
    ASSERT_EQ(f->mdiArea()->subWindowList().size(), 1);
    EXPECT_EQ(f->mdiArea()->activeSubWindow()->windowTitle(), QStringLiteral("Clipboard Image 1"));

    // Capture takes the next number from the same counter.
    QTimer::singleShot(0, [] {
        if (auto *dlg = qobject_cast<CCaptureDlg *>(QApplication::activeModalWidget())) {
            dlg->choose(int(dlg->windows().size()) - 1); // the whole desktop
            dlg->accept();
        }
    });
    f->dispatch(Command::Capture);
    const int afterCapture = m_state.imageCounter;
    f->dispatch(Command::Paste);
    const QString last = f->mdiArea()->activeSubWindow()->windowTitle();
    if (afterCapture == 3) {
        EXPECT_EQ(f->mdiArea()->subWindowList().at(1)->windowTitle(), QStringLiteral("Captured Image 2"));
        EXPECT_EQ(last, QStringLiteral("Clipboard Image 3"));
    } else {
        // The platform gave no picture of the desktop: capture stopped without taking a number.
        EXPECT_EQ(afterCapture, 2);
        EXPECT_EQ(last, QStringLiteral("Clipboard Image 2"));
    }
}

TEST_F(MainFrameTest, FirstStartCoversMostOfTheScreenCentred)
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const auto coversMost = [&](const QRect &window) {
        return qint64(window.width()) * window.height() >= qint64(available.width()) * available.height() * 8 / 10
               && available.contains(window) && (window.center() - available.center()).manhattanLength() <= 2;
    };
    {
        auto f = frame(); // nothing stored yet: the defaults 0, 0, 850, 650
        f->show();
        EXPECT_TRUE(coversMost(f->geometry())) << f->geometry().width() << "x" << f->geometry().height();
    }
    // A stored rectangle with a zero edge is not applied either.
    Profile(*m_profile).setScreen({false, 0, 50, 700, 550});
    auto f = frame();
    EXPECT_NE(f->geometry().top(), 50);
    EXPECT_TRUE(coversMost(f->geometry()));
}

TEST_F(MainFrameTest, PlacementIsReadAtStartAndStoredAtClose)
{
    Profile(*m_profile).setScreen({false, 40, 50, 740, 550});
    auto f = frame();
    EXPECT_EQ(f->geometry(), QRect(40, 50, 700, 500));
    f->show();
    f->close();
    EXPECT_EQ(Profile(*m_profile).screen().right, 740) << "what was stored comes back as it was";
    EXPECT_EQ(Profile(*m_profile).screen().bottom, 550);

    const QSize screen = f->screen()->size();
    f->show();
    f->move(screen.width() - 20, 60);
    f->close();
    const ScreenPlacement stored = Profile(*m_profile).screen();
    EXPECT_EQ(stored.left, screen.width() - 100);
    EXPECT_EQ(stored.right, f->geometry().left() + f->geometry().width()) << "the right edge stays";
    EXPECT_FALSE(stored.maximized);

    // Maximised at close: only the flag is stored.
    f->showMaximized();
    f->close();
    EXPECT_TRUE(Profile(*m_profile).screen().maximized);
    EXPECT_EQ(Profile(*m_profile).screen().left, screen.width() - 100);
}

TEST_F(MainFrameTest, PrintSetupSetsUpThePrinterLaterPrintingUses)
{
    auto f = frame();
    f->show();
    ASSERT_NE(f->printer(), nullptr);
    ASSERT_TRUE(f->action(Command::PrintSetup)->isEnabled());
    QPrinter *shown = nullptr;
    bool sawDialog = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QPageSetupDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        sawDialog = dialog->isVisible();
        shown = dialog->printer();
        if (auto *landscape = dialog->findChild<QRadioButton *>(QStringLiteral("landscape")))
            landscape->click();
        dialog->accept();
    });
    f->dispatch(Command::PrintSetup);
    EXPECT_TRUE(sawDialog);
    EXPECT_EQ(shown, f->printer());
    EXPECT_EQ(f->printer()->pageLayout().orientation(), QPageLayout::Landscape);

    // A report prints through the print dialog on that same printer.
    m_state.rights.printjob = kGranted;
    auto *report = new CFReport(m_state, m_archive.db(), SqlCondition::raw(QStringLiteral("n1 > 0")),
                                QStringLiteral("تقرير"));
    report->setProgramPrinter(f->printer());
    f->addChild(report, QStringLiteral("تقرير"));
    QPrinter *printedOn = nullptr;
    QTimer::singleShot(0, [&] {
        if (auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget())) {
            printedOn = dialog->printer();
            dialog->reject();
        }
    });
    report->runCommand(CFReport::CmdPrintAll);
    EXPECT_EQ(printedOn, f->printer());
    EXPECT_EQ(f->printer()->pageLayout().orientation(), QPageLayout::Landscape);
}

TEST_F(MainFrameTest, NewWindowOpensASecondWindowOntoTheActiveChild)
{
    auto f = frame();
    f->show();
    f->dispatch(Command::WindowNew); // nothing open: nothing happens
    EXPECT_TRUE(f->mdiArea()->subWindowList().isEmpty());

    f->openImage(picture(Qt::red), QStringLiteral("صورة"));
    f->dispatch(Command::WindowNew);
    const QList<QMdiSubWindow *> windows = f->mdiArea()->subWindowList();
    ASSERT_EQ(windows.size(), 2);
    EXPECT_EQ(windows.at(0)->windowTitle(), QStringLiteral("صورة:1"));
    EXPECT_EQ(windows.at(1)->windowTitle(), QStringLiteral("صورة:2"));
    EXPECT_EQ(f->mdiArea()->activeSubWindow(), windows.at(1));
    auto *first = qobject_cast<CDemoView *>(windows.at(0)->widget());
    auto *second = qobject_cast<CDemoView *>(windows.at(1)->widget());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->document(), first->document()) << "a second view onto the same picture";
    EXPECT_EQ(second->viewport()->grab().toImage().pixelColor(5, 5), QColor(Qt::red));
    EXPECT_TRUE(windows.at(1)->isVisible());

    // Any child window that says how to make another one: a second view of the same document.
    int made = 0;
    auto make = [&made] {
        ++made;
        return static_cast<QWidget *>(new QLabel(QStringLiteral("تقرير البحث")));
    };
    f->addChild(make(), QStringLiteral("بحث"), false, make);
    f->dispatch(Command::WindowNew);
    f->dispatch(Command::WindowNew);
    EXPECT_EQ(made, 3);
    ASSERT_EQ(f->mdiArea()->subWindowList().size(), 5);
    EXPECT_EQ(f->mdiArea()->activeSubWindow()->windowTitle(), QStringLiteral("بحث:3"));
}

TEST_F(MainFrameTest, CascadeAndTileArrangeWindowsAndArrangeIconsBringsTheTabsBack)
{
    auto f = frame();
    f->resize(1000, 700);
    f->show();
    for (QColor colour : {QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue)})
        f->openImage(picture(colour), colour.name());
    QMdiArea *area = f->mdiArea();
    QRect room = area->viewport()->rect();
    const auto windows = [area] { return area->subWindowList(); };
    const auto tabsBack = [&] {
        f->dispatch(Command::WindowArrange);
        QApplication::processEvents();
        EXPECT_EQ(area->viewMode(), QMdiArea::TabbedView);
        auto *tabs = area->findChild<QTabBar *>();
        ASSERT_NE(tabs, nullptr);
        EXPECT_TRUE(tabs->isVisible());
        EXPECT_EQ(tabs->count(), 3);
        ASSERT_NE(area->activeSubWindow(), nullptr);
        EXPECT_TRUE(area->activeSubWindow()->isMaximized());
        for (QMdiSubWindow *sub : windows())
            EXPECT_FALSE(sub->isMinimized());
    };

    f->dispatch(Command::WindowCascade);
    EXPECT_EQ(area->viewMode(), QMdiArea::SubWindowView);
    room = area->viewport()->rect(); // no tab bar now
    QSet<int> tops;
    for (QMdiSubWindow *sub : windows()) {
        EXPECT_TRUE(sub->isVisible());
        EXPECT_FALSE(sub->isMaximized());
        EXPECT_LT(sub->width(), room.width());
        EXPECT_GE(sub->height(), room.height() * 6 / 10) << "cascaded windows stay large enough to work in";
        EXPECT_TRUE(room.contains(sub->geometry()));
        tops.insert(sub->y());
    }
    EXPECT_EQ(tops.size(), 3) << "cascaded windows step down one below another";
    windows().at(1)->showMinimized();
    tabsBack();

    // Tile Horz: one above another, each as wide as the room.
    f->dispatch(Command::WindowTileHorz);
    EXPECT_EQ(area->viewMode(), QMdiArea::SubWindowView);
    tops.clear();
    for (QMdiSubWindow *sub : windows()) {
        EXPECT_EQ(sub->width(), room.width());
        EXPECT_LE(sub->height(), room.height() / 3 + 1);
        tops.insert(sub->y());
    }
    EXPECT_EQ(tops.size(), 3);
    windows().at(0)->showMinimized();
    tabsBack();

    // Tile Vert: side by side, each as high as the room.
    f->dispatch(Command::WindowTileVert);
    EXPECT_EQ(area->viewMode(), QMdiArea::SubWindowView);
    QSet<int> lefts;
    for (QMdiSubWindow *sub : windows()) {
        EXPECT_EQ(sub->height(), room.height());
        EXPECT_LE(sub->width(), room.width() / 3 + 1);
        lefts.insert(sub->x());
    }
    EXPECT_EQ(lefts.size(), 3);
    // Right to left: the active window takes the rightmost place.
    EXPECT_EQ(area->activeSubWindow()->geometry().right(), room.right());
    tabsBack();
}

#include "app/ArchiveSetup.h"
#include "app/CCaptureDlg.h"
#include "app/CMainFrame.h"
#include "app/MessageBox.h"
#include "app/Profile.h"
#include "common/TestArchive.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDockWidget>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

namespace {

class MainFrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        registerCoreResources();
        QApplication::setLayoutDirection(Qt::RightToLeft);
        MessageBox::setTestMode(true);
        ASSERT_TRUE(m_archive.problem().isEmpty()) << m_archive.problem().toStdString();
        m_state = AppState::load(m_archive.home());
        m_state.currentUser = QStringLiteral("CLERK");
        m_profile = std::make_unique<QSettings>(m_dir.filePath(QStringLiteral("profile.ini")), QSettings::IniFormat);
    }
    void TearDown() override
    {
        QGuiApplication::clipboard()->clear();
        MessageBox::setTestMode(false);
    }

    std::unique_ptr<CMainFrame> frame()
    {
        return std::make_unique<CMainFrame>(m_state, m_archive.db(), *m_profile);
    }

    TestArchive m_archive{Engine::SQLite};
    QTemporaryDir m_dir;
    AppState m_state;
    std::unique_ptr<QSettings> m_profile;
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
        {Command::Search, &Rights::fileser},     {Command::Users, &Rights::filesBask},
        {Command::Print, &Rights::printjob},     {Command::PrintReport, &Rights::printjob},
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
    EXPECT_FALSE(plain->action(Command::Workflow)->isEnabled());
    EXPECT_TRUE(plain->action(Command::CardDialog)->isEnabled());
    EXPECT_FALSE(plain->action(Command::DeleteFile)->isEnabled());
    m_state.workflowUser = true;
    m_state.cardEntry = true;
    plain->updateCommandStates();
    EXPECT_TRUE(plain->action(Command::Workflow)->isEnabled());
    EXPECT_TRUE(plain->action(Command::DeleteFile)->isEnabled());
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

TEST_F(MainFrameTest, PlacementIsReadAtStartAndStoredAtClose)
{
    {
        Profile(*m_profile).setScreen({false, 0, 50, 700, 550});
        auto f = frame();
        EXPECT_NE(f->geometry().top(), 50) << "a stored rectangle with a zero edge is not applied";
    }
    Profile(*m_profile).setScreen({false, 40, 50, 740, 550});
    auto f = frame();
    EXPECT_EQ(f->geometry(), QRect(40, 50, 700, 500));
    f->show();
    const QSize screen = f->screen()->size();
    f->move(screen.width() - 20, 60);
    f->close();
    const ScreenPlacement stored = Profile(*m_profile).screen();
    EXPECT_EQ(stored.left, screen.width() - 100);
    EXPECT_EQ(stored.right, f->frameGeometry().left() + f->frameGeometry().width());
    EXPECT_FALSE(stored.maximized);
}

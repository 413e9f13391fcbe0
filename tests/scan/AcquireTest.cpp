// Select Source and Acquire of the main window against SANE's test backend.

#include "app/CMainFrame.h"
#include "app/ScanCommands.h"
#include "base/Commands.h"
#include "common/MainWindowFixture.h"
#include "common/SaneTestBackend.h"
#include "imaging/CDemoDoc.h"
#include "imaging/CDemoView.h"
#include "scan/CSourceDlg.h"
#include "scan/ScanMemory.h"

#include <QAction>
#include <QClipboard>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressDialog>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using namespace Qt::Literals::StringLiterals;

namespace {

class AcquireTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        REQUIRE_SANE_TEST_BACKEND();
        MainWindowFixture::SetUp();
    }
    void TearDown() override
    {
        QGuiApplication::clipboard()->clear();
        MainWindowFixture::TearDown();
    }

    std::unique_ptr<CMainFrame> frame()
    {
        auto f = std::make_unique<CMainFrame>(m_state, m_archive.db(), *m_profile);
        f->scanning()->setScanProgram(qEnvironmentVariable("DOVRELLE_BIN") + u"/dovrelle-scan"_s);
        f->show();
        return f;
    }

    // Runs Acquire and waits for its reading to end.
    static void acquire(CMainFrame &f)
    {
        f.dispatch(Command::Acquire);
        QTRY_VERIFY_WITH_TIMEOUT(!f.scanning()->isBusy(), 60000);
        QCoreApplication::processEvents();
    }

    static QStringList titles(const CMainFrame &f)
    {
        QStringList t;
        for (QMdiSubWindow *sub : f.mdiArea()->subWindowList(QMdiArea::CreationOrder))
            t << sub->windowTitle();
        return t;
    }

    static QSize pictureSize(QMdiSubWindow *sub)
    {
        auto *view = qobject_cast<CDemoView *>(sub->widget());
        if (!view || !view->document()->hasPicture())
            return {};
        const Magick::Image &p = view->document()->core().picture();
        return {int(p.columns()), int(p.rows())};
    }
};

} // namespace

TEST_F(AcquireTest, AcquireWithoutSelectSourceTakesOnePageFromTheDefaultDevice)
{
    auto f = frame();
    ASSERT_TRUE(f->scanning()->isAvailable());
    EXPECT_TRUE(f->action(Command::Acquire)->isEnabled());
    EXPECT_TRUE(f->action(Command::SelectSource)->isEnabled());
    f->scanning()->setOptionsAnswer(true);
    acquire(*f);
    EXPECT_EQ(f->scanning()->client().source(), u"test:0"_s);
    ASSERT_EQ(titles(*f), QStringList{u"Acquired Image 1"_s});
    // Letter size at 50 dpi, within the device's rounding.
    const QSize size = pictureSize(f->mdiArea()->subWindowList().constFirst());
    EXPECT_NEAR(size.width(), 425, 1);
    EXPECT_NEAR(size.height(), 550, 1);
    EXPECT_TRUE(f->statusBar()->currentMessage().contains(u"انتهى المسح الضوئي: 1"_s))
        << f->statusBar()->currentMessage().toStdString();
    EXPECT_EQ(ScanMemory::lastDevice(*m_profile), u"test:0"_s);
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
}

TEST_F(AcquireTest, ThreeFeederPagesContinueTheCounterOfPastedPictures)
{
    auto f = frame();
    QGuiApplication::clipboard()->setImage(QImage(20, 10, QImage::Format_RGB32));
    QCoreApplication::processEvents();
    f->dispatch(Command::Paste);
    ASSERT_EQ(titles(*f), QStringList{u"Clipboard Image 1"_s});

    // The device's values as a previous session left them: the feeder, colour, 25 dpi.
    ScanMemory::setValues(*m_profile, u"test:0"_s,
                          {{u"source"_s, u"Automatic Document Feeder"_s}, {u"mode"_s, u"Color"_s}, {u"resolution"_s, 25}});
    std::atomic<int> asked = 0;
    f->scanning()->setTransferDecision([&asked](const ScanPageInfo &info) {
        ++asked;
        return info.page == 4 ? CTwain::CancelAll : CTwain::TransferImage;
    });
    f->scanning()->setOptionsAnswer(true);
    acquire(*f);
    EXPECT_EQ(asked, 4);
    EXPECT_EQ(titles(*f), (QStringList{u"Clipboard Image 1"_s, u"Acquired Image 2"_s, u"Acquired Image 3"_s,
                                       u"Acquired Image 4"_s}));
    for (QMdiSubWindow *sub : f->mdiArea()->subWindowList().mid(1)) {
        EXPECT_TRUE(sub->isVisible());
        EXPECT_NEAR(pictureSize(sub).width(), 212, 1) << "8.5 in at 25 dpi";
    }
    EXPECT_EQ(m_state.imageCounter, 5);
    // The next paste goes on from the scans.
    f->dispatch(Command::Paste);
    EXPECT_EQ(titles(*f).constLast(), u"Clipboard Image 5"_s);
}

TEST_F(AcquireTest, TheDeviceChosenInSelectSourceIsUsedAndRemembered)
{
    auto f = frame();
    QTimer::singleShot(0, [] {
        auto *dialog = qobject_cast<CSourceDlg *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        dialog->list()->setCurrentItem(dialog->list()->topLevelItem(1));
        dialog->accept();
    });
    f->dispatch(Command::SelectSource);
    EXPECT_EQ(f->scanning()->client().source(), u"test:1"_s);
    EXPECT_EQ(ScanMemory::lastDevice(*m_profile), u"test:1"_s);
    f->scanning()->setOptionsAnswer(true);
    acquire(*f);
    EXPECT_EQ(f->scanning()->client().source(), u"test:1"_s);
    EXPECT_EQ(titles(*f), QStringList{u"Acquired Image 1"_s});

    // A new window starts on the remembered device.
    f.reset();
    auto g = frame();
    g->scanning()->setOptionsAnswer(false);
    g->dispatch(Command::Acquire);
    EXPECT_EQ(g->scanning()->client().source(), u"test:1"_s);
    EXPECT_TRUE(titles(*g).isEmpty()) << "cancelled options scan nothing";
}

TEST_F(AcquireTest, CancelInTheProgressDialogEndsTheAcquisitionAndLeavesNoHalfDocument)
{
    ScanMemory::setValues(*m_profile, u"test:0"_s,
                          {{u"source"_s, u"Automatic Document Feeder"_s},
                           {u"read-limit"_s, true},
                           {u"read-limit-size"_s, 2048},
                           {u"read-delay"_s, true},
                           {u"read-delay-duration"_s, 20000}});
    auto f = frame();
    f->scanning()->setOptionsAnswer(true);
    f->dispatch(Command::Acquire);
    ASSERT_TRUE(f->scanning()->isBusy()) << "the command returns while the page is read";
    QProgressDialog *progress = f->scanning()->progress();
    ASSERT_NE(progress, nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(progress->value() > 0, 20000);
    EXPECT_TRUE(progress->isVisible());
    EXPECT_TRUE(progress->labelText().contains(u"جار مسح الصفحة 1"_s)) << progress->labelText().toStdString();
    EXPECT_LT(progress->value(), progress->maximum());
    auto *cancel = progress->findChild<QPushButton *>();
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->text(), u"الغاء"_s);
    cancel->click();
    QTRY_VERIFY_WITH_TIMEOUT(!f->scanning()->isBusy(), 20000);
    QCoreApplication::processEvents();
    EXPECT_TRUE(titles(*f).isEmpty());
    EXPECT_EQ(m_state.imageCounter, 1) << "no number is taken for a page that did not come";
    EXPECT_TRUE(f->statusBar()->currentMessage().contains(u"ألغي المسح الضوئي"_s));
    EXPECT_EQ(f->scanning()->progress(), nullptr);
    EXPECT_TRUE(MessageBox::takeShown().isEmpty()) << "a cancel is no error";
}

TEST_F(AcquireTest, AJammedDeviceIsToldInArabicAndOpensNothing)
{
    ScanMemory::setValues(*m_profile, u"test:0"_s, {{u"read-return-value"_s, u"SANE_STATUS_JAMMED"_s}});
    auto f = frame();
    f->scanning()->setOptionsAnswer(true);
    acquire(*f);
    EXPECT_TRUE(titles(*f).isEmpty());
    const QStringList shown = MessageBox::takeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown.constFirst().contains(u"الورق عالق في مغذي الماسح الضوئي"_s)) << shown.constFirst().toStdString();
    EXPECT_TRUE(shown.constFirst().contains(u"jammed"_s, Qt::CaseInsensitive)) << shown.constFirst().toStdString();
}

TEST_F(AcquireTest, WithoutTheScannerLibraryBothCommandsOnlyLeaveANote)
{
    auto f = frame();
    f->scanning()->useLibrary(u"libsane-that-is-not-there.so.9"_s);
    EXPECT_FALSE(f->scanning()->isAvailable());
    for (int command : {Command::SelectSource, Command::Acquire}) {
        f->statusBar()->clearMessage();
        f->dispatch(command);
        EXPECT_FALSE(f->scanning()->isBusy());
        EXPECT_TRUE(f->statusBar()->currentMessage().contains(u"المسح الضوئي غير متاح"_s))
            << f->statusBar()->currentMessage().toStdString();
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    EXPECT_TRUE(titles(*f).isEmpty());
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    EXPECT_EQ(m_state.imageCounter, 1);
}

#include "app/CArchiveApp.h"
#include "app/CMainFrame.h"
#include "app/ImageWindows.h"
#include "app/RecentFiles.h"
#include "cards/CCardDlg.h"
#include "common/AnswerLogin.h"
#include "common/MainWindowFixture.h"
#include "common/TestArchive.h"
#include "imaging/CDemoDoc.h"
#include "imaging/CDemoView.h"
#include "ui/CGridCtrl.h"
#include "ui/FileDialog.h"
#include "ui/MessageBox.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <Magick++.h>

#include <gtest/gtest.h>

#include <list>

namespace {

QString writePicture(const QString &path, const char *colour, size_t w = 60, size_t h = 40)
{
    ImageDocument::initialiseLibrary();
    Magick::Image picture(Magick::Geometry(w, h), Magick::Color(colour));
    picture.write(QFile::encodeName(path).toStdString());
    return path;
}

class ImageWindowsTest : public MainWindowFixture
{
protected:
    std::unique_ptr<CMainFrame> frame()
    {
        m_state.rights.printjob = kGranted;
        auto f = std::make_unique<CMainFrame>(m_state, m_archive.db(), *m_profile);
        f->resize(1000, 700);
        f->show();
        return f;
    }
    QStringList titles(CMainFrame &f)
    {
        QStringList out;
        for (QMdiSubWindow *sub : f.mdiArea()->subWindowList(QMdiArea::CreationOrder))
            out << sub->windowTitle();
        return out;
    }
};

CDemoView *activeView(CMainFrame &f)
{
    return f.images()->activeView();
}

} // namespace

TEST_F(ImageWindowsTest, AThreePageTiffOpensThreeWindowsAndTheFileJoinsTheRecentList)
{
    auto f = frame();
    const QString tiff = m_dir.filePath(QStringLiteral("scan.tif"));
    std::list<Magick::Image> pages;
    for (const char *c : {"red", "lime", "blue"})
        pages.emplace_back(Magick::Geometry(30, 20), Magick::Color(c));
    Magick::writeImages(pages.begin(), pages.end(), QFile::encodeName(tiff).toStdString());

    MessageBox::setNextAnswer(QMessageBox::Ok);
    FileDialog::setNextPath(tiff);
    ASSERT_TRUE(f->action(Command::FileOpen)->isEnabled());
    f->dispatch(Command::FileOpen);
    EXPECT_EQ(MessageBox::takeShown(), QStringList{QStringLiteral("File with 3 images. Read all?")});
    EXPECT_EQ(titles(*f), (QStringList{QStringLiteral("scan.tif"), QStringLiteral("scan.tif (2)"),
                                       QStringLiteral("scan.tif (3)")}));
    EXPECT_EQ(activeView(*f)->document()->screenImage().pixelColor(1, 1), QColor(Qt::blue));
    EXPECT_EQ(RecentFiles(*m_profile).entries().value(0), QFileInfo(tiff).absoluteFilePath());
    EXPECT_EQ(f->statusBar()->findChild<QLabel *>(QStringLiteral("pane4"))->text(), QStringLiteral("(30x20x24)"));
    EXPECT_EQ(f->statusBar()->findChild<QLabel *>(QStringLiteral("pane3"))->text(), QStringLiteral("TIF"));

    // Cancel opens only the first page.
    MessageBox::setNextAnswer(QMessageBox::Cancel);
    f->images()->openFile(tiff);
    MessageBox::takeShown();
    EXPECT_EQ(f->mdiArea()->subWindowList().size(), 4);

    // A recent file that has gone is said and dropped from the list.
    const QString gone = writePicture(m_dir.filePath(QStringLiteral("gone.png")), "red");
    f->images()->openFile(gone);
    QFile::remove(gone);
    QMenu *file = f->menuBar()->actions().constFirst()->menu();
    QMenu *recent = nullptr;
    for (QAction *a : file->actions())
        recent = a->menu() ? a->menu() : recent;
    ASSERT_NE(recent, nullptr);
    ASSERT_EQ(recent->actions().size(), 2);
    recent->actions().constFirst()->trigger();
    EXPECT_EQ(MessageBox::takeShown().size(), 1);
    EXPECT_EQ(RecentFiles(*m_profile).entries().size(), 1);

    f->dispatch(Command::CloseAllImages);
    QCoreApplication::processEvents();
    EXPECT_TRUE(f->mdiArea()->subWindowList().isEmpty());
}

// A JPEG page from File Open shows before the library has read it; Save As and Duplicate wait for
// that read, and Escape during it closes the window again without a message.
TEST_F(ImageWindowsTest, AJpegWindowWaitsForItsPictureAndEscapeDuringTheReadClosesIt)
{
    auto f = frame();
    ImageDocument::initialiseLibrary();
    Magick::Image page(Magick::Geometry(1600, 1200), Magick::Color("rgb(200,120,40)"));
    page.quality(90);
    const QString jpeg = m_dir.filePath(QStringLiteral("page.jpg"));
    page.write(QFile::encodeName(jpeg).toStdString());

    FileDialog::setNextPath(jpeg);
    f->dispatch(Command::FileOpen);
    ASSERT_EQ(f->mdiArea()->subWindowList().size(), 1);
    CDemoDoc *doc = activeView(*f)->document();
    ASSERT_TRUE(doc->isBusy());
    f->updateCommandStates();
    EXPECT_FALSE(f->action(Command::FileSaveAs)->isEnabled());
    EXPECT_FALSE(f->action(Command::Duplicate)->isEnabled());
    EXPECT_TRUE(QTest::qWaitFor([doc] { return !doc->isBusy(); }, 10000));
    EXPECT_TRUE(f->action(Command::FileSaveAs)->isEnabled()) << "enabled again once the picture is read";
    EXPECT_TRUE(f->action(Command::Duplicate)->isEnabled());
    EXPECT_EQ(f->statusBar()->findChild<QLabel *>(QStringLiteral("pane4"))->text(), QStringLiteral("(1600x1200x24)"));
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());

    FileDialog::setNextPath(jpeg);
    f->dispatch(Command::FileOpen);
    ASSERT_EQ(f->mdiArea()->subWindowList().size(), 2);
    CDemoView *reading = activeView(*f);
    ASSERT_TRUE(reading->document()->isBusy());
    QTest::keyClick(reading, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&f] { return f->mdiArea()->subWindowList().size() == 1; }, 10000));
    EXPECT_TRUE(MessageBox::takeShown().isEmpty()) << "a cancelled read says nothing";
}

TEST_F(ImageWindowsTest, DuplicateNewWindowZoomAndAGifSavedAfterItsWarning)
{
    auto f = frame();
    f->openImage(QImage(), QStringLiteral("Clipboard Image 1"));
    f->updateCommandStates();
    EXPECT_FALSE(f->action(Command::FileSaveAs)->isEnabled()) << "an empty paste has nothing to save";
    QImage colours(40, 30, QImage::Format_RGB32);
    colours.fill(Qt::red);
    colours.setPixelColor(3, 3, Qt::blue);
    f->openImage(colours, QStringLiteral("Clipboard Image 2"));
    m_state.imageCounter = 3;
    f->updateCommandStates();
    ASSERT_TRUE(f->action(Command::Duplicate)->isEnabled());
    EXPECT_FALSE(f->action(Command::FileSave)->isEnabled());
    f->dispatch(Command::Duplicate);
    EXPECT_EQ(f->mdiArea()->activeSubWindow()->windowTitle(), QStringLiteral("Copy 3 of Clipboard Image 2"));

    f->dispatch(Command::WindowNew);
    CDemoView *second = activeView(*f);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(f->mdiArea()->subWindowList().size(), 4);
    f->updateCommandStates();
    EXPECT_FALSE(f->action(Command::NormalSize)->isEnabled());
    f->dispatch(Command::ZoomIn);
    EXPECT_EQ(second->zoom(), 1.5);
    EXPECT_EQ(f->statusBar()->findChild<QLabel *>(QStringLiteral("pane2"))->text(), QStringLiteral(" 150 %"));
    EXPECT_TRUE(f->action(Command::NormalSize)->isEnabled());

    const QString gif = m_dir.filePath(QStringLiteral("copy.gif"));
    FileDialog::setNextPath(gif);
    f->dispatch(Command::FileSaveAs);
    const QStringList shown = MessageBox::takeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown.constFirst().startsWith(QStringLiteral("The image will be saved as a true color GIF!")));
    EXPECT_TRUE(QFileInfo(gif).size() > 0);
    EXPECT_EQ(second->document()->title(), QStringLiteral("copy.gif"));
    EXPECT_EQ(f->mdiArea()->activeSubWindow()->windowTitle(), QStringLiteral("copy.gif"));
}

TEST(ImageHandOver, AWorkerChangeIsUndoneAndThePictureJoinsTheOpenCard)
{
    MessageBox::setTestMode(true);
    TestArchive archive(Engine::SQLite);
    ASSERT_TRUE(archive.problem().isEmpty()) << archive.problem().toStdString();
    QTemporaryDir dir;
    CArchiveApp app(archive.home(), std::make_unique<QSettings>(dir.filePath(QStringLiteral("p.ini")), QSettings::IniFormat));
    logInAs(QStringLiteral("master"), kTestMasterPassword);
    ASSERT_TRUE(app.start({QStringLiteral("dovrelle")}));
    CMainFrame *f = app.mainFrame();
    app.openImageFile(writePicture(dir.filePath(QStringLiteral("page.png")), "rgb(0,0,200)", 400, 300));
    CDemoView *view = activeView(*f);
    ASSERT_NE(view, nullptr);
    CDemoDoc *doc = view->document();

    const bool started = doc->runOnWorker(QStringLiteral("long"), [](const Magick::Image &picture, ImageProgress &progress) {
        for (int step = 1; step <= 10; ++step) {
            progress.percent = step * 10;
            QThread::msleep(80);
        }
        Magick::Image flipped = picture;
        flipped.opaque(Magick::Color("rgb(0,0,200)"), Magick::Color("white"));
        return Result<Magick::Image>(flipped);
    });
    ASSERT_TRUE(started);
    QTest::qWait(400);
    f->updateCommandStates();
    for (int command : {int(Command::FileSaveAs), int(Command::Undo), int(Command::Copy), int(Command::Duplicate),
                        int(Command::Print)})
        EXPECT_FALSE(f->action(command)->isEnabled()) << "busy: " << command;
    // How the picture is looked at is not a change: zoom and tools stay.
    EXPECT_TRUE(f->action(Command::ZoomIn)->isEnabled());
    EXPECT_TRUE(f->action(Command::ToolSelect)->isEnabled());
    const QString progress = f->statusBar()->findChild<QLabel *>(QStringLiteral("pane2"))->text();
    EXPECT_TRUE(progress.endsWith(QStringLiteral(" %")) && progress != QStringLiteral("100 %")) << progress.toStdString();
    for (int i = 0; i < 200 && doc->isBusy(); ++i)
        QTest::qWait(20);
    ASSERT_FALSE(doc->isBusy());
    f->updateCommandStates();
    EXPECT_TRUE(f->action(Command::Undo)->isEnabled());
    EXPECT_EQ(f->action(Command::Undo)->text(), QStringLiteral("Undo (1)\tCtrl+Z"));
    EXPECT_EQ(doc->screenImage().pixelColor(5, 5), QColor(Qt::white));
    f->dispatch(Command::Undo);
    EXPECT_EQ(doc->screenImage().pixelColor(5, 5), QColor(0, 0, 200));

    // ">>>>>": saved as a JPEG and appended to the card being entered.
    f->dispatch(Command::CardDialog);
    app.cardDialog()->newCard();
    CGridCtrl *files = app.cardDialog()->fileList();
    const int before = files->rowCount();
    const QString chosen = dir.filePath(QStringLiteral("for the card"));
    FileDialog::setNextPath(chosen);
    f->images()->handToCard();
    const QFileInfo jpeg(chosen + QStringLiteral(".jpg"));
    ASSERT_TRUE(jpeg.exists());
    ASSERT_EQ(files->rowCount(), before + 1);
    const int row = files->rowCount() - 1;
    EXPECT_EQ(files->text(row, 7), QStringLiteral("for the card.jpg"));
    EXPECT_EQ(files->text(row, 6), jpeg.absolutePath() + QLatin1Char('/'));
    EXPECT_EQ(files->text(row, 4), QString::number(jpeg.size()));
    EXPECT_EQ(files->image(row, 0), 3);
    MessageBox::takeShown();
    f->close();
    MessageBox::setTestMode(false);
}

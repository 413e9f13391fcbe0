// The preview window, the image hand-off and the basket viewer's print command as the user meets
// them: pictures of every archive format, the window that comes up on a double-click, and the
// print right.
#include "FeedTestSupport.h"
#include "app/ArchiveSetup.h"
#include "app/CArchiveApp.h"
#include "app/CMainFrame.h"
#include "base/Palette.h"
#include "baskets/CFT.h"
#include "baskets/CFV.h"
#include "baskets/CPreviewDlg.h"
#include "cards/Archiver.h"
#include "common/AnswerLogin.h"
#include "common/TestArchive.h"
#include "common/TestPictures.h"
#include "db/CDFSet.h"
#include "search/CFReport.h"
#include "search/CViewPrintPreview.h"
#include "search/QueryBuilder.h"
#include "ui/CGridCtrl.h"
#include "ui/GridModel.h"
#include "ui/MessageBox.h"
#include "users/CLoginDlg.h"
#include "users/UserAdmin.h"


#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QPlainTextEdit>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr QPoint kPreviewCentre{150, 135};

std::string formatName(const ::testing::TestParamInfo<TestPictures::Format> &info)
{
    return info.param.extension;
}

class PreviewFormats : public ::testing::TestWithParam<TestPictures::Format>
{
};

void doubleClickCell(CGridCtrl *grid, int row, int column)
{
    const QRect cell = grid->visualRect(grid->gridModel()->cellIndex(row, column));
    ASSERT_TRUE(cell.isValid());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}


template <typename Window>
Window *newestChild(CMainFrame *frame)
{
    const QList<QMdiSubWindow *> windows = frame->mdiArea()->subWindowList();
    return windows.isEmpty() ? nullptr : qobject_cast<Window *>(windows.last()->widget());
}

} // namespace

TEST_P(PreviewFormats, ThePictureShowsInThePreviewBox)
{
    QTemporaryDir dir;
    const QString path = TestPictures::write(dir.filePath(u"item."_s + QLatin1StringView(GetParam().extension)),
                                             GetParam().magick);
    ASSERT_FALSE(path.isEmpty());
    CPreviewDlg preview;
    preview.showPreview(path, u"عنوان"_s, u"وصف"_s, CPreviewDlg::DescriptionGiven);
    ASSERT_EQ(preview.picture().size(), CPreviewDlg::kPictureSize);
    EXPECT_TRUE(TestPictures::isInk(preview.picture().pixel(kPreviewCentre)));
    EXPECT_FALSE(preview.grid()->image(0, 0) < 0);
}

INSTANTIATE_TEST_SUITE_P(Formats, PreviewFormats, ::testing::ValuesIn(TestPictures::formats()), formatName);

TEST(PreviewWindow, AMetafileShowsAndAnUndecodableFileGivesTheEmptyBox)
{
    QTemporaryDir dir;
    const QString drawing = TestPictures::writeMetafile(dir.filePath(u"drawing.wmf"_s));
    CPreviewDlg preview;
    preview.showPreview(drawing, {}, {}, CPreviewDlg::DescriptionGiven);
    EXPECT_TRUE(TestPictures::isInk(preview.picture().pixel(kPreviewCentre)));

    const QString broken = dir.filePath(u"broken.pcx"_s);
    FeedTest::writeBytes(broken, "not a picture");
    preview.showPreview(broken, {}, {}, CPreviewDlg::DescriptionGiven);
    EXPECT_EQ(preview.picture().pixel(kPreviewCentre), qRgb(255, 255, 255));
    EXPECT_EQ(preview.picture().pixel(0, 0), Palette::kPictureFrame);
}

TEST(ImageHandOff, APcxHitBecomesTheThreeHundredWideJpeg)
{
    MessageBox::setTestMode(true);
    TestArchive archive(Engine::SQLite);
    ASSERT_TRUE(archive.problem().isEmpty()) << archive.problem().toStdString();
    AppState state = AppState::load(archive.home());
    QTemporaryDir dir;
    const QString pcx = TestPictures::write(dir.filePath(u"hit.pcx"_s), "PCX", QSize(80, 60));
    CFReport report(state, archive.db(), SqlCondition::raw(u"n1 > 0"_s), u"تقرير"_s);
    const Status written = report.writeImageHandOff(pcx);
    ASSERT_TRUE(written.ok()) << written.error().toStdString();
    const QImage handed(report.imageHandOffPath(), "JPEG");
    EXPECT_EQ(handed.size(), QSize(300, 225));
    EXPECT_TRUE(TestPictures::isInk(handed.pixel(150, 112)));
    MessageBox::setTestMode(false);
}

// The running program: type icons at start, and the preview window on a double-click in a report
// and in a basket viewer.
class RunningProgram : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!m_archive.problem().isEmpty())
            GTEST_SKIP() << m_archive.problem().toStdString();
        ASSERT_TRUE(m_dir.isValid());
        // Thumbnails are cached under the user's cache folder: keep them in the test's.
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir.filePath(u"cache"_s)));
        MessageBox::setTestMode(true);
    }
    void TearDown() override { MessageBox::setTestMode(false); }

    bool start(CArchiveApp &app)
    {
        logInAs(u"master"_s, kTestMasterPassword);
        return app.start({u"dovrelle"_s});
    }

    std::unique_ptr<QSettings> profile()
    {
        return std::make_unique<QSettings>(m_dir.filePath(u"profile.ini"_s), QSettings::IniFormat);
    }

    TestArchive m_archive{Engine::SQLite};
    QTemporaryDir m_dir;
};

TEST_F(RunningProgram, StartingPutsTheMissingTypeIconsIntoTheArchive)
{
    const QString icons = typeIconsFolder(m_archive.home());
    ASSERT_TRUE(QDir(icons).removeRecursively());
    // One icon of the office's own stays as it is.
    ASSERT_TRUE(QDir().mkpath(icons));
    FeedTest::writeBytes(icons + u"/pdf.jpg"_s, "the office's own");

    CArchiveApp app(m_archive.home(), profile());
    ASSERT_TRUE(start(app));

    for (const char *name : {"FOLDER.jpg", "word.jpg", "zip.jpg", "any.jpg", "ppt.jpg"}) {
        const QString icon = icons + u'/' + QLatin1StringView(name);
        EXPECT_FALSE(QImage(icon).isNull()) << name;
    }
    EXPECT_EQ(FeedTest::readAll(icons + u"/pdf.jpg"_s), QByteArray("the office's own"));
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
}

TEST_F(RunningProgram, DoubleClickOnAReportThumbnailShowsThePreview)
{
    DocumentRow row;
    row.cardNumber = 1;
    row.itemNumber = 1;
    row.kind = KindImage;
    row.classPath = u"@1@"_s;
    row.fileName = u"scan.pcx"_s;
    row.keywords = u"مالية"_s;
    row.seriesFolder = u"Ser1"_s;
    row.extension = u"PCX"_s;
    row.description = u"الصفحة الاولى"_s;
    row.cardDate = QDate(2026, 1, 2).startOfDay();
    ASSERT_TRUE(CDFSet(m_archive.db()).insert(row).ok());
    const QString stored = Archiver::storedPath(m_archive.fileServerFolder(), row);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(stored).absolutePath()));
    ASSERT_FALSE(TestPictures::write(stored, "PCX", QSize(400, 300)).isEmpty());

    CArchiveApp app(m_archive.home(), profile());
    ASSERT_TRUE(start(app));
    CPreviewDlg *preview = app.previewWindow();
    ASSERT_NE(preview, nullptr);
    EXPECT_FALSE(preview->isVisible()) << "made hidden at start";

    app.openReportWindow({u"SELECT * FROM FILESERVER"_s, SqlCondition::raw(u"n1 > 0"_s), u"تقرير"_s});
    auto *report = newestChild<CFReport>(app.mainFrame());
    ASSERT_NE(report, nullptr);
    if (report->thumbnailGrid()->rowCount() == 0) {
        QSignalSpy done(report, &CFReport::loadingFinished);
        ASSERT_TRUE(done.wait(20000));
    }
    ASSERT_EQ(report->thumbnailGrid()->rowCount(), 1);

    doubleClickCell(report->thumbnailGrid(), 0, 0);

    EXPECT_TRUE(preview->isVisible());
    EXPECT_EQ(preview->windowTitle(), u"مالية"_s);
    EXPECT_EQ(preview->description(), u"الصفحة الاولى"_s);
    EXPECT_TRUE(TestPictures::isInk(preview->picture().pixel(kPreviewCentre)));
}

TEST_F(RunningProgram, DoubleClickOnABasketPictureShowsThePreview)
{
    const QString feed = m_dir.filePath(u"feed"_s);
    ASSERT_TRUE(QDir().mkpath(feed));
    ASSERT_FALSE(TestPictures::write(feed + u"/fax.ras"_s, "SUN", QSize(300, 400)).isEmpty());
    FeedTest::writeBytes(feed + u"/today.idx"_s, FeedTest::record(0, u"fax.ras"_s));

    CArchiveApp app(m_archive.home(), profile());
    ASSERT_TRUE(start(app));
    app.openBasketViewer({u"الفاكس"_s, feed, u"today.idx"_s, BasketContent::PicturesOrFiles});
    auto *viewer = newestChild<CFV>(app.mainFrame());
    ASSERT_NE(viewer, nullptr);
    if (viewer->pictureGrid()->rowCount() == 0) {
        QSignalSpy done(viewer, &CFV::loadingFinished);
        ASSERT_TRUE(done.wait(20000));
    }
    ASSERT_EQ(viewer->pictureGrid()->rowCount(), 1);
    ASSERT_FALSE(app.previewWindow()->isVisible());

    doubleClickCell(viewer->pictureGrid(), 0, 0);

    EXPECT_TRUE(app.previewWindow()->isVisible());
    EXPECT_TRUE(TestPictures::isInk(app.previewWindow()->picture().pixel(kPreviewCentre)));
}

// Each basket window keeps the basket it was opened on, whatever opens after it.
TEST_F(RunningProgram, APrintFromABasketViewerIsCaptionedWithItsOwnBasket)
{
    const QString fax = m_dir.filePath(u"fax"_s);
    const QString scan = m_dir.filePath(u"scan"_s);
    for (const QString &feed : {fax, scan}) {
        ASSERT_TRUE(QDir().mkpath(feed));
        FeedTest::writeJpeg(feed + u"/page.jpg"_s);
        FeedTest::writeBytes(feed + u"/in.idx"_s, FeedTest::record(0, u"page.jpg"_s));
    }
    CArchiveApp app(m_archive.home(), profile());
    ASSERT_TRUE(start(app));
    app.state().rights.printjob = kGranted;
    app.openBasketViewer({u"الفاكس"_s, fax, u"in.idx"_s, BasketContent::PicturesOrFiles});
    auto *first = newestChild<CFV>(app.mainFrame());
    ASSERT_NE(first, nullptr);
    app.openBasketViewer({u"الماسح"_s, scan, u"in.idx"_s, BasketContent::PicturesOrFiles});
    ASSERT_NE(newestChild<CFV>(app.mainFrame()), first);
    if (first->pictureGrid()->rowCount() == 0) {
        QSignalSpy done(first, &CFV::loadingFinished);
        ASSERT_TRUE(done.wait(20000));
    }
    ASSERT_EQ(first->pictureGrid()->rowCount(), 1);
    CGridCtrl *grid = first->pictureGrid();
    grid->setCurrentCell(0, 1);
    grid->selectionModel()->select(grid->gridModel()->cellIndex(0, 1), QItemSelectionModel::Select);

    first->runCommand(CFV::CmdPrint);
    QPointer<CViewPrintPreview> preview = CViewPrintPreview::current();
    ASSERT_TRUE(preview);
    EXPECT_TRUE(preview->isVisible());
    EXPECT_EQ(preview->windowTitle(), u"الفاكس"_s);
    EXPECT_EQ(preview->source(), PrintSource::BasketViewer);
    EXPECT_EQ(preview->pages(), QStringList{fax + u"/page.jpg"_s});
    EXPECT_FALSE(app.mainFrame()->isVisible()) << "the main window waits behind the preview";
    delete preview.data();
    EXPECT_TRUE(app.mainFrame()->isVisible());
}

TEST_F(RunningProgram, ReceivedFilesAndTheirNewWindowBrowseTheUsersFolder)
{
    const QString folder = receivedFilesFolder(m_archive.databaseFolder(), u"MASTER"_s);
    ASSERT_TRUE(QDir().mkpath(folder));
    FeedTest::writeBytes(folder + u"/letter.doc"_s, "doc");
    CArchiveApp app(m_archive.home(), profile());
    ASSERT_TRUE(start(app));
    MessageBox::takeShown(); // the count of waiting files
    CMainFrame *frame = app.mainFrame();

    frame->dispatch(Command::ReceivedFiles);
    auto *browser = newestChild<CFT>(frame);
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(browser->isVisible());
    EXPECT_EQ(browser->windowTitle(), u"Recived Files"_s);
    EXPECT_EQ(QDir(browser->folder()).canonicalPath(), QDir(folder).canonicalPath());
    EXPECT_TRUE(browser->isReceivedFiles());

    // Another basket opened in between does not change what the second window shows.
    const QString other = m_dir.filePath(u"other"_s);
    ASSERT_TRUE(QDir().mkpath(other));
    app.openThumbnailBrowser(BasketSource::ofFolder(u"أخرى"_s, other));
    ASSERT_NE(newestChild<CFT>(frame), browser);
    frame->mdiArea()->setActiveSubWindow(frame->mdiArea()->subWindowList().first());
    frame->dispatch(Command::WindowNew);
    auto *second = newestChild<CFT>(frame);
    ASSERT_NE(second, nullptr);
    ASSERT_NE(second, browser);
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(second->folder(), browser->folder());
    EXPECT_TRUE(second->isReceivedFiles());
    if (second->grid()->rowCount() == 0) {
        QSignalSpy done(second, &CFT::loadingFinished);
        ASSERT_TRUE(done.wait(20000));
    }
    EXPECT_EQ(second->grid()->text(1, 0), u"letter.doc"_s);
}

// The basket viewer's print command (32931) and the preview it opens, with and without the
// print right.
class BasketPrinting : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString feed = m_dir.filePath(u"feed"_s);
        ASSERT_TRUE(QDir().mkpath(feed));
        FeedTest::writeJpeg(feed + u"/page.jpg"_s);
        FeedTest::writeBytes(feed + u"/scan.idx"_s, FeedTest::record(0, u"page.jpg"_s));
        m_state.programFolder = m_dir.path();
        m_source = {u"الماسح"_s, feed, u"scan.idx"_s, BasketContent::PicturesOrFiles};
        MessageBox::setTestMode(true);
    }
    void TearDown() override
    {
        if (CViewPrintPreview *open = CViewPrintPreview::current())
            delete open;
        MessageBox::setTestMode(false);
    }

    // A shown viewer with its one row loaded and selected.
    std::unique_ptr<CFV> viewer()
    {
        auto v = std::make_unique<CFV>(m_state, m_source);
        v->setAttribute(Qt::WA_DeleteOnClose, false);
        v->show();
        if (v->pictureGrid()->rowCount() == 0) {
            QSignalSpy done(v.get(), &CFV::loadingFinished);
            EXPECT_TRUE(done.wait(20000));
        }
        EXPECT_EQ(v->pictureGrid()->rowCount(), 1);
        CGridCtrl *grid = v->pictureGrid();
        grid->setCurrentCell(0, 1);
        grid->selectionModel()->select(grid->gridModel()->cellIndex(0, 1), QItemSelectionModel::Select);
        return v;
    }

    static QAction *printAction(QMenu *menu)
    {
        for (QAction *action : menu->actions()) {
            if (action->data().toInt() == CFV::CmdPrint)
                return action;
        }
        return nullptr;
    }

    QTemporaryDir m_dir;
    AppState m_state;
    BasketSource m_source;
};

TEST_F(BasketPrinting, WithoutThePrintRightPrintIsDisabledAndRefused)
{
    m_state.rights.printjob = 3;
    const std::unique_ptr<CFV> v = viewer();
    std::unique_ptr<QMenu> menu(v->contextMenu(CFV::kPictureGridKind));
    QAction *print = printAction(menu.get());
    ASSERT_NE(print, nullptr);
    EXPECT_FALSE(print->isEnabled());

    // Reached anyway (a key, a stale menu), the command prints nothing and says why.
    QSignalSpy requested(v.get(), &CFV::printRequested);
    v->runCommand(CFV::CmdPrint);
    EXPECT_EQ(requested.count(), 0);
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"لا تملك صلاحية الطباعة"_s});

    QMainWindow main;
    main.show();
    CViewPrintPreview::open(m_state, PrintSource::BasketViewer, m_source.title, {v->rowPath(0)}, &main);
    EXPECT_EQ(CViewPrintPreview::current(), nullptr);
    EXPECT_TRUE(main.isVisible());
    delete CViewPrintPreview::current(); // one that opened after all must go before its main window
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"لا تملك صلاحية الطباعة"_s});
}

TEST_F(BasketPrinting, WithThePrintRightTheSelectedPictureGoesToThePreview)
{
    m_state.rights.printjob = kGranted;
    const std::unique_ptr<CFV> v = viewer();
    std::unique_ptr<QMenu> menu(v->contextMenu(CFV::kPictureGridKind));
    ASSERT_NE(printAction(menu.get()), nullptr);
    EXPECT_TRUE(printAction(menu.get())->isEnabled());

    QSignalSpy requested(v.get(), &CFV::printRequested);
    v->runCommand(CFV::CmdPrint);
    ASSERT_EQ(requested.count(), 1);
    EXPECT_EQ(requested.at(0).at(0).toStringList(), QStringList{v->rowPath(0)});
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
}

TEST(TypeIcons, EveryIconTheThumbnailBrowserNamesIsInstalled)
{
    QTemporaryDir home;
    ASSERT_TRUE(installTypeIcons(home.path()).ok());
    for (const QString &extension : {u"doc"_s, u"RTF"_s, u"txt"_s, u"mdb"_s, u"htm"_s, u"html"_s, u"xls"_s, u"pdf"_s,
                                     u"dll"_s, u"ocx"_s, u"zip"_s, u"dat"_s, u"exe"_s, u"chm"_s, u"docx"_s, u""_s}) {
        const QString icon = home.path() + CFT::iconFile(extension);
        EXPECT_FALSE(QImage(icon).isNull()) << icon.toStdString();
    }
}

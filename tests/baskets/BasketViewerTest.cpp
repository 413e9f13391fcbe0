#include "FeedTestSupport.h"

#include "base/AppState.h"
#include "base/Cp1256.h"
#include "base/HandOffFolder.h"
#include "baskets/CFV.h"
#include "baskets/DescriptionReader.h"
#include "imaging/Thumbnail.h"
#include "ui/CGridCtrl.h"
#include "ui/GridModel.h"
#include "ui/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

// Stands in for the desktop's own program: records what would have been opened.
class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened.append(url); }
};

bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

// A page button and the page it loads in the background.
bool clickAndWait(CFV *viewer, QPushButton *button)
{
    button->click();
    return waitUntil([viewer] { return !viewer->isLoading(); }, 20000);
}

QStringList column(const CGridCtrl *grid, int c)
{
    QStringList out;
    for (int r = 0; r < grid->rowCount(); ++r)
        out.append(grid->text(r, c));
    return out;
}

QStringList numbers(int highest, int lowest)
{
    QStringList out;
    for (int p = highest; p >= lowest; --p)
        out.append(QString::number(p));
    return out;
}

class BasketViewer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_feed = m_dir.path() + u"/feed"_s;
        m_jpeg = FeedTest::writeJpeg(m_dir.path() + u"/scan.jpg"_s);
        m_state.programFolder = m_dir.path() + u"/program"_s;
        m_source = {u"وارد الفاكس"_s, m_feed, u"in.idx"_s, BasketContent::PicturesOrFiles};
        MessageBox::setTestMode(true);
    }

    void TearDown() override
    {
        if (m_viewer)
            delete m_viewer.data();
        MessageBox::takeShown();
        MessageBox::setTestMode(false);
    }

    // count copies of the picture, described "Page <n> of the morning post".
    void feedPictures(int count)
    {
        QStringList args{u"--describe"_s, u"Page {n} of the morning post"_s};
        for (int i = 0; i < count; ++i)
            args.append(m_jpeg);
        const FeedTest::Run run = FeedTest::add(m_feed, u"in.idx"_s, args);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    }

    void feedTexts(const QStringList &texts)
    {
        QStringList args;
        for (const QString &t : texts)
            args << u"--text"_s << t;
        const FeedTest::Run run = FeedTest::add(m_feed, u"in.idx"_s, args);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    }

    CFV *open(BasketContent kind = BasketContent::PicturesOrFiles, int retryBudgetMs = 1000)
    {
        m_source.kind = kind;
        m_viewer = new CFV(m_state, m_source);
        m_viewer->setRetryBudget(retryBudgetMs);
        m_viewer->show();
        if (kind == BasketContent::PicturesOrFiles)
            EXPECT_TRUE(waitUntil([this] { return !m_viewer->isLoading(); }, 20000));
        else
            EXPECT_TRUE(waitUntil([this] { return m_viewer->textTimer()->isActive(); }, 20000));
        QCoreApplication::processEvents();
        return m_viewer;
    }

    QTemporaryDir m_dir;
    QString m_feed;
    QString m_jpeg;
    AppState m_state;
    BasketSource m_source;
    QPointer<CFV> m_viewer;
};

} // namespace

TEST_F(BasketViewer, PicturesOpenNewestOnTopWithThumbnailsAndGoLive)
{
    feedPictures(30);
    CFV *viewer = open();
    CGridCtrl *grid = viewer->pictureGrid();
    EXPECT_EQ(grid->gridKind(), 91);
    EXPECT_TRUE(grid->isVisible());
    EXPECT_FALSE(viewer->textGrid()->isVisible());
    EXPECT_TRUE(viewer->olderButton()->isVisible());
    EXPECT_EQ(viewer->windowTitle(), u"وارد الفاكس"_s);
    // The labels read as written, their arrows not mirrored by the right-to-left text.
    const QChar mark(0x200E);
    EXPECT_EQ(viewer->newestButton()->text(), mark + u"<< Newst"_s + mark);
    EXPECT_EQ(viewer->olderButton()->text(), mark + u">"_s + mark);
    EXPECT_EQ(viewer->newerButton()->text(), mark + u"<"_s + mark);
    EXPECT_EQ(viewer->oldestButton()->text(), mark + u"Oldest >>"_s + mark);

    EXPECT_EQ(column(grid, 1), numbers(29, 18));
    EXPECT_EQ(grid->text(0, 0), m_feed + u"/scan-29.jpg"_s);
    EXPECT_EQ(grid->text(0, 2), u"Page 29 of the morning post"_s);
    EXPECT_EQ(grid->text(11, 2), u"Page 18 of the morning post"_s);
    EXPECT_EQ(grid->rowHeight(0), 147);
    EXPECT_EQ(grid->columnWidth(0), 160);
    EXPECT_EQ(grid->columnWidth(3), 0);
    EXPECT_EQ(grid->background(0, 2), QColor(236, 233, 216));
    EXPECT_EQ(grid->gridLineColour(), QColor(255, 0, 0));
    // The thumbnail of position 29 sits in slot 29 and is the picture, not the empty box.
    EXPECT_EQ(grid->image(0, 0), 29);
    const QImage thumbnail = grid->imageList().at(29).toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(thumbnail.size(), QSize(150, 135));
    EXPECT_NE(thumbnail, Thumbnail::compose(QImage()));

    EXPECT_TRUE(viewer->pager().isLive());
    EXPECT_TRUE(viewer->pictureTimer()->isActive());
    EXPECT_EQ(viewer->pictureTimer()->interval(), 1000);
}

// The pages the buttons and the live update show, as the pager lays them out, with the buttons'
// and the timer's states along the way: a button that would show an empty page is off.
TEST_F(BasketViewer, PageButtonsAndTheLiveUpdateShowThePagersPages)
{
    feedPictures(30);
    CFV *viewer = open();
    CGridCtrl *grid = viewer->pictureGrid();
    EXPECT_FALSE(viewer->newerButton()->isEnabled()) << "nothing is newer than the newest page";
    EXPECT_TRUE(viewer->olderButton()->isEnabled());
    feedPictures(3);
    ASSERT_TRUE(waitUntil([grid] { return grid->text(0, 1) == u"32"_s; }, 5000));
    EXPECT_EQ(column(grid, 1), numbers(32, 21)) << "three at once come on top and twelve rows stay";
    EXPECT_EQ(viewer->pager().knownCount(), 33);
    EXPECT_FALSE(viewer->newerButton()->isEnabled());

    ASSERT_TRUE(clickAndWait(viewer, viewer->olderButton()));
    EXPECT_EQ(column(grid, 1), numbers(20, 9));
    EXPECT_FALSE(viewer->pictureTimer()->isActive());
    EXPECT_TRUE(viewer->newerButton()->isEnabled());
    ASSERT_TRUE(clickAndWait(viewer, viewer->olderButton()));
    EXPECT_EQ(column(grid, 1), numbers(8, 0));
    EXPECT_FALSE(viewer->olderButton()->isEnabled()) << "no page below position 0";
    ASSERT_TRUE(clickAndWait(viewer, viewer->oldestButton()));
    EXPECT_EQ(column(grid, 1), numbers(11, 0));
    EXPECT_FALSE(viewer->olderButton()->isEnabled());
    EXPECT_TRUE(viewer->newerButton()->isEnabled());
    ASSERT_TRUE(clickAndWait(viewer, viewer->newerButton()));
    EXPECT_EQ(column(grid, 1), numbers(23, 12));
    EXPECT_EQ(grid->text(0, 2), u"Page 23 of the morning post"_s);
    EXPECT_TRUE(viewer->olderButton()->isEnabled());
    ASSERT_TRUE(clickAndWait(viewer, viewer->newerButton()));
    EXPECT_EQ(column(grid, 1), numbers(32, 24));
    EXPECT_TRUE(viewer->olderButton()->isEnabled());
    EXPECT_FALSE(viewer->newerButton()->isEnabled()) << "the last record counted is at the top";

    ASSERT_TRUE(clickAndWait(viewer, viewer->newestButton()));
    QCoreApplication::processEvents();
    EXPECT_EQ(column(grid, 1), numbers(32, 21));
    EXPECT_TRUE(viewer->olderButton()->isEnabled());
    EXPECT_TRUE(viewer->pictureTimer()->isActive());
}

TEST_F(BasketViewer, APageWhoseFilesAreHeldLoadsWhileTheWindowAnswers)
{
    // The older page's twelve files never come; the newest page's are there.
    ASSERT_TRUE(QDir().mkpath(m_feed));
    QByteArray index;
    for (int p = 0; p < 24; ++p) {
        const QString name = u"item-%1.jpg"_s.arg(p);
        if (p >= 12)
            FeedTest::writeJpeg(m_feed + u'/' + name);
        index += FeedTest::record(p, name);
    }
    FeedTest::writeBytes(m_feed + u"/in.idx"_s, index);
    CFV *viewer = open(BasketContent::PicturesOrFiles, 3000);
    ASSERT_EQ(column(viewer->pictureGrid(), 1), numbers(23, 12));

    QElapsedTimer clock;
    clock.start();
    viewer->olderButton()->click();
    EXPECT_LT(clock.elapsed(), 1000) << "the page button waited for the files";
    EXPECT_TRUE(viewer->isLoading());
    // The newest page replaces the one still waiting, and nothing of that one shows.
    ASSERT_TRUE(clickAndWait(viewer, viewer->newestButton()));
    EXPECT_LT(clock.elapsed(), 2500);
    EXPECT_EQ(column(viewer->pictureGrid(), 1), numbers(23, 12));
    QTest::qWait(200);
    EXPECT_EQ(column(viewer->pictureGrid(), 1), numbers(23, 12));
    EXPECT_TRUE(viewer->pictureTimer()->isActive());
}

TEST_F(BasketViewer, AnIncompleteLastRecordWaitsUntilItIsWhole)
{
    ASSERT_TRUE(QDir().mkpath(m_feed));
    for (const char *name : {"a.jpg", "b.jpg", "c.jpg"})
        FeedTest::writeJpeg(m_feed + u'/' + QLatin1StringView(name));
    const QByteArray third = FeedTest::record(2, u"c.jpg"_s);
    FeedTest::writeBytes(m_feed + u"/in.idx"_s,
                         FeedTest::record(0, u"a.jpg"_s) + FeedTest::record(1, u"b.jpg"_s) + third.left(200));
    CFV *viewer = open();
    EXPECT_EQ(column(viewer->pictureGrid(), 1), numbers(1, 0));
    // Two live updates pass: the half record still does not count.
    QTest::qWait(2200);
    EXPECT_EQ(viewer->pictureGrid()->rowCount(), 2);
    FeedTest::writeBytes(m_feed + u"/in.idx"_s, third.mid(200), true);
    ASSERT_TRUE(waitUntil([viewer] { return viewer->pictureGrid()->rowCount() == 3; }, 5000));
    EXPECT_EQ(viewer->pictureGrid()->text(0, 0), m_feed + u"/c.jpg"_s);
}

TEST_F(BasketViewer, AnIndexMissingForAMomentChangesNothingAndAShorterOneStartsAgain)
{
    feedPictures(5);
    CFV *viewer = open();
    const QString index = m_feed + u"/in.idx"_s;
    ASSERT_TRUE(QFile::rename(index, index + u".away"_s));
    QTest::qWait(1500);
    // Not taken for an empty feed: the rows stay.
    EXPECT_EQ(column(viewer->pictureGrid(), 1), numbers(4, 0));
    EXPECT_EQ(viewer->pager().knownCount(), 5);
    EXPECT_TRUE(viewer->pictureTimer()->isActive());
    ASSERT_TRUE(QFile::rename(index + u".away"_s, index));
    feedPictures(1);
    ASSERT_TRUE(waitUntil([viewer] { return viewer->pictureGrid()->rowCount() == 6; }, 5000));
    EXPECT_EQ(viewer->pictureGrid()->text(0, 1), u"5"_s);

    // An index replaced by a shorter one is shown from its own newest records.
    const QByteArray whole = FeedTest::readAll(index);
    FeedTest::writeBytes(index, whole.left(2 * 400));
    ASSERT_TRUE(waitUntil([viewer] { return viewer->pictureGrid()->rowCount() == 2; }, 5000));
    EXPECT_EQ(column(viewer->pictureGrid(), 1), numbers(1, 0));
    EXPECT_EQ(viewer->pager().knownCount(), 2);
}

TEST_F(BasketViewer, EnterOnAPictureRowPreviewsIt)
{
    feedPictures(2);
    CFV *viewer = open();
    QSignalSpy previews(viewer, &CFV::previewRequested);
    CGridCtrl *grid = viewer->pictureGrid();
    grid->setFocus();
    grid->setCurrentCell(1, 1);
    QTest::keyClick(grid, Qt::Key_Return);
    ASSERT_EQ(previews.size(), 1);
    EXPECT_EQ(previews[0][0].toString(), m_feed + u"/scan.jpg"_s);
    EXPECT_EQ(previews[0][1].toString(), u"Page 0 of the morning post"_s);
}

TEST_F(BasketViewer, AnItemThatNeverComesShowsAnEmptyBoxAndItsNameWithoutHanging)
{
    feedPictures(2);
    FeedTest::writeBytes(m_feed + u"/in.idx"_s, FeedTest::record(2, u"never.jpg"_s), true);
    QElapsedTimer timer;
    timer.start();
    CFV *viewer = open(BasketContent::PicturesOrFiles, 300);
    EXPECT_LT(timer.elapsed(), 5000);
    CGridCtrl *grid = viewer->pictureGrid();
    ASSERT_EQ(grid->rowCount(), 3);
    EXPECT_EQ(grid->text(0, 0), m_feed + u"/never.jpg"_s);
    EXPECT_EQ(grid->text(0, 1), u"2"_s);
    EXPECT_TRUE(grid->text(0, 2).isEmpty());
    const QImage box = grid->imageList().at(grid->image(0, 0)).toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(box, Thumbnail::compose(QImage()));
    EXPECT_EQ(grid->text(1, 2), u"Page 1 of the morning post"_s);
}

TEST_F(BasketViewer, ClosingWhileTheLoaderWaitsForFilesIsQuick)
{
    ASSERT_TRUE(QDir().mkpath(m_feed));
    QByteArray index;
    for (int p = 0; p < 12; ++p)
        index += FeedTest::record(p, u"missing-%1.jpg"_s.arg(p));
    FeedTest::writeBytes(m_feed + u"/in.idx"_s, index);
    auto *viewer = new CFV(m_state, m_source);
    viewer->setRetryBudget(60000);
    viewer->show();
    QTest::qWait(100);
    EXPECT_TRUE(viewer->isLoading());
    QElapsedTimer timer;
    timer.start();
    delete viewer;
    EXPECT_LT(timer.elapsed(), 2000);
}

TEST_F(BasketViewer, DoubleClickPreviewsLowerCaseNamesAndHandsOthersToTheDesktop)
{
    const QString upper = m_dir.path() + u"/SCAN.JPG"_s;
    ASSERT_TRUE(QFile::copy(m_jpeg, upper));
    const QString pdf = m_dir.path() + u"/letter.pdf"_s;
    FeedTest::writeBytes(pdf, "%PDF-1.4\n");
    ASSERT_EQ(FeedTest::add(m_feed, u"in.idx"_s, {u"--describe"_s, u"Scanned letter"_s, m_jpeg, upper, pdf}).exitCode, 0);
    UrlRecorder desktop;
    QDesktopServices::setUrlHandler(u"file"_s, &desktop, "open");
    CFV *viewer = open();
    QSignalSpy previews(viewer, &CFV::previewRequested);
    CGridCtrl *grid = viewer->pictureGrid();
    ASSERT_EQ(column(grid, 0), (QStringList{m_feed + u"/letter.pdf"_s, m_feed + u"/SCAN.JPG"_s, m_feed + u"/scan.jpg"_s}));

    Q_EMIT grid->cellDoubleClicked(2, 0, CFV::kPictureGridKind);
    ASSERT_EQ(previews.size(), 1);
    EXPECT_EQ(previews[0][0].toString(), m_feed + u"/scan.jpg"_s);
    EXPECT_EQ(previews[0][1].toString(), u"Scanned letter"_s);
    EXPECT_TRUE(desktop.opened.isEmpty());

    Q_EMIT grid->cellDoubleClicked(1, 1, CFV::kPictureGridKind);
    Q_EMIT grid->cellDoubleClicked(0, 2, CFV::kPictureGridKind);
    EXPECT_EQ(previews.size(), 1);
    EXPECT_EQ(desktop.opened,
              (QList<QUrl>{QUrl::fromLocalFile(m_feed + u"/SCAN.JPG"_s), QUrl::fromLocalFile(m_feed + u"/letter.pdf"_s)}));
    // The upper-case name shows no description in the grid.
    EXPECT_TRUE(grid->text(1, 2).isEmpty());
    QDesktopServices::unsetUrlHandler(u"file"_s);
}

TEST_F(BasketViewer, ArchiveHandsTheSelectedRowsToTheCard)
{
    const QString upper = m_dir.path() + u"/SCAN.JPG"_s;
    ASSERT_TRUE(QFile::copy(m_jpeg, upper));
    ASSERT_EQ(FeedTest::add(m_feed, u"in.idx"_s, {u"--describe"_s, u"Invoice 2291 from the printer"_s, m_jpeg, upper, m_jpeg}).exitCode, 0);
    CFV *viewer = open();
    CGridCtrl *grid = viewer->pictureGrid();
    QSignalSpy archived(viewer, &CFV::archiveFilesRequested);
    // Rows 0 and 1 by their number and description cells; row 2 only by its picture cell.
    grid->setSelectedRange(GridCellRange{0, 1, 1, 2});
    viewer->runCommand(CFV::CmdArchive);
    ASSERT_EQ(archived.size(), 1);
    const auto items = archived[0][0].value<QList<FileItem>>();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].name, u"scan-2.jpg"_s);
    EXPECT_EQ(items[0].folder, m_feed + u'/');
    EXPECT_EQ(items[0].sourcePath(), grid->text(0, 0));
    EXPECT_EQ(items[0].keywords, u"Invoice 2291 from the printer"_s);
    EXPECT_EQ(items[0].description, u"Invoice 2291 from the printer"_s);
    EXPECT_EQ(items[0].size, QFileInfo(m_feed + u"/scan-2.jpg"_s).size());
    // The upper-case name: nothing shown, but the card gets the stored description.
    EXPECT_EQ(items[1].name, u"SCAN.JPG"_s);
    EXPECT_TRUE(items[1].keywords.isEmpty());
    EXPECT_EQ(items[1].description, u"Invoice 2291 from the printer"_s);

    // Any cell of a row selects it; with none the user is told and nothing is handed over.
    grid->setSelectedRange(GridCellRange{2, 0, 2, 0});
    viewer->runCommand(CFV::CmdArchive);
    ASSERT_EQ(archived.size(), 2);
    EXPECT_EQ(archived[1][0].value<QList<FileItem>>().size(), 1);
    grid->setSelectedRange({});
    viewer->runCommand(CFV::CmdArchive);
    EXPECT_EQ(archived.size(), 2);
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"لا توجد ملفات محددة للأرشفة"_s});
}

// The clerk highlights a row by clicking its description and prints it.
TEST_F(BasketViewer, AClickOnAnyCellHighlightsTheRowThatTheCommandsTake)
{
    feedPictures(4);
    CFV *viewer = open();
    CGridCtrl *grid = viewer->pictureGrid();
    m_state.rights.printjob = kGranted;
    QSignalSpy prints(viewer, &CFV::printRequested);
    const QRect description = grid->visualRect(grid->gridModel()->cellIndex(1, 2));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, description.center());
    EXPECT_TRUE(grid->isCellSelected(1, 0)) << "the whole row is highlighted";
    EXPECT_TRUE(grid->isCellSelected(1, 1));
    viewer->runCommand(CFV::CmdPrint);
    ASSERT_EQ(prints.size(), 1);
    EXPECT_EQ(prints[0][0].toStringList(), QStringList{m_feed + u"/scan-2.jpg"_s});
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());

    grid->setSelectedRange({});
    viewer->runCommand(CFV::CmdPrint);
    EXPECT_EQ(prints.size(), 1);
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"لا توجد صور محددة للطباعة"_s});
}

// The picture grid fills the window below the buttons, follows it when it is resized, and a click
// on a cell leaves the columns where they are.
TEST_F(BasketViewer, ThePictureGridFillsTheWindowAndAClickDoesNotScrollIt)
{
    feedPictures(14);
    CFV *viewer = open();
    CGridCtrl *grid = viewer->pictureGrid();
    for (const QSize size : {viewer->size(), QSize(1200, 800), QSize(700, 500)}) {
        viewer->resize(size);
        QCoreApplication::processEvents();
        EXPECT_EQ(grid->width(), viewer->width()) << size.width();
        EXPECT_GE(grid->geometry().bottom(), viewer->height() - 1) << size.width();
        EXPECT_EQ(grid->horizontalScrollBar()->maximum(), 0) << "every column is in view at " << size.width();
        for (int column : {2, 1, 0}) {
            const QRect cell = grid->visualRect(grid->gridModel()->cellIndex(1, column));
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
            EXPECT_EQ(grid->horizontalScrollBar()->value(), 0) << size.width() << " column " << column;
        }
    }
    viewer->resize(1200, 800);
    QCoreApplication::processEvents();
    const int described = grid->columnWidth(2);
    EXPECT_GT(described, 270) << "the description takes the width left";
}

TEST_F(BasketViewer, ViewTransferAndPrintUseTheCurrentAndSelectedRows)
{
    feedPictures(4);
    CFV *viewer = open();
    CGridCtrl *grid = viewer->pictureGrid();
    QSignalSpy views(viewer, &CFV::viewRequested);
    QSignalSpy transfers(viewer, &CFV::transferRequested);
    QSignalSpy prints(viewer, &CFV::printRequested);
    grid->setCurrentCell(1, 2);
    viewer->runCommand(CFV::CmdView);
    viewer->runCommand(CFV::CmdTransfer);
    ASSERT_EQ(views.size(), 1);
    EXPECT_EQ(views[0][0].toString(), m_feed + u"/scan-2.jpg"_s);
    ASSERT_EQ(transfers.size(), 1);
    EXPECT_EQ(transfers[0][0].toString(), m_feed + u"/scan-2.jpg"_s);

    m_state.rights.printjob = kGranted; // printing needs the print right
    grid->setSelectedRange(GridCellRange{2, 2, 3, 2});
    viewer->runCommand(CFV::CmdPrint);
    ASSERT_EQ(prints.size(), 1);
    EXPECT_EQ(prints[0][0].toStringList(), (QStringList{m_feed + u"/scan-1.jpg"_s, m_feed + u"/scan.jpg"_s}));
}

TEST_F(BasketViewer, ContextMenusCarryTheirCommands)
{
    feedPictures(1);
    CFV *viewer = open();
    const std::unique_ptr<QMenu> pictures(viewer->contextMenu(CFV::kPictureGridKind));
    const std::unique_ptr<QMenu> texts(viewer->contextMenu(CFV::kTextGridKind));
    ASSERT_TRUE(pictures && texts);
    EXPECT_EQ(viewer->contextMenu(7791), nullptr);
    EXPECT_EQ(pictures->objectName(), u"Afp"_s);
    EXPECT_EQ(texts->objectName(), u"TM"_s);
    const auto describe = [](QMenu *menu) {
        QStringList out;
        for (QAction *a : menu->actions())
            out.append(a->text() + u'=' + QString::number(a->data().toInt()));
        return out;
    };
    EXPECT_EQ(describe(pictures.get()),
              (QStringList{u"أرشفة=32930"_s, u"عرض=32932"_s, u"تحويل=32959"_s, u"طباعة=32931"_s}));
    EXPECT_EQ(describe(texts.get()), (QStringList{u"أرشفة=32956"_s, u"تحرير=32957"_s, u"تحويل=32958"_s}));
}

TEST_F(BasketViewer, TextFeedNewestFirstAndOnlyTheNewerOfTwoArrivals)
{
    feedTexts({u"أول رسالة"_s, u"الرسالة الثانية\nبسطرين"_s});
    CFV *viewer = open(BasketContent::Texts);
    CGridCtrl *grid = viewer->textGrid();
    EXPECT_EQ(grid->gridKind(), 920);
    EXPECT_TRUE(grid->isVisible());
    EXPECT_FALSE(viewer->pictureGrid()->isVisible());
    EXPECT_FALSE(viewer->newestButton()->isVisible());
    EXPECT_EQ(column(grid, 1), (QStringList{u"text-1.txt"_s, u"text-0.txt"_s}));
    EXPECT_EQ(grid->text(0, 3), u"الرسالة الثانية\nبسطرين"_s);
    EXPECT_EQ(grid->rowHeight(0), 110);
    EXPECT_EQ(grid->background(1, 0), QColor(236, 233, 216));

    viewer->resize(1000, 600);
    QCoreApplication::processEvents();
    EXPECT_EQ(grid->columnWidth(0), 40);
    EXPECT_EQ(grid->columnWidth(1), 160);
    EXPECT_EQ(grid->columnWidth(2), 0);
    EXPECT_EQ(grid->columnWidth(3), 795);

    // Two messages within one period: only the newer becomes a row.
    feedTexts({u"third"_s, u"fourth"_s});
    ASSERT_TRUE(waitUntil([grid] { return grid->rowCount() == 3; }, 5000));
    EXPECT_EQ(grid->text(0, 1), u"text-3.txt"_s);
    EXPECT_EQ(grid->text(0, 3), u"fourth"_s);
    EXPECT_EQ(viewer->knownTextCount(), 4);
    QTest::qWait(1300);
    EXPECT_EQ(grid->rowCount(), 3);
}

TEST_F(BasketViewer, TextCommandsArchiveEditAndTransfer)
{
    feedTexts({u"line one\nline two"_s, u"رسالة"_s});
    CFV *viewer = open(BasketContent::Texts);
    CGridCtrl *grid = viewer->textGrid();
    QSignalSpy archived(viewer, &CFV::archiveTextsRequested);
    QSignalSpy transfers(viewer, &CFV::transferRequested);
    grid->setSelectedRange(GridCellRange{0, 3, 1, 3});
    viewer->runCommand(CFV::CmdTextArchive);
    ASSERT_EQ(archived.size(), 1);
    const auto texts = archived[0][0].value<QList<TextItem>>();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_EQ(texts[0].keywords, u"text-1.txt"_s + QString(12, u' ') + u"وارد الفاكس"_s);
    EXPECT_EQ(texts[0].text, u"رسالة"_s);
    EXPECT_EQ(texts[1].text, u"line one\nline two"_s);

    grid->setCurrentCell(1, 3);
    viewer->runCommand(CFV::CmdTextEdit);
    EXPECT_EQ(FeedTest::readAll(textHandOffPath(m_state.programFolder)), QByteArray("line one\r\nline two"));
    viewer->runCommand(CFV::CmdTextTransfer);
    ASSERT_EQ(transfers.size(), 1);
    EXPECT_EQ(transfers[0][0].toString(), m_feed + u"/text-0.txt"_s);
}

TEST_F(BasketViewer, LiveFeedFromTheWriterShowsEveryItemOnceAndClosesWhileItWrites)
{
    ASSERT_TRUE(QDir().mkpath(m_feed));
    CFV *viewer = open();
    EXPECT_EQ(viewer->pictureGrid()->rowCount(), 0);

    QProcess writer;
    writer.start(FeedTest::toolPath(), {u"add"_s, u"--folder"_s, m_feed, u"--index"_s, u"in.idx"_s, u"--every"_s,
                                        u"0.2"_s, u"--count"_s, u"20"_s, u"--describe"_s, u"Live page {n}"_s, m_jpeg});
    ASSERT_TRUE(writer.waitForStarted());
    QSet<QString> seen;
    bool twice = false;
    CGridCtrl *grid = viewer->pictureGrid();
    const bool allShown = waitUntil(
        [&] {
            const QStringList shown = column(grid, 1);
            twice = twice || QSet<QString>(shown.begin(), shown.end()).size() != shown.size();
            for (const QString &n : shown)
                seen.insert(n);
            return grid->rowCount() == 12 && grid->text(0, 1) == u"19"_s;
        },
        30000);
    // The events pumped above may have seen it finish already.
    ASSERT_TRUE(writer.state() == QProcess::NotRunning || writer.waitForFinished(30000));
    EXPECT_EQ(writer.exitCode(), 0) << writer.readAllStandardError().toStdString();
    ASSERT_TRUE(allShown);
    EXPECT_FALSE(twice);
    EXPECT_EQ(seen.size(), 20);
    EXPECT_EQ(column(grid, 1), numbers(19, 8));
    EXPECT_EQ(grid->text(0, 2), u"Live page 19"_s);

    // A writer that goes on while the window closes.
    QProcess more;
    more.start(FeedTest::toolPath(), {u"add"_s, u"--folder"_s, m_feed, u"--index"_s, u"in.idx"_s, u"--every"_s,
                                      u"0.2"_s, u"--count"_s, u"200"_s, m_jpeg});
    ASSERT_TRUE(more.waitForStarted());
    ASSERT_TRUE(waitUntil([grid] { return grid->text(0, 1).toInt() >= 22; }, 10000));
    viewer->close();
    ASSERT_TRUE(waitUntil([this] { return m_viewer.isNull(); }, 5000));
    EXPECT_EQ(more.state(), QProcess::Running);
    more.terminate();
    ASSERT_TRUE(more.waitForFinished(5000));
    EXPECT_EQ(more.exitCode(), 0);
    EXPECT_EQ(QFileInfo(m_feed + u"/in.idx"_s).size() % 400, 0);
    for (const QString &name : FeedTest::entries(m_feed))
        EXPECT_FALSE(name.startsWith(u'.')) << name.toStdString();
}

#include "BasketViewerTest.moc"

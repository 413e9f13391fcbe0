#include "baskets/CFolderDlg.h"
#include "cards/CopyOrder.h"
#include "common/TestArchive.h"
#include "db/CDFSet.h"
#include "search/CFReport.h"
#include "ui/CGridCtrl.h"
#include "ui/GridModel.h"
#include "ui/MessageBox.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <set>

using namespace Qt::Literals::StringLiterals;

namespace {

class ReportWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!m_archive.problem().isEmpty())
            GTEST_SKIP() << m_archive.problem().toStdString();
        m_state.programFolder = m_archive.home();
        m_state.databaseFolder = m_archive.databaseFolder();
        m_state.fileServerFolder = m_archive.fileServerFolder();
        MessageBox::setTestMode(true);
    }
    void TearDown() override { MessageBox::setTestMode(false); }

    void add(qint32 card, qint32 kind)
    {
        DocumentRow row;
        row.cardNumber = card;
        row.itemNumber = 1;
        row.kind = kind;
        row.classPath = u"@1@"_s;
        row.fileName = u"p.jpg"_s;
        row.keywords = u"مفتاح %1"_s.arg(card);
        row.seriesFolder = u"Ser1"_s;
        row.extension = u"JPG"_s;
        row.text = kind == KindText ? u"نص %1"_s.arg(card) : QString();
        row.description = u"وصف %1"_s.arg(card);
        row.cardDate = QDate(2026, 1, 2).startOfDay();
        ASSERT_TRUE(CDFSet(m_archive.db()).insert(row).ok());
    }

    // A report window that is not shown yet, so that the test can still set up its loader.
    CFReport *report()
    {
        auto *w = new CFReport(m_state, m_archive.db(), SqlCondition::raw(u"n1 > 0"_s), u"تقرير"_s);
        w->loader()->setThumbnailCacheFolder(m_cache.path());
        return w;
    }

    TestArchive m_archive{Engine::SQLite};
    QTemporaryDir m_cache;
    AppState m_state;
};

std::set<int> cards(CGridCtrl *grid, int column)
{
    std::set<int> out;
    for (int r = 0; r < grid->rowCount(); ++r)
        out.insert(grid->text(r, column).toInt());
    return out;
}

} // namespace

TEST_F(ReportWindow, NewestCardOnTopInBothGrids)
{
    add(1, KindImage);
    add(2, KindFile);
    add(3, KindImage);
    add(4, KindText);
    add(5, KindText);
    add(6, 7);
    CFReport *w = report();
    QSignalSpy finished(w, &CFReport::loadingFinished);
    w->show();
    ASSERT_TRUE(finished.wait(10000));

    CGridCtrl *images = w->thumbnailGrid();
    EXPECT_EQ(images->gridKind(), CFReport::kThumbnailGridKind);
    ASSERT_EQ(images->rowCount(), 3);
    EXPECT_EQ(images->text(0, 3), u"3"_s);
    EXPECT_EQ(images->text(1, 3), u"2"_s);
    EXPECT_EQ(images->text(2, 3), u"1"_s);
    EXPECT_EQ(images->text(0, 1), u"مفتاح 3"_s);
    EXPECT_EQ(images->text(0, 2), u"وصف 3"_s);
    EXPECT_EQ(images->text(0, 0), m_state.fileServerFolder + u"/Ser1/3&1&p.jpg"_s);
    EXPECT_EQ(images->image(0, 0), 2); // the third thumbnail made
    EXPECT_EQ(images->rowHeight(0), 147);
    EXPECT_EQ(images->columnWidth(0), 160);
    EXPECT_EQ(images->columnWidth(2), 200);
    EXPECT_EQ(images->columnWidth(3), 0);
    EXPECT_EQ(images->background(0, 2), QColor(236, 233, 216));
    EXPECT_EQ(images->gridLineColour(), QColor(0, 0, 255));
    EXPECT_EQ(images->imageList().size(), 2000);

    CGridCtrl *texts = w->textGrid();
    EXPECT_EQ(texts->gridKind(), CFReport::kTextGridKind);
    ASSERT_EQ(texts->rowCount(), 2);
    EXPECT_EQ(texts->text(0, 3), u"5"_s);
    EXPECT_EQ(texts->text(0, 0), u"1"_s);
    EXPECT_EQ(texts->text(1, 0), u"0"_s);
    EXPECT_EQ(texts->text(0, 2), u"نص 5"_s);
    EXPECT_EQ(texts->rowHeight(0), 100);
    EXPECT_EQ(texts->font().family(), u"Simplified Arabic"_s);
    EXPECT_EQ(texts->font().pixelSize(), 30);

    // The grids beside each other below the buttons, 5 pixels apart, the thumbnails 450 wide
    // while the window has room for both.
    const auto inWindow = [w](QWidget *grid) { return QRect(grid->mapTo(w, QPoint(0, 0)), grid->size()); };
    EXPECT_EQ(inWindow(images), QRect(0, 30, 450, w->height() - 30));
    EXPECT_EQ(inWindow(texts), QRect(455, 30, w->width() - 455, w->height() - 30));
    w->resize(900, 500);
    QApplication::processEvents();
    EXPECT_EQ(inWindow(images).topLeft(), QPoint(0, 30));
    EXPECT_EQ(inWindow(texts).left(), inWindow(images).right() + 6);
    EXPECT_EQ(inWindow(texts).right(), 899);
    EXPECT_EQ(inWindow(texts).bottom(), 499);
    delete w;
}

TEST_F(ReportWindow, ClosingWhileLoadingStopsTheWorker)
{
    for (int card = 1; card <= 60; ++card)
        add(card, KindImage);
    CFReport *w = report();
    auto reached = std::make_shared<std::atomic<int>>(-1);
    w->loader()->setRecordHook([reached](int position) {
        *reached = position;
        QThread::msleep(15);
    });
    QPointer<CFReport> alive(w);
    w->show();
    ASSERT_TRUE(QTest::qWaitFor([w] { return w->thumbnailGrid()->rowCount() >= 3; }, 10000));
    ASSERT_TRUE(w->loader()->isRunning());
    EXPECT_GT(w->thumbnailGrid()->rowCount(), 0);

    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(w->close());
    EXPECT_LT(clock.elapsed(), 2000);
    // Deleted on close; rows still queued for it must go nowhere.
    QTest::qWait(50);
    EXPECT_TRUE(alive.isNull());
    const int at = reached->load();
    QTest::qWait(150);
    EXPECT_EQ(reached->load(), at);
    EXPECT_LT(at, 59);
}

TEST_F(ReportWindow, StopAndResumeButtons)
{
    for (int card = 1; card <= 30; ++card)
        add(card, card % 2 ? KindImage : KindText);
    CFReport *w = report();
    w->loader()->setRecordHook([](int) { QThread::msleep(10); });
    QSignalSpy finished(w, &CFReport::loadingFinished);
    w->show();
    ASSERT_TRUE(QTest::qWaitFor([w] { return w->thumbnailGrid()->rowCount() + w->textGrid()->rowCount() >= 3; }, 10000));

    QTest::mouseClick(w->stopButton(), Qt::LeftButton);
    EXPECT_FALSE(w->loader()->isRunning());
    EXPECT_FALSE(w->loader()->isComplete());
    const int stoppedAt = w->loader()->resumePosition();
    EXPECT_GT(stoppedAt, 0);
    EXPECT_LT(stoppedAt, 30);
    ASSERT_TRUE(finished.count() == 1 || finished.wait(5000));
    EXPECT_EQ(w->thumbnailGrid()->rowCount() + w->textGrid()->rowCount(), stoppedAt);

    QTest::mouseClick(w->resumeButton(), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(w->loader()->isComplete());
    ASSERT_EQ(w->thumbnailGrid()->rowCount(), 15);
    ASSERT_EQ(w->textGrid()->rowCount(), 15);
    std::set<int> odd, even;
    for (int card = 1; card <= 30; ++card)
        (card % 2 ? odd : even).insert(card);
    EXPECT_EQ(cards(w->thumbnailGrid(), 3), odd);
    EXPECT_EQ(cards(w->textGrid(), 3), even);
    EXPECT_EQ(w->thumbnailGrid()->text(0, 3), u"29"_s);

    // Stop after the end changes nothing.
    QTest::mouseClick(w->stopButton(), Qt::LeftButton);
    QTest::mouseClick(w->resumeButton(), Qt::LeftButton);
    QTest::qWait(100);
    EXPECT_EQ(w->thumbnailGrid()->rowCount(), 15);
    EXPECT_EQ(finished.count(), 2);
    delete w;
}

TEST_F(ReportWindow, ShowCardAndTextHandOff)
{
    add(7, KindImage);
    add(8, KindText);
    CFReport *w = report();
    QSignalSpy finished(w, &CFReport::loadingFinished);
    QSignalSpy showCard(w, &CFReport::showCardRequested);
    w->show();
    ASSERT_TRUE(finished.wait(10000));

    w->thumbnailGrid()->setCurrentCell(0, 1);
    w->runCommand(CFReport::CmdShowCard);
    w->textGrid()->setCurrentCell(0, 2);
    w->runCommand(CFReport::CmdTextShowCard);
    ASSERT_EQ(showCard.count(), 2);
    EXPECT_EQ(showCard[0][0].toInt(), 7);
    EXPECT_EQ(showCard[1][0].toInt(), 8);

    // The text goes out in the code page with CR LF line ends and nothing added.
    ASSERT_TRUE(w->writeTextHandOff(u"a\nب"_s).ok());
    QFile file(m_state.programFolder + u"/COM/Text.txt"_s);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("a\r\n\xC8"));
    file.close();

    // Edit on the text grid writes the row's text.
    w->runCommand(CFReport::CmdTextEdit);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("\xE4\xD5 8"));

    QMenu *menu = w->contextMenu(CFReport::kThumbnailGridKind);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->actions().size(), 7);
    EXPECT_EQ(menu->actions().at(0)->text(), u"فتح"_s);
    delete menu;
    delete w;
}

TEST_F(ReportWindow, CopyToFolderOrdersTheSelectedFilesAndWritesTheSelectedTexts)
{
    add(1, KindImage);
    add(2, KindImage);
    add(3, KindText);
    add(4, KindText);
    CFReport *w = report();
    QSignalSpy finished(w, &CFReport::loadingFinished);
    w->show();
    ASSERT_TRUE(finished.wait(10000));
    QTemporaryDir target;
    const QString folder = target.filePath(u"نسخة"_s);
    // No copier is installed beside the test, so the orders stay in the list to be looked at.

    auto answerFolderDialog = [&](const QString &path) {
        QTimer::singleShot(0, [path] {
            auto *dialog = qobject_cast<CFolderDlg *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            if (path.isEmpty()) {
                dialog->reject();
                return;
            }
            dialog->folderEdit()->setText(path);
            dialog->accept();
        });
    };

    // Nothing selected: no orders, no texts.
    w->thumbnailGrid()->setSelectedRange({});
    w->textGrid()->setSelectedRange({});
    answerFolderDialog(folder);
    w->runCommand(CFReport::CmdCopyToFolder);
    QFile count(m_state.programFolder + u"/COM/num2.txt"_s);
    ASSERT_TRUE(count.open(QIODevice::ReadOnly));
    EXPECT_EQ(count.readAll(), QByteArray("0"));
    count.close();
    EXPECT_TRUE(QDir(folder).exists()) << "the dialog makes the folder";
    EXPECT_TRUE(QDir(folder).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"لا توجد ملفات أو نصوص محددة للنسخ"_s});

    // The second image row (card 1) highlighted by a click on its description, the top text row
    // (card 4) by a click on its text.
    const auto click = [](CGridCtrl *grid, int row, int column) {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->gridModel()->cellIndex(row, column)).center());
    };
    click(w->thumbnailGrid(), 1, 2);
    click(w->textGrid(), 0, 2);
    EXPECT_TRUE(w->thumbnailGrid()->isCellSelected(1, 1)) << "the whole row is highlighted";
    answerFolderDialog(folder);
    w->runCommand(CFReport::CmdCopyToFolder);
    const Result<QList<CopyOrder>> orders = CopyHandOff(m_state.programFolder, CopyHandOff::Copier::Second).pending();
    ASSERT_TRUE(orders.ok());
    ASSERT_EQ(orders->size(), 1);
    EXPECT_EQ(orders->at(0).source, m_state.fileServerFolder + u"/Ser1/1&1&p.jpg"_s);
    EXPECT_EQ(orders->at(0).destination, folder);
    QFile text(folder + u"/مفتاح 4 0.txt"_s);
    ASSERT_TRUE(text.open(QIODevice::ReadOnly)) << "the cleaned keywords, a blank and the row";
    EXPECT_EQ(text.readAll(), QByteArray("\xE4\xD5 4"));
    EXPECT_FALSE(MessageBox::takeShown().contains(u"لا توجد ملفات أو نصوص محددة للنسخ"_s));

    // Cancelled: nothing more is ordered.
    answerFolderDialog(QString());
    w->runCommand(CFReport::CmdCopyToFolder);
    EXPECT_EQ(CopyHandOff(m_state.programFolder, CopyHandOff::Copier::Second).pending()->size(), 1);
    delete w;
}

// In a narrow window both grids keep a share of the width, each scrolling on its own; a wider
// window gives to both.
TEST_F(ReportWindow, TheTwoGridsShareTheWidthInASplitter)
{
    add(1, KindImage);
    add(2, KindText);
    CFReport *w = report();
    QSignalSpy finished(w, &CFReport::loadingFinished);
    w->resize(520, 400);
    w->show();
    ASSERT_TRUE(finished.wait(10000));
    CGridCtrl *thumbnails = w->thumbnailGrid();
    CGridCtrl *texts = w->textGrid();
    ASSERT_NE(w->splitter(), nullptr);
    EXPECT_GE(texts->width(), 200) << "the text grid is no sliver";
    EXPECT_GE(thumbnails->width(), 200);
    EXPECT_LT(thumbnails->mapTo(w, QPoint(0, 0)).x(), texts->mapTo(w, QPoint(0, 0)).x()) << "thumbnails on the left";
    EXPECT_LE(texts->mapTo(w, QPoint(texts->width(), 0)).x(), w->width());
    EXPECT_TRUE(texts->isVisible());
    EXPECT_GT(texts->horizontalScrollBar()->maximum(), 0) << "the text grid scrolls its own columns";

    const int before = texts->width();
    w->resize(1100, 400);
    QCoreApplication::processEvents();
    EXPECT_GT(texts->width(), before);
    EXPECT_GE(thumbnails->width(), 450);
    EXPECT_EQ(thumbnails->width() + texts->width() + w->splitter()->handleWidth(), w->width());
    delete w;
}

// A text hit shows a few lines of its text, and a double-click shows the whole text.
TEST_F(ReportWindow, TextHitsShowAFewLinesAndTheirTextOnADoubleClick)
{
    add(1, KindText);
    DocumentRow row;
    row.cardNumber = 2;
    row.itemNumber = 1;
    row.kind = KindText;
    row.classPath = u"@1@"_s;
    row.keywords = u"محضر"_s;
    row.text = u"السطر الأول من المحضر\nالسطر الثاني من المحضر\nالسطر الثالث\nالسطر الرابع\nالسطر الخامس"_s;
    row.cardDate = QDate(2026, 1, 2).startOfDay();
    ASSERT_TRUE(CDFSet(m_archive.db()).insert(row).ok());
    CFReport *w = report();
    QSignalSpy finished(w, &CFReport::loadingFinished);
    w->show();
    ASSERT_TRUE(finished.wait(10000));
    CGridCtrl *texts = w->textGrid();
    ASSERT_EQ(texts->rowCount(), 2);
    ASSERT_EQ(texts->text(0, 1), u"محضر"_s);
    const QFontMetrics metrics(texts->font());
    EXPECT_GE(texts->QTableView::rowHeight(0), 3 * metrics.lineSpacing()) << "three lines at least";
    EXPECT_EQ(texts->rowHeight(1), 100) << "a one-line text keeps the usual height";

    QTest::mouseDClick(texts->viewport(), Qt::LeftButton, {},
                       texts->visualRect(texts->gridModel()->cellIndex(0, 2)).center());
    QDialog *shown = w->hitTextWindow();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(shown->windowTitle(), u"محضر"_s);
    auto *view = shown->findChild<QPlainTextEdit *>();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->toPlainText(), row.text);
    delete w;
}

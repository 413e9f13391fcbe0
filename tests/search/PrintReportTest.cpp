#include "common/PdfPages.h"
#include "common/TestArchive.h"
#include "db/CDFSet.h"
#include "search/CFReport.h"
#include "search/Printing.h"
#include "ui/CGridCtrl.h"
#include "ui/GridModel.h"
#include "ui/MessageBox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr double kMetresPerInch = 0.0254;

// The pages of a PDF written by Qt's PDF engine.
class ReportPrinting : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!m_archive.problem().isEmpty())
            GTEST_SKIP() << m_archive.problem().toStdString();
        ASSERT_TRUE(m_dir.isValid());
        m_state.programFolder = m_archive.home();
        m_state.databaseFolder = m_archive.databaseFolder();
        m_state.fileServerFolder = m_archive.fileServerFolder();
        m_state.rights.printjob = kGranted;
        m_pdf = m_dir.filePath(u"out.pdf"_s);
        m_log = m_dir.filePath(u"handed.log"_s);
        // Records every file it is given and whether the print job had begun by then.
        const QString script = m_dir.filePath(u"record.sh"_s);
        QFile s(script);
        ASSERT_TRUE(s.open(QIODevice::WriteOnly));
        s.write(QStringLiteral("if [ -e \"%1\" ]; then state=job-started; else state=no-job-yet; fi\n"
                               "echo \"$1|$state\" >> \"%2\"\n")
                    .arg(m_pdf, m_log)
                    .toLocal8Bit());
        s.close();
        m_state.printCommand = u"sh \"%1\""_s.arg(script);
        MessageBox::setTestMode(true);
        MessageBox::takeShown();

        m_printer.setOutputFormat(QPrinter::PdfFormat);
        m_printer.setOutputFileName(m_pdf);
        m_printer.setResolution(600);
    }
    void TearDown() override { MessageBox::setTestMode(false); }

    // A hit of the archive and its file in the store; pictures are one red inch at 100 dpi.
    QString add(qint32 card, qint32 kind, const QString &name, const QString &upperExtension)
    {
        DocumentRow row;
        row.cardNumber = card;
        row.itemNumber = 1;
        row.kind = kind;
        row.classPath = u"@1@"_s;
        row.fileName = name;
        row.keywords = u"مفتاح %1"_s.arg(card);
        row.seriesFolder = u"Ser1"_s;
        row.extension = upperExtension;
        row.cardDate = QDate(2026, 1, 2).startOfDay();
        EXPECT_TRUE(CDFSet(m_archive.db()).insert(row).ok());
        const QString path = m_state.fileServerFolder + u"/Ser1/%1&1&%2"_s.arg(card).arg(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (upperExtension == u"JPG"_s) {
            QImage picture(100, 100, QImage::Format_RGB32);
            picture.fill(Qt::red);
            picture.setDotsPerMeterX(qRound(100 / kMetresPerInch));
            picture.setDotsPerMeterY(qRound(100 / kMetresPerInch));
            EXPECT_TRUE(picture.save(path, "JPEG", 100));
        } else {
            QFile f(path);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("a document");
        }
        return path;
    }

    // The print has handed its files over, printed its pages and said what went wrong.
    static bool printEnds(const CFReport &w) { return QTest::qWaitFor([&w] { return !w.isPrinting(); }, 60000); }

    CFReport *loadedReport()
    {
        auto *w = new CFReport(m_state, m_archive.db(), SqlCondition::raw(u"n1 > 0"_s), u"تقرير"_s);
        w->loader()->setThumbnailCacheFolder(m_dir.filePath(u"cache"_s));
        QSignalSpy finished(w, &CFReport::loadingFinished);
        w->show();
        EXPECT_TRUE(finished.wait(10000));
        return w;
    }

    QStringList handedOver() const
    {
        QFile f(m_log);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLocal8Bit(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

    TestArchive m_archive{Engine::SQLite};
    QTemporaryDir m_dir;
    AppState m_state;
    QPrinter m_printer{QPrinter::HighResolution};
    QString m_pdf;
    QString m_log;
};

} // namespace

TEST_F(ReportPrinting, PrintAllGivesOnePagePerPictureAfterHandingTheDocumentOver)
{
    const QString jpg1 = add(1, KindImage, u"a.jpg"_s, u"JPG"_s);
    const QString doc = add(2, KindFile, u"letter.doc"_s, u"DOC"_s);
    const QString jpg3 = add(3, KindImage, u"b.jpg"_s, u"JPG"_s);
    const QString jpg4 = add(4, KindImage, u"c.jpg"_s, u"JPG"_s);
    std::unique_ptr<CFReport> w(loadedReport());
    ASSERT_EQ(w->thumbnailGrid()->rowCount(), 4);
    w->setPrinter(&m_printer);

    w->runCommand(CFReport::CmdPrintAll);
    ASSERT_TRUE(printEnds(*w));

    EXPECT_EQ(w->printSelectionMode(), Printing::kAllRows);
    // Newest card on top: the pages follow the grid from the top.
    EXPECT_EQ(w->printList(), (QStringList{jpg4, jpg3, jpg1}));
    EXPECT_EQ(pdfPageCount(m_pdf), 3);
    // One hand-over, for the document, before the print job began.
    EXPECT_EQ(handedOver(), QStringList{doc + u"|no-job-yet"_s});
    EXPECT_EQ(m_printer.docName(), u"Dovrelle"_s);
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
}

TEST_F(ReportPrinting, PicturePrintsOneInchSquareCentredOnTheSixHundredDpiPage)
{
    add(1, KindImage, u"a.jpg"_s, u"JPG"_s);
    std::unique_ptr<CFReport> w(loadedReport());
    w->setPrinter(&m_printer);
    w->runCommand(CFReport::CmdPrintAll);
    ASSERT_TRUE(printEnds(*w));
    ASSERT_EQ(pdfPageCount(m_pdf), 1);

    const QString gs = QStandardPaths::findExecutable(u"gs"_s);
    if (gs.isEmpty())
        GTEST_SKIP() << "Ghostscript (gs) is not installed; it renders the printed PDF for the check";
    // Rendered at a tenth of the printer's resolution: the inch is 60 pixels.
    const QString png = m_dir.filePath(u"page.png"_s);
    QProcess render;
    render.start(gs, {u"-q"_s, u"-dNOPAUSE"_s, u"-dBATCH"_s, u"-dSAFER"_s, u"-sDEVICE=png16m"_s, u"-r60"_s,
                      u"-sOutputFile="_s + png, m_pdf});
    ASSERT_TRUE(render.waitForFinished(60000));
    ASSERT_EQ(render.exitCode(), 0) << render.readAllStandardError().toStdString();
    const QImage page(png);
    ASSERT_FALSE(page.isNull());
    QRect red;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 80 && c.blue() < 80)
                red |= QRect(x, y, 1, 1);
        }
    }
    const QSizeF paper = m_printer.pageLayout().fullRectPoints().size();
    const QPoint pageCentre(qRound(paper.width() * 60 / 72 / 2), qRound(paper.height() * 60 / 72 / 2));
    EXPECT_NEAR(red.width(), 60, 1);
    EXPECT_NEAR(red.height(), 60, 1);
    EXPECT_NEAR(red.center().x(), pageCentre.x(), 2);
    EXPECT_NEAR(red.center().y(), pageCentre.y(), 2);
}

TEST_F(ReportPrinting, PrintSelectedTakesTheHighlightedRowsWhicheverCellWasClicked)
{
    add(1, KindImage, u"a.jpg"_s, u"JPG"_s);
    const QString doc = add(2, KindFile, u"letter.doc"_s, u"DOC"_s);
    const QString jpg3 = add(3, KindImage, u"b.jpg"_s, u"JPG"_s);
    std::unique_ptr<CFReport> w(loadedReport());
    w->setPrinter(&m_printer);
    CGridCtrl *grid = w->thumbnailGrid();
    ASSERT_EQ(grid->rowCount(), 3);

    // Nothing selected: the user is told, nothing printed, nothing handed over, no job at all.
    grid->setSelectedRange(GridCellRange{});
    w->runCommand(CFReport::CmdPrintSelected);
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"لا توجد ملفات محددة للطباعة"_s});
    EXPECT_FALSE(w->isPrinting());
    EXPECT_EQ(w->printSelectionMode(), Printing::kSelectedRows);
    EXPECT_TRUE(w->printList().isEmpty());
    EXPECT_FALSE(QFile::exists(m_pdf));
    EXPECT_TRUE(handedOver().isEmpty());

    // Rows 0 (card 3) and 1 (card 2) highlighted by a click on a description and a control-click
    // on a keywords cell; row 2 is not.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->gridModel()->cellIndex(0, 2)).center());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      grid->visualRect(grid->gridModel()->cellIndex(1, 1)).center());
    w->runCommand(CFReport::CmdPrintSelected);
    ASSERT_TRUE(printEnds(*w));
    EXPECT_EQ(w->printList(), QStringList{jpg3});
    EXPECT_EQ(pdfPageCount(m_pdf), 1);
    EXPECT_EQ(handedOver(), QStringList{doc + u"|no-job-yet"_s});
}

TEST_F(ReportPrinting, FailingPrintCommandIsReportedAndThePicturesStillPrint)
{
    const QString doc = add(1, KindFile, u"letter.doc"_s, u"DOC"_s);
    add(2, KindImage, u"a.jpg"_s, u"JPG"_s);
    std::unique_ptr<CFReport> w(loadedReport());
    w->setPrinter(&m_printer);
    m_state.printCommand = u"sh -c \"echo printer offline >&2; exit 1\" sh"_s;

    w->runCommand(CFReport::CmdPrintAll);
    ASSERT_TRUE(printEnds(*w));

    EXPECT_EQ(pdfPageCount(m_pdf), 1);
    const QStringList shown = MessageBox::takeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown.first().contains(QDir::toNativeSeparators(doc))) << shown.first().toStdString();
    EXPECT_TRUE(shown.first().contains(u"printer offline"_s));
}

TEST_F(ReportPrinting, CancelledPrintDialogPrintsAndHandsOverNothing)
{
    add(1, KindFile, u"letter.doc"_s, u"DOC"_s);
    add(2, KindImage, u"a.jpg"_s, u"JPG"_s);
    std::unique_ptr<CFReport> w(loadedReport());

    bool sawDialog = false;
    bool toFileOffered = true;
    bool rangeOffered = true;
    bool allPages = false;
    std::function<void()> cancel = [&] {
        auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            QTimer::singleShot(50, cancel);
            return;
        }
        sawDialog = true;
        toFileOffered = dialog->testOption(QAbstractPrintDialog::PrintToFile);
        rangeOffered = dialog->testOption(QAbstractPrintDialog::PrintPageRange)
                       || dialog->testOption(QAbstractPrintDialog::PrintSelection);
        allPages = dialog->printRange() == QAbstractPrintDialog::AllPages;
        dialog->reject();
    };
    QTimer::singleShot(50, cancel);
    w->runCommand(CFReport::CmdPrintAll);
    ASSERT_TRUE(printEnds(*w));

    EXPECT_TRUE(sawDialog);
    EXPECT_FALSE(toFileOffered);
    EXPECT_FALSE(rangeOffered);
    EXPECT_TRUE(allPages);
    EXPECT_TRUE(handedOver().isEmpty());
    EXPECT_TRUE(w->printList().isEmpty());
}

TEST_F(ReportPrinting, CtrlPInTheReportPrintsAll)
{
    add(1, KindImage, u"a.jpg"_s, u"JPG"_s);
    add(2, KindImage, u"b.jpg"_s, u"JPG"_s);
    std::unique_ptr<CFReport> w(loadedReport());
    w->setPrinter(&m_printer);
    w->thumbnailGrid()->setSelectedRange(GridCellRange{0, 0, 0, 0});
    w->activateWindow();
    w->thumbnailGrid()->setFocus();

    QTest::keyClick(w->thumbnailGrid(), Qt::Key_P, Qt::ControlModifier);

    EXPECT_EQ(w->printSelectionMode(), Printing::kAllRows);
    EXPECT_EQ(w->printList().size(), 2);
    EXPECT_EQ(pdfPageCount(m_pdf), 2);
}

TEST_F(ReportPrinting, WithoutThePrintRightNothingPrints)
{
    add(1, KindImage, u"a.jpg"_s, u"JPG"_s);
    const QString doc = add(2, KindFile, u"letter.doc"_s, u"DOC"_s);
    std::unique_ptr<CFReport> w(loadedReport());
    w->setPrinter(&m_printer);

    const auto printItemsEnabled = [&w] {
        std::unique_ptr<QMenu> menu(w->contextMenu(CFReport::kThumbnailGridKind));
        int enabled = 0;
        for (QAction *a : menu->actions()) {
            const int command = a->data().toInt();
            if ((command == CFReport::CmdPrintSelected || command == CFReport::CmdPrintAll) && a->isEnabled())
                ++enabled;
        }
        return enabled;
    };
    EXPECT_EQ(printItemsEnabled(), 2);

    m_state.rights.printjob = 0;
    EXPECT_EQ(printItemsEnabled(), 0);
    w->runCommand(CFReport::CmdPrintAll);
    ASSERT_TRUE(printEnds(*w));
    QTest::keyClick(w->thumbnailGrid(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_FALSE(QFile::exists(m_pdf));
    EXPECT_TRUE(handedOver().isEmpty());
}

TEST_F(ReportPrinting, WindowKeepsWorkingWhileThePrintCommandRunsButCannotCloseOrPrintAgain)
{
    const QString doc = add(1, KindFile, u"letter.doc"_s, u"DOC"_s);
    std::unique_ptr<CFReport> w(loadedReport());
    w->setPrinter(&m_printer);
    m_state.printCommand = u"sh -c \"sleep 1; echo $1 >> '%1'\" sh"_s.arg(m_log);

    bool ranDuringWait = false;
    bool closed = true;
    QTimer::singleShot(200, w.get(), [&] {
        ranDuringWait = true;
        closed = w->close();
        w->runCommand(CFReport::CmdPrintAll);
    });
    w->runCommand(CFReport::CmdPrintAll);
    ASSERT_TRUE(printEnds(*w));

    EXPECT_TRUE(ranDuringWait);
    EXPECT_FALSE(closed);
    EXPECT_EQ(handedOver(), QStringList{doc});
    EXPECT_TRUE(w->close());
}

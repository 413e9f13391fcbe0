#include "app/CMainFrame.h"
#include "common/MainWindowFixture.h"
#include "ui/CFlatButton.h"
#include "ui/CGridCtrl.h"
#include "ui/GridModel.h"
#include "users/UserAdmin.h"
#include "workflow/CWorkflowDlg.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QPrinter>
#include <QSqlQuery>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace JobColumns;

namespace {

class WorkflowDlgTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        ASSERT_TRUE(addUser(m_archive.db(), NewUser{u"PRINTER"_s, u"pw"_s, false, {}}));
        m_state.currentUser = u"PRINTER"_s;
        for (const auto &[number, name, printed, bound] :
             {std::tuple{1, u"دليل الطالب"_s, u"2/2/2026"_s, QString()}, std::tuple{2, u"تقويم 2026"_s, QString(), u"5/2/2026"_s},
              std::tuple{3, u"كراس الرسم"_s, QString(), QString()}}) {
            QStringList cells(kCount);
            cells[kNumber] = QString::number(number);
            cells[kPublicationName] = name;
            cells[kPrintingDate] = printed;
            cells[kBindingDate] = bound;
            cells[kDelivery] = u"10/1/2026"_s;
            ASSERT_TRUE(JobBook(m_archive.db()).add(cells, WorkflowPermissions::all(), std::nullopt));
        }
    }

    // Grants the PRINTER user exactly these workflow permissions (ex1 ... ex8).
    void grant(std::initializer_list<int> permissions)
    {
        QString sets;
        for (int i = 1; i <= 8; ++i)
            sets += u"%1ex%2 = %3"_s.arg(i > 1 ? u", "_s : QString()).arg(i).arg(std::count(permissions.begin(), permissions.end(), i) ? 7 : 0);
        QSqlQuery q(*m_archive.db().connection(DbFile::Users));
        ASSERT_TRUE(q.exec(u"UPDATE \"USERS\" SET "_s + sets + u" WHERE \"user\" = 'PRINTER'"_s));
    }

    std::unique_ptr<CWorkflowDlg> open()
    {
        auto dialog = std::make_unique<CWorkflowDlg>(m_state, m_archive.db());
        dialog->setToday({2026, 3, 20});
        dialog->show();
        return dialog;
    }

    static int rowOf(const CWorkflowDlg &dialog, const QString &number)
    {
        for (int r = 1; r < dialog.grid()->rowCount(); ++r) {
            if (dialog.grid()->text(r, kNumber) == number)
                return r;
        }
        return -1;
    }
};

} // namespace

TEST_F(WorkflowDlgTest, OpensWithEveryJobTheUsersNameAndOnlyTheStagesTheUserHolds)
{
    grant({1, 3, 4, 5});
    auto dialog = open();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), u"PRINTER"_s);
    CGridCtrl *grid = dialog->grid();
    EXPECT_EQ(grid->columnCount(), 40);
    ASSERT_EQ(dialog->jobRowCount(), 3);
    EXPECT_EQ(grid->text(0, kNumber), u"الرقم"_s);
    EXPECT_EQ(grid->text(0, kPublicationName), u"اسم المطبوعة"_s);
    EXPECT_EQ(grid->text(2, kPublicationName), u"تقويم 2026"_s);
    EXPECT_EQ(grid->text(1, kPosition), u"1"_s);
    EXPECT_EQ(grid->rowHeight(1), 40);
    EXPECT_EQ(grid->text(2, kBindingDate), u"5/2/2026"_s);
    // Delivered 10 January, unfinished on 20 March: overdue.
    EXPECT_EQ(grid->image(1, kPosition), 0);

    // Without the printing stage its three columns are nowhere: no width, no text.
    for (int c : {kPrintingDate, kTransferNumber, kPrintingNotes}) {
        EXPECT_EQ(grid->columnWidth(c), 0) << c;
        EXPECT_TRUE(grid->text(1, c).isEmpty()) << c;
    }
    EXPECT_EQ(grid->columnWidth(kParty), 60);
    // Date columns take the longest date whole.
    EXPECT_GE(grid->columnWidth(kDelivery), grid->fontMetrics().horizontalAdvance(u"30/12/2026"_s));
    EXPECT_EQ(grid->columnWidth(kPosition), 40);
    for (int c : {1, 12, kAttachments, kEstimatedDuration, 34, 39})
        EXPECT_EQ(grid->columnWidth(c), 0) << c;
    EXPECT_TRUE(dialog->newButton()->isEnabled());
    EXPECT_FALSE(dialog->saveButton()->isEnabled());
    EXPECT_FALSE(dialog->editButton()->isEnabled());
    EXPECT_FALSE(dialog->deleteButton()->isEnabled());
    EXPECT_EQ(grid->currentRow(), 1);
    EXPECT_EQ(grid->currentColumn(), kNumber);

    // A double-click stamps today's date only in a date column of the user's stages.
    dialog->stampDate(3, kPrintingDate);
    EXPECT_TRUE(grid->text(3, kPrintingDate).isEmpty());
    const QRect cell = grid->visualRect(grid->gridModel()->cellIndex(3, kBindingDate));
    ASSERT_TRUE(cell.isValid());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(grid->text(3, kBindingDate), u"20/3/2026"_s);
}

TEST_F(WorkflowDlgTest, ANewJobOffersItsUnitsPartiesAndNumberAndIsSavedOnce)
{
    grant({1, 2, 3, 4, 5, 6, 7, 8});
    QSqlQuery q(*m_archive.db().connection(DbFile::Archive));
    ASSERT_TRUE(q.exec(u"UPDATE \"FLOW\" SET s1 = 'نسخة', s3 = 'رزمة' WHERE sn = 1"_s));
    auto dialog = open();
    CGridCtrl *grid = dialog->grid();
    EXPECT_EQ(grid->columnWidth(kPosition), 41);
    dialog->newButton()->click();
    ASSERT_EQ(dialog->jobRowCount(), 4);
    const int row = 4;
    EXPECT_EQ(grid->text(row, kNumber), u"4"_s);
    EXPECT_EQ(grid->text(row, kPosition), u"4"_s);
    EXPECT_EQ(grid->options(row, kUnit), (QStringList{u"نسخة"_s, u"رزمة"_s}));
    EXPECT_EQ(grid->text(row, kUnit), u"نسخة"_s);
    EXPECT_EQ(grid->text(row, kParty), u"مونتاج"_s);
    EXPECT_EQ(grid->options(row, kPrintingMachine).size(), 7);
    EXPECT_EQ(grid->text(row, kPrintingMachine), u"GTO/1"_s);
    EXPECT_FALSE(dialog->newButton()->isEnabled());
    EXPECT_FALSE(dialog->editButton()->isEnabled());
    EXPECT_TRUE(dialog->saveButton()->isEnabled());

    grid->setText(row, kPublicationName, u"مجلة الجامعة"_s);
    grid->setText(row, kQuantity, u"٢٥٠"_s);
    grid->setText(row, kPrintingDate, u"1/1"_s);
    dialog->saveButton()->click();
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    EXPECT_TRUE(dialog->newButton()->isEnabled());
    EXPECT_TRUE(dialog->editButton()->isEnabled());
    EXPECT_FALSE(dialog->saveButton()->isEnabled());
    const QList<WorkflowJob> jobs = *JobBook(m_archive.db()).all();
    ASSERT_EQ(jobs.size(), 4);
    EXPECT_EQ(jobs.back().number, 4);
    EXPECT_EQ(jobs.back().publicationName, u"مجلة الجامعة"_s);
    EXPECT_EQ(jobs.back().quantity, 250);
    EXPECT_EQ(jobs.back().unit, u"نسخة"_s);
    EXPECT_FALSE(jobs.back().printingDone);

    // Changing the saved row and "تعديل" writes it; a number of another job is refused.
    grid->setCurrentCell(row, kOwner);
    grid->setText(row, kOwner, u"كلية الهندسة"_s);
    dialog->editButton()->click();
    EXPECT_EQ(JobBook(m_archive.db()).all()->back().owner, u"كلية الهندسة"_s);
    grid->setText(row, kNumber, u"2"_s);
    dialog->editButton()->click();
    EXPECT_EQ(MessageBox::takeShown(), QStringList{JobBook::duplicateNumberMessage(2)});
    EXPECT_EQ(JobBook(m_archive.db()).all()->back().number, 4);
}

TEST_F(WorkflowDlgTest, DeleteAsksFirstAndSaysItIsDone)
{
    grant({8});
    auto dialog = open();
    CGridCtrl *grid = dialog->grid();
    EXPECT_TRUE(dialog->deleteButton()->isEnabled());
    EXPECT_FALSE(dialog->newButton()->isEnabled());
    grid->setCurrentCell(2, kNumber);
    MessageBox::setNextAnswer(QMessageBox::No);
    dialog->deleteButton()->click();
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"متأكد من الحذف"_s});
    EXPECT_EQ(dialog->jobRowCount(), 3);
    grid->setCurrentCell(2, kNumber);
    MessageBox::setNextAnswer(QMessageBox::Yes);
    dialog->deleteButton()->click();
    EXPECT_EQ(MessageBox::takeShown(), (QStringList{u"متأكد من الحذف"_s, u"تم الحذف"_s}));
    EXPECT_EQ(dialog->jobRowCount(), 2);
    EXPECT_EQ(rowOf(*dialog, u"2"_s), -1);
    EXPECT_EQ(grid->text(2, kNumber), u"3"_s);
    EXPECT_EQ(grid->text(2, kPosition), u"2"_s);
    EXPECT_EQ(JobBook(m_archive.db()).all()->size(), 2);
}

TEST_F(WorkflowDlgTest, SearchFillsTheGridWithWhatTheFiltersFind)
{
    grant({2, 3, 5});
    auto dialog = open();
    dialog->statusBox()->setCurrentIndex(1); // completed
    dialog->stageBox()->setCurrentIndex(2);  // printing column of the list: binding flag
    dialog->searchButton()->click();
    ASSERT_EQ(dialog->jobRowCount(), 1);
    EXPECT_EQ(dialog->grid()->text(1, kNumber), u"2"_s);
    EXPECT_EQ(dialog->grid()->rowHeight(1), 40);

    dialog->statusBox()->setCurrentIndex(0);
    dialog->stageBox()->setCurrentIndex(0);
    dialog->nameBox()->setText(u"كراس"_s);
    dialog->searchButton()->click();
    ASSERT_EQ(dialog->jobRowCount(), 1);
    EXPECT_EQ(dialog->grid()->text(1, kNumber), u"3"_s);

    dialog->nameBox()->clear();
    dialog->fromBox()->setText(u"2"_s);
    dialog->toBox()->setText(u"3"_s);
    dialog->datedBox()->setChecked(true);
    dialog->deliveredFromBox()->setDate({2026, 1, 10});
    dialog->deliveredToBox()->setDate({2026, 1, 10});
    dialog->searchButton()->click();
    EXPECT_EQ(dialog->jobRowCount(), 2);
    dialog->deliveredFromBox()->setDate({2026, 1, 11});
    dialog->deliveredToBox()->setDate({2026, 1, 12});
    dialog->searchButton()->click();
    EXPECT_EQ(dialog->jobRowCount(), 0);
    EXPECT_TRUE(dialog->newButton()->isEnabled());
}

TEST_F(WorkflowDlgTest, PrintingWritesTheSheetWithoutTheHiddenStages)
{
    grant({1, 3, 4});
    auto dialog = open();
    const QString pdf = m_dir.filePath(u"jobs.pdf"_s);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPageOrientation(QPageLayout::Landscape);
    dialog->setPrinter(&printer);
    dialog->printButton()->click();
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page>>") + bytes.count("/Type /Page "), 1);
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    // The grid keeps its widths after printing.
    EXPECT_EQ(dialog->grid()->columnWidth(kPartyNotes), 100);
    EXPECT_EQ(dialog->grid()->columnWidth(kPrintingDate), 0);
}

TEST_F(WorkflowDlgTest, TheMainWindowOpensTheDialogOnlyForAWorkflowUser)
{
    grant({2});
    CMainFrame frame(m_state, m_archive.db(), *m_profile);
    frame.show();
    frame.updateCommandStates();
    EXPECT_FALSE(frame.action(Command::Workflow)->isEnabled());
    m_state.workflowUser = true;
    frame.updateCommandStates();
    ASSERT_TRUE(frame.action(Command::Workflow)->isEnabled());
    frame.action(Command::Workflow)->trigger();
    auto *dialog = frame.findChild<CWorkflowDlg *>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->isModal() || dialog->windowModality() == Qt::ApplicationModal);
    EXPECT_EQ(dialog->jobRowCount(), 3);
    EXPECT_GE(dialog->grid()->columnWidth(kPrintingDate), 70);
    EXPECT_EQ(dialog->grid()->columnWidth(kParty), 0);
    dialog->close();
}

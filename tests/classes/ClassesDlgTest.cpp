#include "base/AppState.h"
#include "base/Palette.h"
#include "classes/CClassesDlg.h"
#include "classes/CClassPickDlg.h"
#include "classes/Classifications.h"
#include "common/TestArchive.h"
#include "db/CClaSet.h"
#include "db/CDFSet.h"
#include "ui/CGridCtrl.h"
#include "ui/GridModel.h"
#include "ui/MessageBox.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// In serial order; the user may see 12 and 305.
const ClassSeed kSeeds[] = {
    {u"12"_s, u"المراسلات"_s},
    {u"1"_s, u"العقود"_s},
    {u"305"_s, u"فواتير الموردين"_s},
    {u"7"_s, u"الموظفين"_s},
};

class ClassesDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        MessageBox::setTestMode(true);
        ASSERT_TRUE(m_archive.problem().isEmpty()) << m_archive.problem().toStdString();
        const Result<QList<qint32>> serials = addClassSeeds(db(), kSeeds);
        ASSERT_TRUE(serials.ok()) << serials.error().toStdString();
        m_serials = *serials;
        m_state = AppState::load(m_archive.home());
        m_state.classAccess = u"@12@305@"_s;
    }
    void TearDown() override { MessageBox::setTestMode(false); }

    const Database &db() const { return m_archive.db(); }

    ClassRow byCode(qint32 code) const
    {
        const Result<std::optional<ClassRow>> row = CClaSet(db()).byCode(code);
        EXPECT_TRUE(row.ok() && row->has_value()) << code;
        return row.ok() && row->has_value() ? **row : ClassRow();
    }
    bool exists(qint32 code) const { return CClaSet(db()).byCode(code)->has_value(); }

    static int rowOfCode(const CGridCtrl *list, const QString &code)
    {
        for (int row = 1; row < list->rowCount(); ++row) {
            if (list->text(row, 0) == code)
                return row;
        }
        return -1;
    }

    static void doubleClickName(CGridCtrl *list, int row)
    {
        const QRect cell = list->visualRect(list->gridModel()->cellIndex(row, CClassesDlg::kNameColumn));
        ASSERT_TRUE(cell.isValid()) << row;
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    }

    static void showAndWait(QWidget &w)
    {
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    }

    TestArchive m_archive{Engine::SQLite};
    AppState m_state;
    QList<qint32> m_serials;
};

} // namespace

TEST_F(ClassesDlgTest, OpensListingEveryClassificationInSerialOrder)
{
    CClassesDlg dlg(m_state, db());
    EXPECT_EQ(dlg.windowTitle(), u"التصنيفات -الارشيف الجزئي"_s);
    EXPECT_FALSE(dlg.isVisible()) << "created hidden";
    EXPECT_FALSE(dlg.isModal());
    EXPECT_TRUE(dlg.field(1004)->isReadOnly());
    EXPECT_FALSE(dlg.field(1000)->isReadOnly());
    EXPECT_EQ(dlg.button(1081)->text(), u"جديد"_s);
    EXPECT_EQ(dlg.button(1074)->text(), u"الاخير"_s);
    EXPECT_FALSE(dlg.button(1)->isVisibleTo(&dlg));
    EXPECT_TRUE(dlg.button(1078)->isVisibleTo(&dlg));

    const CGridCtrl *list = dlg.list();
    EXPECT_EQ(list->gridKind(), 193);
    EXPECT_EQ(list->fixedRowCount(), 1);
    EXPECT_EQ(list->fixedColumnCount(), 1);
    EXPECT_EQ(list->columnWidth(0), 35);
    EXPECT_EQ(list->columnWidth(1), 0);
    EXPECT_EQ(list->columnWidth(2), 135);
    EXPECT_EQ(list->text(0, 1), u"الرقم"_s);
    EXPECT_EQ(list->text(0, 2), u"التصنيف"_s);
    ASSERT_EQ(list->rowCount(), 1 + int(std::size(kSeeds)));
    for (int i = 0; i < int(std::size(kSeeds)); ++i) {
        EXPECT_EQ(list->text(i + 1, 0), kSeeds[i].code);
        EXPECT_EQ(list->text(i + 1, 1), QString::number(m_serials[i]));
        EXPECT_EQ(list->text(i + 1, 2), kSeeds[i].name);
    }
}

TEST_F(ClassesDlgTest, MarksTheNamesOfTheClassificationsTheUserMaySee)
{
    CClassesDlg dlg(m_state, db());
    const CGridCtrl *list = dlg.list();
    const QColor marked(Palette::kMarked);
    EXPECT_EQ(marked, QColor(169, 186, 214));
    EXPECT_EQ(list->background(rowOfCode(list, u"12"_s), 2), marked);
    EXPECT_EQ(list->background(rowOfCode(list, u"305"_s), 2), marked);
    // "@1@" is not in "@12@305@".
    EXPECT_FALSE(list->background(rowOfCode(list, u"1"_s), 2).isValid());
    EXPECT_FALSE(list->background(rowOfCode(list, u"7"_s), 2).isValid());
    EXPECT_FALSE(list->background(rowOfCode(list, u"12"_s), 0).isValid()) << "only the name is marked";
}

TEST_F(ClassesDlgTest, NavigationSaysFirstAndLastAtTheEnds)
{
    CClassesDlg dlg(m_state, db());
    dlg.button(1048)->click();
    EXPECT_EQ(dlg.field(1000)->text(), u"12"_s);
    EXPECT_EQ(dlg.field(1004)->text(), QString::number(m_serials[0]));
    dlg.button(1049)->click();
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"it the first"_s});
    EXPECT_EQ(dlg.field(1000)->text(), u"12"_s) << "the shown classification stays";

    dlg.button(1073)->click();
    EXPECT_EQ(dlg.field(1001)->text(), u"العقود"_s);
    dlg.button(1074)->click();
    EXPECT_EQ(dlg.field(1000)->text(), u"7"_s);
    dlg.button(1073)->click();
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"it the last"_s});
    dlg.button(1049)->click();
    EXPECT_EQ(dlg.field(1000)->text(), u"305"_s);
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
}

TEST_F(ClassesDlgTest, DoubleClickOnARowShowsThatClassification)
{
    CClassesDlg dlg(m_state, db());
    showAndWait(dlg);
    doubleClickName(dlg.list(), rowOfCode(dlg.list(), u"305"_s));
    EXPECT_EQ(dlg.field(1000)->text(), u"305"_s);
    EXPECT_EQ(dlg.field(1001)->text(), u"فواتير الموردين"_s);
    EXPECT_EQ(dlg.field(1004)->text(), QString::number(m_serials[2]));
    EXPECT_EQ(dlg.field(1006)->text(), u"0"_s);
    EXPECT_EQ(dlg.field(1002)->text(), u"الارشيف"_s);

    emit dlg.list()->cellDoubleClicked(0, 2, CClassesDlg::kListGridKind);
    EXPECT_EQ(dlg.field(1000)->text(), u"305"_s) << "the header row shows nothing";
}

TEST_F(ClassesDlgTest, AddAppendsTheRowAndKeepsOnlyTheParentCode)
{
    CClassesDlg dlg(m_state, db());
    QSignalSpy changed(&dlg, &CClassesDlg::treeChanged);
    dlg.field(1006)->setText(u"12"_s);
    dlg.field(1002)->setText(u"المراسلات"_s);
    dlg.field(1000)->setText(u"40"_s);
    dlg.field(1001)->setText(u"البريد الوارد"_s);
    dlg.field(1003)->setText(u"ملاحظة"_s);
    dlg.button(1078)->click();

    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    EXPECT_EQ(changed.count(), 1);
    const ClassRow added = byCode(40);
    EXPECT_EQ(added.parentCode, 12);
    EXPECT_EQ(added.notes, u"ملاحظة"_s);
    const CGridCtrl *list = dlg.list();
    ASSERT_EQ(list->rowCount(), 2 + int(std::size(kSeeds)));
    const int last = list->rowCount() - 1;
    EXPECT_EQ(list->text(last, 0), u"40"_s);
    EXPECT_EQ(list->text(last, 1), QString::number(added.serial));
    EXPECT_EQ(list->text(last, 2), u"البريد الوارد"_s);
    for (int id : {1000, 1001, 1002, 1003, 1004})
        EXPECT_TRUE(dlg.field(id)->text().isEmpty()) << id;
    EXPECT_EQ(dlg.field(1006)->text(), u"12"_s);
}

TEST_F(ClassesDlgTest, DuplicateCodeWarnsOnAddAndOnEditAndWritesNothing)
{
    CClassesDlg dlg(m_state, db());
    QSignalSpy changed(&dlg, &CClassesDlg::treeChanged);
    const QString duplicate = u" يوجد تصنيف سابق بنفس   الرمز"_s;
    dlg.field(1000)->setText(u"12"_s);
    dlg.field(1001)->setText(u"مكرر"_s);
    dlg.button(1078)->click();
    EXPECT_EQ(MessageBox::shownIcons(), QList<QMessageBox::Icon>{QMessageBox::Warning}) << "an exclamation icon";
    EXPECT_EQ(MessageBox::takeShown(), QStringList{duplicate});
    EXPECT_EQ(dlg.list()->rowCount(), 1 + int(std::size(kSeeds)));
    EXPECT_TRUE(dlg.field(1000)->text().isEmpty()) << "a failed add empties the fields all the same";
    EXPECT_EQ(byCode(12).name, u"المراسلات"_s);
    EXPECT_EQ(changed.count(), 1);

    emit dlg.list()->cellDoubleClicked(rowOfCode(dlg.list(), u"7"_s), 2, CClassesDlg::kListGridKind);
    dlg.field(1000)->setText(u"305"_s);
    dlg.field(1001)->setText(u"اسم جديد"_s);
    dlg.button(1080)->click();
    EXPECT_EQ(MessageBox::takeShown(), QStringList{duplicate});
    EXPECT_EQ(dlg.field(1000)->text(), u"305"_s) << "a failed edit keeps what was typed";
    EXPECT_EQ(dlg.field(1001)->text(), u"اسم جديد"_s);
    EXPECT_EQ(byCode(7).name, u"الموظفين"_s);
    EXPECT_EQ(dlg.list()->text(rowOfCode(dlg.list(), u"7"_s), 2), u"الموظفين"_s);
}

TEST_F(ClassesDlgTest, ZeroOnARowMakesItTheParentOfTheNextAdds)
{
    CClassesDlg dlg(m_state, db());
    showAndWait(dlg);
    CGridCtrl *list = dlg.list();
    list->setCurrentCell(rowOfCode(list, u"12"_s), 2);
    QTest::keyClick(list, '0');
    EXPECT_EQ(dlg.field(1006)->text(), u"12"_s);
    EXPECT_EQ(dlg.field(1002)->text(), u"المراسلات"_s);

    dlg.field(1000)->setText(u"31"_s);
    dlg.field(1001)->setText(u"واردة"_s);
    dlg.button(1078)->click();
    dlg.button(1081)->click();
    dlg.field(1000)->setText(u"32"_s);
    dlg.field(1001)->setText(u"صادرة"_s);
    dlg.button(1078)->click();
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    for (qint32 code : {31, 32}) {
        EXPECT_EQ(byCode(code).parentCode, 12) << code;
        EXPECT_EQ(byCode(code).parentName, u"المراسلات"_s) << code;
    }
}

TEST_F(ClassesDlgTest, LeavingTheParentCodeLooksUpItsName)
{
    CClassesDlg dlg(m_state, db());
    QLineEdit *code = dlg.field(1006);
    code->setText(u"305"_s);
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(code, &leave);
    EXPECT_EQ(dlg.field(1002)->text(), u"فواتير الموردين"_s);

    code->setText(u"0"_s);
    QCoreApplication::sendEvent(code, &leave);
    EXPECT_EQ(dlg.field(1002)->text(), u"الارشيف"_s);
}

TEST_F(ClassesDlgTest, EditRenamesTheListRowWithTheSameNumber)
{
    CClassesDlg dlg(m_state, db());
    QSignalSpy changed(&dlg, &CClassesDlg::treeChanged);
    CGridCtrl *list = dlg.list();
    const int row = rowOfCode(list, u"1"_s);
    emit list->cellDoubleClicked(row, 2, CClassesDlg::kListGridKind);
    dlg.field(1001)->setText(u"العقود المبرمة"_s);
    dlg.button(1080)->click();

    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(list->text(row, 2), u"العقود المبرمة"_s);
    EXPECT_EQ(list->text(row, 1), QString::number(m_serials[1]));
    const ClassRow edited = byCode(1);
    EXPECT_EQ(edited.name, u"العقود المبرمة"_s);
    EXPECT_EQ(edited.serial, m_serials[1]);
    EXPECT_EQ(edited.serialText, QString::number(m_serials[1]));
}

TEST_F(ClassesDlgTest, DeleteIsRefusedWhileDocumentsAreFiledUnderAndOtherwiseRemovesTheRow)
{
    DocumentRow document;
    document.cardNumber = 1;
    document.classPath = u"@305@"_s;
    ASSERT_TRUE(CDFSet(db()).insert(document).ok());
    CClassesDlg dlg(m_state, db());
    QSignalSpy changed(&dlg, &CClassesDlg::treeChanged);
    CGridCtrl *list = dlg.list();

    emit list->cellDoubleClicked(rowOfCode(list, u"305"_s), 2, CClassesDlg::kListGridKind);
    dlg.button(1079)->click();
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"توجد وثائق فرعية"_s});
    EXPECT_TRUE(exists(305));
    EXPECT_NE(rowOfCode(list, u"305"_s), -1);
    EXPECT_EQ(changed.count(), 0);

    emit list->cellDoubleClicked(rowOfCode(list, u"12"_s), 2, CClassesDlg::kListGridKind);
    dlg.button(1079)->click();
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u"تم الحذف"_s});
    EXPECT_FALSE(exists(12));
    EXPECT_EQ(rowOfCode(list, u"12"_s), -1);
    EXPECT_EQ(list->rowCount(), int(std::size(kSeeds)));
    EXPECT_TRUE(dlg.field(1000)->text().isEmpty());
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(ClassesDlgTest, EnterFiltersByNameAndKeepsTheHeader)
{
    CClassesDlg dlg(m_state, db());
    showAndWait(dlg);
    CGridCtrl *list = dlg.list();
    auto heights = [list] {
        QList<int> out;
        for (int row = 1; row < list->rowCount(); ++row)
            out.append(list->rowHeight(row));
        return out;
    };

    dlg.field(1005)->setText(u"الموردين"_s);
    QTest::keyClick(dlg.field(1005), Qt::Key_Return);
    EXPECT_EQ(heights(), (QList<int>{0, 0, 20, 0}));
    EXPECT_TRUE(list->horizontalHeader()->isVisible());

    dlg.field(1005)->setText(u"لا يوجد"_s);
    QTest::keyClick(list, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(heights(), (QList<int>{0, 0, 0, 0}));
    EXPECT_TRUE(list->horizontalHeader()->isVisible()) << "the header stays when nothing matches";
    EXPECT_GT(list->rowHeight(0), 0);

    dlg.field(1005)->clear();
    QTest::keyClick(dlg.field(1001), Qt::Key_Return);
    EXPECT_EQ(heights(), (QList<int>{20, 20, 20, 20}));
    EXPECT_TRUE(dlg.isVisible()) << "Enter does not close the form";
}

TEST_F(ClassesDlgTest, PickerAnnouncesTheCodeAndNameOfADoubleClickedRow)
{
    CClassPickDlg picker(db());
    EXPECT_TRUE(picker.windowTitle().isEmpty());
    EXPECT_FALSE(picker.isVisible());
    const CGridCtrl *list = picker.list();
    EXPECT_EQ(list->gridKind(), 1193);
    EXPECT_EQ(list->columnWidth(1), 0);
    EXPECT_EQ(list->text(0, 2), u"التصنيف"_s);
    ASSERT_EQ(list->rowCount(), 1 + int(std::size(kSeeds)));

    showAndWait(picker);
    QSignalSpy chosen(&picker, &CClassPickDlg::classificationChosen);
    doubleClickName(picker.list(), rowOfCode(list, u"305"_s));
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen[0][0].toString(), u"305"_s);
    EXPECT_EQ(chosen[0][1].toString(), u"فواتير الموردين"_s);

    emit picker.list()->cellDoubleClicked(0, 2, CClassPickDlg::kListGridKind);
    EXPECT_EQ(chosen.count(), 1) << "the header row chooses nothing";
}

TEST_F(ClassesDlgTest, PickerShowReloadsSoNewClassificationsAppear)
{
    CClassPickDlg picker(db());
    ASSERT_TRUE(addClassification(db(), {u"50"_s, u"التقارير"_s, {}, 0}).ok());
    EXPECT_EQ(rowOfCode(picker.list(), u"50"_s), -1);
    picker.showPicker();
    EXPECT_TRUE(picker.isVisible());
    const int row = rowOfCode(picker.list(), u"50"_s);
    ASSERT_EQ(row, picker.list()->rowCount() - 1);
    EXPECT_EQ(picker.list()->text(row, 2), u"التقارير"_s);
    EXPECT_EQ(picker.list()->rowCount(), 2 + int(std::size(kSeeds))) << "the list is emptied first";
}

TEST_F(ClassesDlgTest, PickerEnterFiltersByNameAndKeepsTheHeader)
{
    CClassPickDlg picker(db());
    showAndWait(picker);
    CGridCtrl *list = picker.list();
    picker.field(1000)->setText(u"العقود"_s);
    QTest::keyClick(picker.field(1000), Qt::Key_Return);
    EXPECT_EQ(list->rowHeight(rowOfCode(list, u"1"_s)), 20);
    EXPECT_EQ(list->rowHeight(rowOfCode(list, u"12"_s)), 0);
    EXPECT_EQ(list->rowHeight(rowOfCode(list, u"305"_s)), 0);
    EXPECT_TRUE(list->horizontalHeader()->isVisible());

    // Every name holds "ال", one of them only inside: the hidden rows come back.
    picker.field(1000)->setText(u"ال"_s);
    QTest::keyClick(picker.field(1000), Qt::Key_Return);
    for (int row = 1; row < list->rowCount(); ++row)
        EXPECT_EQ(list->rowHeight(row), 20) << row;
    EXPECT_TRUE(list->horizontalHeader()->isVisible());
    EXPECT_TRUE(picker.isVisible());
}

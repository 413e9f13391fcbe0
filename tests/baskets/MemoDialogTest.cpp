#include "baskets/CMemoDlg.h"
#include "common/ShownText.h"
#include "common/TestArchive.h"
#include "db/CDFSet.h"
#include "ui/MessageBox.h"
#include "users/UserAdmin.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class MemoDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_archive.problem().isEmpty()) << m_archive.problem().toStdString();
        NewUser clerk;
        clerk.name = u"Clerk"_s;
        clerk.password = u"pw"_s;
        ASSERT_TRUE(addUser(m_archive.db(), clerk).ok());

        DocumentRow row;
        row.cardNumber = 9;
        row.itemNumber = 2;
        row.kind = KindFile;
        row.classPath = u"@1@"_s;
        row.fileName = u"محضر.pdf"_s;
        row.keywords = u"اجتماع"_s;
        row.seriesFolder = u"Ser1"_s;
        row.archivingDate = QDate(2026, 5, 6).startOfDay();
        const Result<qint32> sn = CDFSet(m_archive.db()).insert(row);
        ASSERT_TRUE(sn.ok());
        m_sn = *sn;
        m_target.serial = m_sn;
        MessageBox::setTestMode(true);
    }
    void TearDown() override
    {
        MessageBox::takeShown();
        MessageBox::setTestMode(false);
    }

    DocumentRow stored() const { return **CDFSet(m_archive.db()).rowBySerial(m_sn); }

    TestArchive m_archive{Engine::SQLite};
    MemoTarget m_target;
    qint32 m_sn = 0;
};

} // namespace

TEST_F(MemoDialog, ARowWithoutAMemoOpensEmpty)
{
    const QDateTime before = QDateTime::currentDateTime().addSecs(-60);
    CMemoDlg dlg(m_archive.db(), m_target);
    EXPECT_EQ(dlg.windowTitle(), u" الملف / محضر.pdf  /  اجتماع"_s);
    ASSERT_EQ(dlg.addresseeBox()->count(), 2);
    EXPECT_EQ(dlg.addresseeBox()->itemText(0), u"MASTER"_s);
    EXPECT_EQ(dlg.addresseeBox()->itemText(1), u"Clerk"_s);
    EXPECT_TRUE(dlg.addresseeBox()->currentText().isEmpty());
    EXPECT_TRUE(dlg.notesBox()->toPlainText().isEmpty());
    EXPECT_FALSE(dlg.remindBox()->isChecked());
    EXPECT_EQ(dlg.entryDate()->date(), QDate(2026, 5, 6));
    EXPECT_GE(dlg.reminderDate()->dateTime(), before);
    EXPECT_TRUE(dlg.saveButton()->isEnabled());
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
}

TEST_F(MemoDialog, SaveWritesTheFourColumnsAndStaysOpen)
{
    CMemoDlg dlg(m_archive.db(), m_target);
    dlg.addresseeBox()->setEditText(u"Clerk"_s);
    dlg.notesBox()->setPlainText(u"اتصل بالمحامي"_s);
    const QDateTime when(QDate(2026, 12, 9), QTime(8, 45));
    dlg.reminderDate()->setDateTime(when);
    dlg.remindBox()->setChecked(true);
    QTest::mouseClick(dlg.saveButton(), Qt::LeftButton);

    DocumentRow row = stored();
    EXPECT_EQ(row.reminderUser, u"Clerk"_s);
    EXPECT_EQ(row.reminderText, u"اتصل بالمحامي"_s);
    EXPECT_EQ(row.reminderTime, when);
    EXPECT_TRUE(row.reminderActive);
    EXPECT_EQ(row.archivingDate, QDate(2026, 5, 6).startOfDay()) << "the entry date is never written";
    EXPECT_EQ(dlg.result(), 0) << "saving does not end the dialog";

    // Saving again with the box off keeps the memo but ends the reminder.
    dlg.remindBox()->setChecked(false);
    dlg.save();
    row = stored();
    EXPECT_EQ(row.reminderText, u"اتصل بالمحامي"_s);
    EXPECT_FALSE(row.reminderActive);
    EXPECT_TRUE(CDFSet(m_archive.db()).activeReminders(u"CLERK"_s)->isEmpty());

    // A new dialog shows what was saved.
    CMemoDlg again(m_archive.db(), m_target);
    EXPECT_EQ(again.addresseeBox()->currentText(), u"Clerk"_s);
    EXPECT_EQ(again.reminderDate()->dateTime(), when);
    EXPECT_FALSE(again.remindBox()->isChecked());
}

TEST_F(MemoDialog, ARowNumberWithoutARowSaysSoAndWritesNothing)
{
    CMemoDlg dlg(m_archive.db(), {m_sn + 50});
    const QStringList shown = MessageBox::takeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0], MemoStore::noSuchRowMessage(m_sn + 50));
    EXPECT_FALSE(dlg.hasRow());
    EXPECT_FALSE(dlg.saveButton()->isEnabled());
    dlg.addresseeBox()->setEditText(u"Clerk"_s);
    dlg.remindBox()->setChecked(true);
    dlg.save();
    EXPECT_FALSE(CDFSet(m_archive.db()).rowBySerial(m_sn + 50)->has_value());
    EXPECT_TRUE(stored().reminderUser.isEmpty());

    for (const qint32 notARow : {0, -3}) {
        CMemoDlg bad(m_archive.db(), {notARow});
        EXPECT_EQ(MessageBox::takeShown(), QStringList{u"رقم الملف غير صالح: %1"_s.arg(notARow)});
        EXPECT_FALSE(bad.hasRow());
        EXPECT_FALSE(bad.saveButton()->isEnabled());
    }
}

TEST_F(MemoDialog, AReminderForANameThatIsNoUserIsSavedOnlyWhenConfirmed)
{
    CMemoDlg dlg(m_archive.db(), m_target);
    dlg.addresseeBox()->setEditText(u"Clrek"_s);
    dlg.notesBox()->setPlainText(u"نص"_s);
    dlg.remindBox()->setChecked(true);

    MessageBox::setNextAnswer(QMessageBox::No);
    dlg.save();
    ASSERT_EQ(MessageBox::takeShown().size(), 1);
    EXPECT_TRUE(stored().reminderUser.isEmpty()) << "nothing written after No";

    MessageBox::setNextAnswer(QMessageBox::Yes);
    dlg.save();
    EXPECT_EQ(MessageBox::takeShown().size(), 1);
    EXPECT_EQ(stored().reminderUser, u"Clrek"_s) << "stored as typed";

    // A user's name in any letter case, or no reminder at all, asks nothing.
    dlg.addresseeBox()->setEditText(u"clerk"_s);
    dlg.save();
    dlg.addresseeBox()->setEditText(u"Nobody"_s);
    dlg.remindBox()->setChecked(false);
    dlg.save();
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    EXPECT_EQ(stored().reminderUser, u"Nobody"_s);
}

TEST_F(MemoDialog, TimesReadAsWrittenAndSavingSaysSo)
{
    DocumentRow row = stored();
    row.reminderTime = QDateTime(QDate(2026, 12, 9), QTime(9, 0));
    row.archivingDate = QDateTime(QDate(2026, 5, 6), QTime(17, 21));
    ASSERT_TRUE(CDFSet(m_archive.db()).update(row).ok());

    CMemoDlg dlg(m_archive.db(), m_target);
    dlg.resize(500, 300);
    dlg.show();
    EXPECT_EQ(shownText(dlg.reminderDate()).toStdString(), "09/12/2026 09:00");
    EXPECT_EQ(shownText(dlg.entryDate()).toStdString(), "06/05/2026 17:21");
    EXPECT_TRUE(drawnInWrittenOrder(dlg.reminderDate()));
    EXPECT_TRUE(drawnInWrittenOrder(dlg.entryDate()));
    EXPECT_TRUE(dlg.statusLine()->text().isEmpty());

    dlg.addresseeBox()->setEditText(u"Clerk"_s);
    QTest::mouseClick(dlg.saveButton(), Qt::LeftButton);
    EXPECT_TRUE(dlg.isVisible()) << "saving leaves the dialog open";
    EXPECT_EQ(dlg.statusLine()->text(), u"تم حفظ الملاحظة"_s);
    EXPECT_TRUE(dlg.statusLine()->isVisible());
    EXPECT_EQ(stored().reminderTime, QDateTime(QDate(2026, 12, 9), QTime(9, 0)));

    // A change after the save is not saved yet: the line no longer says it is.
    dlg.notesBox()->setPlainText(u"نص جديد"_s);
    EXPECT_TRUE(dlg.statusLine()->text().isEmpty());
}

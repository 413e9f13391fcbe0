#include "app/ArchiveSetup.h"
#include "app/CMainFrame.h"
#include "base/Palette.h"
#include "common/AnswerLogin.h"
#include "common/TestArchive.h"
#include "db/CUserSet.h"
#include "ui/CGridCtrl.h"
#include "ui/GridModel.h"
#include "ui/MessageBox.h"
#include "users/CUsersDlg.h"
#include "users/PasswordHash.h"
#include "users/UserAdmin.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kPrintRow = 12;
constexpr int kUsersRow = 3;

class UsersDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        registerCoreResources();
        QApplication::setLayoutDirection(Qt::RightToLeft);
        MessageBox::setTestMode(true);
        ASSERT_TRUE(m_archive.problem().isEmpty()) << m_archive.problem().toStdString();
        ASSERT_TRUE(addClassSeeds(db(), std::span<const ClassSeed>(m_seeds)).ok());
        UserForm clerk;
        clerk.name = u"CLERK"_s;
        clerk.password = u"2"_s;
        clerk.classCodes = {u"11"_s};
        ASSERT_TRUE(addUser(db(), clerk).ok());
    }
    void TearDown() override { MessageBox::setTestMode(false); }

    const Database &db() const { return m_archive.db(); }

    UserRow row(const QString &name) const
    {
        const Result<std::optional<UserRow>> found = CUserSet(db()).byName(name);
        return found.ok() && found->has_value() ? **found : UserRow();
    }

    static int rowOf(const CGridCtrl *grid, const QString &text)
    {
        for (int r = 1; r < grid->rowCount(); ++r) {
            if (grid->text(r, CUsersDlg::kNameColumn) == text)
                return r;
        }
        return -1;
    }

    // A double-click as the user makes it, on the name cell of the row.
    static void doubleClick(CGridCtrl *grid, int row)
    {
        const QRect cell = grid->visualRect(grid->gridModel()->cellIndex(row, CUsersDlg::kNameColumn));
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }

    TestArchive m_archive{Engine::SQLite};
    const ClassSeed m_seeds[3] = {{u"1"_s, u"المراسلات الواردة"_s}, {u"11"_s, u"كتب رسمية"_s}, {u"2"_s, u"تعاميم"_s}};
};

} // namespace

TEST_F(UsersDlgTest, OpensWithTheListsAndNothingLoaded)
{
    CUsersDlg dlg(db());
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_EQ(dlg.windowTitle(), u"المستخدمين"_s);
    EXPECT_TRUE(dlg.isRightToLeft());
    EXPECT_EQ(dlg.usersGrid()->rowCount(), 3);
    EXPECT_EQ(dlg.usersGrid()->text(1, 2), u"MASTER"_s);
    EXPECT_EQ(dlg.usersGrid()->text(2, 2), u"CLERK"_s);
    EXPECT_EQ(dlg.usersGrid()->text(0, 2), u"المستخدم"_s);
    EXPECT_EQ(dlg.usersGrid()->columnWidth(0), 0);
    EXPECT_EQ(dlg.rightsGrid()->rowCount(), 13);
    EXPECT_EQ(dlg.rightsGrid()->text(kUsersRow, 2), u"المستخدمين"_s);
    EXPECT_EQ(dlg.rightsGrid()->text(kPrintRow, 2), u"تمكين الطباعة"_s);
    EXPECT_EQ(dlg.classesGrid()->rowCount(), 4);
    EXPECT_EQ(dlg.classesGrid()->text(2, 0), u"11"_s);
    EXPECT_EQ(dlg.classesGrid()->text(2, 2), u"كتب رسمية"_s);
    EXPECT_EQ(dlg.classesGrid()->columnWidth(0), 40);
    // From the right: users, classifications, rights.
    EXPECT_GT(dlg.usersGrid()->x(), dlg.classesGrid()->x());
    EXPECT_GT(dlg.classesGrid()->x(), dlg.rightsGrid()->x());
    // Every right is in view: the last row ends inside the grid.
    const QRect printCell = dlg.rightsGrid()->visualRect(dlg.rightsGrid()->gridModel()->cellIndex(kPrintRow, 2));
    EXPECT_LE(printCell.bottom(), dlg.rightsGrid()->viewport()->height());
    EXPECT_FALSE(dlg.editButton()->isEnabled());
    EXPECT_TRUE(dlg.newButton()->isEnabled());
    EXPECT_TRUE(dlg.saveButton()->isDefault());
    EXPECT_EQ(dlg.passwordBox()->echoMode(), QLineEdit::Password);
    for (int i = 0; i < kWorkflowCount; ++i) {
        EXPECT_TRUE(dlg.workflowBox(i)->isVisible()) << i;
        EXPECT_FALSE(dlg.workflowBox(i)->isChecked()) << i;
    }
    EXPECT_EQ(dlg.workflowBox(0)->text(), u"الجهة"_s);
    for (int r = 1; r <= kRightCount; ++r)
        EXPECT_FALSE(dlg.isMarked(dlg.rightsGrid(), r)) << r;
}

TEST_F(UsersDlgTest, DoubleClicksLoadAUserAndToggleMarks)
{
    CUsersDlg dlg(db());
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    doubleClick(dlg.usersGrid(), 1);
    EXPECT_EQ(dlg.nameBox()->text(), u"MASTER"_s);
    EXPECT_EQ(dlg.loadedBox()->text(), u"MASTER"_s);
    EXPECT_FALSE(dlg.nameBox()->isEnabled()) << "nobody renames MASTER";
    EXPECT_TRUE(dlg.passwordBox()->text().isEmpty()) << "the stored hash is not shown";
    EXPECT_TRUE(dlg.editButton()->isEnabled());
    for (int r = 1; r <= kRightCount; ++r)
        EXPECT_TRUE(dlg.isMarked(dlg.rightsGrid(), r)) << r;
    EXPECT_EQ(dlg.rightsGrid()->background(kPrintRow, 2), QColor(Palette::kMarked));
    EXPECT_TRUE(dlg.workflowBox(7)->isChecked());

    doubleClick(dlg.usersGrid(), 2);
    EXPECT_TRUE(dlg.nameBox()->isEnabled());
    EXPECT_FALSE(dlg.isMarked(dlg.rightsGrid(), kPrintRow));
    EXPECT_EQ(dlg.rightsGrid()->background(kPrintRow, 2), QColor(255, 255, 255));
    EXPECT_FALSE(dlg.isMarked(dlg.classesGrid(), 1)) << "@11@ does not allow 1";
    EXPECT_TRUE(dlg.isMarked(dlg.classesGrid(), 2));
    EXPECT_FALSE(dlg.workflowBox(7)->isChecked());

    doubleClick(dlg.rightsGrid(), kPrintRow);
    EXPECT_TRUE(dlg.isMarked(dlg.rightsGrid(), kPrintRow));
    doubleClick(dlg.classesGrid(), 2);
    EXPECT_FALSE(dlg.isMarked(dlg.classesGrid(), 2));
    // The space bar does the same from the keyboard.
    dlg.classesGrid()->setCurrentCell(2, 2);
    QTest::keyClick(dlg.classesGrid(), Qt::Key_Space);
    EXPECT_TRUE(dlg.isMarked(dlg.classesGrid(), 2));
    // Nothing is stored until a save.
    EXPECT_EQ(row(u"CLERK"_s).printjob, 0);
    dlg.editButton()->click();
    EXPECT_EQ(row(u"CLERK"_s).printjob, kGranted);
    EXPECT_EQ(row(u"CLERK"_s).classAccess, u"@11@"_s);
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
}

TEST_F(UsersDlgTest, NewKeepsTheClassificationMarksAndSaveAddsTheUser)
{
    CUsersDlg dlg(db());
    dlg.show();
    doubleClick(dlg.usersGrid(), 2); // CLERK, allowed 11
    dlg.workflowBox(1)->setChecked(true);
    doubleClick(dlg.rightsGrid(), 8);
    dlg.newButton()->click();
    EXPECT_TRUE(dlg.nameBox()->text().isEmpty());
    EXPECT_FALSE(dlg.newButton()->isEnabled());
    EXPECT_FALSE(dlg.editButton()->isEnabled());
    EXPECT_FALSE(dlg.isMarked(dlg.rightsGrid(), 8)) << "the rights start empty";
    EXPECT_TRUE(dlg.isMarked(dlg.classesGrid(), 2)) << "the classifications are kept";
    EXPECT_TRUE(dlg.workflowBox(1)->isChecked());

    // A new user needs a password.
    dlg.nameBox()->setText(u"أحمد"_s);
    dlg.saveButton()->click();
    EXPECT_EQ(MessageBox::takeShown(), QStringList{missingPasswordMessage()});
    EXPECT_EQ(dlg.usersGrid()->rowCount(), 3);

    QTest::keyClicks(dlg.passwordBox(), u"pw"_s);
    doubleClick(dlg.rightsGrid(), 9);
    dlg.saveButton()->click();
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    ASSERT_EQ(dlg.usersGrid()->rowCount(), 4);
    EXPECT_EQ(dlg.usersGrid()->text(3, 2), u"أحمد"_s);
    EXPECT_TRUE(dlg.newButton()->isEnabled());
    const UserRow added = row(u"أحمد"_s);
    EXPECT_EQ(added.classAccess, u"@11@"_s);
    EXPECT_EQ(added.docmod, kGranted);
    EXPECT_EQ(added.docadd, 0);
    EXPECT_EQ(added.printingStage, kGranted);
    EXPECT_TRUE(PasswordHash::matches(added.password, u"pw"_s));
}

TEST_F(UsersDlgTest, SaveOnALoadedUserReportsTheDuplicate)
{
    CUsersDlg dlg(db());
    dlg.show();
    doubleClick(dlg.usersGrid(), 2);
    dlg.passwordBox()->setText(u"x"_s);
    dlg.saveButton()->click();
    EXPECT_EQ(MessageBox::shownIcons(), QList<QMessageBox::Icon>{QMessageBox::Warning}) << "an exclamation";
    EXPECT_EQ(MessageBox::takeShown(), QStringList{u" يوجد مستخدم بنفس الاسم"_s});
    EXPECT_EQ(dlg.usersGrid()->rowCount(), 3);
    EXPECT_TRUE(PasswordHash::matches(row(u"CLERK"_s).password, u"2"_s));
}

TEST_F(UsersDlgTest, EditRenamesInPlaceAndRefusesWhatWouldBreak)
{
    CUsersDlg dlg(db());
    dlg.show();
    doubleClick(dlg.usersGrid(), 2);
    dlg.nameBox()->setText(u"خالد"_s);
    dlg.editButton()->click();
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    EXPECT_EQ(dlg.usersGrid()->rowCount(), 3);
    EXPECT_EQ(dlg.usersGrid()->text(2, 2), u"خالد"_s);
    EXPECT_EQ(dlg.loadedBox()->text(), u"خالد"_s);
    EXPECT_EQ(row(u"خالد"_s).classAccess, u"@11@"_s);
    EXPECT_TRUE(PasswordHash::matches(row(u"خالد"_s).password, u"2"_s));

    // Renamed at another workstation meanwhile: said, and nothing written.
    UserForm elsewhere = formOf(row(u"خالد"_s));
    elsewhere.name = u"OTHER"_s;
    ASSERT_TRUE(changeUser(db(), u"خالد"_s, elsewhere).ok());
    doubleClick(dlg.rightsGrid(), kPrintRow);
    dlg.editButton()->click();
    EXPECT_EQ(MessageBox::takeShown(), QStringList{userGoneMessage(u"خالد"_s)});
    EXPECT_EQ(row(u"OTHER"_s).printjob, 0);

    // MASTER's own right to the users cannot go while nobody else holds it.
    doubleClick(dlg.usersGrid(), 1);
    doubleClick(dlg.rightsGrid(), kUsersRow);
    dlg.editButton()->click();
    EXPECT_EQ(MessageBox::takeShown(), QStringList{lockOutMessage()});
    EXPECT_EQ(row(u"MASTER"_s).FilesBask, kGranted);
    // Its other rights save.
    doubleClick(dlg.rightsGrid(), kUsersRow);
    doubleClick(dlg.rightsGrid(), 4);
    dlg.editButton()->click();
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    EXPECT_EQ(row(u"MASTER"_s).constant, 0);
    EXPECT_EQ(row(u"MASTER"_s).user, u"MASTER"_s);
}

TEST_F(UsersDlgTest, GrantedRightsCountFromTheNextLogin)
{
    QSettings profile(m_archive.home() + u"/profile.ini"_s, QSettings::IniFormat);
    auto logIn = [&](AppState &state) {
        logInAs(u"CLERK"_s, u"2"_s);
        CLoginDlg login(state, db());
        return login.exec() == QDialog::Accepted;
    };
    AppState first = AppState::load(m_archive.home());
    ASSERT_TRUE(logIn(first));
    // The print commands are carried out by the windows that print; here only the rights decide.
    auto printable = [](CMainFrame &f) {
        for (int command : {int(Command::Print), int(Command::PrintArchived)})
            f.setHandler(command, [] {});
        f.updateCommandStates();
    };
    CMainFrame frame(first, db(), profile);
    printable(frame);
    EXPECT_FALSE(frame.action(Command::Print)->isEnabled());
    EXPECT_FALSE(frame.action(Command::Users)->isEnabled());

    {
        CUsersDlg dlg(db());
        dlg.show();
        doubleClick(dlg.usersGrid(), rowOf(dlg.usersGrid(), u"CLERK"_s));
        doubleClick(dlg.rightsGrid(), kPrintRow);
        dlg.editButton()->click();
        ASSERT_TRUE(MessageBox::takeShown().isEmpty());
    }
    // This session keeps the rights it logged in with.
    frame.updateCommandStates();
    EXPECT_FALSE(frame.action(Command::Print)->isEnabled());

    AppState second = AppState::load(m_archive.home());
    ASSERT_TRUE(logIn(second));
    EXPECT_EQ(second.rights.printjob, kGranted);
    CMainFrame again(second, db(), profile);
    printable(again);
    EXPECT_TRUE(again.action(Command::Print)->isEnabled());
    EXPECT_TRUE(again.action(Command::PrintArchived)->isEnabled());
    EXPECT_FALSE(again.action(Command::Users)->isEnabled());
}

TEST_F(UsersDlgTest, TheUsersCommandOpensTheDialogForItsHolders)
{
    QSettings profile(m_archive.home() + u"/profile.ini"_s, QSettings::IniFormat);
    AppState state = AppState::load(m_archive.home());
    state.currentUser = u"MASTER"_s;
    state.rights.filesBask = kGranted;
    CMainFrame frame(state, db(), profile);
    frame.updateCommandStates();
    ASSERT_TRUE(frame.action(Command::Users)->isEnabled());
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto *dlg = qobject_cast<CUsersDlg *>(QApplication::activeModalWidget());
        shown = dlg && dlg->isVisible() && dlg->usersGrid()->rowCount() == 3;
        if (dlg)
            dlg->closeButton()->click();
    });
    frame.action(Command::Users)->trigger();
    EXPECT_TRUE(shown);
}

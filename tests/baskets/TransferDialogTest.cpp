#include "baskets/CTransferDlg.h"
#include "common/TestArchive.h"
#include "ui/CGridCtrl.h"
#include "ui/GridModel.h"
#include "ui/MessageBox.h"
#include "users/UserAdmin.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class TransferDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_archive.problem().isEmpty()) << m_archive.problem().toStdString();
        for (const QString &name : {u"Clerk"_s, u"سارة"_s, u"Boss"_s}) {
            NewUser u;
            u.name = name;
            u.password = u"pw"_s;
            ASSERT_TRUE(addUser(m_archive.db(), u).ok());
        }
        m_state.programFolder = m_archive.home();
        m_state.databaseFolder = m_archive.databaseFolder();
        m_file = m_archive.home() + u"/scan 7.pdf"_s;
        QFile f(m_file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("pdf");
        f.close();
        MessageBox::setTestMode(true);
    }
    void TearDown() override
    {
        MessageBox::takeShown();
        MessageBox::setTestMode(false);
    }

    QString received(const QString &user) const
    {
        return receivedFilesFolder(m_archive.databaseFolder(), user) + u"/scan 7.pdf"_s;
    }

    void selectRows(CTransferDlg &dlg, const QList<int> &rows)
    {
        CGridCtrl *grid = dlg.usersGrid();
        grid->selectionModel()->clearSelection();
        for (int r : rows)
            grid->selectionModel()->select(grid->gridModel()->cellIndex(r, CTransferDlg::kUserColumn),
                                           QItemSelectionModel::Select);
    }

    TestArchive m_archive{Engine::SQLite};
    AppState m_state;
    QString m_file;
};

} // namespace

TEST_F(TransferDialog, ListsTheUsersInTableOrderUnderTheFileCaption)
{
    CTransferDlg dlg(m_state, m_archive.db(), m_file);
    CGridCtrl *grid = dlg.usersGrid();
    EXPECT_EQ(dlg.windowTitle(), m_file);
    EXPECT_EQ(grid->gridKind(), 101);
    ASSERT_EQ(grid->rowCount(), 5);
    EXPECT_EQ(grid->fixedRowCount(), 1);
    EXPECT_EQ(grid->text(0, 2), u"المستخدم"_s);
    EXPECT_EQ(grid->columnWidth(0), 0);
    EXPECT_EQ(grid->columnWidth(1), 0);
    EXPECT_EQ(grid->columnWidth(2), 180);
    QStringList names;
    for (int r = 1; r < grid->rowCount(); ++r)
        names << grid->text(r, 2);
    EXPECT_EQ(names, (QStringList{u"MASTER"_s, u"Clerk"_s, u"سارة"_s, u"Boss"_s}));
    EXPECT_EQ(dlg.transferButton()->text(), u"تحويل"_s);
    EXPECT_EQ(dlg.layoutDirection(), Qt::RightToLeft);
}

TEST_F(TransferDialog, TheSelectedUsersReceiveACopyAndTheOthersNothing)
{
    CTransferDlg dlg(m_state, m_archive.db(), m_file);
    selectRows(dlg, {1, 3, 4});
    QTest::mouseClick(dlg.transferButton(), Qt::LeftButton);

    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(QFileInfo::exists(received(u"MASTER"_s)));
    EXPECT_TRUE(QFileInfo::exists(received(u"سارة"_s)));
    EXPECT_TRUE(QFileInfo::exists(received(u"Boss"_s)));
    EXPECT_FALSE(QFileInfo::exists(received(u"Clerk"_s)));
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    EXPECT_EQ(dlg.deliveries().size(), 3);
}

TEST_F(TransferDialog, TheSenderIsToldWhoDidNotReceiveTheFile)
{
    // Boss's folder is gone and a plain file stands in its place.
    const QString folder = receivedFilesFolder(m_archive.databaseFolder(), u"Boss"_s);
    ASSERT_TRUE(QDir(folder).removeRecursively());
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    // Clerk's folder is gone: it is made again.
    ASSERT_TRUE(QDir(receivedFilesFolder(m_archive.databaseFolder(), u"Clerk"_s)).removeRecursively());

    CTransferDlg dlg(m_state, m_archive.db(), m_file);
    selectRows(dlg, {2, 4});
    dlg.transfer();

    EXPECT_TRUE(QFileInfo::exists(received(u"Clerk"_s)));
    const QStringList shown = MessageBox::takeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(u"Boss"_s));
    EXPECT_FALSE(shown[0].contains(u"Clerk"_s));
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

TEST_F(TransferDialog, WithoutASelectionTheDialogJustCloses)
{
    CTransferDlg dlg(m_state, m_archive.db(), m_file);
    dlg.usersGrid()->selectionModel()->clearSelection();
    dlg.transfer();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(dlg.deliveries().isEmpty());
    for (const QString &u : {u"MASTER"_s, u"Clerk"_s, u"سارة"_s, u"Boss"_s})
        EXPECT_FALSE(QFileInfo::exists(received(u)));
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
}

TEST_F(TransferDialog, AReadOnlyFileAtAReceiverIsAskedAboutWithTheAnswersGiven)
{
    for (const QString &user : {u"Clerk"_s, u"سارة"_s}) {
        ASSERT_TRUE(QDir().mkpath(receivedFilesFolder(m_archive.databaseFolder(), user)));
        QFile old(received(user));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("older");
        old.close();
        ASSERT_TRUE(QFile::setPermissions(received(user), QFileDevice::ReadOwner));
    }
    MessageBox::setNextAnswer(QMessageBox::No);  // Clerk keeps his
    MessageBox::setNextAnswer(QMessageBox::Yes); // سارة's is replaced

    CTransferDlg dlg(m_state, m_archive.db(), m_file);
    selectRows(dlg, {2, 3});
    dlg.transfer();

    const QStringList shown = MessageBox::takeShown();
    ASSERT_EQ(shown.size(), 3);
    EXPECT_EQ(shown[0], u"scan 7.pdf is read olny. Do you want delete it?"_s);
    EXPECT_EQ(shown[1], shown[0]);
    EXPECT_TRUE(shown[2].contains(u"Clerk"_s)) << "the sender is told who kept his file";
    EXPECT_FALSE(shown[2].contains(u"سارة"_s));
    QFile clerk(received(u"Clerk"_s));
    ASSERT_TRUE(clerk.open(QIODevice::ReadOnly));
    EXPECT_EQ(clerk.readAll(), QByteArray("older"));
    QFile sara(received(u"سارة"_s));
    ASSERT_TRUE(sara.open(QIODevice::ReadOnly));
    EXPECT_EQ(sara.readAll(), QByteArray("pdf"));
}

#include "app/ArchiveSetup.h"
#include "app/CSettingsDlg.h"
#include "base/PathsFile.h"
#include "base/SettingsFiles.h"
#include "db/AllocationLock.h"
#include "ui/CGridCtrl.h"
#include "ui/FileDialog.h"
#include "ui/MessageBox.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <map>

namespace {

class SettingsDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        registerCoreResources();
        MessageBox::setTestMode(true);
        m_state.programFolder = m_dir.path();
        m_state.databaseFolder = m_dir.path() + QStringLiteral("/DataBase");
        QDir().mkpath(m_state.databaseFolder);
    }
    void TearDown() override { MessageBox::setTestMode(false); }

    std::map<QString, QByteArray> files() const
    {
        std::map<QString, QByteArray> out;
        for (const QString &name : QDir(m_state.databaseFolder).entryList(QDir::Files)) {
            QFile f(m_state.databaseFolder + u'/' + name);
            f.open(QIODevice::ReadOnly);
            out[name] = f.readAll();
        }
        QFile paths(PathsFile::path(m_state.programFolder));
        paths.open(QIODevice::ReadOnly);
        out[QStringLiteral("pathes.txt")] = paths.readAll();
        return out;
    }

    QTemporaryDir m_dir;
    AppState m_state;
};

} // namespace

TEST_F(SettingsDlgTest, SavesWhatItShowsAndShowsWhatItSaved)
{
    CSettingsDlg dlg(m_state);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("اعدادات النظام"));
    EXPECT_EQ(dlg.feedsGrid()->gridKind(), 200);
    EXPECT_EQ(dlg.feedsGrid()->text(0, 1), QStringLiteral(" المصدر"));
    EXPECT_EQ(dlg.feedsGrid()->text(10, 0), QStringLiteral("10"));
    EXPECT_EQ(dlg.startDateBox()->date(), QDate::currentDate()) << "no stored date shows today";
    EXPECT_FALSE(dlg.field(1003)->isVisibleTo(&dlg));

    dlg.field(1000)->setText(QStringLiteral("شركة الأرشيف"));
    dlg.field(1007)->setText(QStringLiteral("/srv/db"));
    dlg.field(1005)->setText(QStringLiteral("650000000"));
    dlg.field(1006)->setText(QStringLiteral("10"));
    dlg.markingBox()->setEditText(QStringLiteral("بالتاريخ"));
    dlg.startDateBox()->setDate(QDate(2006, 3, 5));
    dlg.feedsGrid()->setText(2, 1, QStringLiteral("/srv/scan"));
    dlg.feedsGrid()->setText(2, 2, QStringLiteral("الماسح"));
    dlg.feedsGrid()->setText(2, 3, QStringLiteral("صور"));
    ASSERT_TRUE(dlg.save());
    EXPECT_TRUE(MessageBox::takeShown().isEmpty()) << "saving shows no message";

    const FeedList feeds = SettingsFiles::readFeeds(m_state.databaseFolder);
    EXPECT_EQ(feeds[1].type, FeedRecord::Images);
    EXPECT_EQ(feeds[1].name, QStringLiteral("الماسح"));
    EXPECT_EQ(feeds[0].type, FeedRecord::None);
    EXPECT_EQ(feeds[9].number, 10);
    EXPECT_EQ(SettingsFiles::readSeriesNumber(m_state.databaseFolder), 10);
    const PathsFile::Values paths = PathsFile::read(m_state.programFolder).values;
    EXPECT_EQ(paths[PathsFile::StartDate], QStringLiteral("5/3/2006"));
    EXPECT_EQ(paths[PathsFile::DatabaseFolder], QStringLiteral("/srv/db"));
    EXPECT_EQ(paths[PathsFile::MarkingMode], QStringLiteral("بالتاريخ"));

    // A second form shows the same, and saving it untouched rewrites the same bytes.
    const auto before = files();
    CSettingsDlg again(m_state);
    EXPECT_EQ(again.field(1000)->text(), QStringLiteral("شركة الأرشيف"));
    EXPECT_EQ(again.feedsGrid()->text(2, 3), QStringLiteral("صور"));
    EXPECT_EQ(again.startDateBox()->date(), QDate(2006, 3, 5));
    ASSERT_TRUE(again.save());
    EXPECT_EQ(files(), before);
}

TEST_F(SettingsDlgTest, AValueTheFilesCannotHoldIsRefusedAndNothingIsWritten)
{
    CSettingsDlg dlg(m_state);
    ASSERT_TRUE(dlg.save());
    const auto before = files();
    dlg.feedsGrid()->setText(5, 2, QString(80, u'n'));
    dlg.field(1000)->setText(QStringLiteral("changed"));
    EXPECT_FALSE(dlg.save());
    const QStringList shown = MessageBox::takeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(QStringLiteral("المصدر 5"))) << shown[0].toStdString();
    EXPECT_EQ(files(), before);

    dlg.feedsGrid()->setText(5, 2, QString());
    dlg.field(1004)->setText(QString(119, u'f'));
    EXPECT_FALSE(dlg.save());
    EXPECT_TRUE(MessageBox::takeShown().at(0).contains(QStringLiteral("خادم الملفات")));
    EXPECT_EQ(files(), before);
}

TEST_F(SettingsDlgTest, FolderChoosersResetAndEnter)
{
    CSettingsDlg dlg(m_state);
    dlg.show();
    FileDialog::setNextPath(QStringLiteral("/srv/feeds/fax"));
    emit dlg.feedsGrid()->cellDoubleClicked(3, 0, 200);
    EXPECT_EQ(dlg.feedsGrid()->text(3, 1), QStringLiteral("/srv/feeds/fax"));
    FileDialog::setNextPath(QString()); // cancelled
    emit dlg.feedsGrid()->cellDoubleClicked(3, 0, 200);
    EXPECT_EQ(dlg.feedsGrid()->text(3, 1), QStringLiteral("/srv/feeds/fax"));

    QFile lock(AllocationLock::path(m_state.databaseFolder));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write("B");
    lock.close();
    dlg.resetLock();
    ASSERT_TRUE(lock.open(QIODevice::ReadOnly));
    EXPECT_EQ(lock.readAll(), QByteArray("A"));

    QTest::keyClick(&dlg, Qt::Key_Return);
    EXPECT_TRUE(dlg.isVisible()) << "Enter does nothing";
    EXPECT_FALSE(QFile::exists(SettingsFiles::feedsPath(m_state.databaseFolder))) << "and saves nothing";
}

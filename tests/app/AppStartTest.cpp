#include "app/ArchiveSetup.h"
#include "app/CArchiveApp.h"
#include "search/CFindFilesDlg.h"
#include "app/CMainFrame.h"
#include "cards/CCardDlg.h"
#include "classes/CClassesDlg.h"
#include "classes/CClassPickDlg.h"
#include "common/AnswerLogin.h"
#include "common/TestArchive.h"
#include "db/CDFSet.h"
#include "db/CUserSet.h"
#include "search/CFReport.h"
#include "search/CSearchDlg.h"
#include "base/PathsFile.h"
#include "ui/MessageBox.h"
#include "users/CLoginDlg.h"

#include <QApplication>
#include <QDirIterator>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

} // namespace

TEST(AppStart, ACopyStillNamingTheOriginalsFoldersSaysWhichArchiveItUses)
{
    MessageBox::setTestMode(true);
    TestArchive archive(Engine::SQLite);
    ASSERT_TRUE(archive.problem().isEmpty()) << archive.problem().toStdString();
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("trial"));
    ASSERT_TRUE(copyTree(archive.home(), copy));
    PathsFile::Values v = PathsFile::read(copy).values;
    v[PathsFile::DatabaseFolder] = archive.databaseFolder();
    v[PathsFile::FileServerFolder] = archive.fileServerFolder();
    ASSERT_TRUE(PathsFile::write(copy, v).ok());

    {
        CArchiveApp app(copy, std::make_unique<QSettings>(dir.filePath(QStringLiteral("p.ini")), QSettings::IniFormat));
        logInAs(QStringLiteral("master"), kTestMasterPassword);
        ASSERT_TRUE(app.start({QStringLiteral("dovrelle")}));
        const QStringList shown = MessageBox::takeShown();
        ASSERT_EQ(shown.size(), 1) << shown.join(u'|').toStdString();
        EXPECT_TRUE(shown.first().contains(QStringLiteral("أرشيف مجلد برنامج آخر: ") + archive.home()))
            << shown.first().toStdString();
        EXPECT_TRUE(shown.first().contains(archive.databaseFolder())) << "which archive it is about to use";
        EXPECT_EQ(app.state().databaseFolder, archive.databaseFolder());
        app.mainFrame()->close();
    }

    // The program folder of the archive itself starts without a word.
    {
        CArchiveApp app(archive.home(), std::make_unique<QSettings>(dir.filePath(QStringLiteral("q.ini")), QSettings::IniFormat));
        logInAs(QStringLiteral("master"), kTestMasterPassword);
        ASSERT_TRUE(app.start({QStringLiteral("dovrelle")}));
        EXPECT_TRUE(MessageBox::takeShown().isEmpty());
        app.mainFrame()->close();
    }
    MessageBox::setTestMode(false);
}

TEST(AppStart, LoginThenTheFrameWithItsBarsAndDialogs)
{
    MessageBox::setTestMode(true);
    TestArchive archive(Engine::SQLite);
    ASSERT_TRUE(archive.problem().isEmpty()) << archive.problem().toStdString();
    QTemporaryDir dir;
    auto profile = std::make_unique<QSettings>(dir.filePath(QStringLiteral("p.ini")), QSettings::IniFormat);
    profile->setValue(QStringLiteral("Options/JpegQuality"), 70);
    // One classification MASTER may search in, and a document filed under it.
    const ClassSeed contracts[] = {{QStringLiteral("7"), QStringLiteral("عقود")}};
    ASSERT_TRUE(addClassSeeds(archive.db(), contracts).ok());
    std::optional<UserRow> master = CUserSet(archive.db()).byName(QStringLiteral("MASTER")).value();
    ASSERT_TRUE(master.has_value());
    master->classAccess = QStringLiteral("@7@");
    ASSERT_TRUE(CUserSet(archive.db()).update(*master).ok());
    DocumentRow hit;
    hit.cardNumber = 1;
    hit.itemNumber = 1;
    hit.kind = KindFile;
    hit.classPath = QStringLiteral("@7@");
    hit.fileName = QStringLiteral("عقد العمل.pdf");
    hit.cardDate = QDate::currentDate().startOfDay();
    ASSERT_TRUE(CDFSet(archive.db()).insert(hit).ok());
    CArchiveApp app(archive.home(), std::move(profile));
    logInAs(QStringLiteral("master"), kTestMasterPassword);
    ASSERT_TRUE(app.start({QStringLiteral("dovrelle")}));

    CMainFrame *frame = app.mainFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(app.state().currentUser, QStringLiteral("MASTER"));
    EXPECT_EQ(app.state().jpegQuality, 70) << "the profile is read at start";
    EXPECT_TRUE(frame->basketsBar()->isVisible()) << "the side bar is shown at the end of start-up";
    EXPECT_FALSE(app.cardDialog()->isVisible());
    EXPECT_FALSE(app.classPicker()->isVisible());

    frame->dispatch(Command::CardDialog);
    EXPECT_TRUE(app.cardDialog()->isVisible());
    frame->dispatch(Command::Classes);
    EXPECT_TRUE(app.classesDialog()->isVisible());
    // The picker's choice lands in the card through the application's wiring.
    emit app.classPicker()->classificationChosen(QStringLiteral("12"), QStringLiteral("عقود"));
    emit app.classPicker()->classificationChosen(QStringLiteral("12"), QStringLiteral("عقود"));
    EXPECT_EQ(MessageBox::takeShown(), QStringList{QStringLiteral("التصنيف موجود")});
    // The search dialog is made on first use; a search that finds nothing opens no report.
    frame->dispatch(Command::Search);
    auto *search = frame->findChild<CSearchDlg *>();
    ASSERT_NE(search, nullptr);
    EXPECT_TRUE(search->isVisible());
    const int before = int(frame->mdiArea()->subWindowList().size());
    search->phraseEdit()->setText(QStringLiteral("فاتورة"));
    EXPECT_FALSE(search->search());
    EXPECT_EQ(MessageBox::takeShown(), QStringList{QStringLiteral("لا توجد نتائج")});
    EXPECT_EQ(int(frame->mdiArea()->subWindowList().size()), before);
    // A phrase with a hit opens its report in the frame.
    search->phraseEdit()->setText(QStringLiteral("عقد"));
    EXPECT_TRUE(search->search());
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    ASSERT_EQ(int(frame->mdiArea()->subWindowList().size()), before + 1);
    EXPECT_NE(qobject_cast<CFReport *>(frame->mdiArea()->subWindowList().last()->widget()), nullptr);
    // The search of the computer, from the frame and from the card's files menu: modal, gone when closed.
    frame->dispatch(Command::FindFiles);
    auto *find = frame->findChild<CFindFilesDlg *>();
    ASSERT_NE(find, nullptr);
    EXPECT_TRUE(find->isVisible());
    EXPECT_TRUE(find->isModal());
    QPointer<CFindFilesDlg> gone(find);
    find->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return gone.isNull(); }, 5000));
    for (QAction *item : app.cardDialog()->filesMenu()->actions()) {
        if (item->text() == QStringLiteral("بحث ..."))
            item->trigger();
    }
    auto *fromCard = app.cardDialog()->findChild<CFindFilesDlg *>();
    ASSERT_NE(fromCard, nullptr);
    EXPECT_TRUE(fromCard->isVisible());
    fromCard->close();
    frame->close();
    MessageBox::setTestMode(false);
}

TEST(AppStart, QtsOwnButtonsSpeakArabic)
{
    CArchiveApp::setUpApplication(*qApp);
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    const QString cancel = buttons.button(QDialogButtonBox::Cancel)->text();
    EXPECT_NE(cancel, QStringLiteral("&Cancel"));
    EXPECT_TRUE(std::any_of(cancel.cbegin(), cancel.cend(), [](QChar c) { return c.script() == QChar::Script_Arabic; }))
        << cancel.toStdString();
    EXPECT_TRUE(qApp->isRightToLeft());
}

#include "app/ArchiveSetup.h"
#include "base/AppState.h"
#include "cards/Archiver.h"
#include "cards/CCardDlg.h"
#include "classes/Classifications.h"
#include "common/TestArchive.h"
#include "search/CFindFilesDlg.h"
#include "search/FilePropertiesDlg.h"
#include "ui/CGridCtrl.h"
#include "ui/FileDialog.h"
#include "ui/MessageBox.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

class FindFilesDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        registerCoreResources();
        QApplication::setLayoutDirection(Qt::RightToLeft);
        MessageBox::setTestMode(true);
        FilePropertiesDlg::setAskFileManager(false);
        ASSERT_TRUE(m_archive.problem().isEmpty()) << m_archive.problem().toStdString();
        m_state = AppState::load(m_archive.home());
        m_state.currentUser = u"CLERK"_s;
        m_state.classAccess = u"@12@"_s;
        m_state.rights.docadd = kGranted;
        m_root = QDir(m_files.path()).absolutePath() + u'/';
    }
    void TearDown() override
    {
        MessageBox::setTestMode(false);
        FilePropertiesDlg::setAskFileManager(true);
    }

    QString make(const QString &relative, qint64 size, char fill = 'x')
    {
        const QString path = m_root + relative;
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(size, fill));
        return path;
    }

    static bool search(CFindFilesDlg &dlg)
    {
        QTest::mouseClick(dlg.searchButton(), Qt::LeftButton);
        return QTest::qWaitFor([&] { return !dlg.isSearching(); }, 20000);
    }

    // A cell's text as read, without the marks that keep it left to right.
    static QString shown(const QModelIndex &index)
    {
        QString t = index.data().toString();
        t.remove(QChar(0x2066));
        t.remove(QChar(0x2069));
        return t;
    }

    static QStringList shownNames(const CFindFilesDlg &dlg)
    {
        QStringList names;
        const QAbstractItemModel *m = dlg.resultList()->model();
        for (int r = 0; r < m->rowCount(); ++r)
            names.append(m->index(r, FoundFilesModel::NameColumn).data().toString());
        return names;
    }

    TestArchive m_archive{Engine::SQLite};
    QTemporaryDir m_files;
    QString m_root;
    AppState m_state;
};

} // namespace

TEST_F(FindFilesDlgTest, OpensWithItsLabelsColumnsAndStartingStateAndTheSizeBoxEnablesTheBounds)
{
    CFindFilesDlg dlg(nullptr);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_EQ(dlg.windowTitle(), u"بحث في الكمبيوتر"_s);
    EXPECT_TRUE(dlg.isRightToLeft());
    EXPECT_TRUE(dlg.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(dlg.isSizeGripEnabled());
    EXPECT_EQ(dlg.statusLabel()->text(), u"0 items found"_s);
    EXPECT_EQ(dlg.searchButton()->text(), u"بحث"_s);
    EXPECT_TRUE(dlg.subFoldersBox()->isChecked());
    EXPECT_EQ(dlg.modeGroup()->checkedId(), FoundFilesModel::Replace);
    EXPECT_EQ(dlg.modeGroup()->button(2)->text(), u"حذف من القائمة"_s);
    const QHeaderView *header = dlg.resultList()->header();
    const QStringList columns{u"Name"_s, u"In Folder"_s, u"Size"_s, u"Modified"_s};
    const int widths[] = {150, 200, 60, 120};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(dlg.resultList()->model()->headerData(c, Qt::Horizontal).toString(), columns[c]);
        EXPECT_EQ(header->sectionSize(c), widths[c]);
    }
    QStringList labels;
    for (const QLabel *l : dlg.findChildren<QLabel *>())
        labels.append(l->text());
    for (const QString &label : {u"بحث في"_s, u"محددات تسمية الملف:"_s, u"تحوي النص:"_s, u"اكثر من:"_s, u"أقل من:"_s})
        EXPECT_TRUE(labels.contains(label)) << label.toStdString();

    EXPECT_FALSE(dlg.moreThanBox()->isEnabled());
    EXPECT_FALSE(dlg.lessThanBox()->isEnabled());
    QTest::mouseClick(dlg.sizeBox(), Qt::LeftButton, {}, QPoint(dlg.sizeBox()->width() - 8, dlg.sizeBox()->height() / 2));
    EXPECT_TRUE(dlg.sizeBox()->isChecked());
    EXPECT_TRUE(dlg.moreThanBox()->isEnabled());
    EXPECT_TRUE(dlg.lessThanBox()->isEnabled());
    dlg.moreThanBox()->setValue(10);
    dlg.lessThanBox()->setValue(20);
    const FolderSearchOptions o = dlg.options();
    EXPECT_EQ(o.minSize, 10240);
    EXPECT_EQ(o.maxSize, 20480);
    EXPECT_TRUE(o.filters & FolderSearchOptions::SizeFilter);
    dlg.sizeBox()->setChecked(false);
    EXPECT_FALSE(dlg.moreThanBox()->isEnabled());

    // The chooser's folder replaces the box; a cancelled chooser empties it.
    FileDialog::setNextPath(m_root);
    QTest::mouseClick(dlg.browseButton(), Qt::LeftButton);
    EXPECT_EQ(dlg.folderBox()->text(), m_root);
    FileDialog::setNextPath({});
    QTest::mouseClick(dlg.browseButton(), Qt::LeftButton);
    EXPECT_TRUE(dlg.folderBox()->text().isEmpty());
    // Searching nowhere says so.
    QTest::mouseClick(dlg.searchButton(), Qt::LeftButton);
    EXPECT_EQ(MessageBox::takeShown().size(), 1);
    EXPECT_FALSE(dlg.isSearching());
}

TEST_F(FindFilesDlgTest, ASearchListsItsRowsAndTheModesAddAndRemoveOnTheNextOne)
{
    make(u"Report.doc"_s, 10239);
    make(u"sub/prepare.txt"_s, 10240);
    make(u"other.txt"_s, 5);
    CFindFilesDlg dlg(nullptr);
    dlg.show();
    dlg.folderBox()->setText(m_root);
    QTest::keyClicks(dlg.nameBox(), u"rep"_s);
    ASSERT_TRUE(search(dlg));
    EXPECT_EQ(dlg.statusLabel()->text(), u"2 items found"_s);
    EXPECT_EQ(dlg.searchButton()->text(), u"بحث"_s);
    // The sub-folder's file comes first: sub-folders are searched before a folder's own files.
    ASSERT_EQ(shownNames(dlg), (QStringList{u"prepare.txt"_s, u"Report.doc"_s}));
    const QAbstractItemModel *m = dlg.resultList()->model();
    EXPECT_EQ(shown(m->index(0, FoundFilesModel::FolderColumn)), m_root + u"sub/"_s);
    EXPECT_EQ(shown(m->index(0, FoundFilesModel::SizeColumn)), u"10 KB"_s);
    EXPECT_EQ(shown(m->index(1, FoundFilesModel::SizeColumn)), u"10239 B"_s);
    // The columns grow to show their rows whole: the size and the time are not cut; the folder's
    // whole path is its tooltip.
    EXPECT_EQ(m->index(0, FoundFilesModel::FolderColumn).data(Qt::ToolTipRole).toString(), m_root + u"sub/prepare.txt"_s);
    const QFontMetrics metrics(dlg.resultList()->font());
    for (int c : {int(FoundFilesModel::SizeColumn), int(FoundFilesModel::ModifiedColumn)})
        EXPECT_GT(dlg.resultList()->columnWidth(c), metrics.horizontalAdvance(m->index(0, c).data().toString())) << c;
    EXPECT_FALSE(m->index(0, FoundFilesModel::NameColumn).data(Qt::DecorationRole).isNull());

    // Add: the same search again adds nothing; a wider one adds only what is new.
    dlg.modeGroup()->button(FoundFilesModel::Add)->click();
    ASSERT_TRUE(search(dlg));
    EXPECT_EQ(shownNames(dlg).size(), 2);
    dlg.nameBox()->setText(u".txt"_s);
    ASSERT_TRUE(search(dlg));
    EXPECT_EQ(shownNames(dlg), (QStringList{u"prepare.txt"_s, u"Report.doc"_s, u"other.txt"_s}));
    // Remove: what the search finds again leaves the list.
    dlg.modeGroup()->button(FoundFilesModel::Remove)->click();
    ASSERT_TRUE(search(dlg));
    EXPECT_EQ(shownNames(dlg), QStringList{u"Report.doc"_s});
    // Replace: the list holds this search's rows only.
    dlg.modeGroup()->button(FoundFilesModel::Replace)->click();
    ASSERT_TRUE(search(dlg));
    EXPECT_EQ(shownNames(dlg), (QStringList{u"prepare.txt"_s, u"other.txt"_s}));

    // A double-click opens the file; a right-click shows its properties.
    QString opened;
    dlg.setFileOpener([&](const QString &path) { opened = path; });
    const QRect second = dlg.resultList()->visualRect(m->index(1, 0));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QTest::mouseClick(dlg.resultList()->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(dlg.resultList()->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(opened, m_root + u"other.txt"_s);
    emit dlg.resultList()->customContextMenuRequested(second.center());
    FilePropertiesDlg *props = dlg.findChild<FilePropertiesDlg *>();
    ASSERT_NE(props, nullptr);
    EXPECT_TRUE(props->isVisible());
    EXPECT_EQ(props->shown(u"path"_s), m_root + u"other.txt"_s);
    EXPECT_EQ(props->shown(u"size"_s), u"5 بايت"_s);
    props->close();
}

TEST_F(FindFilesDlgTest, TheSearchButtonStopsALongSearchAndTheCountSoFarStays)
{
    make(u"a.txt"_s, 10, 'k');
    make(u"c.txt"_s, 10, 'k');
    // A sparse file far longer than can be read before the stop: no room on disk is used.
    {
        QFile big(m_root + u"b.bin"_s);
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        ASSERT_TRUE(big.resize(qint64(64) << 30));
    }
    CFindFilesDlg dlg(nullptr);
    dlg.show();
    dlg.folderBox()->setText(m_root);
    dlg.textBox()->setText(u"kkk"_s);
    QTest::mouseClick(dlg.searchButton(), Qt::LeftButton);
    ASSERT_TRUE(dlg.isSearching());
    EXPECT_EQ(dlg.searchButton()->text(), u"الغاء"_s);
    // a.txt shows while b.bin is still being read.
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.results().rowCount() == 1; }, 20000));
    EXPECT_TRUE(dlg.isSearching());
    EXPECT_TRUE(dlg.statusLabel()->text().startsWith(u"(1) - "_s)) << dlg.statusLabel()->text().toStdString();
    // Closing while it runs only stops it.
    dlg.close();
    EXPECT_TRUE(dlg.isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dlg.isSearching(); }, 20000));
    EXPECT_EQ(dlg.searchButton()->text(), u"بحث"_s);
    EXPECT_EQ(dlg.statusLabel()->text(), u"1 items found"_s);
    EXPECT_EQ(shownNames(dlg), QStringList{u"a.txt"_s});

    // Again, stopped with the button.
    QTest::mouseClick(dlg.searchButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.results().rowCount() == 1 && dlg.isSearching(); }, 20000));
    QTest::mouseClick(dlg.searchButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dlg.isSearching(); }, 20000));
    EXPECT_EQ(dlg.statusLabel()->text(), u"1 items found"_s);
    EXPECT_TRUE(dlg.isVisible());
}

TEST_F(FindFilesDlgTest, OkHandsTheChosenFilesToTheCardAsItsOwnBrowsingAddsThem)
{
    const QString listed = make(u"elsewhere/report.doc"_s, 70);
    make(u"found/report.doc"_s, 64);
    make(u"found/page.htm"_s, 1000);
    make(u"found/page_files/style.css"_s, 3000);
    make(u"found/skip.doc"_s, 3);
    CCardDlg card(m_state, m_archive.db());
    card.archiver().setStartCopier(false);
    card.addFiles({listed});
    MessageBox::takeShown();
    ASSERT_EQ(card.fileList()->rowCount(), 2);

    CFindFilesDlg dlg(&card);
    dlg.show();
    dlg.folderBox()->setText(m_root + u"found"_s);
    ASSERT_TRUE(search(dlg));
    for (const QString &name : {u"page.htm"_s, u"report.doc"_s, u"skip.doc"_s})
        ASSERT_TRUE(shownNames(dlg).contains(name)) << name.toStdString();
    // Choose page.htm and report.doc.
    QItemSelectionModel *sel = dlg.resultList()->selectionModel();
    const QAbstractItemModel *m = dlg.resultList()->model();
    for (int r = 0; r < m->rowCount(); ++r) {
        const QString name = m->index(r, 0).data().toString();
        if (name == u"page.htm" || name == u"report.doc")
            sel->select(m->index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QTest::mouseClick(dlg.okButton(), Qt::LeftButton);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_TRUE(card.isVisible());

    // Two rows more, in list order, with their folders and sizes; the page counts its folder.
    ASSERT_EQ(card.fileList()->rowCount(), 4);
    EXPECT_EQ(card.fileList()->text(2, CCardDlg::FileName), u"page.htm"_s);
    EXPECT_EQ(card.fileList()->text(2, CCardDlg::FileSourceFolder), m_root + u"found/"_s);
    EXPECT_EQ(card.fileList()->text(2, CCardDlg::FileSize), u"4000"_s);
    EXPECT_EQ(card.fileList()->text(3, CCardDlg::FileName), u"report.doc"_s);
    EXPECT_EQ(card.fileList()->text(3, CCardDlg::FileSize), u"64"_s);
    EXPECT_EQ(card.fileList()->text(3, CCardDlg::FileNumber), u"3"_s);
    // The same-name check against the listed report.doc told the user and kept both rows.
    EXPECT_EQ(MessageBox::takeShown(),
              QStringList{u"the file    "_s + m_root + u"found/report.doc   Has the same name of file in row 1  but it deffrent"_s});
}

TEST_F(FindFilesDlgTest, OkIsRefusedOverAShownCardWhenTheUserMayNotStartOne)
{
    const Result<qint32> code = addClassification(m_archive.db(), {u"12"_s, u"المراسلات"_s, {}, 0});
    ASSERT_TRUE(code.ok()) << code.error().toStdString();
    CardDraft d;
    d.date = QDate(2026, 1, 10);
    d.name = u"بطاقة"_s;
    d.classCodes = {12};
    d.texts.append({QString(), u"نص"_s, false});
    Archiver a(Archiver::foldersOf(m_state), m_archive.db(), m_state.classAccess);
    a.setStartCopier(false);
    ASSERT_TRUE(a.archiveNew(d).ok());

    make(u"found/a.doc"_s, 4);
    m_state.rights.docadd = 0;
    CCardDlg card(m_state, m_archive.db());
    card.archiver().setStartCopier(false);
    card.show();
    ASSERT_EQ(card.mode(), CCardDlg::Mode::CardShown);
    const int rows = card.fileList()->rowCount();
    CFindFilesDlg dlg(&card);
    dlg.show();
    dlg.folderBox()->setText(m_root);
    ASSERT_TRUE(search(dlg));
    MessageBox::takeShown();
    dlg.resultList()->selectAll();
    QTest::mouseClick(dlg.okButton(), Qt::LeftButton);
    EXPECT_EQ(MessageBox::takeShown(), QStringList{CCardDlg::noPermissionMessage()});
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(card.fileList()->rowCount(), rows);
}

#include "baskets/CFolderDlg.h"
#include "ui/FileDialog.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

TEST(FolderDlg, BrowseFillsThePathAndOkMakesAndOpensTheFolder)
{
    QTemporaryDir dir;
    QStringList opened;
    CFolderDlg::setFolderOpener([&](const QString &path) { opened.append(path); });

    CFolderDlg empty;
    EXPECT_EQ(empty.windowTitle(), u"نسخ الى مجلد"_s);
    EXPECT_TRUE(empty.folder().isEmpty());
    EXPECT_FALSE(empty.openFolderBox()->isChecked());
    empty.accept();
    EXPECT_EQ(empty.result(), QDialog::Accepted);
    EXPECT_TRUE(empty.folder().isEmpty()) << "OK on an empty path gives an empty path";

    CFolderDlg dlg;
    FileDialog::setNextPath(dir.path());
    dlg.browseButton()->click();
    EXPECT_EQ(dlg.folder(), dir.path());
    FileDialog::setNextPath(QString()); // a cancelled browse keeps the path
    dlg.browseButton()->click();
    EXPECT_EQ(dlg.folder(), dir.path());

    const QString target = dir.filePath(u"نسخ"_s);
    dlg.folderEdit()->setText(target);
    dlg.openFolderBox()->setChecked(true);
    dlg.accept();
    EXPECT_TRUE(QDir(target).exists());
    EXPECT_EQ(opened, QStringList{target});
    CFolderDlg::setFolderOpener({});
}

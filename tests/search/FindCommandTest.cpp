#include "admin/AdminContext.h"
#include "common/WriteFile.h"
#include "search/FileProperties.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct FindRun
{
    int status = -1;
    QStringList lines;
    QString err;
};

FindRun find(const QStringList &args)
{
    QString out, err;
    QTextStream o(&out), e(&err);
    FindRun r;
    r.status = AdminCommands::run(QStringList{u"dovrelle-admin"_s, u"find"_s} + args, o, e);
    o.flush();
    e.flush();
    r.lines = out.split(u'\n', Qt::SkipEmptyParts);
    r.lines.sort();
    r.err = err;
    return r;
}

} // namespace

TEST(FindCommand, PrintsNameFolderSizeAndTimeAsTheResultListShowsThem)
{
    QTemporaryDir dir;
    const QString root = QDir(dir.path()).absolutePath() + u'/';
    writeSized(root + u"Report.doc"_s, 10239);
    writeSized(root + u"sub/prepare.txt"_s, 10240, 'q');
    writeSized(root + u"sub/big.bin"_s, 30 * 1024);
    const QDateTime when(QDate(2021, 11, 30), QTime(23, 59), QTimeZone::utc());
    {
        QFile f(root + u"Report.doc"_s);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
    }

    FindRun r = find({root, u"--name"_s, u"rep"_s});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    ASSERT_EQ(r.lines.size(), 2);
    EXPECT_EQ(r.lines.at(0), u"Report.doc\t%1\t10239 B\t30-11-2021 11:59 PM"_s.arg(root));
    EXPECT_TRUE(r.lines.at(1).startsWith(u"prepare.txt\t%1sub/\t10 KB\t"_s.arg(root))) << r.lines.at(1).toStdString();

    EXPECT_EQ(find({root, u"--name"_s, u"rep"_s, u"--no-recurse"_s}).lines.size(), 1);
    r = find({root, u"--min-kb"_s, u"10"_s, u"--max-kb"_s, u"29"_s});
    ASSERT_EQ(r.lines.size(), 1);
    EXPECT_TRUE(r.lines.at(0).startsWith(u"prepare.txt\t"_s));
    r = find({root, u"--text"_s, u"QQQ"_s});
    ASSERT_EQ(r.lines.size(), 1);
    EXPECT_TRUE(r.lines.at(0).startsWith(u"prepare.txt\t"_s));

    EXPECT_NE(find({root + u"missing"_s}).status, 0);
    r = find({root, u"--min-kb"_s, u"ten"_s});
    EXPECT_NE(r.status, 0);
    EXPECT_TRUE(r.err.contains(u"min-kb"_s)) << r.err.toStdString();
}

TEST(FileProperties, TellPathSizeTimesOwnerPermissionsAndType)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"note.txt"_s);
    writeSized(path, 1234, 'a');
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    const FileProperties p = FileProperties::of(path);
    EXPECT_TRUE(p.exists);
    EXPECT_FALSE(p.isFolder);
    EXPECT_EQ(p.path, QFileInfo(path).absoluteFilePath());
    EXPECT_EQ(p.size, 1234);
    EXPECT_EQ(p.permissions, u"rw-r-----"_s);
    EXPECT_EQ(p.mimeName, u"text/plain"_s);
    EXPECT_FALSE(p.owner.isEmpty());
    EXPECT_TRUE(p.modified.isValid());

    writeSized(dir.filePath(u"folder/a"_s), 100);
    writeSized(dir.filePath(u"folder/b/c"_s), 50);
    const FileProperties f = FileProperties::of(dir.filePath(u"folder"_s));
    EXPECT_TRUE(f.isFolder);
    EXPECT_EQ(f.size, 150);
    EXPECT_FALSE(FileProperties::of(dir.filePath(u"none"_s)).exists);
}

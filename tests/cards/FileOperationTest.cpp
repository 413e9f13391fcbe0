#include "cards/CFileOperation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>

using namespace Qt::Literals::StringLiterals;

namespace {

class FileOperation : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString path(const QString &relative) const { return m_dir.filePath(relative); }

    void write(const QString &relative, const QByteArray &content = "x")
    {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path(relative)).path()));
        QFile file(path(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(content), content.size());
    }

    QByteArray read(const QString &relative) const
    {
        QFile file(path(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    bool exists(const QString &relative) const
    {
        const QFileInfo info(path(relative));
        return info.exists() || info.isSymLink();
    }

    QStringList names(const QString &relative) const
    {
        return QDir(path(relative)).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                              QDir::Name);
    }

    void makeReadOnly(const QString &relative)
    {
        ASSERT_TRUE(QFile::setPermissions(path(relative), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    }

    // Answers every read-only question with `answer`, remembering what was asked.
    void answer(CFileOperation::Answer answer)
    {
        m_op.setQuestion([this, answer](const QString &text, const QString &title) {
            m_asked.append(text);
            m_titles.append(title);
            return answer;
        });
    }

    QTemporaryDir m_dir;
    CFileOperation m_op;
    QStringList m_asked;
    QStringList m_titles;
};

TEST_F(FileOperation, DeleteRemovesTheTreeAndOnlyTheLinkToAnOutsideFolder)
{
    write(u"tree/a.txt"_s);
    write(u"tree/sub/b.txt"_s);
    write(u"outside/keep.txt"_s);
    ASSERT_TRUE(QFile::link(path(u"outside"_s), path(u"tree/link"_s)));

    EXPECT_TRUE(m_op.DeleteItem(path(u"tree"_s)));
    EXPECT_FALSE(exists(u"tree"_s));
    EXPECT_TRUE(exists(u"outside/keep.txt"_s));
}

TEST_F(FileOperation, ReadOnlyFileAnsweredNoKeepsTheFileAndItsFolder)
{
    write(u"tree/a.txt"_s);
    write(u"tree/ro.txt"_s);
    write(u"tree/sub/b.txt"_s);
    makeReadOnly(u"tree/ro.txt"_s);
    answer(CFileOperation::Answer::No);

    EXPECT_TRUE(m_op.DeleteItem(path(u"tree"_s)));
    EXPECT_EQ(names(u"tree"_s), QStringList{u"ro.txt"_s});
    EXPECT_TRUE(m_op.aborted());
    EXPECT_EQ(m_asked, QStringList{u"ro.txt is read olny. Do you want delete it?"_s});
    EXPECT_EQ(m_titles, QStringList{u"Warning"_s});
}

TEST_F(FileOperation, ReadOnlyFileAnsweredYesIsDeleted)
{
    write(u"tree/ro.txt"_s);
    makeReadOnly(u"tree/ro.txt"_s);
    answer(CFileOperation::Answer::Yes);

    EXPECT_TRUE(m_op.DeleteItem(path(u"tree"_s)));
    EXPECT_FALSE(exists(u"tree"_s));
    EXPECT_EQ(m_asked.size(), 1);
}

TEST_F(FileOperation, ReadOnlyFileIsKeptWhenNobodyCanBeAsked)
{
    write(u"ro.txt"_s);
    makeReadOnly(u"ro.txt"_s);

    EXPECT_TRUE(m_op.DeleteItem(path(u"ro.txt"_s)));
    EXPECT_TRUE(exists(u"ro.txt"_s));
}

TEST_F(FileOperation, ReadOnlyFileIsDeletedWithoutAskingWhenAskingIsOff)
{
    write(u"ro.txt"_s);
    makeReadOnly(u"ro.txt"_s);
    answer(CFileOperation::Answer::No);
    m_op.setAskIfReadOnly(false);

    EXPECT_TRUE(m_op.DeleteItem(path(u"ro.txt"_s)));
    EXPECT_FALSE(exists(u"ro.txt"_s));
    EXPECT_TRUE(m_asked.isEmpty());
}

TEST_F(FileOperation, CancelStopsTheDeleteAndReportsSuccess)
{
    write(u"tree/a.txt"_s);
    write(u"tree/b.txt"_s);
    makeReadOnly(u"tree/a.txt"_s);
    answer(CFileOperation::Answer::Cancel);

    EXPECT_TRUE(m_op.DeleteItem(path(u"tree"_s)));
    EXPECT_EQ(names(u"tree"_s), (QStringList{u"a.txt"_s, u"b.txt"_s}));
    EXPECT_EQ(m_op.lastErrorCode(), 0u);
    EXPECT_EQ(m_op.lastErrorText(), u"Success"_s);
}

TEST_F(FileOperation, DeletingAMissingPathFailsWithTheSystemError)
{
    EXPECT_FALSE(m_op.DeleteItem(path(u"missing"_s)));
    EXPECT_EQ(m_op.lastErrorCode(), quint32(ENOENT));
    EXPECT_EQ(m_op.lastErrorText(), u"No such file or directory"_s);
}

TEST_F(FileOperation, FolderCopiedIntoItsOwnSubFolderStopsAtTheDepthLimit)
{
    write(u"A/a.txt"_s, "a");
    write(u"A/B/b.txt"_s, "b");
    write(u"A/B/deep/d.txt"_s);
    write(u"A/C/c.txt"_s);

    EXPECT_TRUE(m_op.CopyItem(path(u"A"_s), path(u"A/B"_s)));
    EXPECT_EQ(read(u"A/B/A/a.txt"_s), "a");
    EXPECT_EQ(names(u"A/B/A"_s), (QStringList{u"B"_s, u"a.txt"_s}));
    EXPECT_EQ(names(u"A/B/A/B"_s), QStringList{u"b.txt"_s});

    // The limit belongs to that copy only: the next one copies every level.
    ASSERT_TRUE(QDir().mkpath(path(u"out"_s)));
    EXPECT_TRUE(m_op.CopyItem(path(u"A"_s), path(u"out"_s)));
    EXPECT_TRUE(exists(u"out/A/B/deep/d.txt"_s));
    EXPECT_TRUE(exists(u"out/A/C/c.txt"_s));
}

TEST_F(FileOperation, DepthLimitIsOneCounterForTheWholeCopy)
{
    write(u"A/AA/x.txt"_s);
    write(u"A/AA/y/z.txt"_s);
    ASSERT_TRUE(QDir().mkpath(path(u"A/B"_s)));
    write(u"A/C/c.txt"_s);

    EXPECT_TRUE(m_op.CopyItem(path(u"A"_s), path(u"A/B"_s)));
    EXPECT_EQ(names(u"A/B/A"_s), QStringList{u"AA"_s});
    EXPECT_EQ(names(u"A/B/A/AA"_s), QStringList{u"x.txt"_s});
}

TEST_F(FileOperation, FolderCopiedIntoAnUnrelatedFolderCopiesTheWholeTree)
{
    write(u"A/a.txt"_s, "alpha");
    write(u"A/.hidden"_s);
    write(u"A/s1/s2/s3/deep.txt"_s, "deep");
    ASSERT_TRUE(QFile::setPermissions(path(u"A/a.txt"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    // A sibling whose name merely begins with the source's name is not inside it.
    ASSERT_TRUE(QDir().mkpath(path(u"AB"_s)));

    EXPECT_TRUE(m_op.CopyItem(path(u"A"_s), path(u"AB"_s)));
    EXPECT_EQ(names(u"AB/A"_s), names(u"A"_s));
    EXPECT_EQ(read(u"AB/A/a.txt"_s), "alpha");
    EXPECT_EQ(read(u"AB/A/s1/s2/s3/deep.txt"_s), "deep");
    EXPECT_EQ(QFile::permissions(path(u"AB/A/a.txt"_s)), QFile::permissions(path(u"A/a.txt"_s)));
}

TEST_F(FileOperation, FolderCopiedIntoTheFolderHoldingItDoesNothing)
{
    write(u"hold/A/a.txt"_s);

    EXPECT_TRUE(m_op.CopyItem(path(u"hold/A"_s), path(u"hold"_s)));
    EXPECT_TRUE(m_op.CopyItem(path(u"hold/A/"_s), path(u"hold"_s).toUpper()));
    EXPECT_EQ(names(u"hold"_s), QStringList{u"A"_s});
    EXPECT_EQ(names(u"hold/A"_s), QStringList{u"a.txt"_s});
    EXPECT_EQ(m_op.lastErrorText(), u"No error"_s);
}

TEST_F(FileOperation, CopyOntoAnExistingFileFailsWithoutOverwrite)
{
    write(u"src/f.txt"_s, "new");
    write(u"out/f.txt"_s, "old");

    EXPECT_FALSE(m_op.CopyItem(path(u"src/f.txt"_s), path(u"out"_s)));
    EXPECT_EQ(m_op.lastErrorCode(), quint32(EEXIST));
    EXPECT_EQ(m_op.lastErrorText(), u"File exists"_s);
    EXPECT_EQ(read(u"out/f.txt"_s), "old");
}

TEST_F(FileOperation, CopyWithOverwriteReplacesTheFileAndLeavesNothingElse)
{
    write(u"src/f.txt"_s, "new");
    write(u"out/f.txt"_s, "old");
    write(u"out/g.txt"_s, "old");
    m_op.setOverwriteMode(true);

    EXPECT_TRUE(m_op.CopyItem(path(u"src/f.txt"_s), path(u"out"_s)));
    EXPECT_TRUE(m_op.CopyItem(path(u"src/f.txt"_s), path(u"out/g.txt"_s)));
    EXPECT_EQ(read(u"out/f.txt"_s), "new");
    EXPECT_EQ(read(u"out/g.txt"_s), "new");
    EXPECT_EQ(names(u"out"_s), (QStringList{u"f.txt"_s, u"g.txt"_s}));
}

TEST_F(FileOperation, FailedCopyLeavesNoTemporaryFile)
{
    write(u"src/f.txt"_s);
    ASSERT_TRUE(QDir().mkpath(path(u"out/f.txt"_s)));
    m_op.setOverwriteMode(true);

    EXPECT_FALSE(m_op.CopyItem(path(u"src/f.txt"_s), path(u"out"_s)));
    EXPECT_EQ(m_op.lastErrorCode(), quint32(EISDIR));
    EXPECT_EQ(names(u"out"_s), QStringList{u"f.txt"_s});
}

TEST_F(FileOperation, MissingSourceOrDestinationIsNamed)
{
    write(u"f.txt"_s);

    EXPECT_FALSE(m_op.CopyItem(path(u"nothing"_s), path(u"."_s)));
    EXPECT_EQ(m_op.lastErrorText(), path(u"nothing"_s) + u" not found"_s);
    EXPECT_EQ(m_op.lastErrorCode(), 0u);
    EXPECT_FALSE(m_op.CopyItem(path(u"f.txt"_s), path(u"nowhere"_s)));
    EXPECT_EQ(m_op.lastErrorText(), path(u"nowhere"_s) + u" not found"_s);
}

TEST_F(FileOperation, FolderOntoAFileIsAWrongOperation)
{
    write(u"A/a.txt"_s);
    write(u"f.txt"_s);

    EXPECT_FALSE(m_op.CopyItem(path(u"A"_s), path(u"f.txt"_s)));
    EXPECT_EQ(m_op.lastErrorText(), u"Wrong operation"_s);
    EXPECT_EQ(m_op.lastErrorCode(), 0u);
}

TEST_F(FileOperation, LinksInACopiedTreeBringFilesAndStayLinksToFolders)
{
    write(u"A/real.txt"_s, "real");
    ASSERT_TRUE(QFile::link(path(u"A/real.txt"_s), path(u"A/file-link"_s)));
    ASSERT_TRUE(QFile::link(path(u"A"_s), path(u"A/loop"_s)));
    ASSERT_TRUE(QDir().mkpath(path(u"out"_s)));

    EXPECT_TRUE(m_op.CopyItem(path(u"A"_s), path(u"out"_s)));
    EXPECT_FALSE(QFileInfo(path(u"out/A/file-link"_s)).isSymLink());
    EXPECT_EQ(read(u"out/A/file-link"_s), "real");
    EXPECT_EQ(QFileInfo(path(u"out/A/loop"_s)).symLinkTarget(), path(u"A"_s));
}

} // namespace

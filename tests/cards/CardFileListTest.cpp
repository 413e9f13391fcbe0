#include "cards/CardFileList.h"
#include "db/CDFSet.h"
#include "db/DocumentRow.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

using Shade = CardFileList::Shade;

class CardFileListTest : public ::testing::Test
{
protected:
    QString makeFile(const QString &relative, qint64 size, char fill = 'x')
    {
        const QString path = m_dir.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(size, fill));
        return path;
    }

    QTemporaryDir m_dir;
    QList<FileItem> m_items;
    CardFileList m_list{m_items};
};

} // namespace

TEST_F(CardFileListTest, SameNameCheckComparesEveryListedItemAndMarksOnlyIdenticalOnes)
{
    const QString first = makeFile(u"one/a.doc"_s, 10);
    const QString longer = makeFile(u"two/a.doc"_s, 20);
    const QString sameSize = makeFile(u"three/a.doc"_s, 10, 'y');
    EXPECT_TRUE(m_list.addFile(first, 0).isEmpty());
    EXPECT_TRUE(m_list.addFile(makeFile(u"one/b.doc"_s, 10), 0).isEmpty()) << "another name is no concern";

    const QList<CardFileList::SameName> other = m_list.addFile(longer, 0);
    ASSERT_EQ(other.size(), 1);
    EXPECT_EQ(other[0].row, 1);
    EXPECT_EQ(other[0].listed, first);
    EXPECT_FALSE(other[0].sameSize);

    // Same size, other bytes: compared with both earlier a.doc rows, 1 and 3, neither identical.
    const QList<CardFileList::SameName> differ = m_list.addFile(sameSize, 0);
    ASSERT_EQ(differ.size(), 2);
    EXPECT_EQ(differ[0].row, 1);
    EXPECT_TRUE(differ[0].sameSize);
    EXPECT_FALSE(differ[0].identical);
    EXPECT_EQ(differ[1].row, 3);
    EXPECT_FALSE(differ[1].sameSize);

    // The first file again: identical to row 1 only, which alone is marked; the file is added.
    const QList<CardFileList::SameName> again = m_list.addFile(first, 0);
    ASSERT_EQ(again.size(), 3);
    EXPECT_TRUE(again[0].identical);
    EXPECT_FALSE(again[2].identical) << "same size as row 4, but other bytes";
    EXPECT_EQ(m_list.count(), 5);
    EXPECT_EQ(m_list.cell(0, CardFileList::FileDescription).shade, Shade::SameFile);
    for (int i = 1; i < m_list.count(); ++i)
        EXPECT_EQ(m_list.cell(i, CardFileList::FileDescription).shade, Shade::None) << i;
    EXPECT_EQ(m_list.cell(4, CardFileList::FileSourceFolder).text, m_dir.filePath(u"one/"_s));
}

TEST_F(CardFileListTest, AnArchivedItemIsComparedThroughItsStoredFile)
{
    DocumentRow row;
    row.kind = KindFile;
    row.fileName = u"r.txt"_s;
    row.itemNumber = 4;
    row.seriesFolder = u"Ser2"_s;
    m_items.append(CardFileList::archivedItem(row, m_dir.path()));
    const QString stored = makeFile(u"Ser2/9&4&r.txt"_s, 6);
    EXPECT_EQ(m_list.pathOf(0, 9), stored);

    const QList<CardFileList::SameName> found = m_list.addFile(makeFile(u"in/r.txt"_s, 6), 9);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0].listed, stored);
    EXPECT_TRUE(found[0].identical);
    EXPECT_EQ(m_list.pathOf(1, 9), m_dir.filePath(u"in/r.txt"_s)) << "not archived: its source";
}

TEST_F(CardFileListTest, AFolderIsAddedAsAFolderAndItsNameLookedUpInTheListedNames)
{
    makeFile(u"a/docs/x.txt"_s, 3);
    makeFile(u"a/docs/deep/y.txt"_s, 4);
    makeFile(u"b/docs/z.txt"_s, 1);
    makeFile(u"c/doc/z.txt"_s, 1);
    EXPECT_FALSE(m_list.addFolder(m_dir.filePath(u"a/docs/"_s)));
    ASSERT_EQ(m_list.count(), 1);
    const FileItem &folder = m_list.at(0);
    EXPECT_EQ(folder.name, u"docs"_s);
    EXPECT_EQ(folder.folder, m_dir.filePath(u"a/"_s));
    EXPECT_EQ(folder.size, 7);
    EXPECT_TRUE(folder.folderLike);
    const CardFileList::Cell number = m_list.cell(0, CardFileList::FileNumber);
    EXPECT_EQ(number.image, CardFileList::FolderIcon);
    EXPECT_EQ(number.shade, Shade::Folder);

    EXPECT_TRUE(m_list.addFolder(m_dir.filePath(u"b/docs"_s)));
    // The names are searched as one text: a part of a listed name is found too.
    EXPECT_TRUE(m_list.addFolder(m_dir.filePath(u"c/doc"_s)));
    EXPECT_EQ(m_list.count(), 3);
}

TEST_F(CardFileListTest, RenumberingAfterADeleteClosesTheGapAndRowsKeepTheirItems)
{
    for (const QString &name : {u"1.txt"_s, u"2.txt"_s, u"3.txt"_s})
        m_list.addFile(makeFile(name, 1), 0);
    EXPECT_FALSE(m_list.remove(3));
    EXPECT_FALSE(m_list.remove(-1));
    ASSERT_TRUE(m_list.remove(1));
    ASSERT_EQ(m_list.count(), 2);
    EXPECT_EQ(m_list.cell(0, CardFileList::FileNumber).text, u"1"_s);
    EXPECT_EQ(m_list.cell(1, CardFileList::FileNumber).text, u"2"_s);
    EXPECT_EQ(m_list.cell(1, CardFileList::FileName).text, u"3.txt"_s);
    EXPECT_EQ(m_list.cell(0, CardFileList::FileName).text, u"1.txt"_s);
}

TEST_F(CardFileListTest, ArchivedAndFolderFlagsDecideTheMarksNotTheOtherWayRound)
{
    DocumentRow folderRow;
    folderRow.kind = KindFolder;
    folderRow.fileName = u"scans"_s;
    folderRow.itemNumber = 2;
    folderRow.serial = 31;
    folderRow.classPath = u"@12@"_s;
    DocumentRow fileRow = folderRow;
    fileRow.kind = KindImage;
    m_items.append(CardFileList::archivedItem(folderRow, u"/store"_s));
    m_items.append(CardFileList::archivedItem(fileRow, u"/store"_s));
    EXPECT_TRUE(m_list.at(0).archived);
    EXPECT_TRUE(m_list.at(0).folderLike);
    EXPECT_FALSE(m_list.at(1).folderLike);
    EXPECT_EQ(m_list.cell(0, CardFileList::FileNumber).image, CardFileList::FolderIcon);
    EXPECT_EQ(m_list.cell(1, CardFileList::FileNumber).image, CardFileList::NoIcon);
    EXPECT_EQ(m_list.cell(1, CardFileList::FileNumber).shade, Shade::Archived);
    EXPECT_EQ(m_list.cell(1, CardFileList::FileClasses).image, CardFileList::ArchivedMark);
    EXPECT_EQ(m_list.cell(1, CardFileList::FileClasses).text, u"@12@"_s);
    EXPECT_EQ(m_list.cell(1, CardFileList::FileSerial).text, u"31"_s);
    EXPECT_EQ(m_list.cell(1, CardFileList::FileStoredFolder).text, u"/store/"_s);

    // Items of other windows are never archived, whatever they carry; a folderLike one is a
    // folder when it is one on disk, else a saved page or picture.
    makeFile(u"pages/p.mht"_s, 5);
    FileItem page;
    page.folder = m_dir.filePath(u"pages/"_s);
    page.name = u"p.mht"_s;
    page.folderLike = true;
    page.archived = true;
    page.itemNumber = 9;
    m_list.append(page);
    FileItem folder = page;
    folder.name.clear();
    m_list.append(folder);
    EXPECT_FALSE(m_list.at(2).archived);
    EXPECT_EQ(m_list.cell(2, CardFileList::FileNumber).image, CardFileList::SavedViewIcon);
    EXPECT_EQ(m_list.cell(2, CardFileList::FileItemNumber).text, QString());
    EXPECT_EQ(m_list.cell(2, CardFileList::FileClasses).image, CardFileList::NoIcon);
    EXPECT_EQ(m_list.cell(3, CardFileList::FileNumber).image, CardFileList::FolderIcon);
    EXPECT_EQ(m_list.cell(3, CardFileList::FileNumber).shade, Shade::None) << "not chosen as a folder";
}

TEST_F(CardFileListTest, WhatTheUserTypesInACellGoesIntoTheItem)
{
    m_list.addFile(makeFile(u"k.txt"_s, 2), 0);
    m_list.setCellText(0, CardFileList::FileKeywords, u"عقد"_s);
    m_list.setCellText(0, CardFileList::FileDescription, u"شرح"_s);
    m_list.setCellText(0, CardFileList::FileSize, u"77"_s);
    m_list.setCellText(1, CardFileList::FileKeywords, u"لا صف"_s);
    EXPECT_EQ(m_list.at(0).keywords, u"عقد"_s);
    EXPECT_EQ(m_list.at(0).description, u"شرح"_s);
    EXPECT_EQ(m_list.at(0).size, 77);
    EXPECT_EQ(m_list.count(), 1);
}

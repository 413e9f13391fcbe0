#pragma once

#include "CardDraft.h"

#include <QList>
#include <QString>

struct DocumentRow;

// The rules of the card's file list, apart from the grid that shows it: what each column shows
// for an item, what a file being added has in common with the items listed, and how files, a
// folder and the items of other windows are added. It works on the items of a CardDraft; the card
// dialog asks it and draws what it says. Item i stands in grid row i + 1, under the header row.
class CardFileList
{
public:
    enum Column : int {
        FileNumber = 0,       // the item's place; icon of a folder or of a page/picture saved by a view
        FileClasses = 1,      // archived: the card's classification path, and the archived mark
        FileDescription = 2,
        FileKeywords = 3,
        FileSize = 4,
        FileStoredFolder = 5, // archived: the series folder
        FileSourceFolder = 6, // to archive: the source folder, ending in "/"
        FileName = 7,
        FileItemNumber = 8,   // archived: n2
        FileSerial = 10,      // archived: sn
        FileColumnCount = 12,
    };
    // Places in the lists' icon strip (ItemIcons::items()); NoIcon shows none.
    enum Icon : int { NoIcon = -1, ArchivedMark = 0, FolderIcon = 1, SavedViewIcon = 3 };
    // What a cell's background tells.
    enum class Shade { None, Archived, Folder, SameFile };

    struct Cell
    {
        QString text;
        int image = NoIcon;
        Shade shade = Shade::None;
    };

    // A listed item of the same name as a file being added.
    struct SameName
    {
        QString added;          // the added file's path
        int row = 0;            // the listed item's grid row
        QString listed;         // where the listed item is: its source, or its stored file
        bool sameSize = false;  // the listed file exists and is as long as the added one
        bool identical = false; // and holds the same bytes: it is marked, and no difference told
    };

    explicit CardFileList(QList<FileItem> &items) : m_items(items) {}

    int count() const { return int(m_items.size()); }
    const FileItem &at(int index) const { return m_items.at(index); }
    // What a column shows for item `index`; the number column shows its place after renumbering.
    Cell cell(int index, int column) const;
    // Where item `index` is: its source, or its stored file once archived on card `card`.
    QString pathOf(int index, qint32 card) const;

    // A file chosen with the file chooser, added at the end as a file. First every listed item of
    // the same name is compared with it (informative only: the file is added whatever is found);
    // an identical one is marked. The findings come back in row order.
    QList<SameName> addFile(const QString &path, qint32 card);
    // A folder chosen with the folder chooser, added at the end. True when its name is found in
    // the names already listed, which are searched as one text, "|name|name...".
    bool addFolder(const QString &path);
    // An item handed over by another window: its source, size, description and keywords; a
    // folderLike item shows as a folder when it is one on disk, else as a saved page or picture.
    void append(const FileItem &item);
    bool remove(int index);
    // Writes what the user typed into a cell back into its item.
    void setCellText(int index, int column, const QString &text);

    // The item of a card's row read from the database, whose series folders are under fileServer.
    static FileItem archivedItem(const DocumentRow &row, const QString &fileServer);

private:
    QList<FileItem> &m_items;
};

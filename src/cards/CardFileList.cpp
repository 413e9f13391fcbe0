#include "CardFileList.h"

#include "StoredName.h"
#include "base/FilesIdentical.h"
#include "db/CDFSet.h"
#include "db/DocumentRow.h"

#include <QDir>
#include <QFileInfo>

CardFileList::Cell CardFileList::cell(int index, int column) const
{
    const FileItem &item = m_items.at(index);
    switch (column) {
    case FileNumber: {
        Cell c{QString::number(index + 1)};
        if (item.folderLike)
            c.image = item.isFolder ? FolderIcon : SavedViewIcon;
        if (item.archived)
            c.shade = Shade::Archived;
        else if (item.addedAsFolder)
            c.shade = Shade::Folder;
        return c;
    }
    case FileClasses: return {item.classPath, item.archived ? ArchivedMark : NoIcon};
    case FileDescription: return {item.description, NoIcon, item.sameFileAdded ? Shade::SameFile : Shade::None};
    case FileKeywords: return {item.keywords};
    case FileSize: return {QString::number(item.size)};
    case FileStoredFolder: return {item.storedFolder};
    case FileSourceFolder: return {item.folder};
    case FileName: return {item.name};
    // Only an archived item has a number and a row of its own.
    case FileItemNumber: return {item.archived ? QString::number(item.itemNumber) : QString()};
    case FileSerial: return {item.archived ? QString::number(item.serial) : QString()};
    default: return {};
    }
}

QString CardFileList::pathOf(int index, qint32 card) const
{
    const FileItem &item = m_items.at(index);
    if (item.archived)
        return item.storedFolder + u'/' + StoredName::make(card, item.itemNumber, item.name);
    return item.sourcePath();
}

QList<CardFileList::SameName> CardFileList::addFile(const QString &path, qint32 card)
{
    FileItem item = FileItem::fromPath(path);
    // The chooser gives files: whatever the path is, the row is a file's.
    item.folderLike = false;
    const QString added = item.sourcePath();
    QList<SameName> found;
    for (int i = 0; i < count(); ++i) {
        if (m_items[i].name != item.name)
            continue;
        SameName same{added, i + 1, pathOf(i, card)};
        const QFileInfo existing(same.listed);
        same.sameSize = existing.exists() && QFileInfo(added).size() == existing.size();
        same.identical = same.sameSize && filesIdentical(added, same.listed) == kFilesIdentical;
        if (same.identical)
            m_items[i].sameFileAdded = true;
        found.append(same);
    }
    m_items.append(item);
    return found;
}

bool CardFileList::addFolder(const QString &path)
{
    FileItem item = FileItem::fromPath(QDir::cleanPath(path));
    item.folderLike = true;
    item.isFolder = true;
    item.addedAsFolder = true;
    QString names;
    for (const FileItem &listed : std::as_const(m_items))
        names += u'|' + listed.name;
    m_items.append(item);
    return names.contains(item.name);
}

void CardFileList::append(const FileItem &given)
{
    FileItem item;
    item.folder = given.folder;
    item.name = given.name;
    item.size = given.size;
    item.description = given.description;
    item.keywords = given.keywords;
    item.folderLike = given.folderLike;
    item.isFolder = given.folderLike && QFileInfo(given.sourcePath()).isDir();
    m_items.append(item);
}

bool CardFileList::remove(int index)
{
    if (index < 0 || index >= count())
        return false;
    m_items.removeAt(index);
    return true;
}

void CardFileList::setCellText(int index, int column, const QString &text)
{
    if (index < 0 || index >= count())
        return;
    FileItem &item = m_items[index];
    switch (column) {
    case FileClasses: item.classPath = text; break;
    case FileDescription: item.description = text; break;
    case FileKeywords: item.keywords = text; break;
    case FileSize: item.size = text.toLongLong(); break;
    case FileStoredFolder: item.storedFolder = text; break;
    case FileSourceFolder: item.folder = text; break;
    case FileName: item.name = text; break;
    case FileItemNumber: item.itemNumber = text.toInt(); break;
    case FileSerial: item.serial = text.toInt(); break;
    default: break;
    }
}

FileItem CardFileList::archivedItem(const DocumentRow &row, const QString &fileServer)
{
    FileItem item;
    item.archived = true;
    item.classPath = row.classPath;
    item.description = row.description;
    item.keywords = row.keywords;
    item.size = row.size;
    item.storedFolder = fileServer + u'/' + row.seriesFolder;
    item.name = row.fileName;
    item.itemNumber = row.itemNumber;
    item.serial = row.serial;
    item.folderLike = row.kind == KindFolder;
    item.isFolder = item.folderLike;
    return item;
}

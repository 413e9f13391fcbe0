#include "CardDraft.h"

#include "FileTypes.h"
#include "FolderSize.h"

#include <QFileInfo>

FileItem FileItem::fromPath(const QString &path)
{
    const QFileInfo info(path);
    FileItem item;
    item.folder = info.absolutePath() + u'/';
    item.name = info.fileName();
    if (info.isDir()) {
        item.folderLike = true;
        item.size = folderSize(info.absoluteFilePath());
        return item;
    }
    item.size = info.size();
    if (FileTypes::isCompanionPage(FileTypes::extension(item.name))) {
        const QString source = info.absoluteFilePath();
        item.size += folderSize(source.left(source.lastIndexOf(u'.')) + QStringLiteral("_files"));
    }
    return item;
}

bool CardDraft::hasSomethingToArchive() const
{
    for (const FileItem &f : files) {
        if (!f.archived)
            return true;
    }
    for (const TextItem &t : texts) {
        if (!t.archived && !t.text.isEmpty())
            return true;
    }
    return false;
}

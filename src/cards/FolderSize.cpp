#include "FolderSize.h"

#include <QDir>
#include <QFileInfo>

qint64 folderSize(const QString &path)
{
    qint64 total = 0;
    const QFileInfoList entries =
        QDir(path).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo &entry : entries) {
        if (entry.isSymLink())
            continue; // a link is not content of the folder, and may loop
        if (entry.isDir()) {
            if (!entry.fileName().startsWith(u'.'))
                total += folderSize(entry.absoluteFilePath());
        } else {
            total += entry.size();
        }
    }
    return total;
}

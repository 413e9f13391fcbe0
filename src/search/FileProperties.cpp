#include "FileProperties.h"

#include "cards/FolderSize.h"

#include <QFileInfo>
#include <QMimeDatabase>

FileProperties FileProperties::of(const QString &path)
{
    FileProperties p;
    const QFileInfo info(path);
    p.path = info.absoluteFilePath();
    p.exists = info.exists();
    if (!p.exists)
        return p;
    p.isFolder = info.isDir();
    p.size = p.isFolder ? folderSize(p.path) : info.size();
    p.created = info.birthTime();
    p.modified = info.lastModified();
    p.accessed = info.lastRead();
    p.owner = info.owner();
    p.group = info.group();
    const QFileDevice::Permissions perms = info.permissions();
    const std::pair<QFileDevice::Permission, char> bits[] = {
        {QFileDevice::ReadOwner, 'r'}, {QFileDevice::WriteOwner, 'w'}, {QFileDevice::ExeOwner, 'x'},
        {QFileDevice::ReadGroup, 'r'}, {QFileDevice::WriteGroup, 'w'}, {QFileDevice::ExeGroup, 'x'},
        {QFileDevice::ReadOther, 'r'}, {QFileDevice::WriteOther, 'w'}, {QFileDevice::ExeOther, 'x'},
    };
    for (const auto &[bit, letter] : bits)
        p.permissions += QChar::fromLatin1(perms.testFlag(bit) ? letter : '-');
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(info);
    p.type = mime.comment();
    p.mimeName = mime.name();
    return p;
}

#include "ReceivedFiles.h"

#include "Transfer.h"

ReceivedFilesWatch::ReceivedFilesWatch(QString folder)
    : m_folder(std::move(folder))
    , m_known(listFolderFiles(m_folder))
{
}

QStringList ReceivedFilesWatch::poll()
{
    QStringList fresh;
    for (const QString &name : listFolderFiles(m_folder)) {
        if (!m_known.contains(name, Qt::CaseSensitive)) {
            m_known.append(name);
            fresh.append(name);
        }
    }
    return fresh;
}

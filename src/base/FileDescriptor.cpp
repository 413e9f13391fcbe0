#include "FileDescriptor.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

void FileDescriptor::reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

int FileDescriptor::release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

int FileDescriptor::close()
{
    const int result = ::close(m_fd);
    m_fd = -1;
    return result;
}

bool syncFolder(const QString &folder)
{
    const FileDescriptor dir(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return dir.valid() && ::fsync(dir.get()) == 0;
}

#include "AllocationLock.h"

#include "base/SystemError.h"

#include <QCoreApplication>
#include <QDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

namespace {

struct AllocationLockTr
{
    Q_DECLARE_TR_FUNCTIONS(AllocationLock)
};

QString systemError(const QString &path)
{
    return AllocationLockTr::tr("تعذر فتح ملف القفل %1: %2")
        .arg(QDir::toNativeSeparators(path), lastSystemErrorText());
}

int openLockFile(const QString &path)
{
    return ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
}

bool writeByte(int fd, char byte)
{
    return ::pwrite(fd, &byte, 1, 0) == 1 && ::ftruncate(fd, 1) == 0 && ::fsync(fd) == 0;
}

// An open-file-description lock belongs to this descriptor alone: closing another descriptor of
// the same file elsewhere in the process does not drop it, and the kernel drops it when the
// holder dies.
bool kernelLock(int fd, short type)
{
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0;
    return ::fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

} // namespace

AllocationLock::AllocationLock(QString databaseFolder) : m_path(path(databaseFolder)) {}

AllocationLock::~AllocationLock()
{
    if (held())
        release();
}

QString AllocationLock::cancelledMessage() { return AllocationLockTr::tr("أُلغي انتظار قفل ترقيم البطاقات"); }

QString AllocationLock::path(const QString &databaseFolder)
{
    return databaseFolder + QStringLiteral("/LK.txt");
}

AllocationLock::Attempt AllocationLock::tryAcquire()
{
    if (held())
        return Attempt::Taken;
    const int fd = openLockFile(m_path);
    if (fd < 0) {
        m_error = systemError(m_path);
        return Attempt::Failed;
    }
    if (!kernelLock(fd, F_WRLCK)) {
        const int why = errno;
        ::close(fd);
        if (why == EAGAIN || why == EACCES)
            return Attempt::Busy;
        errno = why;
        m_error = systemError(m_path);
        return Attempt::Failed;
    }
    char byte = 0;
    m_tookOverStale = ::pread(fd, &byte, 1, 0) == 1 && byte == kTaken;
    if (!writeByte(fd, kTaken)) {
        m_error = systemError(m_path);
        ::close(fd);
        return Attempt::Failed;
    }
    m_fd = fd;
    return Attempt::Taken;
}

Status AllocationLock::acquire(const std::function<bool()> &cancelled, std::chrono::milliseconds poll)
{
    for (;;) {
        switch (tryAcquire()) {
        case Attempt::Taken: return {};
        case Attempt::Failed: return Status::failure(m_error);
        case Attempt::Busy: break;
        }
        if (cancelled && cancelled())
            return Status::failure(cancelledMessage());
        std::this_thread::sleep_for(poll);
    }
}

Status AllocationLock::release()
{
    if (!held())
        return {};
    const bool written = writeByte(m_fd, kFree);
    ::close(m_fd); // drops the kernel lock
    m_fd = -1;
    if (!written)
        return Status::failure(systemError(m_path));
    return {};
}

Status AllocationLock::reset(const QString &databaseFolder)
{
    const QString file = path(databaseFolder);
    const int fd = openLockFile(file);
    if (fd < 0)
        return Status::failure(systemError(file));
    const bool written = writeByte(fd, kFree);
    ::close(fd);
    if (!written)
        return Status::failure(systemError(file));
    return {};
}

Status AllocationLock::ensureExists(const QString &databaseFolder)
{
    const QString file = path(databaseFolder);
    if (QFile::exists(file))
        return {};
    return reset(databaseFolder);
}

#include "FullFolder.h"

#include "TestArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Big enough for a test archive's databases and a few small cards.
constexpr const char *kMountOptions = "size=8m,mode=0755";

QString fillerPath(const QString &folder)
{
    return folder + QStringLiteral("/.filler");
}

void applyLimit()
{
    const rlimit limit{rlim_t(FullFolder::kStandInLimit), rlim_t(FullFolder::kStandInLimit)};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::signal(SIGXFSZ, SIG_IGN);
}

} // namespace

FullFolder::FullFolder(QString folder) : m_folder(std::move(folder))
{
    m_under = m_folder + QStringLiteral(".under");
    if (!QFileInfo(m_folder).isDir()) {
        m_problem = QStringLiteral("no folder %1").arg(m_folder);
        return;
    }
    if (!QDir().rename(m_folder, m_under) || !QDir().mkdir(m_folder)) {
        m_problem = QStringLiteral("cannot set %1 aside").arg(m_folder);
        return;
    }
    // DOVRELLE_TEST_NO_MOUNT tries the stand-in on a machine that could mount.
    if (!qEnvironmentVariableIsSet("DOVRELLE_TEST_NO_MOUNT")
        && ::mount("tmpfs", QFile::encodeName(m_folder).constData(), "tmpfs", MS_NOSUID | MS_NODEV, kMountOptions) == 0) {
        m_mounted = true;
        if (!copyTree(m_under, m_folder)) {
            m_problem = QStringLiteral("cannot copy %1 onto the small file system").arg(m_folder);
            return;
        }
    } else {
        // The stand-in: the folder stays where it was, the limit does the rest.
        QDir(m_folder).removeRecursively();
        QDir().rename(m_under, m_folder);
    }
    fill();
}

FullFolder::~FullFolder()
{
    if (!m_mounted)
        return;
    const QString after = m_folder + QStringLiteral(".after");
    QFile::remove(fillerPath(m_folder));
    const bool copied = copyTree(m_folder, after);
    ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
    QDir().rmdir(m_folder);
    if (copied) {
        QDir().rename(after, m_folder);
        QDir(m_under).removeRecursively();
    } else {
        QDir(after).removeRecursively();
        QDir().rename(m_under, m_folder);
    }
}

QString FullFolder::how() const
{
    return m_mounted ? QStringLiteral("a full tmpfs")
                     : QStringLiteral("the stand-in (files limited to %1 bytes: the tests could not mount here)")
                           .arg(kStandInLimit);
}

void FullFolder::makeRoom()
{
    if (m_mounted)
        QFile::remove(fillerPath(m_folder));
    m_full = false;
}

void FullFolder::fill()
{
    m_full = true;
    if (!m_mounted)
        return;
    const int fd = ::open(QFile::encodeName(fillerPath(m_folder)).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        m_problem = QStringLiteral("cannot make the filler: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    // Big writes first, then single bytes, until not one more fits.
    static const QByteArray chunk(64 * 1024, 'f');
    for (qsizetype size = chunk.size(); size >= 1; size /= 16) {
        while (::write(fd, chunk.constData(), size_t(size)) == size) {
        }
    }
    if (errno != ENOSPC)
        m_problem = QStringLiteral("the filler stopped short: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    ::close(fd);
}

void FullFolder::limit(QProcess &process) const
{
    if (m_mounted || !m_full)
        return;
    process.setChildProcessModifier(applyLimit);
}

void FullFolder::limitThisProcess() const
{
    if (!m_mounted && m_full)
        applyLimit();
}

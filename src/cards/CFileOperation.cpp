#include "CFileOperation.h"

#include "base/JoinedPath.h"
#include "base/WriteAll.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr const char *kNoError = QT_TRANSLATE_NOOP("CFileOperation", "No error");
constexpr const char *kReadOnlyQuestion =
    QT_TRANSLATE_NOOP("CFileOperation", " is read olny. Do you want delete it?");
constexpr const char *kWarning = QT_TRANSLATE_NOOP("CFileOperation", "Warning");
constexpr const char *kNotFound = QT_TRANSLATE_NOOP("CFileOperation", " not found");
constexpr const char *kWrongOperation = QT_TRANSLATE_NOOP("CFileOperation", "Wrong operation");

// Hidden names, so that folder listings of the system (received files, feeds) never count a copy
// still being written.
constexpr const char *kTemporaryFile = "/.dovrelle-copy-XXXXXX";
constexpr auto kTemporaryLink = "/.dovrelle-link-"_L1;
constexpr int kTemporaryLinkTries = 16;
constexpr qsizetype kCopyBuffer = 256 * 1024;
constexpr mode_t kPermissionBits = 0777;
constexpr mode_t kModeBits = 07777;
constexpr mode_t kNewFolder = 0777;

enum class Kind { Absent, Unknown, Folder, File };

struct PathState
{
    Kind kind = Kind::Absent;
    int error = 0;
    struct stat info = {};
};

[[noreturn]] void throwSystem(int code)
{
    throw CFExeption::fromSystemCode(code);
}

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

// A missing file or a missing folder on the way is absence; any other failure to read the
// attributes leaves the kind unknown.
PathState examine(const QString &path, bool followLinks)
{
    PathState state;
    const QByteArray name = encoded(path);
    const int rc = followLinks ? ::stat(name.constData(), &state.info) : ::lstat(name.constData(), &state.info);
    if (rc != 0) {
        state.error = errno;
        state.kind = (state.error == ENOENT || state.error == ENOTDIR) ? Kind::Absent : Kind::Unknown;
    } else {
        state.kind = S_ISDIR(state.info.st_mode) ? Kind::Folder : Kind::File;
    }
    return state;
}

QString cleaned(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

int depthOf(const QString &cleanPath)
{
    return static_cast<int>(cleanPath.split(u'/', Qt::SkipEmptyParts).size());
}

struct DirCloser
{
    void operator()(DIR *dir) const { ::closedir(dir); }
};

// The entries of a folder without "." and "..", sorted by name so that every copy of the same
// tree walks it in the same order; nothing when the folder cannot be listed.
std::optional<QStringList> listNames(const QString &folder)
{
    std::unique_ptr<DIR, DirCloser> dir(::opendir(encoded(folder).constData()));
    if (!dir)
        return std::nullopt;
    QStringList names;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir.get());
        if (!entry)
            break;
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.append(QFile::decodeName(entry->d_name));
    }
    if (errno != 0)
        return std::nullopt;
    std::sort(names.begin(), names.end());
    return names;
}

class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closing can report a late write failure, so it is checked where data was written.
    int close()
    {
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc;
    }

private:
    int m_fd;
};

// Removes the temporary name again unless the copy was put in place.
class TemporaryName
{
public:
    explicit TemporaryName(QByteArray name) : m_name(std::move(name)) {}
    ~TemporaryName()
    {
        if (!m_name.isEmpty())
            ::unlink(m_name.constData());
    }
    TemporaryName(const TemporaryName &) = delete;
    TemporaryName &operator=(const TemporaryName &) = delete;

    void release() { m_name.clear(); }

private:
    QByteArray m_name;
};

void copyBytes(int from, int to)
{
    QByteArray buffer(kCopyBuffer, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), static_cast<size_t>(buffer.size()));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throwSystem(errno);
        }
        if (got == 0)
            return;
        errno = 0; // a write that takes nothing sets none
        if (!writeAll(to, buffer.constData(), got))
            throwSystem(errno != 0 ? errno : EIO);
    }
}

// Makes a rename that just happened survive a power loss; a folder that cannot be synced still
// holds the file.
void syncFolder(const QByteArray &folder)
{
    const Descriptor dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid())
        ::fsync(dir.get());
}

template <typename Operation>
std::optional<CFExeption> attempt(Operation &&operation)
{
    try {
        operation();
    } catch (const CFExeption &error) {
        return error;
    } catch (const std::bad_alloc &) {
        return CFExeption::fromSystemCode(ENOMEM);
    } catch (...) {
        return CFExeption::fromSystemCode(ECANCELED);
    }
    return std::nullopt;
}

} // namespace

CFileOperation::CFileOperation() : m_errorText(tr(kNoError))
{
}

void CFileOperation::record(const CFExeption &error)
{
    m_errorText = error.message();
    m_errorCode = error.code();
}

bool CFileOperation::DeleteItem(const QString &path)
{
    m_aborted = false;
    if (const std::optional<CFExeption> error = attempt([&] { deleteRecursive(path); })) {
        record(*error);
        return error->code() == 0;
    }
    return true;
}

void CFileOperation::deleteRecursive(const QString &path)
{
    // Links are looked at, never through: a link to a folder is removed as the link it is.
    const PathState state = examine(path, false);
    if (state.kind == Kind::Unknown) {
        // The path exists but cannot be examined (no search permission above it, a name too
        // long): guessing its kind could remove the wrong thing, so the delete fails with the
        // system's reason.
        throwSystem(state.error);
    }
    if (state.kind == Kind::File) {
        if (!mayDelete(path)) {
            m_aborted = true;
            return;
        }
        if (::unlink(encoded(path).constData()) != 0)
            throwSystem(errno);
        return;
    }
    // A folder, or a path that is gone: removing it reports what the system says about it.
    if (const std::optional<QStringList> names = listNames(path)) {
        for (const QString &name : *names)
            deleteRecursive(joinedPath(path, name));
    }
    // A folder that still holds a file the user chose to keep stays without complaint.
    if (::rmdir(encoded(path).constData()) != 0 && !m_aborted)
        throwSystem(errno);
}

bool CFileOperation::mayDelete(const QString &path)
{
    const PathState state = examine(path, false);
    if (state.kind == Kind::Absent || state.kind == Kind::Unknown)
        return false;
    // Read-only is the owner's missing write permission; the bits decide, not whether the kernel
    // would refuse (it does not refuse the superuser).
    if (S_ISLNK(state.info.st_mode) || (state.info.st_mode & S_IWUSR) != 0)
        return true;
    if (m_askIfReadOnly) {
        switch (ask(path)) {
        case Answer::Yes:
            break;
        case Answer::No:
            return false;
        case Answer::Cancel:
            m_aborted = true;
            throwSystem(0);
        }
    }
    const mode_t writable = (state.info.st_mode & kModeBits) | S_IWUSR;
    return ::chmod(encoded(path).constData(), writable) == 0;
}

CFileOperation::Answer CFileOperation::ask(const QString &path) const
{
    if (!m_question)
        return Answer::No;
    return m_question(readOnlyQuestion(path), readOnlyTitle());
}

QString CFileOperation::readOnlyQuestion(const QString &path)
{
    return QFileInfo(path).fileName() + tr(kReadOnlyQuestion);
}

QString CFileOperation::readOnlyTitle()
{
    return tr(kWarning);
}

bool CFileOperation::CopyItem(const QString &source, const QString &destination)
{
    bool copied = true;
    const bool intoHolder = examine(source, true).kind == Kind::Folder
                            && QFileInfo(cleaned(source)).path().compare(cleaned(destination), Qt::CaseInsensitive) == 0;
    if (!intoHolder) {
        if (const std::optional<CFExeption> error = attempt([&] { copy(source, destination); })) {
            record(*error);
            copied = false;
        }
    }
    m_depthLimit = -1;
    return copied;
}

void CFileOperation::copy(const QString &source, const QString &destination)
{
    const QString from = cleaned(source);
    const QString to = cleaned(destination);
    // A folder copied into itself or below itself may enter only as many sub-folders as the
    // destination lies below the source, so the walk can never reach the copy it is making.
    const QString inside = from.endsWith(u'/') ? from : from + u'/';
    if (to == from || to.startsWith(inside))
        m_depthLimit = depthOf(to) - depthOf(from);

    // A path that exists but cannot be examined (no search permission above it, a link loop)
    // fails with the system's reason rather than being copied blind.
    const PathState src = examine(source, true);
    if (src.kind == Kind::Absent)
        throw CFExeption::fromText(source + tr(kNotFound));
    if (src.kind == Kind::Unknown)
        throwSystem(src.error);
    const PathState dst = examine(destination, true);
    if (dst.kind == Kind::Absent)
        throw CFExeption::fromText(destination + tr(kNotFound));
    if (dst.kind == Kind::Unknown)
        throwSystem(dst.error);

    if (src.kind == Kind::Folder) {
        if (dst.kind == Kind::File)
            throw CFExeption::fromText(tr(kWrongOperation));
        const std::optional<QStringList> names = listNames(from);
        if (!names)
            throw CFExeption::fromText(source + tr(kNotFound));
        copyContents(from, makeFolderCopy(from, to), *names);
        return;
    }
    if (dst.kind == Kind::File)
        copyFile(from, to);
    else
        copyFile(from, joinedPath(to, QFileInfo(from).fileName()));
}

QString CFileOperation::makeFolderCopy(const QString &source, const QString &destination)
{
    // The root folder has no name of its own: its content goes straight into the destination.
    const QString name = QFileInfo(source).fileName();
    if (name.isEmpty())
        return destination;
    const QString target = joinedPath(destination, name);
    if (::mkdir(encoded(target).constData(), kNewFolder) != 0 && errno != EEXIST)
        throwSystem(errno);
    return target;
}

void CFileOperation::copyContents(const QString &source, const QString &destination, const QStringList &names)
{
    for (const QString &name : names) {
        const QString from = joinedPath(source, name);
        const QString to = joinedPath(destination, name);
        const PathState entry = examine(from, false);
        if (entry.kind == Kind::Absent || entry.kind == Kind::Unknown)
            throwSystem(entry.error);

        if (S_ISLNK(entry.info.st_mode)) {
            // The archive must hold the document itself, not a pointer to it; a link to a folder
            // is kept as a link, so a link to a folder above can never make the copy endless.
            const PathState target = examine(from, true);
            if (target.kind == Kind::File && S_ISREG(target.info.st_mode))
                copyFile(from, to);
            else
                copyLink(from, to);
            continue;
        }
        if (entry.kind == Kind::Folder) {
            if (m_depthLimit == 0)
                continue;
            if (::mkdir(encoded(to).constData(), kNewFolder) != 0 && errno != EEXIST)
                throwSystem(errno);
            if (m_depthLimit > 0)
                --m_depthLimit;
            const std::optional<QStringList> inner = listNames(from);
            if (!inner)
                throw CFExeption::fromText(from + tr(kNotFound));
            copyContents(from, to, *inner);
            continue;
        }
        copyFile(from, to);
    }
}

void CFileOperation::copyFile(const QString &source, const QString &target)
{
    const QByteArray targetName = encoded(target);
    struct stat existing = {};
    if (!m_overwrite && ::lstat(targetName.constData(), &existing) == 0)
        throwSystem(EEXIST);

    // Devices and pipes are not documents, and opening one can block or have side effects.
    const PathState state = examine(source, true);
    if (state.kind == Kind::Absent || state.kind == Kind::Unknown)
        throwSystem(state.error);
    if (!S_ISREG(state.info.st_mode))
        throwSystem(ENOTSUP);

    const Descriptor in(::open(encoded(source).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!in.valid())
        throwSystem(errno);
    struct stat info = {};
    if (::fstat(in.get(), &info) != 0)
        throwSystem(errno);

    // The content goes to a temporary name beside the target and replaces it in one step, so a
    // copy that fails half way never leaves a half-written target.
    const QByteArray folder = encoded(QFileInfo(target).path());
    QByteArray temporary = folder + kTemporaryFile;
    Descriptor out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!out.valid())
        throwSystem(errno);
    TemporaryName cleanup(temporary);

    copyBytes(in.get(), out.get());
    const decltype(info.st_mtim) times[2] = {info.st_atim, info.st_mtim};
    if (::fchmod(out.get(), info.st_mode & kPermissionBits) != 0 || ::futimens(out.get(), times) != 0)
        throwSystem(errno);
    if (::fsync(out.get()) != 0 || out.close() != 0)
        throwSystem(errno);

    placeOver(temporary, targetName);
    cleanup.release();
    syncFolder(folder);
}

void CFileOperation::copyLink(const QString &source, const QString &target)
{
    const QByteArray targetName = encoded(target);
    struct stat existing = {};
    if (!m_overwrite && ::lstat(targetName.constData(), &existing) == 0)
        throwSystem(EEXIST);

    QByteArray pointsTo(PATH_MAX, Qt::Uninitialized);
    const ssize_t length = ::readlink(encoded(source).constData(), pointsTo.data(), static_cast<size_t>(pointsTo.size()));
    if (length < 0)
        throwSystem(errno);
    pointsTo.truncate(length);

    const QByteArray folder = encoded(QFileInfo(target).path());
    for (int attempt = 0; attempt < kTemporaryLinkTries; ++attempt) {
        const QByteArray temporary =
            folder + encoded(kTemporaryLink + QString::number(QRandomGenerator::global()->generate(), 16));
        if (::symlink(pointsTo.constData(), temporary.constData()) != 0) {
            if (errno == EEXIST)
                continue;
            throwSystem(errno);
        }
        TemporaryName cleanup(temporary);
        placeOver(temporary, targetName);
        cleanup.release();
        syncFolder(folder);
        return;
    }
    throwSystem(EEXIST);
}

void CFileOperation::placeOver(const QByteArray &temporary, const QByteArray &target)
{
    if (m_overwrite) {
        if (::rename(temporary.constData(), target.constData()) != 0)
            throwSystem(errno);
        return;
    }
    if (::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return;
    if (errno != EINVAL && errno != ENOSYS)
        throwSystem(errno);
    // A file system without a rename that refuses to replace: check, then rename.
    struct stat existing = {};
    if (::lstat(target.constData(), &existing) == 0)
        throwSystem(EEXIST);
    if (::rename(temporary.constData(), target.constData()) != 0)
        throwSystem(errno);
}

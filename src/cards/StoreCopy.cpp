#include "StoreCopy.h"

#include "Checksum.h"
#include "base/FileDescriptor.h"
#include "base/ProcessAlive.h"
#include "base/SystemError.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// Small enough that the part just copied is still in the processor's cache when it is summed.
constexpr qsizetype kChunk = 1024 * 1024;
// The copy's checksum and size, as "crc32c-in-hex size", on the stored file.
constexpr const char *kChecksumAttribute = "user.dovrelle.crc32c";
std::atomic<bool> g_kernelCopy{true};
const QString kTemporaryStart = u".dovrelle-fm-"_s;
const QString kTemporaryEnd = u".part"_s;

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Closes the descriptor when it goes out of scope; `close()` reports what closing says.

// 0 when done, else the error. A file system without the no-replace rename gets the same promise
// from a hard link (which never replaces) for files, and from a check just before for folders.
int renameNoReplace(const QString &from, const QString &to, bool folder)
{
    const QByteArray f = native(from);
    const QByteArray t = native(to);
    if (::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    if (!folder) {
        if (::link(f.constData(), t.constData()) != 0)
            return errno;
        ::unlink(f.constData());
        return 0;
    }
    struct stat st;
    if (::lstat(t.constData(), &st) == 0)
        return EEXIST;
    return ::rename(f.constData(), t.constData()) == 0 ? 0 : errno;
}

void removeAll(const QString &path)
{
    struct stat st;
    const QByteArray p = native(path);
    if (::lstat(p.constData(), &st) != 0)
        return;
    if (S_ISDIR(st.st_mode))
        QDir(path).removeRecursively();
    else
        ::unlink(p.constData());
}

// The names in a folder, sorted, or the error of opening it.
int listFolder(const QString &path, QStringList &names)
{
    DIR *dir = ::opendir(native(path).constData());
    if (!dir)
        return errno;
    errno = 0;
    while (const dirent *e = ::readdir(dir)) {
        const QString name = QFile::decodeName(e->d_name);
        if (name != u"."_s && name != u".."_s)
            names.append(name);
    }
    const int err = errno;
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return err;
}

// True when both files hold the same bytes.
bool sameContent(const QString &a, const QString &b)
{
    QFile fa(a);
    QFile fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size())
        return false;
    while (!fa.atEnd()) {
        const QByteArray ca = fa.read(1024 * 1024);
        if (ca.isEmpty() || ca != fb.read(ca.size()))
            return false;
    }
    return true;
}

bool sameTime(const struct timespec &a, const struct timespec &b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

QByteArray checksumRecord(quint32 sum, qint64 size)
{
    return QByteArray::number(sum, 16).rightJustified(8, '0') + ' ' + QByteArray::number(size);
}

} // namespace

StoreCopy::StoreCopy(Hooks hooks) : m_hooks(std::move(hooks))
{
}

Result<SourceTree> StoreCopy::survey(const QString &source)
{
    using R = Result<SourceTree>;
    if (source.isEmpty() || !QDir::isAbsolutePath(source))
        return R::failure(tr("مسار المصدر ليس مسارا كاملا: \"%1\"").arg(source));
    SourceTree tree;
    tree.source = source;
    struct stat st;
    if (::stat(native(source).constData(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return R::failure(tr("المصدر غير موجود"));
        return R::failure(tr("تعذر الوصول الى المصدر: %1").arg(lastSystemErrorText()));
    }
    if (S_ISREG(st.st_mode)) {
        tree.entries.append({QString(), SourceTree::Kind::File, qint64(st.st_size)});
        tree.files = 1;
        tree.bytes = st.st_size;
        return tree;
    }
    if (!S_ISDIR(st.st_mode))
        return R::failure(tr("المصدر ليس ملفا عاديا ولا مجلدا"));

    tree.isFolder = true;
    tree.entries.append({QString(), SourceTree::Kind::Folder, 0});
    // Folders still to list, as paths below the source; a folder's entries follow it directly.
    QList<QString> pending{QString()};
    while (!pending.isEmpty()) {
        const QString relative = pending.takeLast();
        const QString folder = relative.isEmpty() ? source : source + u'/' + relative;
        QStringList names;
        if (const int err = listFolder(folder, names))
            return R::failure(tr("تعذرت قراءة المجلد %1: %2").arg(shown(folder), systemErrorText(err)));
        QStringList subFolders;
        for (const QString &name : std::as_const(names)) {
            const QString rel = relative.isEmpty() ? name : relative + u'/' + name;
            const QString path = source + u'/' + rel;
            struct stat es;
            if (::lstat(native(path).constData(), &es) != 0)
                return R::failure(tr("تعذر الوصول الى %1: %2").arg(shown(path), lastSystemErrorText()));
            if (S_ISLNK(es.st_mode)) {
                tree.entries.append({rel, SourceTree::Kind::Link, 0});
            } else if (S_ISDIR(es.st_mode)) {
                tree.entries.append({rel, SourceTree::Kind::Folder, 0});
                subFolders.append(rel);
            } else if (S_ISREG(es.st_mode)) {
                tree.entries.append({rel, SourceTree::Kind::File, qint64(es.st_size)});
                ++tree.files;
                tree.bytes += es.st_size;
            } else {
                return R::failure(tr("%1 ليس ملفا عاديا ولا مجلدا").arg(shown(path)));
            }
        }
        // Reversed so that taking from the end lists them in name order.
        std::reverse(subFolders.begin(), subFolders.end());
        pending.append(subFolders);
    }
    return tree;
}

Result<std::optional<StoreCopy::Prepared>> StoreCopy::prepare(const SourceTree &tree, const QString &targetFolder,
                                                              const QString &targetName)
{
    using Answer = Result<std::optional<Prepared>>;
    const QString target = targetFolder + u'/' + targetName;
    struct stat st;
    if (::lstat(native(target).constData(), &st) == 0) {
        // Already there as it should be: a run that died after placing it, or an order that was
        // handed over twice.
        if (identical(tree, target)) {
            if (m_hooks.advanced)
                m_hooks.advanced(tree.bytes);
            return std::optional<Prepared>();
        }
        return Answer::failure(tr("يوجد في المخزن عنصر بالاسم نفسه %1، ولم يُستبدل").arg(shown(target)));
    }

    const QString temporary = temporaryName(targetFolder);
    Status s;
    if (tree.isFolder) {
        s = copyFolderInto(tree, temporary, target);
        if (s) {
            // What arrived is counted again from the disk, not from what the copy believed it wrote.
            const Result<SourceTree> copied = survey(temporary);
            if (!copied)
                s = Status::failure(copied.error());
            else if (copied->files != tree.files || copied->bytes != tree.bytes
                     || copied->entries.size() != tree.entries.size())
                s = Status::failure(tr("النسخة لا تطابق الاصل: %1 ملف و%2 بايت بدل %3 ملف و%4 بايت")
                                        .arg(QString::number(copied->files), QString::number(copied->bytes),
                                             QString::number(tree.files), QString::number(tree.bytes)));
        }
    } else {
        if (m_hooks.fileStarted)
            m_hooks.fileStarted(tree.source);
        s = copyFile(tree.source, temporary, tree.bytes, target);
    }
    if (!s) {
        removeAll(temporary);
        return Answer::failure(s.error());
    }
    return std::optional<Prepared>(Prepared{temporary, target, targetFolder, tree.source, tree.isFolder});
}

Status StoreCopy::flush(const QStringList &folders)
{
    // One flush for the whole batch instead of one per file: every copy is on the disk before
    // any of them takes its stored name.
    // Folders on one file system share the one flush.
    QList<dev_t> flushed;
    for (const QString &folder : folders) {
        FileDescriptor fd(::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat st;
        if (fd.valid() && ::fstat(fd.get(), &st) == 0 && flushed.contains(st.st_dev))
            continue;
        if (!fd.valid() || ::syncfs(fd.get()) != 0)
            return Status::failure(tr("تعذر حفظ المجلد %1 على القرص: %2").arg(shown(folder), lastSystemErrorText()));
        flushed.append(st.st_dev);
    }
    return {};
}

Status StoreCopy::commit(const Prepared &copy)
{
    if (const int err = renameNoReplace(copy.temporary, copy.target, copy.isFolder)) {
        removeAll(copy.temporary);
        return err == EEXIST || err == ENOTEMPTY
                   ? Status::failure(tr("يوجد في المخزن عنصر بالاسم نفسه %1، ولم يُستبدل").arg(shown(copy.target)))
                   : Status::failure(tr("تعذرت تسمية النسخة %1: %2").arg(shown(copy.target), systemErrorText(err)));
    }
    if (!copy.isFolder && m_hooks.fileCopied)
        m_hooks.fileCopied(copy.source, copy.target);
    return {};
}

void StoreCopy::discard(const Prepared &copy)
{
    removeAll(copy.temporary);
}

Status StoreCopy::syncFolders(const QStringList &folders)
{
    for (const QString &folder : folders) {
        if (!syncFolder(folder))
            return Status::failure(tr("تعذر حفظ المجلد %1 على القرص: %2").arg(shown(folder), lastSystemErrorText()));
    }
    return {};
}

Status StoreCopy::place(const SourceTree &tree, const QString &targetFolder, const QString &targetName)
{
    const Result<std::optional<Prepared>> copy = prepare(tree, targetFolder, targetName);
    if (!copy)
        return Status::failure(copy.error());
    if (!copy->has_value())
        return {};
    if (Status s = flush({targetFolder}); !s) {
        removeAll((*copy)->temporary);
        return s;
    }
    if (Status s = commit(**copy); !s)
        return s;
    return syncFolders({targetFolder});
}

Status StoreCopy::copyFile(const QString &from, const QString &to, qint64 expectedSize, const QString &named)
{
    FileDescriptor in(::open(native(from).constData(), O_RDONLY | O_CLOEXEC));
    if (!in.valid())
        return Status::failure(tr("تعذرت قراءة %1: %2").arg(shown(from), lastSystemErrorText()));
    struct stat before;
    if (::fstat(in.get(), &before) != 0 || !S_ISREG(before.st_mode))
        return Status::failure(tr("%1 ليس ملفا عاديا").arg(shown(from)));
    FileDescriptor out(::open(native(to).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!out.valid())
        return Status::failure(tr("تعذر انشاء النسخة %1: %2").arg(shown(named), lastSystemErrorText()));

    const auto writeFailed = [&](int err) {
        return Status::failure(tr("تعذرت كتابة %1: %2").arg(shown(named), systemErrorText(err)));
    };
    const auto readFailed = [&](int err) {
        return Status::failure(tr("تعذرت قراءة %1: %2").arg(shown(from), systemErrorText(err)));
    };
    // The bytes the copy carried are summed as they go by: in the kernel's copy the range just
    // copied is summed from the source's pages, which that copy has just brought into memory.
    Crc32c sum;
    qint64 copied = 0;
    bool inKernel = g_kernelCopy.load();
    QByteArray buffer(kChunk, Qt::Uninitialized);
    for (;;) {
        ssize_t n = 0;
        if (inKernel) {
            n = ::copy_file_range(in.get(), nullptr, out.get(), nullptr, kChunk, 0);
            // Some file systems cannot copy in the kernel; the plain way works everywhere.
            if (n < 0 && copied == 0
                && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == EBADF)) {
                inKernel = false;
                continue;
            }
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return writeFailed(errno);
            }
            for (ssize_t done = 0; done < n;) {
                const ssize_t r = ::pread(in.get(), buffer.data(), size_t(n - done), copied + done);
                if (r < 0 && errno == EINTR)
                    continue;
                if (r <= 0)
                    return readFailed(r < 0 ? errno : EIO);
                sum.add(buffer.constData(), size_t(r));
                done += r;
            }
        } else {
            n = ::read(in.get(), buffer.data(), buffer.size());
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return readFailed(errno);
            }
            sum.add(buffer.constData(), size_t(n));
            for (ssize_t done = 0; done < n;) {
                const ssize_t w = ::write(out.get(), buffer.constData() + done, size_t(n - done));
                if (w < 0 && errno != EINTR)
                    return writeFailed(errno);
                done += std::max<ssize_t>(w, 0);
            }
        }
        if (n == 0)
            break;
        // The disk starts on this part now instead of all at once at the batch's flush.
        ::sync_file_range(out.get(), copied, n, SYNC_FILE_RANGE_WRITE);
        copied += n;
        if (m_hooks.advanced)
            m_hooks.advanced(n);
    }

    // A source written to while it was copied may keep its size: its times tell.
    struct stat after;
    if (::fstat(in.get(), &after) != 0 || after.st_size != before.st_size || copied != before.st_size
        || copied != expectedSize) {
        return Status::failure(tr("تغير حجم %1 اثناء النسخ: نُسخ %2 بايت والحجم %3 بايت")
                                   .arg(shown(from), QString::number(copied), QString::number(qint64(after.st_size))));
    }
    if (!sameTime(after.st_mtim, before.st_mtim) || !sameTime(after.st_ctim, before.st_ctim))
        return Status::failure(tr("تغير %1 اثناء النسخ").arg(shown(from)));
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ::futimens(out.get(), times);
    struct stat written;
    if (::fstat(out.get(), &written) != 0 || written.st_size != copied)
        return Status::failure(tr("حجم النسخة %1 بايت وحجم الاصل %2 بايت")
                                   .arg(QString::number(qint64(written.st_size)), QString::number(copied)));
    // Kept with the copy, so that a later look at the stored file can tell it is what was copied.
    const QByteArray record = checksumRecord(sum.value(), copied);
    ::fsetxattr(out.get(), kChecksumAttribute, record.constData(), size_t(record.size()), 0);
    if (out.close() != 0)
        return writeFailed(errno);
    return {};
}

void StoreCopy::setKernelCopy(bool on)
{
    g_kernelCopy = on;
}

std::optional<StoreCopy::Checksum> StoreCopy::recordedChecksum(const QString &stored)
{
    char value[64];
    const ssize_t n = ::getxattr(native(stored).constData(), kChecksumAttribute, value, sizeof value);
    if (n <= 0)
        return std::nullopt;
    const QList<QByteArray> parts = QByteArray(value, n).split(' ');
    bool okSum = false;
    bool okSize = false;
    if (parts.size() != 2)
        return std::nullopt;
    const uint sumValue = parts.at(0).toUInt(&okSum, 16);
    const qint64 size = parts.at(1).toLongLong(&okSize);
    if (!okSum || !okSize)
        return std::nullopt;
    return Checksum{quint32(sumValue), size};
}

std::optional<quint32> StoreCopy::checksumOf(const QString &path)
{
    FileDescriptor fd(::open(native(path).constData(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return std::nullopt;
    QByteArray buffer(kChunk, Qt::Uninitialized);
    Crc32c sum;
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            return sum.value();
        sum.add(buffer.constData(), size_t(n));
    }
}

Status StoreCopy::copyFolderInto(const SourceTree &tree, const QString &temporary, const QString &finalTarget)
{
    QStringList folders;
    for (const SourceTree::Entry &e : tree.entries) {
        const QString from = e.relative.isEmpty() ? tree.source : tree.source + u'/' + e.relative;
        const QString to = e.relative.isEmpty() ? temporary : temporary + u'/' + e.relative;
        const QString named = e.relative.isEmpty() ? finalTarget : finalTarget + u'/' + e.relative;
        switch (e.kind) {
        case SourceTree::Kind::Folder:
            if (::mkdir(native(to).constData(), 0777) != 0)
                return Status::failure(
                    tr("تعذر انشاء المجلد %1: %2").arg(shown(named), lastSystemErrorText()));
            folders.append(to);
            break;
        case SourceTree::Kind::Link: {
            QByteArray link(4096, '\0');
            const ssize_t n = ::readlink(native(from).constData(), link.data(), link.size());
            if (n < 0 || n >= link.size())
                return Status::failure(tr("تعذرت قراءة الرابط %1: %2").arg(shown(from), lastSystemErrorText()));
            link.truncate(n);
            if (::symlink(link.constData(), native(to).constData()) != 0)
                return Status::failure(tr("تعذر انشاء الرابط %1: %2").arg(shown(named), lastSystemErrorText()));
            break;
        }
        case SourceTree::Kind::File:
            if (m_hooks.fileStarted)
                m_hooks.fileStarted(from);
            if (Status s = copyFile(from, to, e.size, named); !s)
                return s;
            if (m_hooks.fileCopied)
                m_hooks.fileCopied(from, named);
            break;
        }
    }
    // The folder's names reach the disk with the batch's flush, before the folder is renamed.
    return {};
}

// A stored file that still carries the checksum of its copy and the source's modification time is
// compared through the checksum: the source is read, the stored file is not. Any other is
// compared byte for byte.
bool StoreCopy::sameAsCopied(const QString &source, const QString &stored)
{
    struct stat s;
    struct stat t;
    const std::optional<Checksum> recorded = recordedChecksum(stored);
    if (recorded && ::stat(native(source).constData(), &s) == 0 && ::stat(native(stored).constData(), &t) == 0
        && s.st_size == t.st_size && recorded->size == t.st_size && sameTime(s.st_mtim, t.st_mtim)) {
        const std::optional<quint32> sum = checksumOf(source);
        return sum && *sum == recorded->sum;
    }
    return sameContent(source, stored);
}

bool StoreCopy::identical(const SourceTree &tree, const QString &target)
{
    const Result<SourceTree> there = survey(target);
    if (!there || there->isFolder != tree.isFolder || there->entries.size() != tree.entries.size())
        return false;
    for (qsizetype i = 0; i < tree.entries.size(); ++i) {
        const SourceTree::Entry &a = tree.entries.at(i);
        const SourceTree::Entry &b = there->entries.at(i);
        if (a.relative != b.relative || a.kind != b.kind || a.size != b.size)
            return false;
        if (a.kind == SourceTree::Kind::File) {
            const QString suffix = a.relative.isEmpty() ? QString() : u'/' + a.relative;
            if (!sameAsCopied(tree.source + suffix, target + suffix))
                return false;
        }
    }
    return true;
}

QString StoreCopy::temporaryName(const QString &folder)
{
    return folder + u'/' + kTemporaryStart + QString::number(::getpid()) + u'-' + QString::number(++m_counter)
           + kTemporaryEnd;
}

void StoreCopy::removeStaleTemporaries(const QString &folder)
{
    QStringList names;
    if (listFolder(folder, names) != 0)
        return;
    for (const QString &name : std::as_const(names)) {
        if (!name.startsWith(kTemporaryStart) || !name.endsWith(kTemporaryEnd))
            continue;
        bool ok = false;
        const pid_t pid = name.mid(kTemporaryStart.size()).section(u'-', 0, 0).toInt(&ok);
        // A copy of a copier still running (the other list's copier may share the folder) stays.
        if (!ok || (pid != ::getpid() && processAlive(pid)))
            continue;
        removeAll(folder + u'/' + name);
    }
}

Status StoreCopy::makeSeriesFolder(const QString &folder)
{
    const QString cleaned = QDir::cleanPath(folder);
    if (QFileInfo(cleaned).isDir())
        return {};
    const QString parent = QFileInfo(cleaned).path();
    if (!QFileInfo(parent).isDir())
        return Status::failure(fileServerMissingMessage(parent));
    // Another workstation may make it at the same moment; a file of that name is no folder.
    if (::mkdir(native(cleaned).constData(), 0777) != 0 && (errno != EEXIST || !QFileInfo(cleaned).isDir()))
        return Status::failure(tr("تعذر انشاء مجلد السلسلة %1: %2").arg(shown(cleaned), lastSystemErrorText()));
    return {};
}

QString StoreCopy::fileServerMissingMessage(const QString &fileServer)
{
    return tr("مجلد خادم الملفات %1 غير موجود او غير متاح").arg(shown(fileServer));
}

Status StoreCopy::roomFor(const QString &folder, qint64 bytes)
{
    struct statvfs fs {};
    if (!QFileInfo(folder).isDir() || ::statvfs(native(folder).constData(), &fs) != 0)
        return Status::failure(fileServerMissingMessage(folder));
    const qint64 free = qint64(fs.f_bavail) * qint64(fs.f_frsize);
    if (bytes > free) {
        return Status::failure(tr("لا توجد على خادم الملفات %1 مساحة تتسع للملفات: تحتاج %2 كيلوبايت والمتاح %3 كيلوبايت")
                                   .arg(shown(folder))
                                   .arg((bytes + 1023) / 1024)
                                   .arg(free / 1024));
    }
    return {};
}

#include "FolderSearch.h"

#include "FileTextMatcher.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTimeZone>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString FoundFile::sizeText(qint64 size)
{
    const qint64 kilobytes = size / 1024;
    if (kilobytes <= 9)
        return QString::number(size) + QStringLiteral(" B");
    return QString::number(kilobytes) + QStringLiteral(" KB");
}

QString FoundFile::modifiedText(const QDateTime &modified)
{
    return QLocale::c().toString(modified.toUTC(), QStringLiteral("dd-MM-yyyy hh:mm AP"));
}

namespace {

// A name mask: "*" and "*.*" take every name; "*" + plain text + "*" is a search for that text
// without regard to case (bytes when the text is ASCII, the usual case, so names are decoded only
// when they match); anything else is matched as a wildcard pattern.
class NameMask
{
public:
    explicit NameMask(const QString &mask)
    {
        if (mask.isEmpty() || mask == u"*" || mask == u"*.*") {
            m_kind = Kind::All;
            return;
        }
        const QString inner = mask.mid(1, mask.size() - 2);
        if (mask.size() >= 2 && mask.startsWith(u'*') && mask.endsWith(u'*') && !inner.contains(u'*')
            && !inner.contains(u'?')) {
            bool ascii = true;
            for (QChar c : inner)
                ascii = ascii && c.unicode() < 0x80;
            if (ascii) {
                m_kind = Kind::AsciiPart;
                m_part = inner.toLatin1().toLower();
            } else {
                m_kind = Kind::Part;
                m_text = inner.toCaseFolded();
            }
            return;
        }
        m_kind = Kind::Pattern;
        m_text = mask.toCaseFolded();
    }

    bool matches(const char *name, size_t length) const
    {
        switch (m_kind) {
        case Kind::All: return true;
        case Kind::AsciiPart: return containsAscii(name, length);
        case Kind::Part:
            return QFile::decodeName(QByteArray::fromRawData(name, qsizetype(length))).toCaseFolded().contains(m_text);
        case Kind::Pattern:
            return wildcard(QFile::decodeName(QByteArray::fromRawData(name, qsizetype(length))).toCaseFolded(), m_text);
        }
        return false;
    }

private:
    enum class Kind { All, AsciiPart, Part, Pattern };

    bool containsAscii(const char *name, size_t length) const
    {
        const size_t n = size_t(m_part.size());
        if (n == 0)
            return true;
        if (length < n)
            return false;
        const char first = m_part.at(0);
        const char firstUpper = char(first >= 'a' && first <= 'z' ? first - 32 : first);
        for (size_t i = 0; i + n <= length; ++i) {
            if (name[i] != first && name[i] != firstUpper)
                continue;
            size_t k = 1;
            for (; k < n; ++k) {
                char c = name[i + k];
                if (c >= 'A' && c <= 'Z')
                    c = char(c + 32);
                if (c != m_part.at(qsizetype(k)))
                    break;
            }
            if (k == n)
                return true;
        }
        return false;
    }

    // "*" any run of characters, "?" one.
    static bool wildcard(const QString &name, const QString &pattern)
    {
        qsizetype n = 0, p = 0, starP = -1, starN = 0;
        while (n < name.size()) {
            if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
                ++n;
                ++p;
            } else if (p < pattern.size() && pattern[p] == u'*') {
                starP = p++;
                starN = n;
            } else if (starP >= 0) {
                p = starP + 1;
                n = ++starN;
            } else {
                return false;
            }
        }
        while (p < pattern.size() && pattern[p] == u'*')
            ++p;
        return p == pattern.size();
    }

    Kind m_kind = Kind::All;
    QByteArray m_part;
    QString m_text;
};

struct ListedEntry
{
    QByteArray name;
    unsigned char type; // DT_* of the listing
};

bool within(const QDateTime &t, const QDateTime &from, const QDateTime &to)
{
    return (!from.isValid() || t >= from) && (!to.isValid() || t <= to);
}

QDateTime fromStatx(const struct statx_timestamp &t)
{
    return QDateTime::fromMSecsSinceEpoch(qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000, QTimeZone::utc());
}

class Walk
{
public:
    Walk(const FolderSearchOptions &options, QList<FoundFile> &results, QString &current,
         const std::atomic<bool> &stop, const FolderSearch::Callback &callback)
        : m_options(options), m_mask(options.fileMask), m_text(options.text), m_results(results),
          m_current(current), m_stop(stop), m_callback(callback)
    {
    }

    // The folder named from its parent's descriptor. Below the starting folder a link is never
    // followed, so that a link loop cannot keep the walk going.
    void folder(int parentFd, const char *name, const QString &path, bool start = false)
    {
        const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | (start ? 0 : O_NOFOLLOW));
        if (fd < 0)
            return; // unreadable: contributes nothing
        const std::vector<ListedEntry> entries = list(fd);
        if (m_options.recursive) {
            for (const ListedEntry &e : entries) {
                if (stopped())
                    break;
                if (e.type == DT_DIR)
                    folder(fd, e.name.constData(), path + QFile::decodeName(e.name) + u'/');
            }
        }
        if (!stopped()) {
            m_current = path;
            report(FolderSearch::Folder);
            for (const ListedEntry &e : entries) {
                if (stopped())
                    break;
                if (m_mask.matches(e.name.constData(), size_t(e.name.size())))
                    test(fd, e, path);
            }
        }
        ::close(fd);
    }

private:
    bool stopped() const { return m_stop.load(std::memory_order_relaxed); }

    void report(FolderSearch::Code code) const
    {
        if (m_callback)
            m_callback(code);
    }

    // The entries of an open folder other than "." and "..", in name order, their type known.
    static std::vector<ListedEntry> list(int fd)
    {
        std::vector<ListedEntry> entries;
        const int copy = ::dup(fd);
        if (copy < 0)
            return entries;
        DIR *dir = ::fdopendir(copy);
        if (!dir) {
            ::close(copy);
            return entries;
        }
        while (const dirent *d = ::readdir(dir)) {
            if (d->d_name[0] == '.' && (d->d_name[1] == 0 || (d->d_name[1] == '.' && d->d_name[2] == 0)))
                continue;
            unsigned char type = d->d_type;
            if (type == DT_UNKNOWN) {
                struct stat st;
                if (::fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
                    type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : S_ISLNK(st.st_mode) ? DT_LNK : DT_FIFO;
            }
            entries.push_back({QByteArray(d->d_name), type});
        }
        ::closedir(dir);
        std::sort(entries.begin(), entries.end(), [](const ListedEntry &a, const ListedEntry &b) { return a.name < b.name; });
        return entries;
    }

    void test(int fd, const ListedEntry &e, const QString &path)
    {
        // A link is taken for what it points to; one to a folder is listed but was not entered.
        struct statx sx;
        const unsigned want = STATX_TYPE | STATX_SIZE | STATX_MTIME | STATX_ATIME | STATX_BTIME;
        const int flags = e.type == DT_LNK ? 0 : AT_SYMLINK_NOFOLLOW;
        if (::statx(fd, e.name.constData(), flags | AT_STATX_SYNC_AS_STAT, want, &sx) != 0) {
            report(FolderSearch::Rejected);
            return;
        }
        const bool isFolder = S_ISDIR(sx.stx_mode);
        const bool isFile = S_ISREG(sx.stx_mode);
        const unsigned filters = m_options.filters;
        const qint64 size = isFile ? qint64(sx.stx_size) : 0;
        bool pass = true;
        if (filters & FolderSearchOptions::AttributeFilter)
            pass = isFolder || isFile;
        if (pass && (filters & FolderSearchOptions::SizeFilter))
            pass = size >= m_options.minSize && size <= m_options.maxSize;
        const QDateTime written = fromStatx(sx.stx_mtime);
        if (pass && (filters & FolderSearchOptions::WrittenFilter))
            pass = within(written, m_options.writtenFrom, m_options.writtenTo);
        if (pass && (filters & FolderSearchOptions::CreatedFilter))
            pass = (sx.stx_mask & STATX_BTIME) && within(fromStatx(sx.stx_btime), m_options.createdFrom, m_options.createdTo);
        if (pass && (filters & FolderSearchOptions::AccessedFilter))
            pass = within(fromStatx(sx.stx_atime), m_options.accessedFrom, m_options.accessedTo);
        if (pass && (filters & FolderSearchOptions::TextFilter))
            pass = isFile && textFound(fd, e.name.constData(), flags);
        if (!pass) {
            report(FolderSearch::Rejected);
            return;
        }
        m_results.append({QFile::decodeName(e.name), path, size, written, isFolder});
        report(FolderSearch::Found);
    }

    bool textFound(int dirFd, const char *name, int flags)
    {
        const int fd = ::openat(dirFd, name, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (flags ? O_NOFOLLOW : 0));
        if (fd < 0)
            return false;
        const bool found = m_text.matchesFd(fd, [this] { report(FolderSearch::TextProgress); }, &m_stop);
        ::close(fd);
        return found;
    }

    const FolderSearchOptions &m_options;
    NameMask m_mask;
    FileTextMatcher m_text;
    QList<FoundFile> &m_results;
    QString &m_current;
    const std::atomic<bool> &m_stop;
    const FolderSearch::Callback &m_callback;
};

} // namespace

bool FolderSearch::run(const FolderSearchOptions &options)
{
    m_results.clear();
    m_folder.clear();
    QString start = QDir::cleanPath(QDir(options.folder).absolutePath());
    if (!start.endsWith(u'/'))
        start += u'/';
    Walk walk(options, m_results, m_folder, m_stop, m_callback);
    walk.folder(AT_FDCWD, QFile::encodeName(start).constData(), start, true);
    return !stopRequested();
}

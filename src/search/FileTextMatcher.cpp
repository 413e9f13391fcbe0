#include "FileTextMatcher.h"

#include "base/Cp1256.h"

#include <QFile>

#include <cstring>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray folded(const QByteArray &bytes)
{
    QByteArray out(bytes.size(), Qt::Uninitialized);
    out.resize(FileTextMatcher::fold(bytes.constData(), bytes.size(), out.data()));
    return out;
}

bool hasNonAscii(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() > 0x7f)
            return true;
    }
    return false;
}

// Reads until the buffer is full or the file ends; -1 on a read error.
qsizetype readFully(int fd, char *buffer, qsizetype size)
{
    qsizetype done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, buffer + done, size_t(size - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

} // namespace

FileTextMatcher::FileTextMatcher(const QString &text, qsizetype blockSize) : m_blockSize(qMax<qsizetype>(blockSize, 1))
{
    if (text.isEmpty())
        return;
    const QByteArray utf8 = folded(text.toUtf8());
    if (!utf8.isEmpty())
        m_needles.append(utf8);
    if (hasNonAscii(text)) {
        if (const Result<QByteArray> cp = Cp1256::encode(text); cp.ok()) {
            const QByteArray single = folded(*cp);
            if (!single.isEmpty() && single != utf8)
                m_needles.append(single);
        }
    }
    for (const QByteArray &n : std::as_const(m_needles))
        m_longest = qMax(m_longest, n.size());
}

qsizetype FileTextMatcher::fold(const char *in, qsizetype size, char *out)
{
    // Most blocks hold no zero byte: then the letters are folded sixteen at a time.
    if (!std::memchr(in, 0, size_t(size))) {
        typedef unsigned char Lanes __attribute__((vector_size(16)));
        qsizetype i = 0;
        for (; i + 16 <= size; i += 16) {
            Lanes v;
            std::memcpy(&v, in + i, 16);
            const Lanes lower = (Lanes)((v - 'a') < 26);
            v -= lower & 32;
            std::memcpy(out + i, &v, 16);
        }
        for (; i < size; ++i) {
            const auto c = static_cast<unsigned char>(in[i]);
            out[i] = char(static_cast<unsigned char>(c - 'a') < 26 ? c - 32 : c);
        }
        return size;
    }
    qsizetype k = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(in[i]);
        out[k] = char(static_cast<unsigned char>(c - 'a') < 26 ? c - 32 : c);
        k += c != 0;
    }
    return k;
}

bool FileTextMatcher::matches(const QString &path, const std::function<void()> &progress,
                              const std::atomic<bool> *stop) const
{
    if (m_needles.isEmpty())
        return false;
    // Non-blocking, so that a fifo put in place of the file cannot hold the walk.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    const bool found = matchesFd(fd, progress, stop);
    ::close(fd);
    return found;
}

bool FileTextMatcher::matchesFd(int fd, const std::function<void()> &progress, const std::atomic<bool> *stop) const
{
    if (m_needles.isEmpty())
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    // The last (longest - 1) folded bytes of a block are kept in front of the next one.
    const qsizetype keep = m_longest - 1;
    const auto raw = std::make_unique<char[]>(size_t(m_blockSize));
    const auto text = std::make_unique<char[]>(size_t(keep + m_blockSize));
    qsizetype carried = 0;
    for (qint64 block = 1;; ++block) {
        if (stop && stop->load(std::memory_order_relaxed))
            return false;
        const qsizetype n = readFully(fd, raw.get(), m_blockSize);
        if (n <= 0)
            return false;
        const qsizetype length = carried + fold(raw.get(), n, text.get() + carried);
        for (const QByteArray &needle : m_needles) {
            if (length >= needle.size()
                && ::memmem(text.get(), size_t(length), needle.constData(), size_t(needle.size())))
                return true;
        }
        if (n < m_blockSize)
            return false;
        carried = qMin(keep, length);
        std::memmove(text.get(), text.get() + length - carried, size_t(carried));
        if (progress && block % 10 == 0)
            progress();
    }
}

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <functional>

// Whether a file holds a text. The file is read in blocks; zero bytes are dropped and ASCII
// letters upper-cased before comparing, so a text stored as two-byte characters, or with any
// other zero bytes between its letters, is found as well, and so is one that spans two blocks.
// An Arabic text is looked for both as UTF-8 and in code page 1256 (Arabic letters have no case).
class FileTextMatcher
{
public:
    // Blocks of this many bytes are read; what spans two of them is found through an overlap
    // kept from the previous block.
    static constexpr qsizetype kBlockSize = 1 << 20;

    explicit FileTextMatcher(const QString &text, qsizetype blockSize = kBlockSize);

    // The byte forms looked for, already folded.
    const QList<QByteArray> &needles() const { return m_needles; }

    // An empty text never matches; nor does a file that cannot be opened or that is not a regular
    // file (a device, socket or fifo is never opened for reading). `progress` is called after
    // every tenth block; a set `stop` ends the reading without a match.
    bool matches(const QString &path, const std::function<void()> &progress = {},
                 const std::atomic<bool> *stop = nullptr) const;
    // The same on a file already open for reading.
    bool matchesFd(int fd, const std::function<void()> &progress = {}, const std::atomic<bool> *stop = nullptr) const;

    // Drops zero bytes and upper-cases ASCII letters from `in` into `out`; the bytes written.
    static qsizetype fold(const char *in, qsizetype size, char *out);

private:
    QList<QByteArray> m_needles;
    qsizetype m_longest = 0;
    qsizetype m_blockSize;
};

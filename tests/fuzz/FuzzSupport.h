#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What every fuzz program shares. A broken invariant prints what broke (and, when replaying, the
// input it broke on) and aborts, so that libFuzzer keeps the input as a crash and the replay test
// fails on it.
namespace Fuzz {

// Set by the replay program to the file being fed; empty under libFuzzer, which names the input
// itself.
inline QByteArray &currentInput()
{
    static QByteArray name;
    return name;
}

[[noreturn]] inline void fail(const char *what, const char *file, int line)
{
    std::fprintf(stderr, "fuzz invariant broken at %s:%d: %s%s%s\n", file, line, what,
                 currentInput().isEmpty() ? "" : " on input ", currentInput().constData());
    std::abort();
}

inline QByteArray bytesOf(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// A folder of the fuzz program's own for readers that read files, emptied for every input so that
// one input never sees another's files.
inline QString scratchFolder()
{
    static QTemporaryDir dir;
    QDir(dir.path()).removeRecursively();
    QDir().mkpath(dir.path());
    return dir.path();
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Splits one input into parts at a separator line, so that one harness can feed several files.
inline QList<QByteArray> parts(const QByteArray &input, int count)
{
    static const QByteArray separator("\n--8<--\n");
    QList<QByteArray> out;
    qsizetype at = 0;
    for (int i = 0; i + 1 < count; ++i) {
        const qsizetype next = input.indexOf(separator, at);
        if (next < 0)
            break;
        out.append(input.mid(at, next - at));
        at = next + separator.size();
    }
    out.append(input.mid(at));
    while (out.size() < count)
        out.append(QByteArray());
    return out;
}

} // namespace Fuzz

#define FUZZ_EXPECT(condition)                                                                      \
    do {                                                                                            \
        if (!(condition))                                                                           \
            ::Fuzz::fail(#condition, __FILE__, __LINE__);                                           \
    } while (false)

#pragma once

#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <unistd.h>

// Writes all of data to the file descriptor, a megabyte at a time at most, again after a signal;
// false on an error or a write that takes nothing (a closed pipe, a full disk).
inline bool writeAll(int fd, const char *data, qint64 size)
{
    constexpr qint64 kChunk = 1024 * 1024;
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(std::min(size, kChunk)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

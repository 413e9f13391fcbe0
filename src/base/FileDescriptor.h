#pragma once

#include <QString>

// An open file descriptor of the system, closed when it goes.
class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    void reset(int fd = -1);
    int release();
    // Closes it now, for a caller that must know whether the close succeeded.
    int close();

private:
    int m_fd;
};

// Makes the names made, renamed and removed in the folder last through a power cut; false when
// the folder cannot be opened or synced.
bool syncFolder(const QString &folder);

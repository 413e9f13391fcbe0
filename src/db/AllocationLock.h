#pragma once

#include "base/Result.h"

#include <QString>

#include <chrono>
#include <functional>

// The card-number allocation lock shared by every workstation: the one-byte file "LK.txt" in the
// database folder, 'A' when free and 'B' when taken. The holder also keeps a kernel lock on the
// file for as long as it holds it, so taking the lock is atomic, and a 'B' that nobody holds a
// kernel lock on was left by a process that died: it is taken over.
class AllocationLock
{
public:
    static constexpr char kFree = 'A';
    static constexpr char kTaken = 'B';
    static constexpr std::chrono::milliseconds kPollInterval{200};

    explicit AllocationLock(QString databaseFolder);
    ~AllocationLock(); // releases a held lock
    AllocationLock(const AllocationLock &) = delete;
    AllocationLock &operator=(const AllocationLock &) = delete;

    enum class Attempt { Taken, Busy, Failed };

    // One try, without waiting. After Failed, error() says why.
    Attempt tryAcquire();
    // Tries every poll interval until the lock is taken, `cancelled` answers true (checked before
    // every wait) or the lock file cannot be used.
    Status acquire(const std::function<bool()> &cancelled = {},
                   std::chrono::milliseconds poll = kPollInterval);
    Status release();

    bool held() const { return m_fd >= 0; }
    bool tookOverStale() const { return m_tookOverStale; }
    const QString &error() const { return m_error; }

    static QString path(const QString &databaseFolder);
    // What acquire answers when its wait is given up.
    static QString cancelledMessage();
    // Writes 'A' in place of whatever the file holds (the settings form's reset). A live holder
    // keeps its kernel lock, so others still wait for it to finish.
    static Status reset(const QString &databaseFolder);
    // Creates the file holding 'A' when it is missing.
    static Status ensureExists(const QString &databaseFolder);

private:
    QString m_path;
    int m_fd = -1;
    bool m_tookOverStale = false;
    QString m_error;
};

#pragma once

#include "base/Result.h"

#include <QCoreApplication>

#include <functional>
#include <memory>

class AllocationLock;
class QWidget;

// Takes the card numbers' allocation lock for a window without blocking it: at once when the lock
// is free; while another workstation holds it, by a wait on a thread of its own which, after a
// few polls, shows as a progress window over `parent` that the user can cancel.
class AllocationLockWait
{
    Q_DECLARE_TR_FUNCTIONS(AllocationLockWait)

public:
    using Done = std::function<void(const Result<std::shared_ptr<AllocationLock>> &)>;

    // Calls `done` with the lock, or with why there is none (the lock file cannot be used, the
    // user gave up); never before this call returns when it has to wait.
    static void take(QWidget *parent, const QString &databaseFolder, const Done &done);
};

#include "AllocationWait.h"

AllocationWait::AllocationWait(QString databaseFolder, QObject *parent)
    : QObject(parent), m_folder(std::move(databaseFolder)), m_loader(new BackgroundLoader(this))
{
}

AllocationWait::~AllocationWait() { cancel(); }

QString AllocationWait::cancelledMessage() { return AllocationLock::cancelledMessage(); }

bool AllocationWait::isWaiting() const { return m_loader->isRunning(); }

void AllocationWait::cancel()
{
    // A lock on its way to the receiver is dropped with the delivery, and released with it.
    m_loader->stop(BackgroundLoader::Pending::Drop, kStopWaitMs);
}

void AllocationWait::start(std::chrono::milliseconds poll)
{
    m_loader->start([folder = m_folder, poll, wait = this](const BackgroundLoader::Run &run) {
        auto lock = std::make_shared<AllocationLock>(folder);
        const Status taken = lock->acquire([&run] { return run.stopRequested(); }, poll);
        if (run.stopRequested())
            return; // given up: a lock taken meanwhile goes with `lock`
        if (taken)
            run.deliver([wait, lock] { Q_EMIT wait->acquired(lock); });
        else
            run.deliver([wait, message = taken.error()] { Q_EMIT wait->failed(message); });
    });
}

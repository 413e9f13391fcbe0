#pragma once

#include "base/BackgroundLoader.h"
#include "db/AllocationLock.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <memory>

// Waits for the card-number allocation lock on a thread of its own while another workstation
// holds it, so that the window stays usable and the user can give the wait up. The lock taken is
// handed to the receiver of `acquired`; a lock taken after the wait was given up is released again
// at once, never kept.
class AllocationWait : public QObject
{
    Q_OBJECT

public:
    static constexpr int kStopWaitMs = BackgroundLoader::kStopWaitMs;

    explicit AllocationWait(QString databaseFolder, QObject *parent = nullptr);
    ~AllocationWait() override;

    // Tries every poll interval until the lock is taken or the lock file cannot be used.
    void start(std::chrono::milliseconds poll = AllocationLock::kPollInterval);
    // Gives the wait up; nothing is sent after it.
    void cancel();
    bool isWaiting() const;

    // The text of a wait the user gave up.
    static QString cancelledMessage();

signals:
    void acquired(std::shared_ptr<AllocationLock> lock);
    // The lock file cannot be used; the message is for the user.
    void failed(const QString &message);

private:
    QString m_folder;
    BackgroundLoader *m_loader;
};

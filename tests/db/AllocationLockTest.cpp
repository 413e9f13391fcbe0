#include "common/TestArchive.h"
#include "db/AllocationLock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <thread>

using namespace std::chrono_literals;

namespace {

QByteArray lockByte(const QString &folder)
{
    QFile f(AllocationLock::path(folder));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void setLockByte(const QString &folder, const QByteArray &bytes)
{
    QFile f(AllocationLock::path(folder));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QString worker()
{
    const QString dir = qEnvironmentVariable("DOVRELLE_TEST_BIN", QCoreApplication::applicationDirPath());
    return dir + QStringLiteral("/lock_worker");
}

} // namespace

TEST(AllocationLockFile, TakingWritesBAndReleasingWritesA)
{
    QTemporaryDir dir;
    // A missing lock file is created, and counts as free.
    AllocationLock lock(dir.path());
    ASSERT_EQ(lock.tryAcquire(), AllocationLock::Attempt::Taken);
    EXPECT_FALSE(lock.tookOverStale());
    EXPECT_EQ(lockByte(dir.path()), QByteArray("B"));
    ASSERT_TRUE(lock.release().ok());
    EXPECT_EQ(lockByte(dir.path()), QByteArray("A"));
    {
        AllocationLock scoped(dir.path());
        ASSERT_TRUE(scoped.acquire().ok());
    }
    EXPECT_EQ(lockByte(dir.path()), QByteArray("A")) << "a lock going out of scope is released";
}

TEST(AllocationLockFile, ALiveHolderKeepsOthersWaitingEvenAfterAReset)
{
    QTemporaryDir dir;
    AllocationLock holder(dir.path());
    ASSERT_EQ(holder.tryAcquire(), AllocationLock::Attempt::Taken);
    AllocationLock other(dir.path());
    EXPECT_EQ(other.tryAcquire(), AllocationLock::Attempt::Busy);
    ASSERT_TRUE(AllocationLock::reset(dir.path()).ok());
    EXPECT_EQ(lockByte(dir.path()), QByteArray("A"));
    EXPECT_EQ(other.tryAcquire(), AllocationLock::Attempt::Busy);
    ASSERT_TRUE(holder.release().ok());
    EXPECT_EQ(other.tryAcquire(), AllocationLock::Attempt::Taken);
}

TEST(AllocationLockFile, AStaleBIsTakenOver)
{
    QTemporaryDir dir;
    setLockByte(dir.path(), "B");
    AllocationLock lock(dir.path());
    ASSERT_EQ(lock.tryAcquire(), AllocationLock::Attempt::Taken);
    EXPECT_TRUE(lock.tookOverStale());
    EXPECT_EQ(lockByte(dir.path()), QByteArray("B"));
}

TEST(AllocationLockFile, AWaiterContinuesWithinAPollOfTheRelease)
{
    QTemporaryDir dir;
    AllocationLock holder(dir.path());
    ASSERT_EQ(holder.tryAcquire(), AllocationLock::Attempt::Taken);
    std::atomic<qint64> takenAt{0};
    QElapsedTimer clock;
    clock.start();
    std::thread waiter([&] {
        AllocationLock lock(dir.path());
        if (lock.acquire().ok())
            takenAt = clock.nsecsElapsed();
    });
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(takenAt.load(), 0) << "the waiter must not get a held lock";
    const qint64 releasedAt = clock.nsecsElapsed();
    ASSERT_TRUE(holder.release().ok());
    waiter.join();
    ASSERT_GT(takenAt.load(), 0);
    EXPECT_LT((takenAt.load() - releasedAt) / 1000000, 350);
}

TEST(AllocationLockFile, CancelledWaitGivesUpWithAMessage)
{
    QTemporaryDir dir;
    AllocationLock holder(dir.path());
    ASSERT_EQ(holder.tryAcquire(), AllocationLock::Attempt::Taken);
    int rounds = 0;
    AllocationLock waiter(dir.path());
    const Status s = waiter.acquire([&] { return ++rounds >= 3; }, 10ms);
    EXPECT_FALSE(s.ok());
    EXPECT_FALSE(s.error().isEmpty());
    EXPECT_EQ(rounds, 3);
    EXPECT_FALSE(waiter.held());
}

TEST(AllocationLockFile, UnusableLockFileIsAnError)
{
    QTemporaryDir dir;
    AllocationLock lock(dir.path() + QStringLiteral("/missing-folder"));
    EXPECT_EQ(lock.tryAcquire(), AllocationLock::Attempt::Failed);
    EXPECT_TRUE(lock.error().contains(QStringLiteral("LK.txt")));
    EXPECT_FALSE(lock.acquire().ok());
}

TEST(AllocationLockFile, AKilledHolderIsTakenOverWithinASecond)
{
    QTemporaryDir dir;
    ASSERT_TRUE(AllocationLock::reset(dir.path()).ok());
    QProcess holder;
    holder.start(worker(), {QStringLiteral("hold"), dir.path()});
    ASSERT_TRUE(holder.waitForReadyRead(10000)) << holder.readAllStandardError().toStdString();
    EXPECT_EQ(holder.readAllStandardOutput().trimmed(), QByteArray("held"));
    AllocationLock waiting(dir.path());
    EXPECT_EQ(waiting.tryAcquire(), AllocationLock::Attempt::Busy);

    ::kill(pid_t(holder.processId()), SIGKILL);
    ASSERT_TRUE(holder.waitForFinished(5000));
    EXPECT_EQ(lockByte(dir.path()), QByteArray("B")) << "the killed holder leaves its B behind";

    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(waiting.acquire().ok());
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_TRUE(waiting.tookOverStale());
}



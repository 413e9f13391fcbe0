#include "base/BackgroundLoader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace {

// Serves the owner's events until `done` answers true or the time is up.
bool serveUntil(const std::function<bool()> &done, int timeoutMs = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

// Waits without serving any event, so that what a job posts stays queued.
bool waitQuietly(const std::atomic<bool> &flag, int timeoutMs = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (!flag.load()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QThread::msleep(2);
    }
    return true;
}

// What reached the owner's thread, in arrival order.
struct Received
{
    std::vector<int> values;
    std::vector<int> finishedGenerations;
    std::vector<bool> onOwnerThread;

    void listen(BackgroundLoader &loader)
    {
        QObject::connect(&loader, &BackgroundLoader::finished, &loader,
                         [this](int generation) { finishedGenerations.push_back(generation); });
    }
    // A job that delivers `from` .. `to` - 1 and returns.
    BackgroundLoader::Job counting(int from, int to)
    {
        return [this, from, to](const BackgroundLoader::Run &run) {
            for (int v = from; v < to && !run.stopRequested(); ++v)
                run.deliver([this, v] {
                    values.push_back(v);
                    onOwnerThread.push_back(QThread::currentThread() == QCoreApplication::instance()->thread());
                });
        };
    }
};

} // namespace

TEST(BackgroundLoader, ResultsArriveInOrderOnTheOwnersThreadThenFinished)
{
    BackgroundLoader loader;
    Received got;
    got.listen(loader);
    const int generation = loader.start(got.counting(0, 2000));
    EXPECT_TRUE(loader.isRunning());
    ASSERT_TRUE(serveUntil([&] { return !got.finishedGenerations.empty(); }));
    EXPECT_FALSE(loader.isRunning());
    ASSERT_EQ(got.values.size(), 2000u);
    for (int v = 0; v < 2000; ++v)
        ASSERT_EQ(got.values[size_t(v)], v);
    EXPECT_EQ(got.onOwnerThread, std::vector<bool>(2000, true));
    EXPECT_EQ(got.finishedGenerations, std::vector<int>{generation});
}

TEST(BackgroundLoader, ResultsOfAnOlderRequestStillQueuedAreDropped)
{
    BackgroundLoader loader;
    Received got;
    got.listen(loader);
    std::atomic<bool> firstDone{false};
    loader.start([&](const BackgroundLoader::Run &run) {
        got.counting(0, 50)(run);
        firstDone = true;
    });
    // The first job has posted all it made, and nothing has been served yet.
    ASSERT_TRUE(waitQuietly(firstDone));
    const int second = loader.start(got.counting(100, 110));
    ASSERT_TRUE(serveUntil([&] { return !got.finishedGenerations.empty(); }));
    serveUntil([] { return false; }, 100);
    std::vector<int> expected;
    for (int v = 100; v < 110; ++v)
        expected.push_back(v);
    EXPECT_EQ(got.values, expected);
    EXPECT_EQ(got.finishedGenerations, std::vector<int>{second});
    EXPECT_FALSE(loader.isCurrent(second - 1));
}

TEST(BackgroundLoader, StopCanKeepOrDropWhatWasAlreadySent)
{
    for (const auto pending : {BackgroundLoader::Pending::Deliver, BackgroundLoader::Pending::Drop}) {
        BackgroundLoader loader;
        Received got;
        got.listen(loader);
        std::atomic<bool> sent{false};
        loader.start([&](const BackgroundLoader::Run &run) {
            got.counting(0, 5)(run);
            sent = true;
            // Until asked: the stop must reach a job that waits for it.
            while (!run.stopRequested())
                QThread::msleep(1);
        });
        ASSERT_TRUE(waitQuietly(sent));
        EXPECT_TRUE(loader.stop(pending));
        EXPECT_FALSE(loader.isRunning());
        serveUntil([] { return false; }, 100);
        if (pending == BackgroundLoader::Pending::Deliver) {
            EXPECT_EQ(got.values, (std::vector<int>{0, 1, 2, 3, 4}));
            EXPECT_EQ(got.finishedGenerations.size(), 1u);
        } else {
            EXPECT_TRUE(got.values.empty());
            EXPECT_TRUE(got.finishedGenerations.empty());
        }
    }
}

TEST(BackgroundLoader, AJobCanStopItselfAndThatEndsOnlyItsOwnRun)
{
    BackgroundLoader loader;
    Received got;
    got.listen(loader);
    loader.start([&](const BackgroundLoader::Run &run) {
        for (int v = 0; !run.stopRequested(); ++v) {
            run.deliver([&got, v] { got.values.push_back(v); });
            if (v == 9)
                loader.requestStop();
        }
    });
    ASSERT_TRUE(serveUntil([&] { return !got.finishedGenerations.empty(); }));
    EXPECT_EQ(got.values.size(), 10u);
    // A stop asked of the ended run does not stop the next one.
    loader.requestStop();
    got.finishedGenerations.clear();
    got.values.clear();
    loader.start(got.counting(0, 3));
    ASSERT_TRUE(serveUntil([&] { return !got.finishedGenerations.empty(); }));
    EXPECT_EQ(got.values, (std::vector<int>{0, 1, 2}));
}

TEST(BackgroundLoader, StopOfABusyJobReturnsWithinTheBoundAndTheLateJobIsIgnored)
{
    constexpr int kBoundMs = 300;
    auto release = std::make_shared<std::atomic<bool>>(false);
    auto sawStop = std::make_shared<std::atomic<bool>>(false);
    auto returned = std::make_shared<std::atomic<bool>>(false);
    BackgroundLoader loader;
    Received got;
    got.listen(loader);
    std::atomic<bool> busy{false};
    loader.start([&got, &busy, release, sawStop, returned](const BackgroundLoader::Run &run) {
        busy = true;
        // Stuck in a call that does not look at the stop (a disk that does not answer).
        while (!release->load())
            QThread::msleep(5);
        *sawStop = run.stopRequested() && run.stopFlag()->load();
        run.deliver([&got] { got.values.push_back(-1); });
        *returned = true;
    });
    ASSERT_TRUE(waitQuietly(busy));

    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(loader.stop(BackgroundLoader::Pending::Deliver, kBoundMs));
    const qint64 took = clock.elapsed();
    EXPECT_GE(took, kBoundMs - 20);
    EXPECT_LT(took, kBoundMs + 700);
    EXPECT_FALSE(loader.isRunning());

    // The loader is free at once; the job left behind sends nothing that arrives.
    const int next = loader.start(got.counting(7, 9));
    ASSERT_TRUE(serveUntil([&] { return !got.finishedGenerations.empty(); }));
    *release = true;
    ASSERT_TRUE(waitQuietly(*returned));
    serveUntil([] { return false; }, 200);
    EXPECT_TRUE(sawStop->load());
    EXPECT_EQ(got.values, (std::vector<int>{7, 8}));
    EXPECT_EQ(got.finishedGenerations, std::vector<int>{next});
}

TEST(BackgroundLoader, DestroyingTheLoaderWhileItsJobIsBusyReturnsWithinTheBound)
{
    auto release = std::make_shared<std::atomic<bool>>(false);
    auto returned = std::make_shared<std::atomic<bool>>(false);
    auto delivered = std::make_shared<std::atomic<int>>(0);
    std::atomic<bool> busy{false};
    {
        auto loader = std::make_unique<BackgroundLoader>();
        loader->start([&busy, release, returned, delivered](const BackgroundLoader::Run &run) {
            busy = true;
            while (!release->load())
                QThread::msleep(5);
            run.deliver([delivered] { ++*delivered; });
            *returned = true;
        });
        ASSERT_TRUE(waitQuietly(busy));
        QElapsedTimer clock;
        clock.start();
        loader.reset();
        EXPECT_LT(clock.elapsed(), BackgroundLoader::kStopWaitMs + 700);
    }
    // The job outlives its loader and posts to nobody; its thread goes when it returns.
    *release = true;
    ASSERT_TRUE(waitQuietly(*returned));
    serveUntil([] { return false; }, 200);
    EXPECT_EQ(delivered->load(), 0);
}

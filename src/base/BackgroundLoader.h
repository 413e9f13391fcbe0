#pragma once

#include <QObject>
#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>

class QThread;

// The one way the program runs long work off the window's thread: a job runs on a thread of its
// own and hands what it makes to the thread that owns the loader, one queued delivery at a time,
// in the order it made them.
//
// Every start begins a new generation, and a delivery arrives only while its generation is still
// the current one: what an earlier request still has on its way when a new one starts never
// reaches the owner.
//
// A stop asks the job to end and waits for it at most the stop bound. A job that does not end in
// time (it is stuck in a call on a file or a disk that does not answer) is left behind: its
// generation is made stale, so nothing it still sends arrives and it is not reported as finished,
// its thread deletes itself when the job finally returns, and the loader can start again at once.
// A job must therefore work only on what it was given by value and on its Run.
class BackgroundLoader : public QObject
{
    Q_OBJECT

public:
    static constexpr int kStopWaitMs = 2000;

    struct Shared;
    struct RunState;

    // What a running job sees of its run. Cheap to copy; usable from any thread.
    class Run
    {
    public:
        int generation() const { return m_generation; }
        // No newer request has replaced this one (a stop that keeps what was sent leaves it current).
        bool current() const;
        // A stop was asked for, or a newer request replaced this one: the job should end.
        bool stopRequested() const;
        // Set once stopRequested() would answer true, for waits that watch a flag.
        const std::atomic<bool> *stopFlag() const;
        // Runs `delivery` on the owner's thread after everything this run delivered before, unless
        // the run is no longer the current one by then.
        void deliver(std::function<void()> delivery) const;

    private:
        friend class BackgroundLoader;
        std::shared_ptr<Shared> m_shared;
        std::shared_ptr<RunState> m_state;
        int m_generation = 0;
    };

    using Job = std::function<void(const Run &run)>;

    // What happens to what a stopped job delivered but the owner has not received yet.
    enum class Pending {
        Deliver, // it still arrives (the job ended in time; a job left behind drops it anyway)
        Drop,    // it never arrives
    };

    explicit BackgroundLoader(QObject *parent = nullptr);
    // Stops the job, dropping what it has not delivered, at most kStopWaitMs.
    ~BackgroundLoader() override;

    // Stops the running job (dropping what it still has on its way) and starts `job` on a new
    // thread. Returns the new generation.
    int start(Job job);
    // Asks the running job to end and waits for it, at most waitMs. True when it ended in time or
    // nothing was running; false when it was left behind.
    bool stop(Pending pending = Pending::Drop, int waitMs = kStopWaitMs);
    // Asks the running job to end without waiting; safe from any thread, the job's own included.
    void requestStop();

    // From the start until its finished has arrived, or until it is stopped.
    bool isRunning() const;
    int generation() const;
    bool isCurrent(int generation) const;

signals:
    // The job of this generation has returned, after everything it delivered has arrived. Not
    // sent for a job that was replaced, dropped or left behind.
    void finished(int generation);

private:
    std::shared_ptr<Shared> m_shared;
    QPointer<QThread> m_thread;
};

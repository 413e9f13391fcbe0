#include "BackgroundLoader.h"

#include <QDeadlineTimer>
#include <QMetaObject>
#include <QThread>

#include <mutex>

// What the loader and its jobs share. The owner is cleared under the mutex before the loader goes,
// so a job never posts to a loader that is being destroyed; what was posted before is removed
// with the loader's own posted events.
struct BackgroundLoader::Shared
{
    std::mutex mutex;
    BackgroundLoader *owner = nullptr;
    std::atomic<int> generation{0};
    std::atomic<bool> running{false};
    std::shared_ptr<RunState> current;
};

struct BackgroundLoader::RunState
{
    std::atomic<bool> stop{false};
};

bool BackgroundLoader::Run::stopRequested() const
{
    return m_state->stop.load() || m_shared->generation.load() != m_generation;
}

bool BackgroundLoader::Run::current() const { return m_shared->generation.load() == m_generation; }

const std::atomic<bool> *BackgroundLoader::Run::stopFlag() const { return &m_state->stop; }

void BackgroundLoader::Run::deliver(std::function<void()> delivery) const
{
    const std::lock_guard lock(m_shared->mutex);
    BackgroundLoader *owner = m_shared->owner;
    if (!owner || m_shared->generation.load() != m_generation)
        return;
    // Checked again on arrival: a request made after this was posted makes it stale.
    QMetaObject::invokeMethod(
        owner,
        [shared = m_shared, generation = m_generation, delivery = std::move(delivery)] {
            if (shared->generation.load() == generation)
                delivery();
        },
        Qt::QueuedConnection);
}

BackgroundLoader::BackgroundLoader(QObject *parent) : QObject(parent), m_shared(std::make_shared<Shared>())
{
    m_shared->owner = this;
}

BackgroundLoader::~BackgroundLoader()
{
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->owner = nullptr;
    }
    stop(Pending::Drop);
}

bool BackgroundLoader::isRunning() const { return m_shared->running.load(); }
int BackgroundLoader::generation() const { return m_shared->generation.load(); }
bool BackgroundLoader::isCurrent(int generation) const { return generation == m_shared->generation.load(); }

void BackgroundLoader::requestStop()
{
    const std::lock_guard lock(m_shared->mutex);
    if (m_shared->current)
        m_shared->current->stop = true;
}

bool BackgroundLoader::stop(Pending pending, int waitMs)
{
    {
        const std::lock_guard lock(m_shared->mutex);
        if (m_shared->current)
            m_shared->current->stop = true;
    }
    bool ended = true;
    if (m_thread) {
        m_thread->requestInterruption();
        ended = m_thread->wait(QDeadlineTimer(waitMs));
    }
    {
        const std::lock_guard lock(m_shared->mutex);
        if (pending == Pending::Drop || !ended)
            ++m_shared->generation;
        m_shared->running = false;
        m_shared->current.reset();
    }
    // A thread that ended is deleted here rather than by the event loop, which may not run again;
    // one left behind deletes itself when its job returns.
    if (ended && m_thread)
        delete m_thread.data();
    m_thread = nullptr;
    return ended;
}

int BackgroundLoader::start(Job job)
{
    stop(Pending::Drop);

    Run run;
    run.m_shared = m_shared;
    run.m_state = std::make_shared<RunState>();
    {
        const std::lock_guard lock(m_shared->mutex);
        run.m_generation = ++m_shared->generation;
        m_shared->current = run.m_state;
        m_shared->running = true;
    }

    QThread *thread = QThread::create([job = std::move(job), run] {
        job(run);
        // Running until the owner has received everything: a window that waits for the loader
        // to be idle then finds every row in place.
        run.deliver([shared = run.m_shared, generation = run.m_generation] {
            // On the owner's thread, so the owner is there.
            shared->running = false;
            Q_EMIT shared->owner->finished(generation);
        });
    });
    // Not a child of the loader: a thread left behind must be able to outlive it.
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    m_thread = thread;
    thread->start();
    return run.m_generation;
}

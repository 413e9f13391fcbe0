#include "FolderSearchRunner.h"

#include <QElapsedTimer>
#include <QThread>

class FolderSearchRunner::Worker : public QObject
{
    Q_OBJECT

public:
    FolderSearch engine;

    void run(const FolderSearchOptions &options)
    {
        QList<FoundFile> batch;
        QElapsedTimer sinceFlush;
        sinceFlush.start();
        QElapsedTimer sinceFolder;
        sinceFolder.start();
        bool folderPending = false;
        auto flush = [&] {
            if (!batch.isEmpty()) {
                emit found(batch, int(engine.results().size()), engine.currentFolder());
                batch.clear();
            }
            sinceFlush.restart();
        };
        engine.setCallback([&](FolderSearch::Code code) {
            if (code == FolderSearch::Found)
                batch.append(engine.results().constLast());
            else if (code == FolderSearch::Folder)
                folderPending = true;
            // Also while a long file is read, so what was found before it shows meanwhile.
            if (batch.size() >= kBatch || (!batch.isEmpty() && sinceFlush.elapsed() >= kFlushMs))
                flush();
            if (folderPending && sinceFolder.elapsed() >= kFolderMs) {
                flush();
                emit folderReached(engine.currentFolder(), int(engine.results().size()));
                folderPending = false;
                sinceFolder.restart();
            }
        });
        const bool complete = engine.run(options);
        flush();
        engine.setCallback({});
        emit finished(int(engine.results().size()), !complete);
    }

signals:
    void found(const QList<FoundFile> &files, int total, const QString &folder);
    void folderReached(const QString &folder, int total);
    void finished(int total, bool stopped);

private:
    static constexpr qsizetype kBatch = 200;
    static constexpr qint64 kFlushMs = 40;
    static constexpr qint64 kFolderMs = 40;
};

FolderSearchRunner::FolderSearchRunner(QObject *parent)
    : QObject(parent), m_thread(new QThread(this)), m_worker(new Worker)
{
    qRegisterMetaType<FoundFile>();
    qRegisterMetaType<QList<FoundFile>>();
    m_worker->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &Worker::found, this, &FolderSearchRunner::found, Qt::QueuedConnection);
    connect(m_worker, &Worker::folderReached, this, &FolderSearchRunner::folderReached, Qt::QueuedConnection);
    connect(m_worker, &Worker::finished, this, [this](int total, bool stopped) {
        m_running = false;
        emit finished(total, stopped);
    }, Qt::QueuedConnection);
    m_thread->setObjectName(QStringLiteral("folder search"));
    m_thread->start();
}

FolderSearchRunner::~FolderSearchRunner()
{
    m_worker->engine.requestStop();
    m_thread->requestInterruption();
    m_thread->quit();
    m_thread->wait();
}

bool FolderSearchRunner::start(const FolderSearchOptions &options)
{
    if (m_running)
        return false;
    m_running = true;
    // Cleared here, before the walk is queued, so that a stop pressed at once is not lost.
    m_worker->engine.clearStop();
    QMetaObject::invokeMethod(m_worker, [w = m_worker, options] { w->run(options); }, Qt::QueuedConnection);
    return true;
}

void FolderSearchRunner::stop()
{
    if (m_running)
        m_worker->engine.requestStop();
}

#include "FolderSearchRunner.moc"

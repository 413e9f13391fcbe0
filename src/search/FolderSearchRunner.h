#pragma once

#include "FolderSearch.h"

#include <QObject>

#include <memory>

class QThread;

// Runs FolderSearch on a thread of its own and hands what it finds to the thread that made the
// runner as queued signals, so the window that shows them never waits. Entries come in batches,
// a few each moment rather than one signal per entry; the folder being searched is told at most
// a few dozen times a second. A stop is seen at the walk's next check and the entries found so
// far stay found.
class FolderSearchRunner : public QObject
{
    Q_OBJECT

public:
    explicit FolderSearchRunner(QObject *parent = nullptr);
    ~FolderSearchRunner() override;

    // False, and nothing starts, while a search runs.
    bool start(const FolderSearchOptions &options);
    void stop();
    bool isRunning() const { return m_running; }

signals:
    // New entries; `total` counts every entry found so far, `folder` is the one being searched.
    void found(const QList<FoundFile> &files, int total, const QString &folder);
    // The walk has reached the entries of `folder`.
    void folderReached(const QString &folder, int total);
    void finished(int total, bool stopped);

private:
    class Worker;
    QThread *m_thread;
    Worker *m_worker;
    bool m_running = false;
};

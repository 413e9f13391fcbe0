#pragma once

#include "base/BackgroundLoader.h"
#include "db/Database.h"
#include "db/SqlCondition.h"

#include <QImage>
#include <QMetaType>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

// One hit of a report as the report window shows it.
struct ReportHit
{
    QString path; // the archived file in the file store
    qint32 cardNumber = 0;
    qint32 itemNumber = 0;
    qint32 kind = 0;
    QString keywords;
    QString description;
    QString text;
    QString extension; // upper case
    // Image rows: the thumbnail slot, -1 past the last slot. Text rows: the running number.
    int number = 0;
};
Q_DECLARE_METATYPE(ReportHit)

// Reads the hits of a search on a worker thread with a connection of its own and hands every row
// to the thread that owns the loader as a queued signal, so that a window can use it without ever
// being touched from the worker.
//
// The result is read in report order a page at a time and every row is handed over as soon as it
// is read, so the first hits show while the rest of a long result is still to come. Files, images
// and folders come out as imageRow with their thumbnail (the first 2000 of them; the later ones
// get none), texts as textRow, every other kind not at all. A stop keeps the position and the
// order key of the record at which the loader stopped; resume runs the query again from the row
// after that key, so that stopping and resuming any number of times gives every hit exactly once,
// even when cards were added or removed meanwhile.
class ReportLoader : public QObject
{
    Q_OBJECT

public:
    static constexpr int kThumbnailSlots = 2000;
    static constexpr int kStopWaitMs = BackgroundLoader::kStopWaitMs;

    struct Shared;

    ReportLoader(Database db, SqlCondition where, QString fileServerFolder, QString programFolder,
                 QObject *parent = nullptr);
    ~ReportLoader() override;

    // For tests and other callers; set before the first start.
    void setThumbnailCacheFolder(const QString &folder);
    void setThumbnailLimit(int slotCount);
    // Called on the worker thread before each record with the record's position; may call
    // requestStop().
    void setRecordHook(std::function<void(int position)> hook);

    // Starts from the beginning. A running loader is stopped first.
    void start();
    // Stops a running loader, then goes on from the resume position. Nothing happens when the
    // whole result has been read already.
    void resume();
    // Asks the worker to stop and waits for it, at most kStopWaitMs. True when it has ended (or was
    // not running).
    bool stop();
    // Asks the worker to stop without waiting; safe from any thread.
    void requestStop();

    bool isRunning() const;
    bool isComplete() const;
    int resumePosition() const;
    // Records of the result, known once a run has read to its end; -1 before.
    int recordCount() const;

signals:
    void imageRow(const ReportHit &hit, const QImage &thumbnail);
    void textRow(const ReportHit &hit);
    // The database refused the query; the message is for the user.
    void failed(const QString &message);
    // A run ended, stopped or complete.
    void finished();

private:
    void launch(int from);

    Database m_db;
    SqlCondition m_where;
    QString m_fileServer;
    QString m_program;
    QString m_cacheFolder;
    int m_thumbnailLimit = kThumbnailSlots;
    std::function<void(int)> m_hook;
    std::shared_ptr<Shared> m_shared;
    BackgroundLoader *m_loader;
};

// The icon file (under the program folder) standing for a hit without a picture of its own, or
// empty when the archived file itself is the picture.
QString reportIconFile(qint32 kind, const QString &extension);

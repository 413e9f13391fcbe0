#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Thumbnails kept on disk between runs, so that a report opened again shows its pictures without
// decoding the files again. One store per archive: a SQLite file in the cache folder holding a
// JPEG of every thumbnail, keyed by the file's absolute path, its size and its modification
// time. A changed file is made again and its row replaced, so the store never holds more than
// one thumbnail per file.
//
// The store may be shared by several threads and by several workstations (a home folder on a
// network share): every ThumbnailCache object has a connection of its own and is used from the
// thread that made it, writers wait for each other (busy timeout) and the rollback journal is
// used rather than a write-ahead log, which needs memory shared by every reader on one machine.
// A store that is missing is created; one that is damaged is set aside and built anew; one that
// cannot be opened or written only costs decoding the files again, the pictures are still shown.
//
// The PNG files of earlier versions (one per thumbnail, in the same folder) are removed when a
// store is first created there.
class ThumbnailCache
{
public:
    using Maker = std::function<QImage(const QString &path)>;

    // What the store knows of one file, read with the others of a page in one transaction.
    struct Entry
    {
        QString path; // absolute, clean
        bool present = false;
        qint64 size = 0;
        qint64 modified = 0; // nanoseconds since the epoch
        QByteArray stored;   // the stored JPEG when it is of the file as it is now, else empty
    };

    // folder empty: "thumbnails" under the user's cache folder. archive: what names the archive
    // (its file-server folder); each archive has a store of its own. maker empty: Thumbnail::make.
    explicit ThumbnailCache(QString folder = {}, QString archive = {}, Maker maker = {});
    ~ThumbnailCache();
    ThumbnailCache(const ThumbnailCache &) = delete;
    ThumbnailCache &operator=(const ThumbnailCache &) = delete;

    const QString &folder() const { return m_folder; }
    // The SQLite file of this archive's thumbnails.
    const QString &storePath() const { return m_storePath; }

    // The thumbnail of the file: the stored one when the file is unchanged, otherwise a new one,
    // which is stored. A file that is not there gives the empty framed box and stores nothing.
    // What a new thumbnail looks like is what the store gives back for it the next time.
    QImage get(const QString &path);
    // The same for several files at once: one read of the store for all of them, one write for
    // those that had to be made.
    QList<QImage> getMany(const QStringList &paths);

    // The steps of getMany, for callers that spread the decoding over several threads.
    // lookUp and store use this object's connection: only from the thread that made it.
    QList<Entry> lookUp(const QStringList &paths);
    // Any thread: the thumbnail of an entry that is not stored, and the JPEG to store for it
    // (empty when the file is not there).
    QImage make(const Entry &entry, QByteArray *jpeg) const;
    // Any thread: the stored JPEG as a thumbnail; null when it does not decode.
    static QImage decode(const QByteArray &jpeg);
    // Writes made thumbnails in one transaction; entries without a JPEG are skipped.
    void store(const QList<std::pair<Entry, QByteArray>> &made);

    static QString defaultFolder();
    // The JPEG kept for a thumbnail.
    static QByteArray encode(const QImage &thumbnail);

private:
    bool open();
    bool rebuild();
    bool damaged(int code) const;
    void removeOldPictures() const;

    QString m_folder;
    QString m_storePath;
    QString m_connection;
    Maker m_maker;
    bool m_opened = false;
    bool m_unusable = false;
    bool m_rebuilt = false;
};

#pragma once

#include "base/Result.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>

// Where the feed writer keeps a picture's description: inside a JPEG comment segment, after the
// description marker, in the window of the file that the program's description reader scans.
namespace JpegDescription {

// The reader scans from this file offset and keeps this many printable bytes at most.
inline constexpr int kScanStart = 150;
inline constexpr int kScanKept = 1500;
// The longest description that fits behind the marker in the kept bytes.
inline constexpr int kMaxLength = kScanKept - 6;
// The reader ends a description at an "@" from this index on.
inline constexpr int kFirstEndingAt = 30;

bool isJpeg(const QByteArray &bytes);

// The description as the bytes to store; fails with a message naming the first character the
// reader would not give back (only the values 31 to 127 survive), an "@" the reader would take for
// the end, or a length past kMaxLength.
Result<QByteArray> encode(const QString &description);

// The JPEG with a comment segment holding the description, placed so that the reader gives back
// exactly the description: printable filler before the marker brings the kept text to its limit
// right where the description ends, so that nothing after it is taken in, however short it is.
// The comment goes right after the start of image, or after the JFIF header when that is small.
Result<QByteArray> embed(const QByteArray &jpeg, const QByteArray &description);

} // namespace JpegDescription

// Fills a feed: copies items into the feed folder and appends their index records. Every item
// file is complete on disk (written under a temporary name, synced, renamed) before its record is
// appended, and records are appended whole under an exclusive lock of the index file, so that two
// writers never give out one sequence number twice. Nothing but the items and the index is left in
// the folder.
class FeedWriter
{
public:
    struct Request
    {
        QStringList files;
        QStringList texts;        // "{n}" stands for the item's sequence number
        QString description;      // likewise
        bool describe = false;
    };

    struct Added
    {
        qint32 sequence = 0;
        QString name;
    };

    FeedWriter(QString folder, QString indexFile);

    // Checks everything a request needs before anything is written: the folder and index name,
    // every file readable and nameable in a record, the texts and the description storable.
    Status check(const Request &request) const;

    // One round: every file, then every text, each appended to added once it is in the feed.
    // Stops between items once stop is set. A failure ends the round at the item that failed; the
    // items before it stay in the feed.
    Status add(const Request &request, QList<Added> &added, const std::atomic<bool> *stop = nullptr);

    // Notes for the user that are not failures (a description not stored in a file that is not
    // a JPEG); emptied by the caller.
    QStringList takeNotes();

private:
    QString m_folder;
    QString m_indexFile;
    QStringList m_notes;
};

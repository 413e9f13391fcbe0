#pragma once

#include "base/Result.h"

#include <QByteArray>
#include <QImage>
#include <QMetaType>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>

class QFile;

// Opens files that an outside writer may hold for a while (a feed on a network share written from
// another machine refuses opens while the writer has the file). Every open is tried again and
// again, but all the opens made through one opener share one time budget, so that a page of
// twelve items that never come costs the budget once and not twelve times. Once the budget is
// spent each open is tried once more and then given up.
class RetryingOpener
{
public:
    static constexpr int kDefaultBudgetMs = 1000;
    static constexpr int kStepMs = 25;

    // stop: when given and set, waiting ends at once (a loader asked to stop).
    explicit RetryingOpener(int budgetMs = kDefaultBudgetMs, const std::atomic<bool> *stop = nullptr);

    // The file opened for reading, or null when it could not be opened within the budget.
    std::unique_ptr<QFile> open(const QString &path);

    // Milliseconds spent waiting so far.
    int waitedMs() const { return m_waitedMs; }
    bool exhausted() const { return m_waitedMs >= m_budgetMs; }

private:
    int m_budgetMs;
    int m_waitedMs = 0;
    const std::atomic<bool> *m_stop;
};

// One 400-byte record of a feed's index file.
struct IndexRecord
{
    qint32 sequence = 0; // the writer's number; equal to the record's position
    QString name;        // the item's file inside the feed folder
};

// The index of a feed: the folder an outside program fills and the file of fixed-size records
// it appends, one per item, only ever whole and only after the item's file is complete. The
// number of records is the file's size divided by the record size; a record still being written
// (the rest of the division) is not counted until it is whole.
class FeedIndex
{
public:
    static constexpr int kRecordSize = 400;
    static constexpr int kSequenceOffset = 0;
    static constexpr int kNameOffset = 8;
    // The name and its terminating zero byte.
    static constexpr int kNameCapacity = kRecordSize - kNameOffset;
    // A text item is read whole; longer files are cut here.
    static constexpr qint64 kMaxTextBytes = 1024 * 1024;

    FeedIndex(QString folder, QString indexFile);

    const QString &folder() const { return m_folder; }
    QString indexPath() const;

    // Whole records in an index file of this size.
    static int recordCountForSize(qint64 size);
    // Whole records in the index file now; 0 when it cannot be opened.
    int recordCount(RetryingOpener &opener) const;
    // The same, but nothing when the file cannot be opened, for callers that must not take an
    // index they cannot read for an empty one.
    std::optional<int> readRecordCount(RetryingOpener &opener) const;
    // The record at a position; nothing when the file cannot be opened or holds no such record.
    std::optional<IndexRecord> record(int position, RetryingOpener &opener) const;

    // The record's bytes as the writer appends them. Fails when the name is empty, holds a
    // folder separator, cannot be written in code page 1256 or does not fit the record.
    static Result<QByteArray> composeRecord(qint32 sequence, const QString &name);
    // A record read back. Bytes past the end of a short buffer count as zero.
    static IndexRecord parseRecord(const QByteArray &bytes);

    // Whether a name from a record stays inside the feed folder: not empty, no "/" or "\", not
    // "." or "..".
    static bool isPlainName(const QString &name);
    // The item's full path; empty when the record's name would lead out of the feed folder.
    QString itemPath(const IndexRecord &record) const;

private:
    QString m_folder;
    QString m_indexFile;
};

// What a row of the basket viewer shows for one record.
struct FeedItem
{
    int position = 0;
    qint32 sequence = 0;
    QString name;        // from the record
    QString path;        // empty when the record could not be read or its name is unsafe
    bool opened = false; // the item's file could be opened
    QString description; // pictures: the display form of the description reader
    QString text;        // texts: the whole content
    QImage thumbnail;    // pictures: the thumbnail, the empty framed box when not decodable
};
Q_DECLARE_METATYPE(FeedItem)

namespace FeedItems {

// A text item's content: the whole file in code page 1256 (cut at kMaxTextBytes). Fails when it
// cannot be opened within the opener's budget.
Result<QString> readText(const QString &path, RetryingOpener &opener);

// The row of a picture feed at a position: record, path, description and thumbnail. A record that
// cannot be read, an unsafe name or a file that cannot be opened give a row with an empty
// description and the empty framed thumbnail; the name is shown all the same.
FeedItem picture(const FeedIndex &index, int position, RetryingOpener &opener, bool withThumbnail = true);

// The row of a text feed at a position: record, name and content (empty when not readable).
FeedItem text(const FeedIndex &index, int position, RetryingOpener &opener);

// A file's size, read by opening it; -1 when it cannot be opened.
qint64 sizeOf(const QString &path, RetryingOpener &opener);

} // namespace FeedItems

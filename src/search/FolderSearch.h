#pragma once

#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QString>

#include <atomic>
#include <functional>
#include <limits>

// What one search of the computer looks for. Every test is applied only when its bit is set in
// `filters`; all bounds are inclusive.
struct FolderSearchOptions
{
    enum Filter : unsigned {
        SizeFilter = 0x01,
        WrittenFilter = 0x02,
        CreatedFilter = 0x04,
        AccessedFilter = 0x08,
        AttributeFilter = 0x10,
        TextFilter = 0x20,
    };

    QString folder;
    // Matched against each name without regard to case: "*" any run, "?" one character. "*.*"
    // matches every name, with or without a dot.
    QString fileMask = QStringLiteral("*.*");
    QString text;
    bool recursive = false;
    qint64 minSize = 0;
    qint64 maxSize = std::numeric_limits<qint64>::max();
    QDateTime writtenFrom, writtenTo;
    QDateTime createdFrom, createdTo;
    QDateTime accessedFrom, accessedTo;
    // This system has no read-only, hidden, system or archive attributes: the attribute test lets
    // every regular file and folder through (hidden dot-files too) and stops devices, sockets,
    // fifos and dangling links. The mask is kept for the callers that set it.
    unsigned attributeMask = 0;
    unsigned filters = 0;
};

// One entry that passed every test.
struct FoundFile
{
    QString name;
    QString folder; // ends in "/"
    qint64 size = 0; // a folder counts 0
    QDateTime modified;
    bool isFolder = false;

    // The full path; a folder's ends in "/".
    QString path() const { return folder + name + (isFolder ? QStringLiteral("/") : QString()); }
    // As the result list shows them: "10239 B" up to 9 kilobytes, else "10 KB" (whole kilobytes);
    // the last write in universal time, "31-12-2024 03:05 PM".
    static QString sizeText(qint64 size);
    static QString modifiedText(const QDateTime &modified);
};
Q_DECLARE_METATYPE(FoundFile)

// The walk through a folder and the tests on each entry. A folder's sub-folders are searched
// first, then its own entries: the callback hears Folder once a folder's sub-folders are done,
// then Found or Rejected for every entry matching the mask, and TextProgress every tenth block
// while a file's content is being read. Symbolic links to folders are listed but never entered;
// a folder that cannot be read contributes nothing.
class FolderSearch
{
public:
    enum Code : int { Found = 0, Rejected = 1, Folder = 2, TextProgress = 3 };
    using Callback = std::function<void(Code)>;

    void setCallback(Callback callback) { m_callback = std::move(callback); }

    // Empties the results and walks options.folder. The stop flag is not cleared here: a stop
    // asked for before the walk began still holds. Returns false when the walk was stopped.
    bool run(const FolderSearchOptions &options);

    void requestStop() { m_stop.store(true, std::memory_order_relaxed); }
    void clearStop() { m_stop.store(false, std::memory_order_relaxed); }
    bool stopRequested() const { return m_stop.load(std::memory_order_relaxed); }

    const QList<FoundFile> &results() const { return m_results; }
    // The folder whose entries are being tested, ending in "/".
    const QString &currentFolder() const { return m_folder; }

private:
    QList<FoundFile> m_results;
    QString m_folder;
    std::atomic<bool> m_stop{false};
    Callback m_callback;
};

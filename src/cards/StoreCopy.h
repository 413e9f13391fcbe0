#pragma once

#include "base/Result.h"

#include <QCoreApplication>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// What one source holds, looked at before anything is copied: the entries of a folder in an
// order where every folder comes before what it holds, or the single file itself.
struct SourceTree
{
    enum class Kind { File, Folder, Link };
    struct Entry
    {
        QString relative; // path below the source; empty for the source itself
        Kind kind = Kind::File;
        qint64 size = 0;
    };

    QString source;
    bool isFolder = false;
    QList<Entry> entries;
    qint64 files = 0;
    qint64 bytes = 0;
};

// Places one source (a file, or a folder with everything below it) at its stored name. The copy
// is built under a hidden temporary name beside the target and checked (prepare): the byte
// counts of the copy, the source unchanged in size and times from start to end, and a checksum
// of the bytes taken while they are copied, kept on the copy. The file system
// is flushed once for a whole batch of copies (flush), and each copy is then renamed into place
// without replacing anything (commit): the stored name either holds the complete copy, on the
// disk, or does not exist, and an existing stored item is never touched.
class StoreCopy
{
    Q_DECLARE_TR_FUNCTIONS(StoreCopy)

public:
    struct Hooks
    {
        std::function<void(const QString &source)> fileStarted;
        std::function<void(qint64 bytes)> advanced;
        std::function<void(const QString &source, const QString &target)> fileCopied;
    };

    explicit StoreCopy(Hooks hooks = {});

    // Links below a folder are kept as links; a link given as the source itself is followed.
    static Result<SourceTree> survey(const QString &source);

    // A copy waiting under its temporary name.
    struct Prepared
    {
        QString temporary;
        QString target;
        QString folder;
        QString source;
        bool isFolder = false;
    };

    // A target identical to the source counts as done (no copy to commit): an interrupted run
    // placed it, or the order was handed over twice. Any other target of that name is a clash.
    Result<std::optional<Prepared>> prepare(const SourceTree &tree, const QString &targetFolder,
                                            const QString &targetName);
    // Everything written to the file systems of these folders reaches the disk.
    static Status flush(const QStringList &folders);
    // Renames the copy into place; the folder itself is made durable by syncFolders().
    Status commit(const Prepared &copy);
    static Status syncFolders(const QStringList &folders);
    // Drops a copy that will not be committed.
    static void discard(const Prepared &copy);
    // The three steps for one item.
    Status place(const SourceTree &tree, const QString &targetFolder, const QString &targetName);

    // Removes the temporary copies that copier runs no longer alive left in the folder.
    static void removeStaleTemporaries(const QString &folder);

    // Makes a series folder inside the file-server folder, which must exist: a file server that
    // is gone (an unmounted share, a folder renamed away) is never made again on the local disk,
    // where no other workstation would find the files.
    static Status makeSeriesFolder(const QString &folder);
    // Refuses when the file system of the folder has fewer than `bytes` free for us, or the
    // folder is gone; checked before a card's rows are written, so that a full disk leaves the
    // archive as it was.
    static Status roomFor(const QString &folder, qint64 bytes);
    // What the clerk is told of a file-server folder that is not there.
    static QString fileServerMissingMessage(const QString &fileServer);

    // The CRC-32C of a file's bytes as its copy carried them, and the size copied: kept on every
    // copied file (an extended attribute; nothing where the file system has none).
    struct Checksum
    {
        quint32 sum = 0;
        qint64 size = 0;
    };
    static std::optional<Checksum> recordedChecksum(const QString &stored);
    // The CRC-32C of a file's bytes as they are now.
    static std::optional<quint32> checksumOf(const QString &path);
    // Tests: off makes every copy go through read and write, as on a file system that cannot
    // copy in the kernel.
    static void setKernelCopy(bool on);

private:
    // `named` is the stored name the file is meant for, used in messages instead of the temporary.
    Status copyFile(const QString &from, const QString &to, qint64 expectedSize, const QString &named);
    Status copyFolderInto(const SourceTree &tree, const QString &temporary, const QString &finalTarget);
    static bool identical(const SourceTree &tree, const QString &target);
    static bool sameAsCopied(const QString &source, const QString &stored);
    QString temporaryName(const QString &folder);

    Hooks m_hooks;
    int m_counter = 0;
};

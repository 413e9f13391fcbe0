#pragma once

#include "CardDraft.h"
#include "CopyOrder.h"
#include "base/AppState.h"
#include "db/DocumentRow.h"

#include <QCoreApplication>
#include <QSet>

#include <functional>
#include <memory>

class AllocationLock;

// Archiving, saving and deleting cards. A card's rows are written in one transaction under the
// allocation lock, so a failure leaves no half card and no held lock; the files follow through
// the copier, which is handed every order before it is started.
class Archiver
{
    Q_DECLARE_TR_FUNCTIONS(Archiver)

public:
    struct Folders
    {
        QString program;
        QString database;
        QString fileServer;
    };

    // Deletes a stored file or folder of an item taken out of a card; true when it is gone.
    using StoredItemDeleter = std::function<bool(const QString &path)>;
    // Asked every poll while another workstation holds the allocation lock; true gives up.
    using WaitCancelled = std::function<bool()>;

    // classAccess: the access list of the user at work; a card none of whose shown
    // classifications is in it can be neither saved nor deleted.
    Archiver(Folders folders, Database db, QString classAccess);
    static Folders foldersOf(const AppState &state);

    // Archives the draft as a new card and returns its number; the draft's items come back
    // marked archived with their item numbers and series folders. `held`: the allocation lock the
    // caller has taken already (it showed the wait itself); it is released when the card is done.
    Result<qint32> archiveNew(CardDraft &draft, const WaitCancelled &cancelled = {},
                              std::shared_ptr<AllocationLock> held = {});
    // Writes the edited draft back over card draft.number. The rows and the copy orders are
    // committed first; only then are the stored files of the items taken out deleted.
    Status save(CardDraft &draft, const StoredItemDeleter &deleteStored, const WaitCancelled &cancelled = {},
                std::shared_ptr<AllocationLock> held = {});
    // Why archiveNew would refuse the draft before it waits for the lock (a refusal: no
    // classification, nothing to archive); ok when it would not.
    static Status refusalOfNew(const CardDraft &draft);
    // Removes every row of the card; the stored files stay in the file store.
    Result<int> remove(qint32 card);

    // What went wrong after the card was written (the copier could not be started, a stored file
    // of a removed item could not be deleted): the card stands; empty when all went well.
    const QString &warning() const { return m_warning; }

    // The stored files of items a save removes: one line each (local date-time, card, path;
    // tabs, UTF-8) in the database folder, written before the save commits, so that a save that
    // dies between its commit and the deletion leaves no file that nothing points at.
    static QString staleFilesLogPath(const QString &databaseFolder);
    // Deletes the logged files that are still in the file store, except any path a row names now
    // (a save that never committed) and the files of cards that have no rows any more (a deleted
    // card's files stay in the store); rewrites the log with those that could not be deleted and
    // returns them.
    static Result<QStringList> deleteStaleFiles(const QString &databaseFolder, const QSet<QString> &storedPaths,
                                                const QSet<qint32> &cardsWithRows);
    // The logged files that are still in the file store, with the card each belonged to.
    struct StaleFile
    {
        qint32 card = 0; // 0: a line of an older log, which named no card
        QString path;
    };
    static QList<StaleFile> staleFiles(const QString &databaseFolder);

    // The access list changes when another user logs in.
    void setClassAccess(QString classAccess) { m_classAccess = std::move(classAccess); }

    // Whether a copier should be started after archiving: false in tests that run it themselves.
    void setStartCopier(bool start) { m_startCopier = start; }
    // The copier program: COM/dovrelle-fm of the archive when present, else the one beside the
    // running program.
    QString copierProgram() const;
    static QString copierProgramIn(const QString &programFolder);

    static QString storedPath(const QString &fileServer, const DocumentRow &row);
    static QString noClassificationMessage();
    static QString nothingToArchiveMessage();
    static QString noSuchCardMessage(qint32 card);
    static QString noPermissionMessage();
    // A stored file that is not where its row says: its series folder or the whole file server
    // is gone (an unmounted share), or the copier has not placed it.
    static QString notInStoreMessage(const QString &storedPath);

private:
    struct Plan
    {
        QList<DocumentRow> rows;
        QList<CopyOrder> orders;
        QList<qint32> newSeries; // series folders to create, in order
        qint32 finalSeries = 0;
    };

    Result<Plan> planFileRows(CardDraft &draft, qint32 card, qint32 firstItem) const;
    QList<DocumentRow> planTextRows(const CardDraft &draft, qint32 card) const;
    DocumentRow cardRow(const CardDraft &draft, qint32 card) const;
    Status applySeries(const Plan &plan) const;
    // The file server is there and has room for the plan's files.
    Status roomInStore(const Plan &plan) const;
    Status permitted(qint32 card) const;
    void handOff();
    void addWarning(const QString &message);
    Status logRemovals(const QList<DocumentRow> &removed) const;
    void deleteRemoved(const QList<DocumentRow> &removed, const StoredItemDeleter &deleteStored);

    Folders m_folders;
    Database m_db;
    QString m_classAccess;
    bool m_startCopier = true;
    QString m_warning;
};

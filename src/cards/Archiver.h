#pragma once

#include "CardDraft.h"
#include "CopyOrder.h"
#include "app/AppState.h"
#include "db/DocumentRow.h"

#include <QCoreApplication>

#include <functional>

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

    Archiver(Folders folders, Database db);
    static Folders foldersOf(const AppState &state);

    // Archives the draft as a new card and returns its number; the draft's items come back
    // marked archived with their item numbers and series folders.
    Result<qint32> archiveNew(CardDraft &draft, const WaitCancelled &cancelled = {});
    // Writes the edited draft back over card draft.number.
    Status save(CardDraft &draft, const StoredItemDeleter &deleteStored, const WaitCancelled &cancelled = {});
    // Removes every row of the card; the stored files stay in the file store.
    Result<int> remove(qint32 card);

    // What went wrong after the card was written (the copier could not be started): the card
    // stands and its orders wait for the next copier; empty when all went well.
    const QString &warning() const { return m_warning; }

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
    Status handOff(const Plan &plan);

    Folders m_folders;
    Database m_db;
    bool m_startCopier = true;
    QString m_warning;
};

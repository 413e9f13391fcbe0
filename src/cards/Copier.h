#pragma once

#include "cards/CopyOrder.h"

#include <QObject>
#include <QSet>
#include <QStringList>

#include <memory>

class StoreCopy;

// Copies the orders of one hand-off into the file store. Only one copier works on a hand-off at a
// time: the one that holds the kernel lock of "COM/fm.run" ("fm2.run" for the second list). It
// takes the whole list before copying, and takes again until the list is empty, so orders written
// while it copies are done in the same run. The orders it has taken are kept in "COM/fm.taken"
// until they are done, so a run that dies on the way is finished by the next one.
//
// Every failed order is printed on standard error, appended to "COM/fm-errors.log"
// ("fm2-errors.log") and announced with `failed`, and its record is kept in "COM/fm.failed"
// ("fm2.failed"), which the next run tries again first; nothing is ever left half-written at a
// stored name, and a failed order is never dropped. A line of the log: local date-time (ISO 8601), card number (empty when the order names
// none), source, stored name, reason; separated by tabs, UTF-8.
class Copier : public QObject
{
    Q_OBJECT

public:
    enum class WhenBusy {
        Leave, // another copier holds the hand-off: it will take the new orders, so leave at once
        Wait,  // wait for it, then copy whatever is left
    };

    Copier(QString programFolder, CopyHandOff::Copier list, QObject *parent = nullptr);
    ~Copier() override;

    QString runLockPath() const;
    QString journalPath() const;
    QString errorLogPath() const;
    // The orders that failed, kept in whole records until a later run copies them.
    QString failedListPath() const;

    // Works until the hand-off is empty; emits `finished` at the end.
    void run(WhenBusy whenBusy);

    const QStringList &failures() const { return m_failures; }
    qint64 copiedOrders() const { return m_copiedOrders; }
    // True when the run left the work to a copier already running.
    bool leftToOther() const { return m_leftToOther; }

    // The card an order belongs to, from its name prefix "card&item&"; a web page's companion
    // folder (empty prefix) belongs to the page ordered just before it. 0 when there is none.
    static qint32 cardOf(const CopyOrder &order, const CopyOrder *previous);
    // The whole records of a journal or failed list, in order; a part record at the end is left.
    static Result<QList<CopyOrder>> readOrders(const QString &path, bool missingIsEmpty = false);

signals:
    void planned(qint64 files, qint64 bytes);
    void advanced(qint64 bytes);
    void fileStarted(const QString &source);
    void fileCopied(const QString &source, const QString &target);
    void failed(const QString &message);
    void finished();

private:
    void copyAll(const QList<CopyOrder> &orders);
    void report(qint32 card, const CopyOrder &order, const QString &reason);
    void reportRunProblem(const QString &reason);
    void keepForRetry(const CopyOrder &order);

    QString m_com;
    CopyHandOff m_handOff;
    CopyHandOff::Copier m_list;
    std::unique_ptr<StoreCopy> m_store;
    QSet<QString> m_cleanedFolders;
    QStringList m_failures;
    qint64 m_copiedOrders = 0;
    bool m_leftToOther = false;
};

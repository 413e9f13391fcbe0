#pragma once

#include "DocumentRow.h"

#include <optional>

// Row kinds of FILESERVER.n3.
enum DocumentKind : qint32 { KindFile = 1, KindImage = 2, KindFolder = 3, KindText = 55 };

inline constexpr qint32 kCounterRowSerial = 1;

// The queries run against table FILESERVER. Every function opens what it needs, runs one
// prepared statement with bound values and finishes it before returning.
class CDFSet
{
public:
    explicit CDFSet(Database db) : m_db(std::move(db)) {}

    Result<DocumentRow> counterRow() const;

    // Advances n9 of the counter row in one transaction and returns the new value. The increment
    // happens inside the database, so no two callers ever receive the same number.
    Result<qint32> nextCardNumber() const;
    // The same inside the caller's transaction on the archive connection.
    static Result<qint32> nextCardNumberIn(QSqlDatabase &conn);

    Result<QList<DocumentRow>> cardRows(qint32 card) const;          // ORDER BY n2, for display
    Result<QList<DocumentRow>> cardRowsBySerial(qint32 card) const;  // ORDER BY sn, for deletion
    Result<QList<DocumentRow>> textRows(qint32 card) const;          // n3 = 55, ORDER BY n2
    Result<QList<DocumentRow>> nonTextRows(qint32 card) const;       // n3 <> 55, ORDER BY n2

    // Card navigation: the first and last rows in card order, the last row before a card and the
    // first after it. The counter row takes part like any row; callers treat sn = 1 or n1 <= 0
    // as the start of the archive.
    Result<std::optional<DocumentRow>> firstInCardOrder() const;
    Result<std::optional<DocumentRow>> lastInCardOrder() const;
    Result<std::optional<DocumentRow>> lastBefore(qint32 card) const;
    Result<std::optional<DocumentRow>> firstAfter(qint32 card) const;

    Result<QList<DocumentRow>> filedUnder(int code) const; // ORDER BY n1, n2
    Result<bool> hasDocumentsUnder(int code) const;
    // The bytes of the items the rows place in a series folder (s7), copied there or not yet.
    Result<qint64> bytesInSeries(const QString &series) const;
    Result<QList<DocumentRow>> activeReminders(const QString &user) const; // ORDER BY sn
    Result<std::optional<DocumentRow>> rowBySerial(qint32 serial) const;

    // The search of the archive: rows matching the condition, ORDER BY n1, n2.
    Result<QList<DocumentRow>> search(const SqlCondition &where, int limit = -1) const;

    // Writes keep the search index in step; run them in a transaction to have both or neither.
    Result<qint32> insert(const DocumentRow &row) const; // returns the new sn
    Status update(const DocumentRow &row) const;
    Result<int> removeSerial(qint32 serial) const;
    Result<int> removeCard(qint32 card) const; // every row of the card

    const Database &database() const { return m_db; }

private:
    Database m_db;
};

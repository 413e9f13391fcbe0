#pragma once

#include "DocumentRow.h"

#include <optional>

// The kinds of a DocumentRow.
enum DocumentKind : qint32 { KindFile = 1, KindImage = 2, KindFolder = 3, KindText = 55 };

inline constexpr qint32 kCounterRowSerial = 1;

// Where a search in report order stands: the order key of the last row read. The order is
// card number, item number and then serial, so that no two rows share a key and a search can go on after any row.
struct SearchKey
{
    qint32 cardNumber = 0;
    qint32 itemNumber = 0;
    qint32 serial = 0;

    static SearchKey of(const DocumentRow &row) { return {row.cardNumber, row.itemNumber, row.serial}; }
};

// A search condition written for one run of a search (CDFSet::planSearch), and the way the
// engine is to answer it.
struct SearchPlan
{
    enum class Route {
        AsWritten,   // the condition had no parts to choose between
        ThroughIndex, // a rare part finds the rows in the text index; they are sorted after
        ReportOrder, // the rows are walked in report order and tested one by one
    };
    SqlCondition where;
    Route route = Route::AsWritten;
    // The report's first page when planning read it already (CDFSet::planSearch with a page).
    std::optional<QList<DocumentRow>> firstRows = {};
};

// The recordset of the documents (table FILESERVER).
//
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

    // The search of the archive: rows matching the condition, ORDER BY n1, n2 (then sn).
    Result<QList<DocumentRow>> search(const SqlCondition &where, int limit = -1) const;

    // The condition written the way this archive answers it fastest, with the same rows: a part
    // that the text index finds few rows for drives the search through the index; when every
    // part is common, the rows are walked in report order and each part tested on the row, so
    // that the first hits come at once; a wide date range does not use the date index. Looks
    // at the index once (a few milliseconds); run each page of the search with the result.
    // rareHits: how few index hits make a part drive the search; -1 chooses by the table's size.
    // firstPage > 0 (with rareHits -1): the first rows in report order are read first, and when
    // they hold that many hits, those are the first page (SearchPlan::firstRows) and the plan
    // walks in report order without asking the index: a phrase in many rows costs no more than
    // its page. The hits past that page may be rare: plan again for them.
    Result<SearchPlan> planSearch(const SqlCondition &where, int rareHits = -1, int firstPage = 0) const;
    // One page of a search in report order: at most `limit` rows after the key (from the first
    // row without one, read by the plan already when it holds as many). The statement is
    // finished before returning, so that no lock is held while the caller works on the rows; the
    // next page goes on from the last row's key, which stays right when rows are added or
    // removed meanwhile.
    Result<QList<DocumentRow>> searchPage(const SearchPlan &plan, const std::optional<SearchKey> &after,
                                          int limit) const;
    // The engine's plan for the first page of a search, one line a step, as the search runs it.
    Result<QStringList> explainSearch(const SearchPlan &plan, int limit) const;
    // The most index hits that ever drive a search through the index.
    static constexpr int kRareHits = 30000;

    // Writes keep the search index in step; run them in a transaction to have both or neither.
    Result<qint32> insert(const DocumentRow &row) const; // returns the new sn
    Status update(const DocumentRow &row) const;
    Result<int> removeSerial(qint32 serial) const;
    Result<int> removeCard(qint32 card) const; // every row of the card
    // Many new rows with one prepared statement each for the table and the index, for imports;
    // run it in a transaction. Returns the number of rows written.
    Result<int> insertMany(const QList<DocumentRow> &rows) const;

    const Database &database() const { return m_db; }

private:
    Database m_db;
};

#pragma once

#include "DocumentRow.h"
#include "SqlCondition.h"

#include <QStringList>

// The index that answers "contains" on the searched texts of FILESERVER (s1, s5, s6, m3, m1)
// without reading the whole table. It keeps a folded copy of those texts in
// fileserver_folded, indexed by trigrams: an FTS5 table on SQLite, pg_trgm on PostgreSQL.
// Folding ignores letter case, harakat and tatweel, reads أ إ آ ٱ as ا and ى as ي, on the
// stored texts and on the searched phrase alike.
namespace SearchIndex {

inline const QStringList &columns()
{
    static const QStringList c{QStringLiteral("s1"), QStringLiteral("s5"), QStringLiteral("s6"), QStringLiteral("m3"),
                               QStringLiteral("m1")};
    return c;
}

QString fold(const QString &text);

// The row holds the phrase in at least one of the columns (all of them among columns()).
SqlCondition containsAny(Engine engine, const QStringList &columns, const QString &phrase);

// Keeps the folded copy in step with a row written, changed or removed.
Status store(QSqlDatabase &conn, const DocumentRow &row);
// The folded copies of rows that have none yet, with one prepared statement.
Status storeNew(QSqlDatabase &conn, const QList<DocumentRow> &rows);
Status forget(QSqlDatabase &conn, const QString &where, const QVariantList &values);

// Steps of the schema: the tables and their index, and the folded copy of existing rows.
Status create(QSqlDatabase &conn, Engine engine);
Status fill(QSqlDatabase &conn);
// SQLite: a second full-text table over the folded keywords (s6) alone, kept in step by the
// same folded copy, for the searches that look at the keywords only. It holds the row's path
// (s1) as well, so that a classification is looked up in the same index as the words.
Status createKeywordIndex(QSqlDatabase &conn, Engine engine);
// The keyword index made again in the shape createKeywordIndex gives it now.
Status remakeKeywordIndex(QSqlDatabase &conn, Engine engine);
// SQLite: the keyword index's table, and its expression for the rows filed under `code`: their
// path holds "@" + code + "@", exactly the rows of the classification filter.
QString keywordIndexTable();
QString filedUnderInKeywordIndex(int code);

// The classification filter: table fileserver_class holds one (code, sn) pair for every code a
// row is filed under, that is every code C whose "@" + C + "@" stands in the row's s1, so that
// "filed under C" is answered from an index instead of a LIKE over every path. store(),
// storeNew() and forget() keep it in step with the rows as well.
QList<int> classCodes(const QString &path);
Status createClassTable(QSqlDatabase &conn, Engine engine);
Status fillClassTable(QSqlDatabase &conn);

} // namespace SearchIndex

#include "CDFSet.h"

#include "Counter.h"
#include "SearchIndex.h"

#include <QCoreApplication>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Translate
{
    Q_DECLARE_TR_FUNCTIONS(CDFSet)
};

using Table = RowTable<DocumentRow>;

SqlCondition cardIs(qint32 card)
{
    return SqlCondition::equals(u"n1"_s, card);
}

QString missingCounterRow()
{
    return Translate::tr("سجل العداد (الرقم التسلسلي 1) غير موجود في جدول الوثائق");
}

} // namespace

Result<DocumentRow> CDFSet::counterRow() const
{
    Result<std::optional<DocumentRow>> row = rowBySerial(kCounterRowSerial);
    if (!row)
        return Result<DocumentRow>::failure(row.error());
    if (!row->has_value())
        return Result<DocumentRow>::failure(missingCounterRow());
    return **row;
}

Result<qint32> CDFSet::nextCardNumber() const
{
    return advanceCounter(m_db, DbFile::Archive, u"FILESERVER"_s, kCounterRowSerial, missingCounterRow());
}

Result<qint32> CDFSet::nextCardNumberIn(QSqlDatabase &conn)
{
    return advanceCounterIn(conn, u"FILESERVER"_s, kCounterRowSerial, missingCounterRow());
}

Result<QList<DocumentRow>> CDFSet::cardRows(qint32 card) const
{
    return Table::select(m_db, cardIs(card), u"n2, sn"_s);
}

Result<QList<DocumentRow>> CDFSet::cardRowsBySerial(qint32 card) const
{
    return Table::select(m_db, cardIs(card), u"sn"_s);
}

Result<QList<DocumentRow>> CDFSet::textRows(qint32 card) const
{
    return Table::select(m_db, SqlCondition::allOf({cardIs(card), SqlCondition::raw(u"n3 = 55"_s)}), u"n2, sn"_s);
}

Result<QList<DocumentRow>> CDFSet::nonTextRows(qint32 card) const
{
    return Table::select(m_db, SqlCondition::allOf({cardIs(card), SqlCondition::raw(u"n3 <> 55"_s)}), u"n2, sn"_s);
}

Result<std::optional<DocumentRow>> CDFSet::firstInCardOrder() const
{
    return Table::first(m_db, {}, u"n1, sn"_s);
}

Result<std::optional<DocumentRow>> CDFSet::lastInCardOrder() const
{
    return Table::first(m_db, {}, u"n1 DESC, sn DESC"_s);
}

Result<std::optional<DocumentRow>> CDFSet::lastBefore(qint32 card) const
{
    return Table::first(m_db, {u"n1 < ?"_s, {card}}, u"n1 DESC, sn DESC"_s);
}

Result<std::optional<DocumentRow>> CDFSet::firstAfter(qint32 card) const
{
    return Table::first(m_db, {u"n1 > ?"_s, {card}}, u"n1, sn"_s);
}

Result<QList<DocumentRow>> CDFSet::filedUnder(int code) const
{
    return Table::select(m_db, SqlCondition::filedUnder(m_db.engine(), code), u"n1, n2"_s);
}

Result<bool> CDFSet::hasDocumentsUnder(int code) const
{
    return Table::exists(m_db, SqlCondition::filedUnder(m_db.engine(), code));
}

Result<qint64> CDFSet::bytesInSeries(const QString &series) const
{
    Result<QSqlDatabase> conn = m_db.connection(DbFile::Archive);
    if (!conn)
        return Result<qint64>::failure(conn.error());
    QSqlQuery q(*conn);
    q.prepare(u"SELECT SUM(n6) FROM \"FILESERVER\" WHERE s7 = ? AND n3 <> 55"_s);
    q.addBindValue(series);
    if (!q.exec() || !q.next())
        return Result<qint64>::failure(databaseError(q.lastError().text()));
    const qint64 bytes = q.value(0).toLongLong();
    q.finish();
    return bytes;
}

Result<QList<DocumentRow>> CDFSet::activeReminders(const QString &user) const
{
    const SqlCondition active{m_db.engine() == Engine::SQLite ? u"b1 = 1"_s : u"b1 = TRUE"_s, {}};
    return Table::select(m_db, SqlCondition::allOf({active, SqlCondition::equalsNoCase(u"s10"_s, user)}), u"sn"_s);
}

Result<std::optional<DocumentRow>> CDFSet::rowBySerial(qint32 serial) const
{
    return Table::first(m_db, SqlCondition::equals(u"sn"_s, serial), u"sn"_s);
}

Result<QList<DocumentRow>> CDFSet::search(const SqlCondition &where, int limit) const
{
    return Table::select(m_db, where, u"n1, n2"_s, limit);
}

Result<qint32> CDFSet::insert(const DocumentRow &row) const
{
    Result<qint32> sn = Table::insert(m_db, row);
    if (!sn)
        return sn;
    Result<QSqlDatabase> conn = m_db.connection(DbFile::Archive);
    if (!conn)
        return Result<qint32>::failure(conn.error());
    DocumentRow stored = row;
    stored.sn = *sn;
    if (Status s = SearchIndex::store(*conn, stored); !s)
        return Result<qint32>::failure(s.error());
    return sn;
}

Status CDFSet::update(const DocumentRow &row) const
{
    if (Status s = Table::update(m_db, row); !s)
        return s;
    Result<QSqlDatabase> conn = m_db.connection(DbFile::Archive);
    if (!conn)
        return Status::failure(conn.error());
    return SearchIndex::store(*conn, row);
}

namespace {
Result<int> removeWhere(const Database &db, const SqlCondition &where)
{
    Result<QSqlDatabase> conn = db.connection(DbFile::Archive);
    if (!conn)
        return Result<int>::failure(conn.error());
    if (Status s = SearchIndex::forget(*conn, where.sql, where.values); !s)
        return Result<int>::failure(s.error());
    return Table::remove(db, where);
}
} // namespace

Result<int> CDFSet::removeSerial(qint32 serial) const
{
    return removeWhere(m_db, SqlCondition::equals(u"sn"_s, serial));
}

Result<int> CDFSet::removeCard(qint32 card) const
{
    return removeWhere(m_db, cardIs(card));
}

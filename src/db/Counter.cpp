#include "Counter.h"

#include "ScopedTransaction.h"
#include "SqlCondition.h"

#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

Result<qint32> advanceCounterIn(QSqlDatabase &conn, const QString &table, qint32 serial, const QString &missingRow)
{
    QSqlQuery q(conn);
    q.prepare(u"UPDATE "_s + quoted(table) + u" SET n9 = COALESCE(n9, 0) + 1 WHERE sn = ? RETURNING n9"_s);
    q.addBindValue(serial);
    if (!q.exec())
        return Result<qint32>::failure(databaseError(q.lastError().text()));
    if (!q.next())
        return Result<qint32>::failure(missingRow);
    return q.value(0).toInt();
}

Result<qint32> advanceCounter(const Database &db, DbFile file, const QString &table, qint32 serial,
                              const QString &missingRow)
{
    ScopedTransaction tx(db, file);
    if (!tx.begun())
        return Result<qint32>::failure(tx.begun().error());
    const Result<qint32> value = advanceCounterIn(tx.connection(), table, serial, missingRow);
    if (!value)
        return value;
    if (Status s = tx.commit(); !s)
        return Result<qint32>::failure(s.error());
    return value;
}

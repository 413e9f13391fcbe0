#include "CopyOutbox.h"

#include "db/OutboxRow.h"
#include "db/ScopedTransaction.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>

using namespace Qt::Literals::StringLiterals;

CopyOutbox::CopyOutbox(Database db, QString programFolder)
    : m_db(std::move(db)), m_programFolder(std::move(programFolder)), m_station(stationOf(m_programFolder))
{
}

QString CopyOutbox::stationOf(const QString &programFolder)
{
    return QSysInfo::machineHostName() + u':' + QDir(programFolder).absolutePath();
}

Status CopyOutbox::write(qint32 card, const QList<CopyOrder> &orders) const
{
    for (const CopyOrder &order : orders) {
        const Result<QByteArray> record = order.compose();
        if (!record)
            return Status::failure(record.error());
        OutboxRow row;
        row.station = m_station;
        row.card = card;
        row.list = int(CopyHandOff::Copier::Archive);
        row.record = *record;
        if (Result<qint32> id = RowTable<OutboxRow>::insert(m_db, row); !id)
            return Status::failure(id.error());
    }
    return {};
}

Result<int> CopyOutbox::deliver() const
{
    // Two programs of one workstation delivering at once would hand the same orders over twice:
    // the second waits for the first and then finds them gone.
    ScopedTransaction tx(m_db, DbFile::Archive);
    if (!tx.begun())
        return Result<int>::failure(tx.begun().error());
    QSqlQuery q(tx.connection());
    q.setForwardOnly(true);
    const QString lock = m_db.engine() == Engine::PostgreSQL ? u" FOR UPDATE"_s : QString();
    if (!q.prepare(u"SELECT id, record FROM \"COPYOUT\" WHERE station = ? AND list = ? ORDER BY id"_s + lock))
        return Result<int>::failure(databaseError(q.lastError().text()));
    q.addBindValue(m_station);
    q.addBindValue(int(CopyHandOff::Copier::Archive));
    if (!q.exec())
        return Result<int>::failure(databaseError(q.lastError().text()));
    QList<qint32> ids;
    QList<CopyOrder> orders;
    while (q.next()) {
        ids.append(q.value(0).toInt());
        orders.append(CopyOrder::parse(q.value(1).toByteArray()));
    }
    q.finish();
    if (orders.isEmpty())
        return 0;
    if (Status s = CopyHandOff(m_programFolder, CopyHandOff::Copier::Archive).append(orders); !s)
        return Result<int>::failure(s.error());
    QSqlQuery remove(tx.connection());
    if (!remove.prepare(u"DELETE FROM \"COPYOUT\" WHERE id = ?"_s))
        return Result<int>::failure(databaseError(remove.lastError().text()));
    for (qint32 id : ids) {
        remove.addBindValue(id);
        if (!remove.exec())
            return Result<int>::failure(databaseError(remove.lastError().text()));
    }
    if (Status s = tx.commit(); !s)
        return Result<int>::failure(s.error());
    return int(orders.size());
}

Result<int> CopyOutbox::waiting() const
{
    Result<QSqlDatabase> conn = m_db.connection(DbFile::Archive);
    if (!conn)
        return Result<int>::failure(conn.error());
    QSqlQuery q(*conn);
    if (!q.prepare(u"SELECT COUNT(*) FROM \"COPYOUT\" WHERE station = ?"_s))
        return Result<int>::failure(databaseError(q.lastError().text()));
    q.addBindValue(m_station);
    if (!q.exec() || !q.next())
        return Result<int>::failure(databaseError(q.lastError().text()));
    const int n = q.value(0).toInt();
    q.finish();
    return n;
}

#include "ScopedTransaction.h"

#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace {
Status run(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql))
        return Status::failure(databaseError(q.lastError().text()));
    return {};
}
} // namespace

ScopedTransaction::ScopedTransaction(QSqlDatabase db, Engine engine) : m_db(std::move(db)), m_engine(engine)
{
    begin();
}

ScopedTransaction::ScopedTransaction(const Database &db, DbFile file) : m_engine(db.engine())
{
    Result<QSqlDatabase> conn = db.connection(file);
    if (!conn) {
        m_begun = Status::failure(conn.error());
        return;
    }
    m_db = *conn;
    begin();
}

void ScopedTransaction::begin()
{
    if (m_engine == Engine::SQLite) {
        m_begun = run(m_db, u"BEGIN IMMEDIATE"_s);
    } else if (!m_db.transaction()) {
        m_begun = Status::failure(databaseError(m_db.lastError().text()));
    }
    m_open = m_begun.ok();
}

ScopedTransaction::~ScopedTransaction()
{
    if (!m_open)
        return;
    if (m_engine == Engine::SQLite)
        run(m_db, u"ROLLBACK"_s);
    else
        m_db.rollback();
}

Status ScopedTransaction::commit()
{
    if (!m_open)
        return m_begun.ok() ? Status::failure(databaseError(u"no transaction"_s)) : m_begun;
    Status s;
    if (m_engine == Engine::SQLite)
        s = run(m_db, u"COMMIT"_s);
    else if (!m_db.commit())
        s = Status::failure(databaseError(m_db.lastError().text()));
    if (s)
        m_open = false;
    return s;
}

#pragma once

#include "Database.h"

// A database transaction that rolls back unless committed. On SQLite it takes the write lock at
// once (BEGIN IMMEDIATE), so two workstations never deadlock upgrading a read to a write.
class ScopedTransaction
{
public:
    ScopedTransaction(QSqlDatabase db, Engine engine);
    // On a connection of its own to one of the database's files; a connection that cannot be
    // opened makes begun() fail.
    ScopedTransaction(const Database &db, DbFile file);
    ~ScopedTransaction();
    ScopedTransaction(const ScopedTransaction &) = delete;
    ScopedTransaction &operator=(const ScopedTransaction &) = delete;

    Status begun() const { return m_begun; }
    Status commit();
    QSqlDatabase &connection() { return m_db; }

private:
    void begin();

    QSqlDatabase m_db;
    Engine m_engine;
    Status m_begun;
    bool m_open = false;
};

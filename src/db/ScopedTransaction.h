#pragma once

#include "Database.h"

// A database transaction that rolls back unless committed. On SQLite it takes the write lock at
// once (BEGIN IMMEDIATE), so two workstations never deadlock upgrading a read to a write.
class ScopedTransaction
{
public:
    ScopedTransaction(QSqlDatabase db, Engine engine);
    ~ScopedTransaction();
    ScopedTransaction(const ScopedTransaction &) = delete;
    ScopedTransaction &operator=(const ScopedTransaction &) = delete;

    Status begun() const { return m_begun; }
    Status commit();

private:
    QSqlDatabase m_db;
    Engine m_engine;
    Status m_begun;
    bool m_open = false;
};

#pragma once

#include "Database.h"

// Adds one to column n9 of the row with the serial, in one transaction, and returns the new value.
// The increment is done by the database itself, so two callers never receive the same value,
// whatever the lock file says. `missingRow` is the message when the row does not exist.
Result<qint32> advanceCounter(const Database &db, DbFile file, const QString &table, qint32 serial,
                              const QString &missingRow);

// The same increment on a connection whose transaction the caller holds, so that the number is
// taken back when the caller's transaction rolls back.
Result<qint32> advanceCounterIn(QSqlDatabase &conn, const QString &table, qint32 serial, const QString &missingRow);

#pragma once

#include "Database.h"

// The tables of an archive and their ordered migrations. Each database file (on PostgreSQL: each
// part of the one database) keeps its version in table dovrelle_schema; upgrade() applies the
// missing steps in order, each in its own transaction.
namespace Schema {

inline constexpr int kArchiveVersion = 7;
inline constexpr int kClassesVersion = 1;
inline constexpr int kUsersVersion = 1;

// Brings every part of the archive to the program's version. A fresh database gets its tables,
// the counter row of FILESERVER (sn = 1, n1 = 0, n9 = 0) and the settings row of FLOW (sn = 1).
// Refuses a database written by a newer program.
Status upgrade(const Database &db);

// The version a part stands at, 0 when it has no tables yet.
Result<int> version(const Database &db, DbFile file);

} // namespace Schema

#pragma once

#include "UserRow.h"

#include <optional>

// The recordset of the users (table USERS).
//
// The queries run against table USERS. Names are matched exactly, without regard to letter case;
// wildcard characters in a name are plain characters.
class CUserSet
{
public:
    explicit CUserSet(Database db) : m_db(std::move(db)) {}

    Result<QList<UserRow>> all() const; // in table order
    Result<std::optional<UserRow>> byName(const QString &name) const;
    Result<qint32> insert(const UserRow &row) const;
    Status update(const UserRow &row) const;

    static QString duplicateNameMessage();

private:
    Database m_db;
};

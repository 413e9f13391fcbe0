#pragma once

#include "base/Result.h"
#include "db/ClassRow.h"
#include "db/Database.h"

#include <QList>
#include <QString>

#include <optional>

// One level of the classification tree as the side bar lists it: the children of `code`, with
// the code of its parent and the names from the root down to it.
struct ClassLevel
{
    qint32 code = 0;   // 0: the top level
    qint32 parent = 0; // 0 at the top
    QString path;      // "الارشيف/المراسلات"
    QList<ClassRow> rows;

    static QString rootName(); // "الارشيف"
};

// Moving through the tree one level at a time. A move into a classification without children
// gives nothing, and the caller keeps the level it shows.
class ClassLevelNavigator
{
public:
    explicit ClassLevelNavigator(Database db) : m_db(std::move(db)) {}

    Result<ClassLevel> top() const;
    // One level up: the children of the shown level's parent. At the top that is the top again.
    Result<std::optional<ClassLevel>> up(const ClassLevel &shown) const;
    // Into the row's classification; `code` is its code, `name` its name.
    Result<std::optional<ClassLevel>> down(const ClassLevel &shown, qint32 code, const QString &name) const;

private:
    Database m_db;
};

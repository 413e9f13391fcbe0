#pragma once

#include "base/Result.h"
#include "db/ClassRow.h"

#include <QStringList>

// The classification tree as the side bar walks it: the root is code 0, "الارشيف", and a row is a
// child of the classification whose code its n14 holds.
class ClassTree
{
public:
    explicit ClassTree(Database db) : m_db(std::move(db)) {}

    Result<QList<ClassRow>> children(qint32 code) const;
    // The parent's code; 0 for a top-level classification or a code that names none.
    Result<qint32> parentOf(qint32 code) const;
    // Names from the root down to the classification: "الارشيف/المراسلات/واردة". A loop in the
    // parent links stops the walk instead of running for ever.
    Result<QString> pathOfNames(qint32 code) const;

private:
    Database m_db;
};

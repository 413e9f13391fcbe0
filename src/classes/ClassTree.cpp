#include "ClassTree.h"

#include "db/CClaSet.h"

#include <QSet>

Result<QList<ClassRow>> ClassTree::children(qint32 code) const
{
    return CClaSet(m_db).children(code);
}

Result<qint32> ClassTree::parentOf(qint32 code) const
{
    const Result<std::optional<ClassRow>> row = CClaSet(m_db).byCode(code);
    if (!row)
        return Result<qint32>::failure(row.error());
    return row->has_value() ? (*row)->parentCode : 0;
}

Result<QString> ClassTree::pathOfNames(qint32 code) const
{
    const CClaSet classes(m_db);
    QStringList names;
    QSet<qint32> seen;
    while (code != 0 && !seen.contains(code)) {
        seen.insert(code);
        const Result<std::optional<ClassRow>> row = classes.byCode(code);
        if (!row)
            return Result<QString>::failure(row.error());
        if (!row->has_value())
            break;
        names.prepend((*row)->name);
        code = (*row)->parentCode;
    }
    names.prepend(rootClassName());
    return names.join(u'/');
}

#include "ClassLevel.h"

#include "db/CClaSet.h"

#include <QCoreApplication>

namespace {
struct ClassLevelTr
{
    Q_DECLARE_TR_FUNCTIONS(ClassLevel)
};
} // namespace

QString ClassLevel::rootName()
{
    return ClassLevelTr::tr("الارشيف");
}

Result<ClassLevel> ClassLevelNavigator::top() const
{
    Result<QList<ClassRow>> rows = CClaSet(m_db).children(0);
    if (!rows)
        return Result<ClassLevel>::failure(rows.error());
    ClassLevel level;
    level.path = ClassLevel::rootName();
    level.rows = *rows;
    return level;
}

Result<std::optional<ClassLevel>> ClassLevelNavigator::up(const ClassLevel &shown) const
{
    using R = Result<std::optional<ClassLevel>>;
    const CClaSet classes(m_db);
    const qint32 target = shown.parent;
    Result<std::optional<ClassRow>> targetRow = classes.byCode(target);
    if (!targetRow)
        return R::failure(targetRow.error());
    Result<QList<ClassRow>> rows = classes.children(target);
    if (!rows)
        return R::failure(rows.error());
    if (rows->isEmpty())
        return std::optional<ClassLevel>();

    ClassLevel level;
    level.code = target;
    level.parent = targetRow->has_value() ? (*targetRow)->parentCode : 0;
    const qsizetype cut = shown.path.lastIndexOf(u'/');
    level.path = cut < 0 ? shown.path : shown.path.left(cut);
    level.rows = *rows;
    return std::optional<ClassLevel>(level);
}

Result<std::optional<ClassLevel>> ClassLevelNavigator::down(const ClassLevel &shown, qint32 code,
                                                            const QString &name) const
{
    using R = Result<std::optional<ClassLevel>>;
    Result<QList<ClassRow>> rows = CClaSet(m_db).children(code);
    if (!rows)
        return R::failure(rows.error());
    if (rows->isEmpty())
        return std::optional<ClassLevel>();
    ClassLevel level;
    level.code = code;
    level.parent = shown.code;
    level.path = shown.path + u'/' + name;
    level.rows = *rows;
    return std::optional<ClassLevel>(level);
}

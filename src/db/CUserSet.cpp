#include "CUserSet.h"

#include <QCoreApplication>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Translate
{
    Q_DECLARE_TR_FUNCTIONS(CUserSet)
};

using Table = RowTable<UserRow>;

} // namespace

QString CUserSet::duplicateNameMessage()
{
    return Translate::tr(" يوجد مستخدم بنفس الاسم");
}

Result<QList<UserRow>> CUserSet::all() const
{
    return Table::select(m_db, {}, quoted(Table::keyColumn()));
}

Result<std::optional<UserRow>> CUserSet::byName(const QString &name) const
{
    return Table::first(m_db, SqlCondition::equalsNoCase(u"user"_s, name), quoted(Table::keyColumn()));
}

Result<qint32> CUserSet::insert(const UserRow &row) const
{
    Result<std::optional<UserRow>> existing = byName(row.user);
    if (!existing)
        return Result<qint32>::failure(existing.error());
    if (existing->has_value())
        return Result<qint32>::refused(duplicateNameMessage());
    return Table::insert(m_db, row);
}

Status CUserSet::update(const UserRow &row) const
{
    Result<std::optional<UserRow>> existing = byName(row.user);
    if (!existing)
        return Status::failure(existing.error());
    if (existing->has_value() && (*existing)->id != row.id)
        return Status::refused(duplicateNameMessage());
    return Table::update(m_db, row);
}

#include "CUserSet.h"

#include <QCoreApplication>

using namespace Qt::Literals::StringLiterals;

namespace {

struct CUserSetTr
{
    Q_DECLARE_TR_FUNCTIONS(CUserSet)
};

using Users = RowTable<UserRow>;

} // namespace

QString CUserSet::duplicateNameMessage()
{
    return CUserSetTr::tr(" يوجد مستخدم بنفس الاسم");
}

Result<QList<UserRow>> CUserSet::all() const
{
    return Users::select(m_db, {}, quoted(Users::keyColumn()));
}

Result<std::optional<UserRow>> CUserSet::byName(const QString &name) const
{
    return Users::first(m_db, SqlCondition::equalsNoCase(u"user"_s, name), quoted(Users::keyColumn()));
}

Result<qint32> CUserSet::insert(const UserRow &row) const
{
    Result<std::optional<UserRow>> existing = byName(row.user);
    if (!existing)
        return Result<qint32>::failure(existing.error());
    if (existing->has_value())
        return Result<qint32>::refused(duplicateNameMessage());
    return Users::insert(m_db, row);
}

Status CUserSet::update(const UserRow &row) const
{
    Result<std::optional<UserRow>> existing = byName(row.user);
    if (!existing)
        return Status::failure(existing.error());
    if (existing->has_value() && (*existing)->id != row.id)
        return Status::refused(duplicateNameMessage());
    return Users::update(m_db, row);
}

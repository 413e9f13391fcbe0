#include "CFLOWSET.h"

#include "Counter.h"

#include <QCoreApplication>

using namespace Qt::Literals::StringLiterals;

namespace {

struct CFLOWSETTr
{
    Q_DECLARE_TR_FUNCTIONS(CFLOWSET)
};

using Jobs = RowTable<WorkflowJob>;

SqlCondition jobRows()
{
    return {u"sn > ?"_s, {kFlowSettingsSerial}};
}

} // namespace

Result<QList<WorkflowJob>> CFLOWSET::jobs() const
{
    return Jobs::select(m_db, jobRows(), u"n2, sn"_s);
}

Result<std::optional<WorkflowJob>> CFLOWSET::settingsRow() const
{
    return Jobs::first(m_db, SqlCondition::equals(u"sn"_s, kFlowSettingsSerial), u"sn"_s);
}

Result<std::optional<WorkflowJob>> CFLOWSET::byNumber(qint32 number) const
{
    return Jobs::first(m_db, SqlCondition::allOf({SqlCondition::equals(u"n2"_s, number), jobRows()}), u"sn"_s);
}

Result<QList<WorkflowJob>> CFLOWSET::search(const SqlCondition &where) const
{
    return Jobs::select(m_db, SqlCondition::allOf({where, jobRows()}), u"n2, sn"_s);
}

Result<qint32> CFLOWSET::nextJobNumber() const
{
    return advanceCounter(m_db, DbFile::Archive, u"FLOW"_s, kFlowSettingsSerial, CFLOWSETTr::tr("سجل اعدادات العمل (الرقم التسلسلي 1) غير موجود"));
}

Result<qint32> CFLOWSET::insert(const WorkflowJob &job) const
{
    return Jobs::insert(m_db, job);
}

Status CFLOWSET::update(const WorkflowJob &job) const
{
    return Jobs::update(m_db, job);
}

Result<int> CFLOWSET::removeSerial(qint32 serial) const
{
    return Jobs::remove(m_db, SqlCondition::equals(u"sn"_s, serial));
}

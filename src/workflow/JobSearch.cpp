#include "JobSearch.h"

#include "JobRules.h"

#include <QCoreApplication>

using namespace Qt::Literals::StringLiterals;

namespace {

struct JobSearchTr
{
    Q_DECLARE_TR_FUNCTIONS(JobSearch)
};

SqlCondition flagIs(Engine engine, const QString &column, bool set)
{
    return SqlCondition::equals(column, engine == Engine::SQLite ? QVariant(int(set)) : QVariant(set));
}

// Which flag a completed or an uncompleted search looks at, by stage. Searching every stage for
// uncompleted jobs means none of the three stages is done.
QList<QString> stageFlags(int status, int stage)
{
    switch (stage) {
    case 2: return {u"b1"_s};
    case 3: return {u"b2"_s};
    case 4: return {u"b3"_s};
    default: return status == 2 ? QList<QString>{u"b3"_s} : QList<QString>{u"b1"_s, u"b2"_s, u"b3"_s};
    }
}

} // namespace

namespace JobSearch {

int leadingChoice(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || !t.front().isDigit())
        return 1;
    return t.front().digitValue();
}

Result<SqlCondition> condition(const JobFilter &filter, Engine engine)
{
    QList<SqlCondition> parts;
    if (filter.status == 2 || filter.status == 3) {
        for (const QString &flag : stageFlags(filter.status, filter.stage))
            parts.append(flagIs(engine, flag, filter.status == 2));
    }
    if (!filter.numberFrom.trimmed().isEmpty() && !filter.numberTo.trimmed().isEmpty()) {
        const std::optional<qint32> from = JobRules::parseNumber(filter.numberFrom);
        const std::optional<qint32> to = JobRules::parseNumber(filter.numberTo);
        if (!from || !to)
            return Result<SqlCondition>::refused(JobSearchTr::tr("رقما البداية والنهاية يجب أن يكونا أرقاما"));
        parts.append(SqlCondition{u"n2 >= ? AND n2 <= ?"_s, {*from, *to}});
    }
    if (!filter.name.isEmpty())
        parts.append(SqlCondition::contains(engine, u"s1"_s, filter.name));
    if (!filter.reference.isEmpty())
        parts.append(SqlCondition::contains(engine, u"s2"_s, filter.reference));
    if (filter.byDelivery) {
        if (!filter.deliveredFrom.isValid() || !filter.deliveredTo.isValid())
            return Result<SqlCondition>::refused(JobSearchTr::tr("تاريخ التسليم غير صحيح"));
        // From the start of the first day to the start of the day after the last, so the whole
        // last day counts whatever time the date boxes hold.
        parts.append(SqlCondition::dateRange(engine, u"d6"_s, filter.deliveredFrom.startOfDay(),
                                             filter.deliveredTo.addDays(1).startOfDay()));
    }
    return SqlCondition::allOf(parts);
}

} // namespace JobSearch

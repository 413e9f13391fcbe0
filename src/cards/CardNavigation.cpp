#include "CardNavigation.h"

#include "db/CDFSet.h"

namespace {

Result<std::optional<qint32>> cardOf(const Result<std::optional<DocumentRow>> &row)
{
    if (!row)
        return Result<std::optional<qint32>>::failure(row.kind(), row.error());
    if (!row->has_value())
        return std::optional<qint32>();
    return std::optional<qint32>((*row)->cardNumber);
}

} // namespace

QString CardNavigation::firstCardMessage()
{
    return tr("هذه هي البطاقة الاولى");
}

QString CardNavigation::lastCardMessage()
{
    return tr("هذه هي البطاقة الاخيرة");
}

Status CardNavigation::handedOut(qint32 number) const
{
    const Result<DocumentRow> counter = CDFSet(m_db).counterRow();
    if (!counter)
        return Status::from(counter);
    if (number <= 0 || number > counter->lastCardNumber)
        return Status::refused(tr("لا توجد بطاقة بالرقم %1").arg(number));
    return {};
}

Result<std::optional<qint32>> CardNavigation::first() const
{
    const CDFSet rows(m_db);
    // The counter row stands before every card; an archive without cards reaches it.
    Result<std::optional<DocumentRow>> first = rows.firstAfter(0);
    if (first && !first->has_value())
        first = rows.firstInCardOrder();
    return cardOf(first);
}

Result<std::optional<qint32>> CardNavigation::last() const
{
    return cardOf(CDFSet(m_db).lastInCardOrder());
}

Result<qint32> CardNavigation::previous(qint32 number) const
{
    const Result<std::optional<DocumentRow>> before = CDFSet(m_db).lastBefore(number);
    if (!before)
        return Result<qint32>::failure(before.kind(), before.error());
    // Nothing below the number, or only the counter row: there is no earlier card.
    if (!before->has_value() || (*before)->serial == kCounterRowSerial)
        return Result<qint32>::refused(firstCardMessage());
    return (*before)->cardNumber;
}

Result<qint32> CardNavigation::next(qint32 number) const
{
    const Result<std::optional<DocumentRow>> after = CDFSet(m_db).firstAfter(number);
    if (!after)
        return Result<qint32>::failure(after.kind(), after.error());
    if (!after->has_value())
        return Result<qint32>::refused(lastCardMessage());
    return (*after)->cardNumber;
}

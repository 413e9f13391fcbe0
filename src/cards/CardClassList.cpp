#include "CardClassList.h"

#include "db/CClaSet.h"

CardClasses::AddResult CardClassList::add(const QString &code, const QString &name)
{
    CardClasses card;
    for (const CardClasses::Entry &entry : std::as_const(m_rows))
        card.add(entry.code, entry.name);
    const CardClasses::AddResult added = card.add(code, name);
    if (added == CardClasses::AddResult::Added) {
        m_rows.append({code, name});
        updateCodes();
    }
    return added;
}

bool CardClassList::removeAt(int index)
{
    if (index < 0 || index >= m_rows.size())
        return false;
    m_rows.removeAt(index);
    updateCodes();
    return true;
}

void CardClassList::setName(int index, const QString &name)
{
    if (index >= 0 && index < m_rows.size())
        m_rows[index].name = name;
}

void CardClassList::assign(const QList<CardClasses::Entry> &rows)
{
    m_rows = rows;
    updateCodes();
}

void CardClassList::updateCodes()
{
    m_codes.clear();
    for (const CardClasses::Entry &entry : std::as_const(m_rows))
        m_codes.append(CClaSet::codeNumber(entry.code.trimmed()));
}

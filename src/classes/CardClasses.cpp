#include "CardClasses.h"

#include "db/CClaSet.h"

QString CardClasses::alreadyThereMessage()
{
    return tr("التصنيف موجود");
}

CardClasses::AddResult CardClasses::add(const QString &code, const QString &name)
{
    const qint32 number = CClaSet::codeNumber(code.trimmed());
    for (const Entry &e : m_entries) {
        if (CClaSet::codeNumber(e.code.trimmed()) == number)
            return AddResult::AlreadyThere;
    }
    if (m_entries.size() >= kMaxClasses)
        return AddResult::Full;
    m_entries.append({code, name});
    return AddResult::Added;
}

bool CardClasses::removeAt(int index)
{
    if (index < 0 || index >= m_entries.size())
        return false;
    m_entries.removeAt(index);
    return true;
}

QList<qint32> CardClasses::codes() const
{
    QList<qint32> out;
    for (const Entry &e : m_entries)
        out.append(CClaSet::codeNumber(e.code.trimmed()));
    return out;
}

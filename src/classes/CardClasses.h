#pragma once

#include <QCoreApplication>
#include <QList>
#include <QString>

// The classifications of the card being entered: at most six, each code once.
class CardClasses
{
    Q_DECLARE_TR_FUNCTIONS(CardClasses)

public:
    static constexpr int kMaxClasses = 6;

    struct Entry
    {
        QString code; // as the list shows it
        QString name;
    };

    enum class AddResult { Added, AlreadyThere, Full };

    AddResult add(const QString &code, const QString &name);
    bool removeAt(int index);
    void clear() { m_entries.clear(); }
    const QList<Entry> &entries() const { return m_entries; }
    QList<qint32> codes() const;

    static QString alreadyThereMessage();

private:
    QList<Entry> m_entries;
};

#pragma once

#include "classes/CardClasses.h"

#include <QList>
#include <QString>

// The classifications of the card in the form: the rows the list shows (code as the picker gave
// it, name) kept in step with the draft's codes, which are what is archived.
class CardClassList
{
public:
    CardClassList(QList<CardClasses::Entry> &rows, QList<qint32> &codes) : m_rows(rows), m_codes(codes) {}

    // A code already on the card is refused, a seventh classification too.
    CardClasses::AddResult add(const QString &code, const QString &name);
    bool removeAt(int index);
    void setName(int index, const QString &name);
    void assign(const QList<CardClasses::Entry> &rows);

private:
    void updateCodes();

    QList<CardClasses::Entry> &m_rows;
    QList<qint32> &m_codes;
};

#pragma once

#include "RowTable.h"

#include <QByteArray>
#include <QString>

// One copy order of table COPYOUT: written in the same transaction as the rows of its card, so
// that a card never stands without the orders that bring its files into the file store. The
// workstation that wrote it hands it to its copier and then removes it.
struct OutboxRow
{
    qint32 id = 0;
    QString station; // the host and program folder whose copier the order is for
    qint32 card = 0;
    qint32 list = 1; // 1: the archiving copier, 2: the second copier
    QByteArray record; // the order's 436-byte record, exactly as the copier reads it

    static const TableInfo<OutboxRow> &table();
};

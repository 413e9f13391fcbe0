#pragma once

#include "RowTable.h"

#include <QDateTime>
#include <QString>

// One row of table FILESERVER: an item of a card (file, image, folder or text) repeating the
// card's own fields, or the counter row (sn = 1). n3 holds the kind.
struct DocumentRow
{
    qint32 sn = 0;
    qint32 n1 = 0;
    qint32 n2 = 0;
    qint32 n3 = 0;
    qint32 n4 = 0;
    qint32 n5 = 0;
    qint64 n6 = 0; // the item's size in bytes
    qint32 n7 = 0;
    qint32 n8 = 0;
    qint32 n9 = 0;
    qint32 n10 = 0;
    QString s1;
    QString s2;
    QString s3;
    QString s4;
    QString s5;
    QString s6;
    QString s7;
    QString s8;
    QString s9;
    QString s10;
    QString s11;
    QString s12;
    QString m1;
    QString m2;
    QString m3;
    double g1 = 0.0;
    double g2 = 0.0;
    double g3 = 0.0;
    QDateTime d1;
    QDateTime d2;
    QDateTime d3;
    bool b1 = false;
    bool b2 = false;
    bool b3 = false;
    bool b4 = false;

    static const TableInfo<DocumentRow> &table();
};

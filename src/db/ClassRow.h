#pragma once

#include "RowTable.h"

#include <QDateTime>
#include <QString>

// One row of table Class. s1 is the code as typed, n5 its number, s2 the name, n14 the parent's
// code (0 = the root "الارشيف"), n12 the parent's name, s4 the row's own serial as text. n6 ... n12
// are texts although named like numbers.
struct ClassRow
{
    qint32 sn = 0;
    qint32 n1 = 0;
    qint32 n2 = 0;
    qint32 n3 = 0;
    qint32 n4 = 0;
    qint32 n5 = 0;
    QString n6;
    QString n7;
    QString n8;
    QString n9;
    QString n10;
    QString n11;
    QString n12;
    qint32 n13 = 0;
    qint32 n14 = 0;
    qint32 n15 = 0;
    qint32 n16 = 0;
    qint32 n17 = 0;
    qint32 n18 = 0;
    qint32 n19 = 0;
    qint32 n20 = 0;
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
    QDateTime d1;
    QDateTime d2;
    double f1 = 0.0;
    double f2 = 0.0;
    double f3 = 0.0;

    static const TableInfo<ClassRow> &table();
};

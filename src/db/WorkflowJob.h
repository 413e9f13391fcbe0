#pragma once

#include "RowTable.h"

#include <QDateTime>
#include <QString>

// One row of table FLOW: a print-shop job (sn > 1), or the settings row (sn = 1) whose s1 ... s10
// list the units and whose n9 is the last job number issued.
struct WorkflowJob
{
    qint32 sn = 0;
    qint32 n1 = 0;
    qint32 n2 = 0;
    qint32 n3 = 0;
    qint32 n4 = 0;
    qint32 n5 = 0;
    qint32 n6 = 0;
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
    QDateTime d4;
    QDateTime d5;
    QDateTime d6;
    QDateTime d7;
    QDateTime d8;
    QDateTime d9;
    QDateTime d10;
    QDateTime d11;
    QDateTime d12;
    QDateTime d13;
    QDateTime d14;
    QDateTime d15;
    QDateTime d16;
    double cr1 = 0.0;
    double cr2 = 0.0;
    double cr3 = 0.0;
    double cr4 = 0.0;
    double cr5 = 0.0;
    double cr6 = 0.0;
    double cr7 = 0.0;
    double cr8 = 0.0;
    double cr9 = 0.0;
    double cr10 = 0.0;
    double cr11 = 0.0;
    double cr12 = 0.0;
    double cr13 = 0.0;
    double cr14 = 0.0;
    double cr15 = 0.0;

    static const TableInfo<WorkflowJob> &table();
};

#pragma once

#include "RowTable.h"

#include <QDateTime>
#include <QString>

// One row of table Class: a classification, known by its code, under the classification whose
// code is its parent code (0 = the root "الارشيف"). The spare members are columns nothing in the
// program uses; some spare texts are stored under names that look like numbers.
struct ClassRow
{
    qint32 serial = 0; // given by the engine; orders the rows
    qint32 spareNumber1 = 0;
    qint32 spareNumber2 = 0;
    qint32 spareNumber3 = 0;
    qint32 spareNumber4 = 0;
    qint32 code = 0; // the number at the start of the code text, 0 without one
    QString spareText1;
    QString spareText2;
    QString spareText3;
    QString spareText4;
    QString spareText5;
    QString spareText6;
    QString parentName; // as it was when the row was last saved
    qint32 spareNumber5 = 0;
    qint32 parentCode = 0;
    qint32 spareNumber6 = 0;
    qint32 spareNumber7 = 0;
    qint32 spareNumber8 = 0;
    qint32 spareNumber9 = 0;
    qint32 spareNumber10 = 0;
    qint32 spareNumber11 = 0;
    QString codeText; // the code as the user typed it
    QString name;
    QString notes;
    QString serialText; // the row's own serial, shown as its number
    QString spareText7;
    QString spareText8;
    QString spareText9;
    QString spareText10;
    QString spareText11;
    QString spareText12;
    QDateTime spareDate1;
    QDateTime spareDate2;
    double spareDouble1 = 0.0;
    double spareDouble2 = 0.0;
    double spareDouble3 = 0.0;

    static const TableInfo<ClassRow> &table();
};

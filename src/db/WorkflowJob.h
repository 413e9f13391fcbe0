#pragma once

#include "RowTable.h"

#include <QDateTime>
#include <QString>

// One row of table FLOW: a print-shop job (serial > 1), or the settings row (serial 1), which
// lists the units in publicationName ... printingMachine (empty ones are skipped) and holds the
// last job number issued. A stage's flag is set when its date is entered; a stage without a date
// stores 1 January 1999. The spare members are columns nothing in the program uses.
struct WorkflowJob
{
    qint32 serial = 0; // given by the engine; 1 is the settings row
    qint32 spareNumber1 = 0;
    qint32 number = 0; // the job number
    qint32 quantity = 0;
    qint32 transferNumber = 0;
    qint32 receiptRecord = 0;
    qint32 estimatedDuration = 0;
    qint32 spareNumber2 = 0;
    qint32 spareNumber3 = 0;
    qint32 lastJobNumber = 0; // the settings row: the last job number issued
    qint32 spareNumber4 = 0;
    QString publicationName; // the settings row: unit 1, and so on to unit 10
    QString owner; // whose the publication is
    QString party;
    QString partyNotes;
    QString printingNotes;
    QString bindingNotes;
    QString warehouseNotes;
    QString unit;
    QString commercial;
    QString printingMachine;
    QString spareText1;
    QString incoming;
    QString spareText2;
    QString spareText3;
    QString spareText4;
    double spareDouble1 = 0.0;
    double spareDouble2 = 0.0;
    double spareDouble3 = 0.0;
    QDateTime spareDate1;
    QDateTime spareDate2;
    QDateTime spareDate3;
    bool printingDone = false;
    bool bindingDone = false;
    bool warehouseDone = false; // a job whose warehouse stage is done is finished
    bool spareFlag1 = false;
    QDateTime spareDate4;
    QDateTime spareDate5;
    QDateTime deliveryDate;
    QDateTime printingDate;
    QDateTime bindingDate;
    QDateTime warehouseDate;
    QDateTime spareDate6;
    QDateTime spareDate7;
    QDateTime spareDate8;
    QDateTime spareDate9;
    QDateTime spareDate10;
    QDateTime spareDate11;
    QDateTime spareDate12;
    double spareCurrency1 = 0.0;
    double spareCurrency2 = 0.0;
    double spareCurrency3 = 0.0;
    double spareCurrency4 = 0.0;
    double spareCurrency5 = 0.0;
    double spareCurrency6 = 0.0;
    double spareCurrency7 = 0.0;
    double spareCurrency8 = 0.0;
    double spareCurrency9 = 0.0;
    double spareCurrency10 = 0.0;
    double spareCurrency11 = 0.0;
    double spareCurrency12 = 0.0;
    double spareCurrency13 = 0.0;
    double spareCurrency14 = 0.0;
    double spareCurrency15 = 0.0;

    static const TableInfo<WorkflowJob> &table();
};

#pragma once

#include "RowTable.h"

#include <QDateTime>
#include <QString>

// One row of table USERS: the name, the password (an argon2id hash), twelve right codes, the
// eight workflow permissions and the classification access list. A code is granted when it holds
// 7. The right codes keep the names the rest of the program knows them by; the spare members are
// columns nothing in the program uses.
struct UserRow
{
    qint32 id = 0;
    qint32 serial = 0; // not used by the program
    qint32 FilesBask = 0;
    qint32 ScanneBask = 0;
    qint32 FaxBask = 0;
    qint32 constant = 0;
    qint32 classes = 0;
    qint32 docser = 0;
    qint32 fileser = 0;
    qint32 docnew = 0;
    qint32 docadd = 0;
    qint32 docdel = 0;
    qint32 docmod = 0;
    qint32 printjob = 0;
    QString user;
    QString password;
    qint32 partyStage = 0; // workflow permissions: see and edit the party stage
    qint32 printingStage = 0; // the printing stage
    qint32 bindingStage = 0; // the binding stage
    qint32 warehouseStage = 0; // the warehouse stage
    qint32 newJob = 0; // create jobs
    qint32 editJob = 0; // save changes to jobs
    qint32 finishJob = 0; // widens the job grid only
    qint32 deleteJob = 0; // delete jobs
    QString spareText1;
    QString spareText2;
    QString classAccess; // "@code@code@" of the classifications the user may use
    QString spareText3;
    QDateTime spareDate1;
    QDateTime spareDate2;

    static const TableInfo<UserRow> &table();
};

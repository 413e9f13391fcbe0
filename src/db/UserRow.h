#pragma once

#include "RowTable.h"

#include <QDateTime>
#include <QString>

// One row of table USERS: the name, the password (an argon2id hash), twelve right codes, the
// eight workflow permissions ex1 ... ex8 and the classification access list s3. A code is granted
// when it holds 7.
struct UserRow
{
    qint32 id = 0;
    qint32 sn = 0;
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
    qint32 ex1 = 0;
    qint32 ex2 = 0;
    qint32 ex3 = 0;
    qint32 ex4 = 0;
    qint32 ex5 = 0;
    qint32 ex6 = 0;
    qint32 ex7 = 0;
    qint32 ex8 = 0;
    QString s1;
    QString s2;
    QString s3;
    QString s4;
    QDateTime d1;
    QDateTime d2;

    static const TableInfo<UserRow> &table();
};

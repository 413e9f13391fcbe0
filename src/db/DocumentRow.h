#pragma once

#include "RowTable.h"

#include <QDateTime>
#include <QList>
#include <QString>

// One row of table FILESERVER: an item of a card (file, image, folder or text) repeating the
// card's own fields, or the counter row (serial 1). The column table below names the stored
// column of every member; the spare members are columns nothing in the program uses.
struct DocumentRow
{
    qint32 serial = 0; // given by the engine; 1 is the counter row
    qint32 cardNumber = 0;
    qint32 itemNumber = 0; // from 1; texts are numbered apart from files and folders
    qint32 kind = 0; // a DocumentKind
    qint32 spareNumber1 = 0;
    qint32 typeCode = 0; // chosen by the file's extension
    qint64 size = 0; // the item's size in bytes
    qint32 spareNumber2 = 0;
    qint32 spareNumber3 = 0;
    qint32 lastCardNumber = 0; // the counter row: the last card number given out
    qint32 spareNumber4 = 0;
    QString classPath; // "@code@code@" of the card's classifications
    QString cardName;
    QString notes;
    QString editor;
    QString fileName; // the item's name on the source disk
    QString keywords;
    QString seriesFolder; // "Ser" + the series number
    QString extension; // upper case, empty without one
    QString spareText1;
    QString reminderUser; // the memo's addressee
    QString reminderText;
    QString spareText2;
    QString text; // a text row's text
    QString spareText3;
    QString description;
    double spareDouble1 = 0.0;
    double spareDouble2 = 0.0;
    double spareDouble3 = 0.0;
    QDateTime cardDate;
    QDateTime archivingDate; // the day a file or folder was archived
    QDateTime reminderTime;
    bool reminderActive = false;
    bool spareFlag1 = false;
    bool spareFlag2 = false;
    bool spareFlag3 = false;

    static const TableInfo<DocumentRow> &table();
};

// The serials of the rows, in their order: what tells two lists of hits apart.
QList<qint32> serialsOf(const QList<DocumentRow> &rows);

#pragma once

#include "CopyOrder.h"
#include "db/Database.h"

#include <QCoreApplication>

// The copy orders of cards, kept in the archive (table COPYOUT) from the transaction that writes
// a card's rows until this workstation's copier has them in its list. A crash at any moment thus
// leaves either no card or a card whose orders are still on their way: whatever was not handed
// over is handed over on the next archiving, the next start of the program, or
// `dovrelle-admin verify --repair`. An order handed over twice is harmless: the copier takes a
// stored file that is already there and identical as done.
class CopyOutbox
{
    Q_DECLARE_TR_FUNCTIONS(CopyOutbox)

public:
    CopyOutbox(Database db, QString programFolder);

    // Who the orders are for: the source paths are this workstation's, so only its copier can
    // carry them out.
    static QString stationOf(const QString &programFolder);

    // Inside the caller's transaction on the archive connection: the card's orders wait there.
    Status write(qint32 card, const QList<CopyOrder> &orders) const;
    // Appends every order of this workstation to its copier's list, then removes them; returns
    // how many were handed over.
    Result<int> deliver() const;
    // The orders of this workstation not yet handed over.
    Result<int> waiting() const;

private:
    Database m_db;
    QString m_programFolder;
    QString m_station;
};

#pragma once

#include "base/Result.h"
#include "db/Database.h"

#include <QCoreApplication>

#include <optional>

// Where the card form's navigation buttons lead, in card order.
class CardNavigation
{
    Q_DECLARE_TR_FUNCTIONS(CardNavigation)

public:
    explicit CardNavigation(Database db) : m_db(std::move(db)) {}

    // The first card; in an archive without cards the counter row's number, 0. Nothing when the
    // table has no row at all.
    Result<std::optional<qint32>> first() const;
    Result<std::optional<qint32>> last() const;
    // The card before or after `number`; refused with the first- or last-card message when there
    // is none.
    Result<qint32> previous(qint32 number) const;
    Result<qint32> next(qint32 number) const;

    // Whether `number` is a card that may be written under: handed out by the counter and not
    // the counter row itself; refused otherwise, since rows under a number above the counter
    // would hand it out twice later.
    Status handedOut(qint32 number) const;

    static QString firstCardMessage();
    static QString lastCardMessage();

private:
    Database m_db;
};

#pragma once

#include "CardDraft.h"
#include "base/Result.h"
#include "classes/CardClasses.h"
#include "db/Database.h"

#include <QList>

// A card read from the archive as the card form shows it.
struct ShownCard
{
    // Missing: the number has no rows. Refused: the user may not see the card, and nothing of
    // it is read, not even its name.
    enum class Outcome { Missing, Shown, Refused };

    Outcome outcome = Outcome::Missing;
    CardDraft draft;                   // its fields, codes and items, marked archived
    QList<CardClasses::Entry> classes; // the codes it shows, with their names

    // Only the first codes the card shows decide whether the user may see it.
    static Result<ShownCard> read(const Database &db, qint32 number, const QString &classAccess,
                                  const QString &fileServer);
};

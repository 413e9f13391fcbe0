#pragma once

#include "base/Result.h"
#include "db/Database.h"

#include <QString>

struct NewClassification
{
    QString code;   // as typed; its leading digits are the number used on cards
    QString name;
    QString notes;
    qint32 parentCode = 0; // 0: directly under the archive
};

// Adds a classification under its parent: n12 takes the parent's name ("الارشيف" for the root)
// and s4 the new row's serial. A parent code that names no classification is refused.
Result<qint32> addClassification(const Database &db, const NewClassification &c);

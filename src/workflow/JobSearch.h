#pragma once

#include "base/Result.h"
#include "db/Database.h"
#include "db/SqlCondition.h"

#include <QDate>
#include <QString>

// The filters of the job search, as the dialog's controls and `dovrelle-admin jobs list` give them.
struct JobFilter
{
    // 1 all, 2 completed, 3 not completed.
    int status = 1;
    // 1 all, 2 party, 3 printing, 4 binding and warehouse.
    int stage = 1;
    // The number range applies only when both ends are given; both ends are included.
    QString numberFrom;
    QString numberTo;
    QString name;      // part of the publication name
    QString reference; // part of the owner
    bool byDelivery = false;
    QDate deliveredFrom; // the delivery-date range, both days included
    QDate deliveredTo;
};

namespace JobSearch {

// The choice a drop-down's text starts with ("2-المنجزة" is 2); 1 (all) when it starts with no digit.
int leadingChoice(const QString &text);

// The condition on table FLOW (the settings row is left out by the caller). Every value is bound,
// so a quote or "%" in a filter is a plain character. A number range that is not numbers is refused.
Result<SqlCondition> condition(const JobFilter &filter, Engine engine);

} // namespace JobSearch

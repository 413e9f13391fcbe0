#pragma once

#include "JobRules.h"
#include "JobSearch.h"

#include "base/Result.h"
#include "db/Database.h"
#include "db/WorkflowJob.h"

#include <QList>
#include <QStringList>

#include <optional>

// The print-shop jobs of an archive (table FLOW): what the workflow dialog and
// `dovrelle-admin jobs` read and write. Every write runs in one transaction that first takes the
// settings row, so two workstations saving at once are served one after the other and two jobs
// never share a number.
class JobBook
{
public:
    explicit JobBook(Database db) : m_db(std::move(db)) {}

    // Every job in number order.
    Result<QList<WorkflowJob>> all() const;
    Result<QList<WorkflowJob>> search(const JobFilter &filter) const;

    struct Settings
    {
        QStringList units;   // offered for a new job
        qint32 lastNumber = 0;
        bool created = false; // the row was missing and has just been made, with no units
    };
    // The settings row; a missing one is made (no units, no number issued yet).
    Result<Settings> settings() const;

    // Writes the units of the settings row (at most ten; the rest are emptied).
    Status setUnits(const QStringList &units) const;
    static constexpr int kMaxUnits = 10;

    struct Saved
    {
        qint32 serial = 0;
        qint32 number = 0;
    };
    // Saves a new job from the texts of its row. When the number cell still holds the number the
    // dialog offered, the number is taken afresh from the settings row (the next one not in use),
    // so a job saved at another workstation meanwhile does not collide. A typed number is kept; it
    // must be free, and the last number issued advances by one when it is below the typed one.
    Result<Saved> add(const QStringList &cells, const WorkflowPermissions &permissions,
                      std::optional<qint32> offeredNumber) const;
    // Saves the texts of a row over the job with that serial, as it is stored now. A number used
    // by another job is refused; so is a job that is gone.
    Status change(qint32 serial, const QStringList &cells, const WorkflowPermissions &permissions) const;
    Status remove(qint32 serial, const WorkflowPermissions &permissions) const;

    // The workflow permissions of the user of that name (matched as the login matches it); none
    // when there is no such user.
    Result<WorkflowPermissions> permissionsOf(const QString &userName) const;

    static QString missingSettingsMessage();
    static QString duplicateNumberMessage(qint32 number);
    static QString goneMessage();

private:
    Database m_db;
};

#pragma once

#include "WorkflowJob.h"

#include <optional>

inline constexpr qint32 kFlowSettingsSerial = 1;

// The recordset of the print-shop jobs (table FLOW).
//
// The queries run against table FLOW.
class CFLOWSET
{
public:
    explicit CFLOWSET(Database db) : m_db(std::move(db)) {}

    Result<QList<WorkflowJob>> jobs() const; // sn > 1 ORDER BY n2
    Result<std::optional<WorkflowJob>> settingsRow() const;
    Result<std::optional<WorkflowJob>> byNumber(qint32 number) const; // the first row with the number
    // Jobs matching the condition (sn > 1 is added), ORDER BY n2.
    Result<QList<WorkflowJob>> search(const SqlCondition &where) const;

    // Advances n9 of the settings row in one transaction and returns the new job number.
    Result<qint32> nextJobNumber() const;

    Result<qint32> insert(const WorkflowJob &job) const;
    Status update(const WorkflowJob &job) const;
    Result<int> removeSerial(qint32 serial) const;

private:
    Database m_db;
};

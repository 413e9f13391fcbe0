#pragma once

#include "base/Result.h"
#include "db/UserRow.h"
#include "db/WorkflowJob.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What a user may do in the print-shop dialog: the four stages they see and edit, and the job
// operations. Read from the user's USERS row (ex1 ... ex8), each granted when it holds 7.
struct WorkflowPermissions
{
    bool party = false;
    bool printing = false;
    bool binding = false;
    bool warehouse = false;
    bool newJob = false;
    bool editJob = false;
    bool finishJob = false; // only widens the position column by a pixel
    bool deleteJob = false;

    static WorkflowPermissions of(const UserRow &user);
    static WorkflowPermissions all();
    bool any() const;
};

// The stages of a job, each owned by one permission. "None" columns belong to every user.
enum class JobStage { None, Party, Printing, Binding, Warehouse };

// The job grid: 40 columns, the fixed column 0 showing the row's position and its mark.
namespace JobColumns {

inline constexpr int kCount = 40;
inline constexpr int kPosition = 0;
inline constexpr int kAttachments = 13;
inline constexpr int kEstimatedDuration = 14;
inline constexpr int kWarehouseNotes = 15;
inline constexpr int kWarehouseDate = 16;
inline constexpr int kBindingNotes = 17;
inline constexpr int kReceiptRecord = 18;
inline constexpr int kBindingDate = 19;
inline constexpr int kPrintingNotes = 20;
inline constexpr int kTransferNumber = 21;
inline constexpr int kPrintingDate = 22;
inline constexpr int kPartyNotes = 23;
inline constexpr int kPrintingMachine = 24;
inline constexpr int kParty = 25;
inline constexpr int kDelivery = 26;
inline constexpr int kUnit = 27;
inline constexpr int kQuantity = 28;
inline constexpr int kOwner = 29;
inline constexpr int kPublicationName = 30;
inline constexpr int kCommercial = 31;
inline constexpr int kIncoming = 32;
inline constexpr int kNumber = 33;

inline constexpr int kRowHeight = 40;
// Width of a column that takes the grid's default.
inline constexpr int kDefaultWidth = -1;

struct Column
{
    QString header;
    int width = 0; // 0: always hidden; kDefaultWidth: the grid's default
    JobStage stage = JobStage::None;
};

// The 40 columns, in grid order.
const QList<Column> &all();
JobStage stageOf(int column);
bool stagePermitted(JobStage stage, const WorkflowPermissions &permissions);
// The column is shown to the user: it has a width and its stage is theirs.
bool isVisible(int column, const WorkflowPermissions &permissions);
// The width the column opens with for the user; 0 hides it. Column 0 is 41 pixels with the
// finish permission and 40 without.
int openingWidth(int column, const WorkflowPermissions &permissions);
// The columns a double-click stamps with today's date, when the user holds their stage.
bool isDateColumn(int column);
bool isStampable(int column, const WorkflowPermissions &permissions);
// The columns on paper: what the user sees, less the position, the four notes, the machine, the
// commercial and the incoming columns.
QList<int> printedColumns(const WorkflowPermissions &permissions);

// What printing the grid puts on paper: the printed columns' headers and widths, right to left,
// and each row's texts in those columns.
struct PrintSheet
{
    QList<int> columns;
    QStringList headers;
    QList<int> widths;
    QList<QStringList> rows;
};
PrintSheet printSheet(const QList<QStringList> &rowCells, const WorkflowPermissions &permissions);

// Drop-down values of a new job's row.
QStringList parties();
QStringList printingMachines();

} // namespace JobColumns

namespace JobRules {

// The date a stage without a date stores; it reads back as no date.
QDateTime noStageDate();
// day/month/year without leading zeros, as the grid shows and reads dates.
QString dateText(const QDate &date);
// Day, month and year around the first and the last "/", each a decimal number; nullopt when
// the text is not a real date.
std::optional<QDate> parseDate(const QString &text);
// The delivery cell shows every valid date, a stage cell only dates of 2000 and later.
QString deliveryText(const QDateTime &date);
QString stageText(const QDateTime &date);
// A whole number of a cell: empty is 0, Arabic-Indic digits count; nullopt for other text.
std::optional<qint32> parseNumber(const QString &text);

// A stage cell shorter than five characters means the stage has no date: 1 January 1999 and the
// flag cleared. Otherwise the date, and the flag set; a text that is no date is refused.
Status applyStage(const QString &cell, QDateTime &date, bool &done, const QString &columnHeader);

// The mark of column 0: a finished job (warehouse done) whatever its dates, an unfinished job
// whose delivery date lies more than two months before today, or none.
enum class Mark { None, Overdue, Finished };
Mark markOf(const WorkflowJob &job, const QDate &today);
// The picture of the mark in the grid's image list; -1 for none.
int markImage(Mark mark);

// A job row about to be entered: no stage has a date yet.
WorkflowJob newJob();

// The 40 texts of a job's row; column 0 and the columns of stages the user does not hold stay
// empty, so nothing of those stages is in the grid to be copied or printed.
QStringList cellsOf(const WorkflowJob &job, const WorkflowPermissions &permissions);
// The job from a row's texts over the job as stored (newJob() for a new row). Columns of stages
// the user does not hold keep the stored values; the delivery date is taken only from a non-empty
// cell. A number or date that cannot be read is refused with the column named.
Result<WorkflowJob> jobFromCells(const QStringList &cells, const WorkflowJob &stored,
                                 const WorkflowPermissions &permissions);

// The units of the settings row: its non-empty unit texts, in order.
QStringList unitsOf(const WorkflowJob &settings);

} // namespace JobRules

#include "workflow/JobRules.h"
#include "workflow/JobSearch.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace JobColumns;

namespace {

WorkflowJob deliveredOn(const QDate &date, bool finished = false)
{
    WorkflowJob job = JobRules::newJob();
    job.deliveryDate = date.startOfDay();
    job.warehouseDone = finished;
    return job;
}

} // namespace

TEST(JobMarks, OverdueComparesRealDatesTwoMonthsAfterDelivery)
{
    using JobRules::Mark;
    const struct
    {
        QDate delivered;
        QDate today;
        Mark mark;
    } cases[] = {
        {{2025, 3, 10}, {2025, 5, 10}, Mark::None},
        {{2025, 3, 10}, {2025, 5, 11}, Mark::Overdue},
        {{2031, 3, 10}, {2031, 5, 11}, Mark::Overdue}, // any year
        {{2025, 12, 20}, {2026, 2, 20}, Mark::None},
        {{2025, 12, 20}, {2026, 2, 21}, Mark::Overdue}, // over the new year
        {{2025, 12, 20}, {2026, 1, 5}, Mark::None},
        {{2024, 6, 1}, {2025, 3, 1}, Mark::Overdue}, // last year's job, a smaller month now
        {{2026, 1, 1}, {2025, 3, 1}, Mark::None},    // delivery next year
    };
    for (const auto &c : cases) {
        EXPECT_EQ(JobRules::markOf(deliveredOn(c.delivered), c.today), c.mark)
            << c.delivered.toString(Qt::ISODate).toStdString() << " on " << c.today.toString(Qt::ISODate).toStdString();
    }
    EXPECT_EQ(JobRules::markOf(deliveredOn({2020, 1, 1}, true), {2026, 1, 1}), Mark::Finished);
    EXPECT_EQ(JobRules::markOf(JobRules::newJob(), {2026, 1, 1}), Mark::None) << "no delivery date, no mark";
    EXPECT_EQ(JobRules::markImage(Mark::Overdue), 0);
    EXPECT_EQ(JobRules::markImage(Mark::Finished), 1);
    EXPECT_EQ(JobRules::markImage(Mark::None), -1);
}

TEST(JobDates, StageCellsShorterThanFiveCharactersMeanNoDate)
{
    QDateTime date;
    bool done = true;
    ASSERT_TRUE(JobRules::applyStage(u"1/1"_s, date, done, u"طبع"_s));
    EXPECT_EQ(date, QDate(1999, 1, 1).startOfDay());
    EXPECT_FALSE(done);
    EXPECT_TRUE(JobRules::stageText(date).isEmpty()) << "1 January 1999 reads as no date";

    ASSERT_TRUE(JobRules::applyStage(u"3/4/2026"_s, date, done, u"طبع"_s));
    EXPECT_EQ(date, QDate(2026, 4, 3).startOfDay());
    EXPECT_TRUE(done);
    EXPECT_EQ(JobRules::stageText(date), u"3/4/2026"_s);

    const Status bad = JobRules::applyStage(u"31/2/2026"_s, date, done, u"طبع"_s);
    EXPECT_TRUE(bad.refused());
    EXPECT_TRUE(bad.error().contains(u"طبع"_s)) << "the message names the column";

    EXPECT_EQ(JobRules::parseDate(u"٥/١٢/٢٠٢٥"_s), QDate(2025, 12, 5)) << "Arabic-Indic digits";
    EXPECT_EQ(JobRules::dateText({2026, 1, 9}), u"9/1/2026"_s);
    EXPECT_EQ(JobRules::deliveryText(QDate(1998, 5, 1).startOfDay()), u"1/5/1998"_s) << "delivery shows any valid date";
    EXPECT_EQ(JobRules::parseNumber(u" 12 "_s), 12);
    EXPECT_EQ(JobRules::parseNumber(QString()), 0);
    EXPECT_FALSE(JobRules::parseNumber(u"12a"_s));
}

TEST(JobColumnsRules, StagesHideTheirColumnsAndCannotBeStampedOrPrintedWithoutThePermission)
{
    WorkflowPermissions noPrinting = WorkflowPermissions::all();
    noPrinting.printing = false;
    noPrinting.finishJob = false;
    for (int c : {kPrintingNotes, kTransferNumber, kPrintingDate})
        EXPECT_EQ(openingWidth(c, noPrinting), 0) << c;
    EXPECT_EQ(openingWidth(kBindingDate, noPrinting), 70);
    EXPECT_EQ(openingWidth(kNumber, noPrinting), 40);
    EXPECT_EQ(openingWidth(kPosition, noPrinting), 40);
    EXPECT_EQ(openingWidth(kPosition, WorkflowPermissions::all()), 41);
    for (int c : {1, 5, 12, kAttachments, kEstimatedDuration, 34, 39})
        EXPECT_EQ(openingWidth(c, WorkflowPermissions::all()), 0) << c;
    EXPECT_FALSE(isStampable(kPrintingDate, noPrinting));
    EXPECT_TRUE(isStampable(kBindingDate, noPrinting));
    EXPECT_TRUE(isStampable(kDelivery, WorkflowPermissions()));
    EXPECT_FALSE(isStampable(kQuantity, WorkflowPermissions::all()));

    EXPECT_EQ(printedColumns(WorkflowPermissions::all()),
              (QList<int>{kNumber, kPublicationName, kOwner, kQuantity, kUnit, kDelivery, kParty, kPrintingDate,
                          kTransferNumber, kBindingDate, kReceiptRecord, kWarehouseDate}));
    const QList<int> printed = printedColumns(noPrinting);
    EXPECT_FALSE(printed.contains(kPrintingDate));
    EXPECT_FALSE(printed.contains(kTransferNumber));
    EXPECT_TRUE(printed.contains(kBindingDate));

    WorkflowJob job = JobRules::newJob();
    job.number = 4;
    job.printingDate = QDate(2026, 2, 2).startOfDay();
    job.printingDone = true;
    job.transferNumber = 88;
    job.printingNotes = u"سري"_s;
    const QStringList cells = JobRules::cellsOf(job, noPrinting);
    EXPECT_TRUE(cells[kPrintingDate].isEmpty());
    EXPECT_TRUE(cells[kTransferNumber].isEmpty());
    EXPECT_TRUE(cells[kPrintingNotes].isEmpty());
    const PrintSheet sheet = printSheet({JobRules::cellsOf(job, WorkflowPermissions::all())}, noPrinting);
    EXPECT_FALSE(sheet.rows.front().contains(u"2/2/2026"_s));
    EXPECT_FALSE(sheet.headers.contains(u"طبع"_s));
    EXPECT_EQ(sheet.headers.front(), u"الرقم"_s);
}

TEST(JobCells, AStageTheUserDoesNotHoldKeepsItsStoredValues)
{
    WorkflowJob stored = JobRules::newJob();
    stored.number = 9;
    stored.bindingDate = QDate(2026, 3, 1).startOfDay();
    stored.bindingDone = true;
    stored.bindingNotes = u"غلاف"_s;
    WorkflowPermissions p = WorkflowPermissions::all();
    p.binding = false;
    QStringList cells = JobRules::cellsOf(stored, p);
    cells[kBindingDate] = u""_s; // nothing of the stage is in the row
    cells[kPrintingDate] = u"1/1"_s;
    cells[kQuantity] = u"500"_s;
    const Result<WorkflowJob> job = JobRules::jobFromCells(cells, stored, p);
    ASSERT_TRUE(job) << job.error().toStdString();
    EXPECT_TRUE(job->bindingDone);
    EXPECT_EQ(job->bindingNotes, u"غلاف"_s);
    EXPECT_EQ(job->quantity, 500);
    EXPECT_FALSE(job->printingDone);
    EXPECT_EQ(job->printingDate, JobRules::noStageDate());

    cells[kQuantity] = u"خمسمئة"_s;
    const Result<WorkflowJob> wrong = JobRules::jobFromCells(cells, stored, p);
    EXPECT_TRUE(wrong.refused());
    EXPECT_TRUE(wrong.error().contains(u"الكمية"_s));
}

TEST(JobUnits, OnlyTheFilledUnitsOfTheSettingsRowAreOffered)
{
    WorkflowJob settings;
    settings.publicationName = u"نسخة"_s; // s1
    settings.party = u"دفتر"_s;           // s3
    EXPECT_EQ(JobRules::unitsOf(settings), (QStringList{u"نسخة"_s, u"دفتر"_s}));
    EXPECT_TRUE(JobRules::unitsOf(WorkflowJob()).isEmpty());
}

TEST(JobSearchRules, TheListsAreReadByTheirLeadingDigit)
{
    EXPECT_EQ(JobSearch::leadingChoice(u"2-المنجزة"_s), 2);
    EXPECT_EQ(JobSearch::leadingChoice(u"4-التجليد-المستودع"_s), 4);
    EXPECT_EQ(JobSearch::leadingChoice(u"الكل"_s), 1);
    EXPECT_EQ(JobSearch::leadingChoice(QString()), 1);
    JobFilter f;
    f.numberFrom = u"x"_s;
    f.numberTo = u"7"_s;
    EXPECT_TRUE(JobSearch::condition(f, Engine::SQLite).refused());
}

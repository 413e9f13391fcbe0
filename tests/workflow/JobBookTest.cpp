#include "admin/AdminContext.h"
#include "common/TestArchive.h"
#include "db/CFLOWSET.h"
#include "db/RowTable.h"
#include "users/UserAdmin.h"
#include "workflow/JobBook.h"

#include <QSqlQuery>

#include <gtest/gtest.h>

#include <set>

using namespace Qt::Literals::StringLiterals;
using namespace JobColumns;

namespace {

class Jobs : public EngineTest
{
protected:
    JobBook book() const { return JobBook(db()); }

    // Saves a job with a typed number and returns its serial.
    qint32 add(qint32 number, const QString &name, const QString &owner = {}, const QString &printed = {},
               const QString &bound = {}, const QString &stored = {}, const QString &delivery = {})
    {
        QStringList cells(kCount);
        cells[kNumber] = QString::number(number);
        cells[kPublicationName] = name;
        cells[kOwner] = owner;
        cells[kPrintingDate] = printed;
        cells[kBindingDate] = bound;
        cells[kWarehouseDate] = stored;
        cells[kDelivery] = delivery;
        const Result<JobBook::Saved> saved = book().add(cells, WorkflowPermissions::all(), std::nullopt);
        EXPECT_TRUE(saved) << saved.error().toStdString();
        return saved ? saved->serial : 0;
    }

    std::set<qint32> found(const JobFilter &filter)
    {
        const Result<QList<WorkflowJob>> jobs = book().search(filter);
        EXPECT_TRUE(jobs) << jobs.error().toStdString();
        std::set<qint32> numbers;
        if (jobs) {
            for (const WorkflowJob &j : *jobs)
                numbers.insert(j.number);
        }
        return numbers;
    }

    qint32 lastNumber() { return book().settings()->lastNumber; }

    WorkflowJob stored(qint32 serial)
    {
        const auto row = RowTable<WorkflowJob>::first(db(), SqlCondition::equals(u"sn"_s, serial), u"sn"_s);
        EXPECT_TRUE(row && row->has_value());
        return row && row->has_value() ? **row : WorkflowJob();
    }

    void exec(const QString &sql)
    {
        QSqlQuery q(*db().connection(DbFile::Archive));
        ASSERT_TRUE(q.exec(sql)) << sql.toStdString();
    }
};

} // namespace

TEST_P(Jobs, AStageCellOfFourCharactersIsStoredAsNoDateWithItsFlagCleared)
{
    const qint32 serial = add(1, u"كراس"_s, {}, u"1/1"_s, u"12/3/2026"_s);
    const WorkflowJob job = stored(serial);
    EXPECT_EQ(job.printingDate, QDate(1999, 1, 1).startOfDay());
    EXPECT_FALSE(job.printingDone);
    EXPECT_EQ(job.bindingDate, QDate(2026, 3, 12).startOfDay());
    EXPECT_TRUE(job.bindingDone);
    EXPECT_FALSE(job.warehouseDone);
    const QStringList cells = JobRules::cellsOf(job, WorkflowPermissions::all());
    EXPECT_TRUE(cells[kPrintingDate].isEmpty());
    EXPECT_TRUE(cells[kWarehouseDate].isEmpty());
    EXPECT_EQ(cells[kBindingDate], u"12/3/2026"_s);
}

TEST_P(Jobs, StatusAndStageChooseTheFlagAndNumberRangesIncludeBothEnds)
{
    for (qint32 n = 1; n <= 9; ++n)
        add(n, u"عمل %1"_s.arg(n), {}, n % 2 ? u"1/2/2026"_s : QString(), n >= 6 ? u"2/2/2026"_s : QString(),
            n == 9 ? u"3/2/2026"_s : QString());
    JobFilter f;
    f.status = 2;
    f.stage = 3;
    EXPECT_EQ(found(f), (std::set<qint32>{6, 7, 8, 9})) << "completed binding: b2";
    f.stage = 2;
    EXPECT_EQ(found(f), (std::set<qint32>{1, 3, 5, 7, 9})) << "completed party stage: b1";
    f.stage = 1;
    EXPECT_EQ(found(f), (std::set<qint32>{9})) << "completed: b3";
    f.status = 3;
    EXPECT_EQ(found(f), (std::set<qint32>{2, 4})) << "not completed at all: no stage done";
    f.stage = 4;
    EXPECT_EQ(found(f).size(), 8u);

    JobFilter range;
    range.numberFrom = u"5"_s;
    range.numberTo = u"7"_s;
    EXPECT_EQ(found(range), (std::set<qint32>{5, 6, 7}));
    range.numberTo.clear();
    EXPECT_EQ(found(range).size(), 9u) << "a range needs both ends";
}

TEST_P(Jobs, FiltersAreLiteralTextAndTheDeliveryRangeTakesTheWholeLastDay)
{
    add(1, u"دليل 50% خصم"_s, u"وزارة 'التربية'"_s, {}, {}, {}, u"10/3/2026"_s);
    add(2, u"دليل المعلم"_s, u"وزارة الصحة"_s, {}, {}, {}, u"11/3/2026"_s);
    add(3, u"تقويم"_s, u"الجامعة"_s, {}, {}, {}, u"12/3/2026"_s);
    JobFilter f;
    f.name = u"50%"_s;
    EXPECT_EQ(found(f), (std::set<qint32>{1}));
    f.name = u"دليل"_s;
    EXPECT_EQ(found(f), (std::set<qint32>{1, 2}));
    f.name.clear();
    f.reference = u"'التربية'"_s;
    EXPECT_EQ(found(f), (std::set<qint32>{1})) << "a quote is a plain character";
    f.reference.clear();
    f.byDelivery = true;
    f.deliveredFrom = {2026, 3, 10};
    f.deliveredTo = {2026, 3, 11};
    EXPECT_EQ(found(f), (std::set<qint32>{1, 2}));
    f.deliveredFrom = f.deliveredTo = {2026, 3, 12};
    EXPECT_EQ(found(f), (std::set<qint32>{3}));
}

TEST_P(Jobs, TheLastNumberAdvancesByOnePerSavedJobAndNumbersAreNeverShared)
{
    EXPECT_EQ(lastNumber(), 0);
    add(10, u"أ"_s);
    EXPECT_EQ(lastNumber(), 1) << "a larger typed number moves the counter on by one only";
    add(20, u"ب"_s);
    EXPECT_EQ(lastNumber(), 2);

    QStringList cells(kCount);
    cells[kNumber] = u"10"_s;
    const Result<JobBook::Saved> twice = book().add(cells, WorkflowPermissions::all(), std::nullopt);
    ASSERT_FALSE(twice);
    EXPECT_TRUE(twice.refused());
    EXPECT_EQ(twice.error(), JobBook::duplicateNumberMessage(10));
    EXPECT_EQ(lastNumber(), 2) << "a refused job takes no number";

    // The number the dialog offered (3) is taken afresh at the save: another workstation saved
    // 3 and 4 meanwhile.
    add(3, u"ج"_s);
    add(4, u"د"_s);
    cells[kNumber] = u"3"_s;
    const Result<JobBook::Saved> offered = book().add(cells, WorkflowPermissions::all(), 3);
    ASSERT_TRUE(offered) << offered.error().toStdString();
    EXPECT_EQ(offered->number, 5);
    EXPECT_EQ(lastNumber(), 5);

    // An edit cannot take another job's number either.
    const qint32 serial = offered->serial;
    cells[kNumber] = u"20"_s;
    const Status clash = book().change(serial, cells, WorkflowPermissions::all());
    EXPECT_TRUE(clash.refused());
    EXPECT_EQ(stored(serial).number, 5);
    cells[kNumber] = u"21"_s;
    cells[kPublicationName] = u"هـ"_s;
    ASSERT_TRUE(book().change(serial, cells, WorkflowPermissions::all()));
    EXPECT_EQ(stored(serial).number, 21);
    EXPECT_EQ(stored(serial).publicationName, u"هـ"_s);
}

TEST_P(Jobs, ChangesAndDeletesActOnTheirOwnRowAndNeedTheirPermissions)
{
    const qint32 a = add(1, u"أ"_s);
    const qint32 b = add(2, u"ب"_s);
    WorkflowPermissions p;
    QStringList cells = JobRules::cellsOf(stored(a), WorkflowPermissions::all());
    EXPECT_TRUE(book().change(a, cells, p).refused());
    EXPECT_TRUE(book().remove(a, p).refused());
    EXPECT_TRUE(book().add(cells, p, std::nullopt).refused());
    p.deleteJob = true;
    ASSERT_TRUE(book().remove(a, p));
    const Status again = book().remove(a, p);
    EXPECT_TRUE(again.refused());
    EXPECT_EQ(again.error(), JobBook::goneMessage());
    p.editJob = true;
    EXPECT_EQ(book().change(a, cells, p).error(), JobBook::goneMessage()) << "a job removed elsewhere is not re-created";
    EXPECT_EQ(book().all()->size(), 1);
    EXPECT_EQ(book().all()->front().serial, b);
}

TEST_P(Jobs, AMissingSettingsRowIsMadeWithoutUnitsAndFilledUnitsAreOffered)
{
    exec(u"DELETE FROM \"FLOW\" WHERE sn = 1"_s);
    const Result<JobBook::Settings> made = book().settings();
    ASSERT_TRUE(made) << made.error().toStdString();
    EXPECT_TRUE(made->created);
    EXPECT_TRUE(made->units.isEmpty());
    EXPECT_EQ(made->lastNumber, 0);
    EXPECT_FALSE(book().settings()->created);
    EXPECT_TRUE(CFLOWSET(db()).settingsRow()->has_value());

    exec(u"UPDATE \"FLOW\" SET s1 = 'نسخة', s3 = 'رزمة' WHERE sn = 1"_s);
    EXPECT_EQ(book().settings()->units, (QStringList{u"نسخة"_s, u"رزمة"_s}));

    // Saving with no settings row makes it too.
    exec(u"DELETE FROM \"FLOW\" WHERE sn = 1"_s);
    add(7, u"أ"_s);
    EXPECT_EQ(lastNumber(), 1);
}

TEST_P(Jobs, PermissionsComeFromTheUsersRowByItsExactName)
{
    NewUser clerk{u"Printer"_s, u"pw"_s, false, {}};
    ASSERT_TRUE(addUser(db(), clerk));
    QSqlQuery q(*db().connection(DbFile::Users));
    ASSERT_TRUE(q.exec(u"UPDATE \"USERS\" SET ex2 = 7, ex5 = 7, ex7 = 3 WHERE \"user\" = 'Printer'"_s));
    const Result<WorkflowPermissions> p = book().permissionsOf(u"PRINTER"_s);
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->printing);
    EXPECT_TRUE(p->newJob);
    EXPECT_FALSE(p->finishJob) << "only 7 grants";
    EXPECT_FALSE(p->party);
    EXPECT_FALSE(book().permissionsOf(u"Print%"_s)->any());
}

TEST_P(Jobs, TheJobsListCommandPrintsWhatTheSearchFinds)
{
    add(5, u"دليل"_s, u"وزارة"_s, u"2/2/2026"_s, {}, {}, u"1/3/2026"_s);
    add(6, u"تقويم"_s, u"جامعة"_s);
    add(7, u"كراس"_s, u"مدرسة"_s, {}, u"4/4/2026"_s);
    auto run = [this](QStringList args) {
        QString out, err;
        QTextStream o(&out), e(&err);
        const int status = AdminCommands::run(QStringList{u"dovrelle-admin"_s, u"jobs"_s, u"list"_s} + args
                                                  + QStringList{u"--home"_s, archive().home()},
                                              o, e);
        o.flush();
        e.flush();
        return std::tuple{status, out, err};
    };
    auto [status, out, err] = run({u"--from"_s, u"5"_s, u"--to"_s, u"6"_s});
    ASSERT_EQ(status, 0) << err.toStdString();
    const QStringList lines = out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << out.toStdString();
    EXPECT_EQ(lines[0], u"5\tدليل\tوزارة\t0\t\t1/3/2026\t\t2/2/2026\t\t"_s);
    EXPECT_TRUE(lines[1].startsWith(u"6\tتقويم\t"_s));
    std::tie(status, out, err) = run({u"--status"_s, u"2"_s, u"--stage"_s, u"3"_s});
    EXPECT_EQ(out, u"7\tكراس\tمدرسة\t0\t\t\t\t\t4/4/2026\t\n"_s);
    std::tie(status, out, err) = run({u"--delivered-from"_s, u"2026-03-01"_s, u"--delivered-to"_s, u"1/3/2026"_s});
    EXPECT_TRUE(out.startsWith(u"5\t"_s)) << out.toStdString();
    EXPECT_EQ(out.count(u'\n'), 1);
    std::tie(status, out, err) = run({u"--status"_s, u"4"_s});
    EXPECT_NE(status, 0);
    EXPECT_TRUE(out.isEmpty());
}

TEST_P(Jobs, TheCommandLineSetsTheUnitsAndAddsJobsThroughTheSameRules)
{
    auto run = [this](QStringList args) {
        QString out, err;
        QTextStream o(&out), e(&err);
        const int status = AdminCommands::run(QStringList{u"dovrelle-admin"_s, u"jobs"_s} + args
                                                  + QStringList{u"--home"_s, archive().home()},
                                              o, e);
        o.flush();
        e.flush();
        return std::pair{status, out + err};
    };
    ASSERT_EQ(run({u"units"_s, u"نسخة,,رزمة"_s}).first, 0);
    EXPECT_EQ(book().settings()->units, (QStringList{u"نسخة"_s, u"رزمة"_s}));
    EXPECT_NE(run({u"units"_s, u"1,2,3,4,5,6,7,8,9,10,11"_s}).first, 0);
    EXPECT_EQ(run({u"add"_s, u"--name"_s, u"دليل"_s, u"--printed"_s, u"3/3/2026"_s}), (std::pair{0, u"1\n"_s}));
    EXPECT_EQ(run({u"add"_s, u"--name"_s, u"كراس"_s, u"--number"_s, u"1"_s}).first, 1) << "a used number is refused";
    EXPECT_EQ(run({u"add"_s, u"--name"_s, u"كراس"_s, u"--bound"_s, u"30/2/2026"_s}).first, 1) << "no such day";
    EXPECT_EQ(run({u"add"_s, u"--name"_s, u"كراس"_s}), (std::pair{0, u"2\n"_s}));
    const QList<WorkflowJob> jobs = *book().all();
    ASSERT_EQ(jobs.size(), 2);
    EXPECT_TRUE(jobs[0].printingDone);
    EXPECT_FALSE(jobs[1].printingDone);
    EXPECT_EQ(jobs[1].printingDate, JobRules::noStageDate());
}

DOVRELLE_ON_BOTH_ENGINES(Jobs);

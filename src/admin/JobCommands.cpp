#include "AdminContext.h"

#include "workflow/JobBook.h"

using namespace Qt::Literals::StringLiterals;

namespace AdminCommands {
namespace {

// Days on the command line: YYYY-MM-DD, or day/month/year as the dialog writes them.
std::optional<QDate> parseDay(const QString &text)
{
    const QDate iso = QDate::fromString(text, Qt::ISODate);
    if (iso.isValid())
        return iso;
    return JobRules::parseDate(text);
}

} // namespace

int jobsList(AdminContext &context, const QStringList &args)
{
    const QString usage = u"dovrelle-admin jobs list [--status 1|2|3] [--stage 1|2|3|4] [--from N --to N] [--name T] "
                          u"[--ref T] [--delivered-from D --delivered-to D]"_s;
    QCommandLineParser parser;
    const QCommandLineOption status(u"status"_s, u"1 all, 2 completed, 3 not completed."_s, u"1|2|3"_s);
    const QCommandLineOption stage(u"stage"_s, u"1 all, 2 party, 3 printing, 4 binding and warehouse."_s, u"1|2|3|4"_s);
    const QCommandLineOption from(u"from"_s, u"First job number."_s, u"N"_s);
    const QCommandLineOption to(u"to"_s, u"Last job number."_s, u"N"_s);
    const QCommandLineOption name(u"name"_s, u"Part of the publication name."_s, u"T"_s);
    const QCommandLineOption ref(u"ref"_s, u"Part of the owner."_s, u"T"_s);
    const QCommandLineOption deliveredFrom(u"delivered-from"_s, u"First delivery day."_s, u"D"_s);
    const QCommandLineOption deliveredTo(u"delivered-to"_s, u"Last delivery day."_s, u"D"_s);
    parser.addOptions({status, stage, from, to, name, ref, deliveredFrom, deliveredTo});
    if (int code = 0; !context.parse(parser, args, usage, code))
        return code;

    JobFilter filter;
    for (auto [option, into, highest] : {std::tuple{&status, &filter.status, 3}, std::tuple{&stage, &filter.stage, 4}}) {
        if (!parser.isSet(*option))
            continue;
        bool ok = false;
        *into = parser.value(*option).toInt(&ok);
        if (!ok || *into < 1 || *into > highest)
            return context.fail(u"--%1 takes 1 to %2, not '%3'"_s.arg(option->names().constFirst()).arg(highest).arg(parser.value(*option)));
    }
    if (parser.isSet(from) != parser.isSet(to))
        return context.fail(u"--from and --to go together"_s);
    filter.numberFrom = parser.value(from);
    filter.numberTo = parser.value(to);
    filter.name = parser.value(name);
    filter.reference = parser.value(ref);
    if (parser.isSet(deliveredFrom) != parser.isSet(deliveredTo))
        return context.fail(u"--delivered-from and --delivered-to go together"_s);
    if (parser.isSet(deliveredFrom)) {
        const std::optional<QDate> first = parseDay(parser.value(deliveredFrom));
        const std::optional<QDate> last = parseDay(parser.value(deliveredTo));
        if (!first || !last)
            return context.fail(u"delivery days are YYYY-MM-DD or day/month/year"_s);
        filter.byDelivery = true;
        filter.deliveredFrom = *first;
        filter.deliveredTo = *last;
    }

    Result<Database> db = context.archive();
    if (!db)
        return context.fail(db.error());
    const Result<QList<WorkflowJob>> jobs = JobBook(*db).search(filter);
    if (!jobs)
        return context.fail(jobs.error());
    for (const WorkflowJob &j : *jobs) {
        context.out() << j.number << '\t' << j.publicationName << '\t' << j.owner << '\t' << j.quantity << '\t'
                      << j.unit << '\t' << JobRules::deliveryText(j.deliveryDate) << '\t' << j.party << '\t'
                      << JobRules::stageText(j.printingDate) << '\t' << JobRules::stageText(j.bindingDate) << '\t'
                      << JobRules::stageText(j.warehouseDate) << '\n';
    }
    context.out().flush();
    return 0;
}

int jobsAdd(AdminContext &context, const QStringList &args)
{
    const QString usage = u"dovrelle-admin jobs add --name T [--owner T] [--quantity N] [--unit T] [--delivery D] "
                          u"[--party T] [--printed D] [--bound D] [--stored D] [--number N]"_s;
    QCommandLineParser parser;
    const QList<std::pair<QCommandLineOption, int>> cellOptions = {
        {{u"name"_s, u"The publication name."_s, u"T"_s}, JobColumns::kPublicationName},
        {{u"owner"_s, u"Whose the publication is."_s, u"T"_s}, JobColumns::kOwner},
        {{u"quantity"_s, u"How many."_s, u"N"_s}, JobColumns::kQuantity},
        {{u"unit"_s, u"The unit."_s, u"T"_s}, JobColumns::kUnit},
        {{u"delivery"_s, u"The delivery day (day/month/year)."_s, u"D"_s}, JobColumns::kDelivery},
        {{u"party"_s, u"The preparing section."_s, u"T"_s}, JobColumns::kParty},
        {{u"printed"_s, u"The printing day."_s, u"D"_s}, JobColumns::kPrintingDate},
        {{u"bound"_s, u"The binding day."_s, u"D"_s}, JobColumns::kBindingDate},
        {{u"stored"_s, u"The day it reached the warehouse."_s, u"D"_s}, JobColumns::kWarehouseDate},
        {{u"number"_s, u"The job number (default: the next one)."_s, u"N"_s}, JobColumns::kNumber},
    };
    for (const auto &[option, column] : cellOptions)
        parser.addOption(option);
    if (int code = 0; !context.parse(parser, args, usage, code))
        return code;
    if (!parser.isSet(cellOptions.front().first))
        return context.fail(u"usage: "_s + usage);

    Result<Database> db = context.archive();
    if (!db)
        return context.fail(db.error());
    const JobBook book(*db);
    const Result<JobBook::Settings> settings = book.settings();
    if (!settings)
        return context.fail(settings.error());
    const qint32 offered = settings->lastNumber + 1;
    QStringList cells(JobColumns::kCount);
    cells[JobColumns::kNumber] = QString::number(offered);
    for (const auto &[option, column] : cellOptions) {
        if (parser.isSet(option))
            cells[column] = parser.value(option);
    }
    const Result<JobBook::Saved> saved = book.add(cells, WorkflowPermissions::all(), offered);
    if (!saved)
        return context.fail(saved.error());
    context.out() << saved->number << Qt::endl;
    return 0;
}

int jobsUnits(AdminContext &context, const QStringList &args)
{
    const QString usage = u"dovrelle-admin jobs units U1,U2,..."_s;
    QCommandLineParser parser;
    parser.addPositionalArgument(u"units"_s, u"The units offered for new jobs, in order (at most ten)."_s);
    if (int code = 0; !context.parse(parser, args, usage, code))
        return code;
    if (parser.positionalArguments().size() != 1)
        return context.fail(u"usage: "_s + usage);
    Result<Database> db = context.archive();
    if (!db)
        return context.fail(db.error());
    QStringList units;
    for (const QString &unit : parser.positionalArguments().constFirst().split(u','))
        units << unit.trimmed();
    if (Status s = JobBook(*db).setUnits(units); !s)
        return context.fail(s.error());
    return 0;
}

} // namespace AdminCommands

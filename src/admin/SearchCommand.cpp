#include "AdminContext.h"

#include "base/PathsFile.h"
#include "db/CClaSet.h"
#include "db/CDFSet.h"
#include "search/QueryBuilder.h"

using namespace Qt::Literals::StringLiterals;

namespace AdminCommands {

int search(AdminContext &context, const QStringList &args)
{
    QCommandLineParser parser;
    const QCommandLineOption user(u"user"_s, u"Whose classifications the search may see."_s, u"NAME"_s);
    const QCommandLineOption phrase(u"phrase"_s, u"General search for a phrase."_s, u"P"_s);
    const QCommandLineOption keywords(u"keywords"_s, u"Keyword search: words joined by +."_s, u"K"_s);
    const QCommandLineOption classText(u"class"_s, u"The classification text (default: all)."_s, u"TEXT"_s);
    const QCommandLineOption from(u"from"_s, u"First day (default: the archive's start date)."_s, u"YYYY-MM-DD"_s);
    const QCommandLineOption to(u"to"_s, u"Last day (default: today)."_s, u"YYYY-MM-DD"_s);
    const QCommandLineOption kinds(u"kinds"_s, u"images,texts,files (default: all)."_s, u"LIST"_s);
    const QCommandLineOption explain(u"explain"_s, u"Print the engine's query plan instead of the hits."_s);
    parser.addOptions({user, phrase, keywords, classText, from, to, kinds, explain});
    if (int code = 0; !context.parse(parser, args, u"dovrelle-admin search --user NAME (--phrase P | --keywords K [--class TEXT]) [--from D] [--to D] "
               u"[--kinds images,texts,files] [--explain]"_s, code))
        return code;
    if (!parser.isSet(user) || parser.isSet(phrase) == parser.isSet(keywords))
        return context.fail(u"search needs --user and one of --phrase or --keywords"_s);

    Result<Database> db = context.archive();
    if (!db)
        return context.fail(db.error());
    const Result<UserRow> row = context.user(parser.value(user));
    if (!row)
        return context.fail(row.error());
    const Result<QList<ClassRow>> classes = CClaSet(*db).all();
    if (!classes)
        return context.fail(classes.error());

    SearchRequest r;
    r.general = parser.isSet(phrase);
    r.phrase = parser.value(phrase);
    r.keywords = parser.value(keywords);
    r.classText = parser.isSet(classText) ? parser.value(classText) : QueryBuilder::allClassesText();
    const AppState &state = context.state();
    r.from = PathsFile::parseStartDate(PathsFile::read(state.programFolder).values[PathsFile::StartDate])
                 .value_or(QDate::currentDate());
    r.to = QDate::currentDate();
    for (const auto &[option, date] : {std::pair{&from, &r.from}, std::pair{&to, &r.to}}) {
        if (!parser.isSet(*option))
            continue;
        *date = QDate::fromString(parser.value(*option), Qt::ISODate);
        if (!date->isValid())
            return context.fail(u"dates are YYYY-MM-DD, not '%1'"_s.arg(parser.value(*option)));
    }
    if (parser.isSet(kinds)) {
        const QStringList list = parser.value(kinds).split(u',', Qt::SkipEmptyParts);
        for (const QString &k : list) {
            if (k != u"images" && k != u"texts" && k != u"files")
                return context.fail(u"--kinds takes images, texts and files, not '%1'"_s.arg(k));
        }
        r.images = list.contains(u"images"_s);
        r.texts = list.contains(u"texts"_s);
        r.files = list.contains(u"files"_s);
    }

    const Result<BuiltQuery> q = QueryBuilder::build(r, PermittedClasses::of(*classes, row->classAccess), db->engine());
    if (!q)
        return context.fail(q.error());
    if (Status s = QueryBuilder::writeDump(q->jetText); !s)
        return context.fail(s.error());

    if (parser.isSet(explain)) {
        // The plan of the report's first page, written and routed as the report runs it.
        const CDFSet table(*db);
        const Result<SearchPlan> plan = table.planSearch(q->where);
        if (!plan)
            return context.fail(plan.error());
        const Result<QStringList> lines = table.explainSearch(*plan, 100);
        if (!lines)
            return context.fail(lines.error());
        static const char *const kRoutes[] = {"as written", "through the text index", "in report order"};
        context.out() << "route: " << kRoutes[int(plan->route)] << '\n';
        for (const QString &line : *lines)
            context.out() << line << '\n';
        context.out().flush();
        return 0;
    }

    const Result<QList<DocumentRow>> hits = CDFSet(*db).search(q->where);
    if (!hits)
        return context.fail(hits.error());
    // As the report lists them: the highest card on top.
    for (auto it = hits->crbegin(); it != hits->crend(); ++it)
        context.out() << it->cardNumber << '\t' << it->itemNumber << '\t' << it->kind << '\t' << it->fileName << '\n';
    context.out().flush();
    return 0;
}

} // namespace AdminCommands

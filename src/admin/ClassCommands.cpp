#include "AdminContext.h"

#include "classes/Classifications.h"
#include "db/CClaSet.h"

using namespace Qt::Literals::StringLiterals;

namespace AdminCommands {

int classAdd(AdminContext &context, const QStringList &args)
{
    QCommandLineParser parser;
    const QCommandLineOption parent(u"parent"_s, u"Code of the parent classification."_s, u"CODE"_s);
    const QCommandLineOption notes(u"notes"_s, u"Notes."_s, u"TEXT"_s);
    parser.addOption(parent);
    parser.addOption(notes);
    parser.addPositionalArgument(u"code"_s, u"The classification's code."_s);
    parser.addPositionalArgument(u"name"_s, u"The classification's name."_s);
    if (int code = 0; !context.parse(parser, args, u"dovrelle-admin class add CODE NAME [--parent CODE] [--notes TEXT]"_s, code))
        return code;
    const QStringList pos = parser.positionalArguments();
    if (pos.size() != 2)
        return context.fail(u"usage: dovrelle-admin class add CODE NAME [--parent CODE]"_s);
    NewClassification c;
    c.code = pos[0];
    c.name = pos[1];
    c.notes = parser.value(notes);
    if (parser.isSet(parent)) {
        bool ok = false;
        c.parentCode = parser.value(parent).toInt(&ok);
        if (!ok || c.parentCode < 0)
            return context.fail(u"--parent takes a classification code"_s);
    }
    Result<Database> db = context.archive();
    if (!db)
        return context.fail(db.error());
    Result<qint32> serial = addClassification(*db, c);
    if (!serial)
        return context.fail(serial.error());
    context.out() << *serial << Qt::endl;
    return 0;
}

int classList(AdminContext &context, const QStringList &args)
{
    QCommandLineParser parser;
    if (int code = 0; !context.parse(parser, args, u"dovrelle-admin class list: code, name and parent code of every classification"_s, code))
        return code;
    Result<Database> db = context.archive();
    if (!db)
        return context.fail(db.error());
    const Result<QList<ClassRow>> rows = CClaSet(*db).all();
    if (!rows)
        return context.fail(rows.error());
    for (const ClassRow &row : *rows)
        context.out() << row.codeText << '\t' << row.name << '\t' << row.parentCode << '\n';
    context.out().flush();
    return 0;
}

} // namespace AdminCommands

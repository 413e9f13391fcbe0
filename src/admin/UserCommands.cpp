#include "AdminContext.h"

#include "users/UserAdmin.h"

using namespace Qt::Literals::StringLiterals;

namespace AdminCommands {

int userAdd(AdminContext &context, const QStringList &args)
{
    QCommandLineParser parser;
    const QCommandLineOption password(u"password"_s, u"The user's password."_s, u"P"_s);
    const QCommandLineOption allRights(u"all-rights"_s, u"Grant every right and workflow permission."_s);
    const QCommandLineOption classes(u"classes"_s, u"Codes of the classifications the user may see."_s,
                                     u"C1,C2"_s);
    parser.addOptions({password, allRights, classes});
    parser.addPositionalArgument(u"name"_s, u"The user's name."_s);
    if (int code = 0; !context.parse(parser, args, u"dovrelle-admin user add NAME --password P [--all-rights] [--classes C1,C2]"_s, code))
        return code;
    const QStringList pos = parser.positionalArguments();
    if (pos.size() != 1 || !parser.isSet(password))
        return context.fail(u"usage: dovrelle-admin user add NAME --password P [--all-rights] [--classes C1,C2]"_s);
    NewUser user;
    user.name = pos[0];
    user.password = parser.value(password);
    user.allRights = parser.isSet(allRights);
    for (const QString &code : parser.value(classes).split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int number = code.trimmed().toInt(&ok);
        if (!ok || number <= 0)
            return context.fail(u"--classes takes positive classification codes, not '%1'"_s.arg(code));
        user.classCodes << number;
    }
    Result<Database> db = context.archive();
    if (!db)
        return context.fail(db.error());
    Result<qint32> id = addUser(*db, user);
    if (!id)
        return context.fail(id.error());
    context.out() << *id << Qt::endl;
    return 0;
}

} // namespace AdminCommands

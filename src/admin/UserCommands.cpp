#include "AdminContext.h"

#include "db/CUserSet.h"
#include "users/UserAdmin.h"

using namespace Qt::Literals::StringLiterals;

namespace AdminCommands {
namespace {

// The positions in `table` of the named columns (any letter case), or the first unknown name.
template <std::size_t N>
std::optional<QString> markNamed(const std::array<UserPermission, N> &table, const QString &list,
                                 std::array<bool, N> &marks)
{
    marks.fill(false);
    for (const QString &piece : list.split(u',', Qt::SkipEmptyParts)) {
        const QString name = piece.trimmed();
        bool known = false;
        for (std::size_t i = 0; i < N; ++i) {
            if (name.compare(QStringView(table[i].column), Qt::CaseInsensitive) == 0) {
                marks[i] = true;
                known = true;
            }
        }
        if (!known)
            return name;
    }
    return std::nullopt;
}

template <std::size_t N>
QString namesMarked(const std::array<UserPermission, N> &table, const std::array<bool, N> &marks)
{
    QStringList names;
    for (std::size_t i = 0; i < N; ++i) {
        if (marks[i])
            names << QStringView(table[i].column).toString();
    }
    return names.join(u',');
}

QString rightNames()
{
    QStringList names;
    for (const UserPermission &right : userRights())
        names << QStringView(right.column).toString();
    return names.join(u", ");
}

// Classification codes as the users form keeps them: the code texts, positive numbers here.
std::optional<QString> readClassCodes(const QString &list, QStringList &codes)
{
    codes.clear();
    for (const QString &piece : list.split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int number = piece.trimmed().toInt(&ok);
        if (!ok || number <= 0)
            return piece;
        codes << QString::number(number);
    }
    return std::nullopt;
}

} // namespace

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
    UserForm form;
    form.name = pos[0];
    form.password = parser.value(password);
    form.rights.fill(parser.isSet(allRights));
    form.workflow.fill(parser.isSet(allRights));
    if (const std::optional<QString> bad = readClassCodes(parser.value(classes), form.classCodes))
        return context.fail(u"--classes takes positive classification codes, not '%1'"_s.arg(*bad));
    Result<Database> db = context.archive();
    if (!db)
        return context.fail(db.error());
    Result<qint32> id = addUser(*db, form);
    if (!id)
        return context.fail(id.error());
    context.out() << *id << Qt::endl;
    return 0;
}

// Changes what is named and keeps the rest, through the same rules as the users form: nobody can
// take the users right from its last holder, and MASTER keeps its name.
int userSet(AdminContext &context, const QStringList &args)
{
    const QString usage =
        u"dovrelle-admin user set NAME [--password P] [--rights R1,R2 | --all-rights] [--classes C1,C2] [--workflow ex1,ex5]"_s;
    QCommandLineParser parser;
    const QCommandLineOption password(u"password"_s, u"A new password."_s, u"P"_s);
    const QCommandLineOption rights(u"rights"_s, u"The rights granted, by column: "_s + rightNames() + u"."_s,
                                    u"R1,R2"_s);
    const QCommandLineOption allRights(u"all-rights"_s, u"Grant every right."_s);
    const QCommandLineOption classes(u"classes"_s, u"Codes of the classifications the user may see."_s, u"C1,C2"_s);
    const QCommandLineOption workflow(u"workflow"_s, u"The workflow permissions granted (ex1 ... ex8)."_s, u"ex1,ex5"_s);
    parser.addOptions({password, rights, allRights, classes, workflow});
    parser.addPositionalArgument(u"name"_s, u"The user's name."_s);
    if (int code = 0; !context.parse(parser, args, usage, code))
        return code;
    const QStringList pos = parser.positionalArguments();
    if (pos.size() != 1 || (parser.isSet(rights) && parser.isSet(allRights)))
        return context.fail(u"usage: "_s + usage);

    const Result<UserRow> row = context.user(pos[0]);
    if (!row)
        return context.fail(row.error());
    UserForm form = formOf(*row);
    if (parser.isSet(password)) {
        form.password = parser.value(password);
        if (form.password.isEmpty())
            return context.fail(u"--password needs a password; leave it out to keep the one there is"_s);
    }
    if (parser.isSet(allRights)) {
        form.rights.fill(true);
    } else if (parser.isSet(rights)) {
        if (const std::optional<QString> bad = markNamed(userRights(), parser.value(rights), form.rights))
            return context.fail(u"no right '%1' (rights: %2)"_s.arg(*bad, rightNames()));
    }
    if (parser.isSet(classes)) {
        if (const std::optional<QString> bad = readClassCodes(parser.value(classes), form.classCodes))
            return context.fail(u"--classes takes positive classification codes, not '%1'"_s.arg(*bad));
    }
    if (parser.isSet(workflow)) {
        if (const std::optional<QString> bad = markNamed(workflowPermissions(), parser.value(workflow), form.workflow))
            return context.fail(u"no workflow permission '%1' (ex1 ... ex8)"_s.arg(*bad));
    }
    Result<Database> db = context.archive();
    if (!db)
        return context.fail(db.error());
    if (Status s = changeUser(*db, row->user, form); !s)
        return context.fail(s.error());
    return 0;
}

int userList(AdminContext &context, const QStringList &args)
{
    QCommandLineParser parser;
    const QString usage = u"dovrelle-admin user list: name, rights, classifications and workflow permissions of every user"_s;
    if (int code = 0; !context.parse(parser, args, usage, code))
        return code;
    if (!parser.positionalArguments().isEmpty())
        return context.fail(u"usage: dovrelle-admin user list"_s);
    Result<Database> db = context.archive();
    if (!db)
        return context.fail(db.error());
    const Result<QList<UserRow>> users = CUserSet(*db).all();
    if (!users)
        return context.fail(users.error());
    for (const UserRow &row : *users) {
        const UserForm form = formOf(row);
        context.out() << row.user << '\t' << namesMarked(userRights(), form.rights) << '\t'
                      << form.classCodes.join(u',') << '\t' << namesMarked(workflowPermissions(), form.workflow)
                      << '\n';
    }
    context.out().flush();
    return 0;
}

} // namespace AdminCommands

#include "AdminContext.h"

#include <QDir>

using namespace Qt::Literals::StringLiterals;

namespace AdminCommands {
namespace {

constexpr AdminCommand kCommands[] = {
    {u"init", u"", &init},          {u"archive", u"", &archive},   {u"show", u"", &show},
    {u"verify", u"", &verify},      {u"search", u"", &search},     {u"memo", u"", &memo},
    {u"class", u"add", &classAdd},  {u"class", u"list", &classList}, {u"user", u"add", &userAdd},
    {u"user", u"set", &userSet},    {u"user", u"list", &userList},  {u"feed", u"set", &feedSet},
    {u"image", u"", &image},        {u"jobs", u"list", &jobsList}, {u"jobs", u"add", &jobsAdd},
    {u"jobs", u"units", &jobsUnits}, {u"find", u"", &find},       {u"scan", u"", &scan},
    {u"edit", u"", &edit},          {u"delete", u"", &deleteCard}, {u"transfer", u"", &transfer},
};

int usage(QTextStream &out)
{
    out << "usage: dovrelle-admin COMMAND [options]\n"
           "  init [--home DIR] [--server URI] [--start-date YYYY-MM-DD] [--master-password P]\n"
           "  class add CODE NAME [--parent CODE]\n"
           "  class list\n"
           "  archive --user NAME --class C[,C...] [--name T] [--notes T] [--editor T] [--date YYYY-MM-DD]\n"
           "          {--file PATH [--keywords K] [--description D]}... {--text T [--keywords K]}... [--wait | --no-copier]\n"
           "  edit N --user NAME [--remove-item I]... [--file PATH]... [--name T] [--wait]\n"
           "  delete N --user NAME\n"
           "  show N\n"
           "  search --user NAME (--phrase P | --keywords K [--class TEXT]) [--from D] [--to D] [--kinds LIST] [--explain]\n"
           "  verify [--repair]\n"
           "  user add NAME --password P [--all-rights] [--classes C1,C2]\n"
           "  user set NAME [--password P] [--rights R1,R2 | --all-rights] [--classes C1,C2] [--workflow ex1,ex5]\n"
           "  user list\n"
           "  jobs list [--status 1|2|3] [--stage 1|2|3|4] [--from N --to N] [--name T] [--ref T]\n"
           "            [--delivered-from D --delivered-to D]\n"
           "  jobs add --name T [--owner T] [--quantity N] [--unit T] [--delivery D] [--party T]\n"
           "           [--printed D] [--bound D] [--stored D] [--number N]\n"
           "  jobs units U1,U2,...\n"
           "  feed set ROW --name N --folder F --type files|images|text\n"
           "  memo --card N --item M --to USER --text T [--date YYYY-MM-DD]\n"
           "  transfer FILE --to USER[,USER...]\n"
           "  image COMMAND IN OUT [--PARAM VALUE]... [--src FILE]...   (image --list, image info FILE)\n"
           "  find DIR [--name FRAG] [--min-kb N] [--max-kb N] [--text T] [--no-recurse]\n"
           "  scan [--device NAME] [--source flatbed|feeder] [--mode gray|color|lineart] [--resolution DPI] --out DIR\n"
           "  scan --list\n"
           "Every command takes --home DIR (else DOVRELLE_HOME, else the working folder).\n";
    out.flush();
    return 2;
}

// Takes "--home DIR" or "--home=DIR" off the command line; the last one counts.
std::optional<QString> takeHome(QStringList &args, QString &error)
{
    std::optional<QString> home;
    for (qsizetype i = 0; i < args.size();) {
        if (args[i] == u"--home") {
            if (i + 1 >= args.size()) {
                error = u"Missing value after '--home'."_s;
                return std::nullopt;
            }
            home = args[i + 1];
            args.remove(i, 2);
        } else if (args[i].startsWith(u"--home=")) {
            home = args[i].mid(7);
            args.remove(i);
        } else {
            ++i;
        }
    }
    return home;
}

} // namespace

int run(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    if (arguments.size() < 2)
        return usage(out);
    QStringList rest = arguments.mid(2);
    QString error;
    const std::optional<QString> home = takeHome(rest, error);
    AdminContext context(home ? QDir(*home).absolutePath() : AppState::programFolderFromEnvironment(), out, err);
    if (!error.isEmpty()) {
        context.fail(error);
        return 2;
    }
    const QString &name = arguments[1];
    for (const AdminCommand &command : kCommands) {
        if (name != QStringView(command.name))
            continue;
        const QStringView verb(command.verb);
        if (verb.isEmpty())
            return command.run(context, QStringList{arguments[0]} + rest);
        if (!rest.isEmpty() && rest.constFirst() == verb)
            return command.run(context, QStringList{arguments[0]} + rest.mid(1));
    }
    return usage(out);
}

} // namespace AdminCommands

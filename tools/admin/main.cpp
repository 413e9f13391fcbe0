// dovrelle-admin: the archive from the command line, for scripts, demos and checks.

#include "app/AppState.h"
#include "app/ArchiveSetup.h"
#include "cards/Archiver.h"
#include "classes/Classifications.h"
#include "db/CDFSet.h"
#include "db/CUserSet.h"
#include "db/CClaSet.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "users/UserAdmin.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTextStream>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

int fail(const QString &message)
{
    QTextStream err(stderr);
    err << "dovrelle-admin: " << message << Qt::endl;
    return 1;
}

const QCommandLineOption kHome(u"home"_s, u"The program folder of the archive."_s, u"DIR"_s);

QString homeFolder(const QCommandLineParser &parser)
{
    if (parser.isSet(kHome))
        return QDir(parser.value(kHome)).absolutePath();
    return AppState::programFolderFromEnvironment();
}

// The archive's database, brought to this program's schema version.
Result<Database> openArchive(const QCommandLineParser &parser)
{
    const AppState state = AppState::load(homeFolder(parser));
    if (state.firstRun) {
        return Result<Database>::failure(
            u"no archive in %1 (run 'dovrelle-admin init' first)"_s.arg(state.programFolder));
    }
    Result<Database> db = Database::open(state.databaseFolder);
    if (!db)
        return db;
    if (Status s = Schema::upgrade(*db); !s)
        return Result<Database>::failure(s.error());
    return db;
}

bool parse(QCommandLineParser &parser, const QStringList &args, const QString &usage)
{
    parser.addOption(kHome);
    parser.addHelpOption();
    parser.setApplicationDescription(usage);
    if (!parser.parse(args)) {
        fail(parser.errorText());
        return false;
    }
    if (parser.isSet(u"help"_s)) {
        out() << parser.helpText();
        return false;
    }
    return true;
}

int cmdInit(const QStringList &args)
{
    QCommandLineParser parser;
    const QCommandLineOption server(u"server"_s, u"Keep the databases on this PostgreSQL server."_s, u"URI"_s);
    parser.addOption(server);
    if (!parse(parser, args, u"dovrelle-admin init [--home DIR] [--server URI]"_s))
        return parser.isSet(u"help"_s) ? 0 : 2;
    const QString home = homeFolder(parser);
    if (Status s = createArchive(home, parser.value(server)); !s)
        return fail(s.error());
    out() << "archive created in " << home << Qt::endl;
    return 0;
}

int cmdClassAdd(const QStringList &args)
{
    QCommandLineParser parser;
    const QCommandLineOption parent(u"parent"_s, u"Code of the parent classification."_s, u"CODE"_s);
    const QCommandLineOption notes(u"notes"_s, u"Notes."_s, u"TEXT"_s);
    parser.addOption(parent);
    parser.addOption(notes);
    parser.addPositionalArgument(u"code"_s, u"The classification's code."_s);
    parser.addPositionalArgument(u"name"_s, u"The classification's name."_s);
    if (!parse(parser, args, u"dovrelle-admin class add CODE NAME [--parent CODE] [--notes TEXT]"_s))
        return parser.isSet(u"help"_s) ? 0 : 2;
    const QStringList pos = parser.positionalArguments();
    if (pos.size() != 2)
        return fail(u"usage: dovrelle-admin class add CODE NAME [--parent CODE]"_s);
    NewClassification c;
    c.code = pos[0];
    c.name = pos[1];
    c.notes = parser.value(notes);
    if (parser.isSet(parent)) {
        bool ok = false;
        c.parentCode = parser.value(parent).toInt(&ok);
        if (!ok || c.parentCode < 0)
            return fail(u"--parent takes a classification code"_s);
    }
    Result<Database> db = openArchive(parser);
    if (!db)
        return fail(db.error());
    Result<qint32> serial = addClassification(*db, c);
    if (!serial)
        return fail(serial.error());
    out() << *serial << Qt::endl;
    return 0;
}

int cmdClassList(const QStringList &args)
{
    QCommandLineParser parser;
    if (!parse(parser, args, u"dovrelle-admin class list: code, name and parent code of every classification"_s))
        return parser.isSet(u"help"_s) ? 0 : 2;
    Result<Database> db = openArchive(parser);
    if (!db)
        return fail(db.error());
    const Result<QList<ClassRow>> rows = CClaSet(*db).all();
    if (!rows)
        return fail(rows.error());
    for (const ClassRow &row : *rows)
        out() << row.s1 << '\t' << row.s2 << '\t' << row.n14 << '\n';
    out().flush();
    return 0;
}

// Options of 'archive' are read in order, so that --keywords and --description belong to the
// --file or --text before them.
int cmdArchive(const QStringList &args)
{
    QString home;
    QString user;
    bool wait = false;
    CardDraft draft;
    draft.date = QDate::currentDate();
    enum class Last { None, File, Text } last = Last::None;
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        auto value = [&]() -> std::optional<QString> {
            if (i + 1 >= args.size())
                return std::nullopt;
            return args[++i];
        };
        if (a == u"--wait") {
            wait = true;
            continue;
        }
        const std::optional<QString> v = value();
        if (!v)
            return fail(u"%1 needs a value"_s.arg(a));
        if (a == u"--home") {
            home = QDir(*v).absolutePath();
        } else if (a == u"--user") {
            user = *v;
        } else if (a == u"--class") {
            for (const QString &code : v->split(u',', Qt::SkipEmptyParts)) {
                bool ok = false;
                const int n = code.trimmed().toInt(&ok);
                if (!ok || n <= 0)
                    return fail(u"--class takes positive classification codes, not '%1'"_s.arg(code));
                draft.classCodes << n;
            }
        } else if (a == u"--name") {
            draft.name = *v;
        } else if (a == u"--notes") {
            draft.notes = *v;
        } else if (a == u"--editor") {
            draft.editor = *v;
        } else if (a == u"--date") {
            draft.date = QDate::fromString(*v, Qt::ISODate);
            if (!draft.date.isValid())
                return fail(u"--date takes YYYY-MM-DD, not '%1'"_s.arg(*v));
        } else if (a == u"--file") {
            if (!QFileInfo::exists(*v))
                return fail(u"no such file or folder: %1"_s.arg(*v));
            draft.files.append(FileItem::fromPath(*v));
            last = Last::File;
        } else if (a == u"--text") {
            draft.texts.append({QString(), *v, false});
            last = Last::Text;
        } else if (a == u"--keywords" && last == Last::File) {
            draft.files.last().keywords = *v;
        } else if (a == u"--keywords" && last == Last::Text) {
            draft.texts.last().keywords = *v;
        } else if (a == u"--description" && last == Last::File) {
            draft.files.last().description = *v;
        } else {
            return fail(u"unexpected '%1' (see 'dovrelle-admin' for the usage)"_s.arg(a));
        }
    }
    if (user.isEmpty())
        return fail(u"archive needs --user NAME"_s);

    const AppState state = AppState::load(home.isEmpty() ? AppState::programFolderFromEnvironment() : home);
    if (state.firstRun)
        return fail(u"no archive in %1 (run 'dovrelle-admin init' first)"_s.arg(state.programFolder));
    Result<Database> db = Database::open(state.databaseFolder);
    if (!db)
        return fail(db.error());
    if (Status s = Schema::upgrade(*db); !s)
        return fail(s.error());
    const Result<std::optional<UserRow>> row = CUserSet(*db).byName(user);
    if (!row)
        return fail(row.error());
    if (!row->has_value())
        return fail(u"مستخدم غير موجود: %1"_s.arg(user));
    if (!isGranted((*row)->docadd))
        return fail(u"لا يوجد صلاحية لهذا المستخدم: %1"_s.arg(user));

    Archiver archiver(Archiver::foldersOf(state), *db);
    archiver.setStartCopier(!wait);
    const Result<qint32> card = archiver.archiveNew(draft);
    if (!card)
        return fail(card.error());
    out() << *card << Qt::endl;
    if (!archiver.warning().isEmpty())
        QTextStream(stderr) << "dovrelle-admin: " << archiver.warning() << Qt::endl;
    if (!wait)
        return 0;

    QProcess copier;
    copier.setWorkingDirectory(state.programFolder + u"/COM"_s);
    copier.setProcessChannelMode(QProcess::ForwardedChannels);
    copier.start(archiver.copierProgram(), {});
    if (!copier.waitForFinished(-1) || copier.exitStatus() != QProcess::NormalExit || copier.exitCode() != 0)
        return fail(u"copying the files of card %1 failed"_s.arg(*card));
    for (const FileItem &f : draft.files) {
        const QString stored = f.storedFolder + u'/' + QString::number(*card) + u'&' + QString::number(f.itemNumber)
                               + u'&' + f.name;
        if (!QFileInfo::exists(stored))
            return fail(u"not in the file store: %1"_s.arg(stored));
    }
    return 0;
}

int cmdShow(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(u"card"_s, u"The card number."_s);
    if (!parse(parser, args, u"dovrelle-admin show N: the card's rows (n1 n2 n3 n5 n6 s5 s7 s8)"_s))
        return parser.isSet(u"help"_s) ? 0 : 2;
    bool ok = false;
    const int card = parser.positionalArguments().value(0).toInt(&ok);
    if (!ok || card <= 0)
        return fail(u"usage: dovrelle-admin show N"_s);
    Result<Database> db = openArchive(parser);
    if (!db)
        return fail(db.error());
    const Result<QList<DocumentRow>> rows = CDFSet(*db).cardRows(card);
    if (!rows)
        return fail(rows.error());
    if (rows->isEmpty())
        return fail(u"no card %1"_s.arg(card));
    for (const DocumentRow &r : *rows) {
        out() << r.n1 << '\t' << r.n2 << '\t' << r.n3 << '\t' << r.n5 << '\t' << r.n6 << '\t' << r.s5 << '\t' << r.s7
              << '\t' << r.s8 << '\n';
    }
    out().flush();
    return 0;
}

int cmdVerify(const QStringList &args)
{
    QCommandLineParser parser;
    if (!parse(parser, args, u"dovrelle-admin verify: every archived file and folder is in the file store"_s))
        return parser.isSet(u"help"_s) ? 0 : 2;
    Result<Database> db = openArchive(parser);
    if (!db)
        return fail(db.error());
    const AppState state = AppState::load(homeFolder(parser));
    const Result<QList<DocumentRow>> rows =
        CDFSet(*db).search(SqlCondition::raw(u"n3 IN (1, 2, 3) AND n1 > 0"_s));
    if (!rows)
        return fail(rows.error());
    int missing = 0;
    for (const DocumentRow &r : *rows) {
        const QString stored = Archiver::storedPath(state.fileServerFolder, r);
        if (!QFileInfo::exists(stored)) {
            out() << r.n1 << '\t' << r.n2 << '\t' << stored << '\n';
            ++missing;
        }
    }
    out().flush();
    if (missing > 0)
        return fail(u"%1 of %2 archived items are missing from the file store"_s.arg(missing).arg(rows->size()));
    return 0;
}

int cmdUserAdd(const QStringList &args)
{
    QCommandLineParser parser;
    const QCommandLineOption password(u"password"_s, u"The user's password."_s, u"P"_s);
    const QCommandLineOption allRights(u"all-rights"_s, u"Grant every right and workflow permission."_s);
    const QCommandLineOption classes(u"classes"_s, u"Codes of the classifications the user may see."_s,
                                     u"C1,C2"_s);
    parser.addOptions({password, allRights, classes});
    parser.addPositionalArgument(u"name"_s, u"The user's name."_s);
    if (!parse(parser, args,
               u"dovrelle-admin user add NAME --password P [--all-rights] [--classes C1,C2]"_s))
        return parser.isSet(u"help"_s) ? 0 : 2;
    const QStringList pos = parser.positionalArguments();
    if (pos.size() != 1 || !parser.isSet(password))
        return fail(u"usage: dovrelle-admin user add NAME --password P [--all-rights] [--classes C1,C2]"_s);
    NewUser user;
    user.name = pos[0];
    user.password = parser.value(password);
    user.allRights = parser.isSet(allRights);
    for (const QString &code : parser.value(classes).split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int number = code.trimmed().toInt(&ok);
        if (!ok || number <= 0)
            return fail(u"--classes takes positive classification codes, not '%1'"_s.arg(code));
        user.classCodes << number;
    }
    Result<Database> db = openArchive(parser);
    if (!db)
        return fail(db.error());
    Result<qint32> id = addUser(*db, user);
    if (!id)
        return fail(id.error());
    out() << *id << Qt::endl;
    return 0;
}

int usage()
{
    out() << "usage: dovrelle-admin COMMAND [options]\n"
             "  init [--home DIR] [--server URI]\n"
             "  class add CODE NAME [--parent CODE]\n"
             "  class list\n"
             "  archive --user NAME --class C[,C...] [--name T] [--notes T] [--editor T] [--date YYYY-MM-DD]\n"
             "          {--file PATH [--keywords K] [--description D]}... {--text T [--keywords K]}... [--wait]\n"
             "  show N\n"
             "  verify\n"
             "  user add NAME --password P [--all-rights] [--classes C1,C2]\n"
             "Every command takes --home DIR (else DOVRELLE_HOME, else the working folder).\n";
    out().flush();
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"dovrelle-admin"_s);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2)
        return usage();

    const QString command = args[1];
    // Each command parses its own options; the program name stands first as the parser expects.
    QStringList rest = args.mid(2);
    if (command == u"init")
        return cmdInit(QStringList{args[0]} + rest);
    if (command == u"archive")
        return cmdArchive(QStringList{args[0]} + rest);
    if (command == u"show")
        return cmdShow(QStringList{args[0]} + rest);
    if (command == u"verify")
        return cmdVerify(QStringList{args[0]} + rest);
    if (command == u"class" || command == u"user") {
        const QString verb = rest.value(0);
        if (!rest.isEmpty())
            rest.removeFirst();
        const QStringList withProgram = QStringList{args[0]} + rest;
        if (command == u"class" && verb == u"add")
            return cmdClassAdd(withProgram);
        if (command == u"class" && verb == u"list")
            return cmdClassList(withProgram);
        if (command == u"user" && verb == u"add")
            return cmdUserAdd(withProgram);
    }
    return usage();
}

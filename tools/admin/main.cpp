// dovrelle-admin: the archive from the command line, for scripts, demos and checks.

#include "app/ArchiveSetup.h"
#include "base/AppState.h"
#include "base/PathsFile.h"
#include "base/SettingsFiles.h"
#include "baskets/MemoStore.h"
#include "cards/Archiver.h"
#include "cards/CopyOutbox.h"
#include "cards/StoredName.h"
#include "classes/Classifications.h"
#include "db/CClaSet.h"
#include "db/CDFSet.h"
#include "db/CUserSet.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "search/QueryBuilder.h"
#include "users/UserAdmin.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
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
        out() << row.codeText << '\t' << row.name << '\t' << row.parentCode << '\n';
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

    Archiver archiver(Archiver::foldersOf(state), *db, (*row)->classAccess);
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
    copier.start(archiver.copierProgram(), {u"--wait"_s});
    if (!copier.waitForFinished(-1) || copier.exitStatus() != QProcess::NormalExit || copier.exitCode() != 0)
        return fail(u"copying the files of card %1 failed"_s.arg(*card));
    for (const FileItem &f : draft.files) {
        const QString stored = f.storedFolder + u'/' + StoredName::make(*card, f.itemNumber, f.name);
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
        out() << r.cardNumber << '\t' << r.itemNumber << '\t' << r.kind << '\t' << r.typeCode << '\t' << r.size << '\t' << r.fileName << '\t' << r.seriesFolder
              << '\t' << r.extension << '\n';
    }
    out().flush();
    return 0;
}

// Runs the archiving copier until its list is empty, waiting for one already at work.
bool runCopier(const AppState &state)
{
    QProcess copier;
    copier.setWorkingDirectory(state.programFolder + u"/COM"_s);
    copier.setProcessChannelMode(QProcess::ForwardedChannels);
    copier.start(Archiver::copierProgramIn(state.programFolder), {u"--wait"_s});
    return copier.waitForFinished(-1) && copier.exitStatus() == QProcess::NormalExit && copier.exitCode() == 0;
}

int cmdVerify(const QStringList &args)
{
    QCommandLineParser parser;
    const QCommandLineOption repair(u"repair"_s, u"First hand over waiting copy orders, run the copier and delete stale files."_s);
    parser.addOption(repair);
    if (!parse(parser, args, u"dovrelle-admin verify [--repair]: every archived file and folder is in the file store"_s))
        return parser.isSet(u"help"_s) ? 0 : 2;
    Result<Database> db = openArchive(parser);
    if (!db)
        return fail(db.error());
    const AppState state = AppState::load(homeFolder(parser));
    const Result<QList<DocumentRow>> rows =
        CDFSet(*db).search(SqlCondition::raw(u"n3 IN (1, 2, 3) AND n1 > 0"_s));
    if (!rows)
        return fail(rows.error());
    QSet<QString> stored;
    for (const DocumentRow &r : *rows)
        stored.insert(Archiver::storedPath(state.fileServerFolder, r));

    const CopyOutbox outbox(*db, state.programFolder);
    if (parser.isSet(repair)) {
        const Result<int> delivered = outbox.deliver();
        if (!delivered)
            return fail(delivered.error());
        out() << "copy orders handed to the copier: " << *delivered << '\n';
        out().flush();
        if (!runCopier(state))
            QTextStream(stderr) << "dovrelle-admin: the copier reported failures (see COM/fm-errors.log)" << Qt::endl;
        const Result<QStringList> left = Archiver::deleteStaleFiles(state.databaseFolder, stored);
        if (!left)
            return fail(left.error());
    }

    int problems = 0;
    for (const DocumentRow &r : *rows) {
        const QString path = Archiver::storedPath(state.fileServerFolder, r);
        if (!QFileInfo::exists(path)) {
            out() << r.cardNumber << '\t' << r.itemNumber << '\t' << path << '\n';
            ++problems;
        }
    }
    const int missing = problems;
    const Result<int> waiting = outbox.waiting();
    if (waiting && *waiting > 0) {
        out() << "copy orders not yet handed to the copier: " << *waiting << '\n';
        ++problems;
    }
    const Result<QList<CopyOrder>> failed = CopyHandOff(state.programFolder, CopyHandOff::Copier::Archive).failed();
    if (failed && !failed->isEmpty()) {
        out() << "copy orders that failed and wait for the next copier: " << failed->size() << '\n';
        ++problems;
    }
    for (const QString &path : Archiver::staleFiles(state.databaseFolder)) {
        if (stored.contains(path))
            continue;
        out() << "stale\t" << path << '\n';
        ++problems;
    }
    out().flush();
    if (missing > 0)
        return fail(u"%1 of %2 archived items are missing from the file store"_s.arg(missing).arg(rows->size()));
    if (problems > 0)
        return fail(u"the file store is not in order (run 'dovrelle-admin verify --repair')"_s);
    return 0;
}

int cmdSearch(const QStringList &args)
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
    if (!parse(parser, args,
               u"dovrelle-admin search --user NAME (--phrase P | --keywords K [--class TEXT]) [--from D] [--to D] "
               u"[--kinds images,texts,files] [--explain]"_s))
        return parser.isSet(u"help"_s) ? 0 : 2;
    if (!parser.isSet(user) || parser.isSet(phrase) == parser.isSet(keywords))
        return fail(u"search needs --user and one of --phrase or --keywords"_s);

    Result<Database> db = openArchive(parser);
    if (!db)
        return fail(db.error());
    const Result<std::optional<UserRow>> row = CUserSet(*db).byName(parser.value(user));
    if (!row)
        return fail(row.error());
    if (!row->has_value())
        return fail(u"مستخدم غير موجود: %1"_s.arg(parser.value(user)));
    const Result<QList<ClassRow>> classes = CClaSet(*db).all();
    if (!classes)
        return fail(classes.error());

    SearchRequest r;
    r.general = parser.isSet(phrase);
    r.phrase = parser.value(phrase);
    r.keywords = parser.value(keywords);
    r.classText = parser.isSet(classText) ? parser.value(classText) : QueryBuilder::allClassesText();
    const AppState state = AppState::load(homeFolder(parser));
    r.from = PathsFile::parseStartDate(PathsFile::read(state.programFolder).values[PathsFile::StartDate])
                 .value_or(QDate::currentDate());
    r.to = QDate::currentDate();
    for (const auto &[option, date] : {std::pair{&from, &r.from}, std::pair{&to, &r.to}}) {
        if (!parser.isSet(*option))
            continue;
        *date = QDate::fromString(parser.value(*option), Qt::ISODate);
        if (!date->isValid())
            return fail(u"dates are YYYY-MM-DD, not '%1'"_s.arg(parser.value(*option)));
    }
    if (parser.isSet(kinds)) {
        const QStringList list = parser.value(kinds).split(u',', Qt::SkipEmptyParts);
        for (const QString &k : list) {
            if (k != u"images" && k != u"texts" && k != u"files")
                return fail(u"--kinds takes images, texts and files, not '%1'"_s.arg(k));
        }
        r.images = list.contains(u"images"_s);
        r.texts = list.contains(u"texts"_s);
        r.files = list.contains(u"files"_s);
    }

    const Result<BuiltQuery> q = QueryBuilder::build(r, PermittedClasses::of(*classes, (*row)->classAccess), db->engine());
    if (!q)
        return fail(q.error());
    if (Status s = QueryBuilder::writeDump(q->jetText); !s)
        return fail(s.error());

    if (parser.isSet(explain)) {
        // The plan of the report's first page, written and routed as the report runs it.
        const CDFSet table(*db);
        const Result<SearchPlan> plan = table.planSearch(q->where);
        if (!plan)
            return fail(plan.error());
        const Result<QStringList> lines = table.explainSearch(*plan, 100);
        if (!lines)
            return fail(lines.error());
        static const char *const kRoutes[] = {"as written", "through the text index", "in report order"};
        out() << "route: " << kRoutes[int(plan->route)] << '\n';
        for (const QString &line : *lines)
            out() << line << '\n';
        out().flush();
        return 0;
    }

    const Result<QList<DocumentRow>> hits = CDFSet(*db).search(q->where);
    if (!hits)
        return fail(hits.error());
    // As the report lists them: the highest card on top.
    for (auto it = hits->crbegin(); it != hits->crend(); ++it)
        out() << it->cardNumber << '\t' << it->itemNumber << '\t' << it->kind << '\t' << it->fileName << '\n';
    out().flush();
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

int cmdFeedSet(const QStringList &args)
{
    QCommandLineParser parser;
    const QCommandLineOption name(u"name"_s, u"The feed's name."_s, u"N"_s);
    const QCommandLineOption folder(u"folder"_s, u"The folder the feed writer fills."_s, u"F"_s);
    const QCommandLineOption type(u"type"_s, u"What the feed brings: files, images or text."_s, u"T"_s);
    parser.addOptions({name, folder, type});
    parser.addPositionalArgument(u"row"_s, u"The feed's row, 1 to 10."_s);
    const QString usageText = u"dovrelle-admin feed set ROW --name N --folder F --type files|images|text"_s;
    if (!parse(parser, args, usageText))
        return parser.isSet(u"help"_s) ? 0 : 2;
    bool ok = false;
    const int row = parser.positionalArguments().value(0).toInt(&ok);
    const QStringList types{u"none"_s, u"files"_s, u"images"_s, u"text"_s};
    const qsizetype typeNumber = types.indexOf(parser.value(type));
    if (!ok || row < 1 || row > SettingsFiles::kFeedCount || typeNumber < 0)
        return fail(u"usage: "_s + usageText);
    const AppState state = AppState::load(homeFolder(parser));
    FeedList feeds = SettingsFiles::readFeeds(state.databaseFolder);
    FeedRecord &feed = feeds[size_t(row - 1)];
    feed.number = row;
    feed.name = parser.value(name);
    feed.folder = QDir(parser.value(folder)).absolutePath();
    feed.type = qint32(typeNumber);
    if (Status s = SettingsFiles::writeFeeds(state.databaseFolder, feeds); !s)
        return fail(s.error());
    return 0;
}

int cmdMemo(const QStringList &args)
{
    QCommandLineParser parser;
    const QCommandLineOption card(u"card"_s, u"The card of the item."_s, u"N"_s);
    const QCommandLineOption item(u"item"_s, u"The item's number on the card."_s, u"M"_s);
    const QCommandLineOption to(u"to"_s, u"The user the memo is for."_s, u"USER"_s);
    const QCommandLineOption text(u"text"_s, u"The memo."_s, u"T"_s);
    const QCommandLineOption date(u"date"_s, u"The reminder date (default today)."_s, u"YYYY-MM-DD"_s);
    parser.addOptions({card, item, to, text, date});
    const QString usageText = u"dovrelle-admin memo --card N --item M --to USER --text T [--date YYYY-MM-DD]"_s;
    if (!parse(parser, args, usageText))
        return parser.isSet(u"help"_s) ? 0 : 2;
    const int cardNumber = parser.value(card).toInt();
    const int itemNumber = parser.value(item).toInt();
    const QDate day = parser.isSet(date) ? QDate::fromString(parser.value(date), Qt::ISODate) : QDate::currentDate();
    if (cardNumber <= 0 || itemNumber <= 0 || !parser.isSet(to) || !day.isValid())
        return fail(u"usage: "_s + usageText);
    Result<Database> db = openArchive(parser);
    if (!db)
        return fail(db.error());
    const Result<QList<DocumentRow>> rows = CDFSet(*db).cardRows(cardNumber);
    if (!rows)
        return fail(rows.error());
    for (const DocumentRow &row : *rows) {
        if (row.itemNumber != itemNumber)
            continue;
        Memo memo;
        memo.addressee = parser.value(to);
        memo.text = parser.value(text);
        memo.reminder = QDateTime(day, QTime(9, 0));
        memo.remind = true;
        if (Status s = MemoStore(*db).write(row.serial, memo); !s)
            return fail(s.error());
        out() << row.serial << Qt::endl;
        return 0;
    }
    return fail(u"no item %1 on card %2"_s.arg(itemNumber).arg(cardNumber));
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
             "  search --user NAME (--phrase P | --keywords K [--class TEXT]) [--from D] [--to D] [--kinds LIST] [--explain]\n"
             "  verify [--repair]\n"
             "  user add NAME --password P [--all-rights] [--classes C1,C2]\n"
             "  feed set ROW --name N --folder F --type files|images|text\n"
             "  memo --card N --item M --to USER --text T [--date YYYY-MM-DD]\n"
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
    if (command == u"search")
        return cmdSearch(QStringList{args[0]} + rest);
    if (command == u"verify")
        return cmdVerify(QStringList{args[0]} + rest);
    if (command == u"memo")
        return cmdMemo(QStringList{args[0]} + rest);
    if (command == u"class" || command == u"user" || command == u"feed") {
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
        if (command == u"feed" && verb == u"set")
            return cmdFeedSet(withProgram);
    }
    return usage();
}

#include "AdminContext.h"

#include "app/ArchiveSetup.h"
#include "cards/Archiver.h"
#include "cards/CopyOutbox.h"
#include "cards/ShownCard.h"
#include "cards/StoredName.h"
#include "db/CDFSet.h"
#include "users/PasswordHash.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace AdminCommands {
namespace {

// Runs the archiving copier until its list is empty, waiting for one already at work.
bool runCopier(const AppState &state)
{
    QProcess copier;
    copier.setWorkingDirectory(state.programFolder + u"/COM"_s);
    copier.setProcessChannelMode(QProcess::ForwardedChannels);
    copier.start(Archiver::copierProgramIn(state.programFolder), {u"--wait"_s});
    return copier.waitForFinished(-1) && copier.exitStatus() == QProcess::NormalExit && copier.exitCode() == 0;
}

} // namespace

int init(AdminContext &context, const QStringList &args)
{
    QCommandLineParser parser;
    const QCommandLineOption server(u"server"_s, u"Keep the databases on this PostgreSQL server."_s, u"URI"_s);
    const QCommandLineOption start(u"start-date"_s, u"The archive's start date (default today)."_s, u"YYYY-MM-DD"_s);
    const QCommandLineOption master(u"master-password"_s, u"MASTER's password (asked for on a terminal, else made up and printed once)."_s, u"P"_s);
    parser.addOptions({server, start, master});
    if (int code = 0; !context.parse(parser, args, u"dovrelle-admin init [--home DIR] [--server URI] [--start-date YYYY-MM-DD] [--master-password P]"_s, code))
        return code;
    QDate startDate;
    if (parser.isSet(start)) {
        startDate = QDate::fromString(parser.value(start), Qt::ISODate);
        if (!startDate.isValid())
            return context.fail(u"dates are YYYY-MM-DD, not '%1'"_s.arg(parser.value(start)));
    }
    QString password = parser.value(master);
    bool madeUp = false;
    if (!parser.isSet(master)) {
        if (std::optional<QString> typed = context.askNewPassword(u"MASTER"_s)) {
            password = *typed;
        } else {
            Result<QString> random = PasswordHash::random();
            if (!random)
                return context.fail(random.error());
            password = *random;
            madeUp = true;
        }
    }
    if (password.isEmpty())
        return context.fail(u"MASTER needs a password"_s);
    if (const QString problem = masterPasswordProblem(password); !problem.isEmpty())
        return context.fail(problem);
    const QString home = context.home();
    if (Status s = createArchive(home, parser.value(server), startDate, password); !s)
        return context.fail(s.error());
    context.out() << "archive created in " << home << Qt::endl;
    // Shown this once only: it is stored as a hash.
    if (madeUp)
        context.out() << "MASTER's password: " << password << Qt::endl;
    return 0;
}

// Options of 'archive' are read in order, so that --keywords and --description belong to the
// --file or --text before them.
int archive(AdminContext &context, const QStringList &args)
{
    QString user;
    bool wait = false;
    bool noCopier = false;
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
        // The orders are handed over and wait for the next copier (a kill test starts its own).
        if (a == u"--no-copier") {
            noCopier = true;
            continue;
        }
        const std::optional<QString> v = value();
        if (!v)
            return context.fail(u"%1 needs a value"_s.arg(a));
        if (a == u"--user") {
            user = *v;
        } else if (a == u"--class") {
            for (const QString &code : v->split(u',', Qt::SkipEmptyParts)) {
                bool ok = false;
                const int n = code.trimmed().toInt(&ok);
                if (!ok || n <= 0)
                    return context.fail(u"--class takes positive classification codes, not '%1'"_s.arg(code));
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
                return context.fail(u"--date takes YYYY-MM-DD, not '%1'"_s.arg(*v));
        } else if (a == u"--file") {
            if (!QFileInfo::exists(*v))
                return context.fail(u"no such file or folder: %1"_s.arg(*v));
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
            return context.fail(u"unexpected '%1' (see 'dovrelle-admin' for the usage)"_s.arg(a));
        }
    }
    if (user.isEmpty())
        return context.fail(u"archive needs --user NAME"_s);

    const Result<AdminContext::Working> working = context.archiveFor(user, &UserRow::docadd);
    if (!working)
        return context.fail(working.error());

    const AppState &state = context.state();
    Archiver archiver(Archiver::foldersOf(state), working->db, working->user.classAccess);
    archiver.setStartCopier(!wait && !noCopier);
    const Result<qint32> card = archiver.archiveNew(draft);
    if (!card)
        return context.fail(card.error());
    context.out() << *card << Qt::endl;
    if (!archiver.warning().isEmpty())
        context.warn(archiver.warning());
    if (!wait)
        return 0;

    if (!runCopier(state))
        return context.fail(u"copying the files of card %1 failed"_s.arg(*card));
    for (const FileItem &f : draft.files) {
        const QString stored = f.storedFolder + u'/' + StoredName::make(*card, f.itemNumber, f.name);
        if (!QFileInfo::exists(stored))
            return context.fail(Archiver::notInStoreMessage(stored));
    }
    return 0;
}

namespace {

// The card number that stands first among the arguments of 'edit' and 'delete'.
std::optional<qint32> cardArgument(const QStringList &args)
{
    bool ok = false;
    const qint32 card = args.value(1).toInt(&ok);
    return ok && card > 0 ? std::optional<qint32>(card) : std::nullopt;
}

} // namespace

// The card form's save, from the command line: the items named by --remove-item go (their
// stored files are deleted once the card is saved), the --file paths come in as new items.
int edit(AdminContext &context, const QStringList &args)
{
    const std::optional<qint32> card = cardArgument(args);
    if (!card)
        return context.fail(u"usage: dovrelle-admin edit N --user NAME [--remove-item I]... [--file PATH]... [--name T] [--wait]"_s);
    QString user;
    std::optional<QString> name;
    QSet<qint32> removed;
    QStringList added;
    bool wait = false;
    for (int i = 2; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == u"--wait") {
            wait = true;
            continue;
        }
        if (i + 1 >= args.size())
            return context.fail(u"%1 needs a value"_s.arg(a));
        const QString v = args[++i];
        if (a == u"--user") {
            user = v;
        } else if (a == u"--name") {
            name = v;
        } else if (a == u"--remove-item") {
            bool ok = false;
            const qint32 item = v.toInt(&ok);
            if (!ok || item <= 0)
                return context.fail(u"--remove-item takes an item number, not '%1'"_s.arg(v));
            removed.insert(item);
        } else if (a == u"--file") {
            if (!QFileInfo::exists(v))
                return context.fail(u"no such file or folder: %1"_s.arg(v));
            added << v;
        } else {
            return context.fail(u"unexpected '%1' (see 'dovrelle-admin' for the usage)"_s.arg(a));
        }
    }
    if (user.isEmpty())
        return context.fail(u"edit needs --user NAME"_s);
    const Result<AdminContext::Working> working = context.archiveFor(user, &UserRow::docmod);
    if (!working)
        return context.fail(working.error());

    const AppState &state = context.state();
    Result<ShownCard> shown = ShownCard::read(working->db, *card, working->user.classAccess, state.fileServerFolder);
    if (!shown)
        return context.fail(shown.error());
    if (shown->outcome == ShownCard::Outcome::Missing)
        return context.fail(Archiver::noSuchCardMessage(*card));
    if (shown->outcome == ShownCard::Outcome::Refused)
        return context.fail(Archiver::noPermissionMessage());
    CardDraft &draft = shown->draft;
    for (qint32 item : removed) {
        const auto it = std::find_if(draft.files.begin(), draft.files.end(),
                                     [&](const FileItem &f) { return f.itemNumber == item; });
        if (it == draft.files.end())
            return context.fail(u"card %1 has no item %2"_s.arg(*card).arg(item));
        draft.files.erase(it);
    }
    for (const QString &path : added)
        draft.files.append(FileItem::fromPath(path));
    if (name)
        draft.name = *name;

    Archiver archiver(Archiver::foldersOf(state), working->db, working->user.classAccess);
    archiver.setStartCopier(!wait);
    if (Status saved = archiver.save(draft, {}); !saved)
        return context.fail(saved.error());
    if (!archiver.warning().isEmpty())
        context.warn(archiver.warning());
    if (wait && !runCopier(state))
        return context.fail(u"copying the files of card %1 failed"_s.arg(*card));
    return 0;
}

// The card form's delete: every row of the card goes; its stored files stay.
int deleteCard(AdminContext &context, const QStringList &args)
{
    const std::optional<qint32> card = cardArgument(args);
    if (!card || args.size() != 4 || args[2] != u"--user")
        return context.fail(u"usage: dovrelle-admin delete N --user NAME"_s);
    const Result<AdminContext::Working> working = context.archiveFor(args[3], &UserRow::docdel);
    if (!working)
        return context.fail(working.error());
    Archiver archiver(Archiver::foldersOf(context.state()), working->db, working->user.classAccess);
    const Result<int> removed = archiver.remove(*card);
    if (!removed)
        return context.fail(removed.error());
    if (*removed == 0)
        return context.fail(Archiver::noSuchCardMessage(*card));
    context.out() << *removed << Qt::endl;
    return 0;
}

int show(AdminContext &context, const QStringList &args)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(u"card"_s, u"The card number."_s);
    if (int code = 0; !context.parse(parser, args, u"dovrelle-admin show N: the card's rows (n1 n2 n3 n5 n6 s5 s7 s8)"_s, code))
        return code;
    bool ok = false;
    const int card = parser.positionalArguments().value(0).toInt(&ok);
    if (!ok || card <= 0)
        return context.fail(u"usage: dovrelle-admin show N"_s);
    Result<Database> db = context.archive();
    if (!db)
        return context.fail(db.error());
    const Result<QList<DocumentRow>> rows = CDFSet(*db).cardRows(card);
    if (!rows)
        return context.fail(rows.error());
    if (rows->isEmpty())
        return context.fail(u"no card %1"_s.arg(card));
    for (const DocumentRow &r : *rows) {
        context.out() << r.cardNumber << '\t' << r.itemNumber << '\t' << r.kind << '\t' << r.typeCode << '\t' << r.size << '\t' << r.fileName << '\t' << r.seriesFolder
              << '\t' << r.extension << '\n';
    }
    context.out().flush();
    return 0;
}

int verify(AdminContext &context, const QStringList &args)
{
    QCommandLineParser parser;
    const QCommandLineOption repair(u"repair"_s, u"First hand over waiting copy orders, run the copier and delete stale files."_s);
    parser.addOption(repair);
    if (int code = 0; !context.parse(parser, args, u"dovrelle-admin verify [--repair]: every archived file and folder is in the file store"_s, code))
        return code;
    Result<Database> db = context.archive();
    if (!db)
        return context.fail(db.error());
    const AppState &state = context.state();
    const Result<QList<DocumentRow>> cardRows = CDFSet(*db).search(SqlCondition::raw(u"n1 > 0"_s));
    if (!cardRows)
        return context.fail(cardRows.error());
    QList<DocumentRow> rows;
    QSet<QString> stored;
    QSet<qint32> cards;
    for (const DocumentRow &r : *cardRows) {
        cards.insert(r.cardNumber);
        if (r.kind == KindFile || r.kind == KindImage || r.kind == KindFolder) {
            rows.append(r);
            stored.insert(Archiver::storedPath(state.fileServerFolder, r));
        }
    }

    const CopyOutbox outbox(*db, state.programFolder);
    if (parser.isSet(repair)) {
        const Result<int> delivered = outbox.deliver();
        if (!delivered)
            return context.fail(delivered.error());
        context.out() << "copy orders handed to the copier: " << *delivered << '\n';
        context.out().flush();
        if (!runCopier(state))
            context.warn(u"the copier reported failures (see COM/fm-errors.log)"_s);
        const Result<QStringList> left = Archiver::deleteStaleFiles(state.databaseFolder, stored, cards);
        if (!left)
            return context.fail(left.error());
    }

    int problems = 0;
    for (const DocumentRow &r : rows) {
        const QString path = Archiver::storedPath(state.fileServerFolder, r);
        if (!QFileInfo::exists(path)) {
            context.out() << r.cardNumber << '\t' << r.itemNumber << '\t' << path << '\n';
            ++problems;
        }
    }
    const int missing = problems;
    const Result<int> waiting = outbox.waiting();
    if (waiting && *waiting > 0) {
        context.out() << "copy orders not yet handed to the copier: " << *waiting << '\n';
        ++problems;
    }
    const Result<QList<CopyOrder>> failed = CopyHandOff(state.programFolder, CopyHandOff::Copier::Archive).failed();
    if (failed && !failed->isEmpty()) {
        context.out() << "copy orders that failed and wait for the next copier: " << failed->size() << '\n';
        ++problems;
    }
    for (const Archiver::StaleFile &file : Archiver::staleFiles(state.databaseFolder)) {
        if (stored.contains(file.path) || (file.card > 0 && !cards.contains(file.card)))
            continue;
        context.out() << "stale\t" << file.path << '\n';
        ++problems;
    }
    // A stored file of a card that still has rows, named by none of them. The files of a deleted
    // card stay in the store, and a web page's companion folder carries no card in its name.
    const QDir fileServer(state.fileServerFolder);
    static const QRegularExpression seriesName(u"^Ser[0-9]+$"_s);
    for (const QString &series : fileServer.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!seriesName.match(series).hasMatch())
            continue;
        const QString folder = state.fileServerFolder + u'/' + series;
        for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
            const std::optional<StoredName> parsed = StoredName::parse(name);
            const QString path = folder + u'/' + name;
            if (!parsed || !cards.contains(parsed->card) || stored.contains(path))
                continue;
            context.out() << "unowned\t" << path << '\n';
            ++problems;
        }
    }
    context.out().flush();
    if (missing > 0)
        return context.fail(u"%1 of %2 archived items are missing from the file store"_s.arg(missing).arg(rows.size()));
    if (problems > 0)
        return context.fail(u"the file store is not in order (run 'dovrelle-admin verify --repair')"_s);
    return 0;
}

} // namespace AdminCommands

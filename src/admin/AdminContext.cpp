#include "AdminContext.h"

#include "app/ArchiveSetup.h"
#include "db/CUserSet.h"
#include "db/Schema.h"

using namespace Qt::Literals::StringLiterals;

AdminContext::AdminContext(QString home, QTextStream &out, QTextStream &err)
    : m_home(std::move(home)), m_out(out), m_err(err)
{
}

const AppState &AdminContext::state()
{
    if (!m_state)
        m_state = AppState::load(m_home);
    return *m_state;
}

Result<Database> AdminContext::archive()
{
    if (m_db)
        return *m_db;
    if (state().firstRun) {
        return Result<Database>::failure(
            u"no archive in %1 (run 'dovrelle-admin init' first)"_s.arg(state().programFolder));
    }
    if (const std::optional<ForeignArchive> foreign = foreignArchive(state()))
        warn(foreignArchiveMessage(*foreign));
    Result<Database> db = Database::open(state().databaseFolder);
    if (!db)
        return db;
    if (Status s = Schema::upgrade(*db); !s)
        return Result<Database>::failure(s.error());
    m_db = *db;
    return db;
}

Result<UserRow> AdminContext::user(const QString &name)
{
    Result<Database> db = archive();
    if (!db)
        return Result<UserRow>::failure(db.error());
    const Result<std::optional<UserRow>> row = CUserSet(*db).byName(name);
    if (!row)
        return Result<UserRow>::failure(row.error());
    if (!row->has_value())
        return Result<UserRow>::failure(u"مستخدم غير موجود: %1"_s.arg(name));
    return **row;
}

int AdminContext::fail(const QString &message)
{
    m_err << "dovrelle-admin: " << message << Qt::endl;
    return 1;
}

void AdminContext::warn(const QString &message) { m_err << "dovrelle-admin: " << message << Qt::endl; }

bool AdminContext::parse(QCommandLineParser &parser, const QStringList &args, const QString &usage, int &exitCode)
{
    // Taken off the command line before the command runs; listed so that --help names it.
    parser.addOption(QCommandLineOption(u"home"_s, u"The program folder of the archive."_s, u"DIR"_s));
    parser.addHelpOption();
    parser.setApplicationDescription(usage);
    if (!parser.parse(args)) {
        exitCode = 2;
        fail(parser.errorText());
        return false;
    }
    if (parser.isSet(u"help"_s)) {
        exitCode = 0;
        m_out << parser.helpText();
        m_out.flush();
        return false;
    }
    return true;
}

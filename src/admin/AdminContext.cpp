#include "AdminContext.h"

#include "app/ArchiveSetup.h"
#include "db/CUserSet.h"
#include "db/Schema.h"

#include <iostream>
#include <string>

#include <termios.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// One line from the terminal with its echo off; the echo comes back whatever happens.
QString readHidden()
{
    termios old{};
    const bool hidden = tcgetattr(STDIN_FILENO, &old) == 0;
    if (hidden) {
        termios quiet = old;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    std::string line;
    std::getline(std::cin, line);
    if (hidden)
        tcsetattr(STDIN_FILENO, TCSANOW, &old);
    return QString::fromStdString(line);
}

} // namespace

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

Result<AdminContext::Working> AdminContext::archiveFor(const QString &name, qint32 UserRow::*right)
{
    Result<Database> db = archive();
    if (!db)
        return Result<Working>::failure(db.error());
    Result<UserRow> row = user(name);
    if (!row)
        return Result<Working>::failure(row.error());
    if (!isGranted((*row).*right))
        return Result<Working>::failure(u"لا يوجد صلاحية لهذا المستخدم: %1"_s.arg(name));
    return Working{*db, *row};
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

std::optional<QString> AdminContext::askNewPassword(const QString &userName)
{
    if (!isatty(STDIN_FILENO))
        return std::nullopt;
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_err << "password for " << userName << ": " << Qt::flush;
        const QString first = readHidden();
        m_err << "\nthe same again: " << Qt::flush;
        const QString second = readHidden();
        m_err << Qt::endl;
        if (first == second)
            return first;
        m_err << "the two passwords differ" << Qt::endl;
    }
    return QString();
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

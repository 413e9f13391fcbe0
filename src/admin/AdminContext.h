#pragma once

#include "base/AppState.h"
#include "base/Result.h"
#include "db/Database.h"
#include "db/UserRow.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <optional>

// What every command of dovrelle-admin works on: the program folder (--home, else DOVRELLE_HOME,
// else the working folder), its state, the archive's database opened once and brought to this
// program's schema, and the two streams the commands write to.
class AdminContext
{
public:
    AdminContext(QString home, QTextStream &out, QTextStream &err);

    const QString &home() const { return m_home; }
    // The folders from the program folder's paths file, read once.
    const AppState &state();
    // The archive's database; fails with one line for the user when there is no archive yet or
    // it cannot be opened.
    Result<Database> archive();
    // The user of that name, or a failure naming the user.
    Result<UserRow> user(const QString &name);
    // The archive, for a user who holds the right (a column of the users' table); a failure
    // naming the user when the user does not.
    struct Working
    {
        Database db;
        UserRow user;
    };
    Result<Working> archiveFor(const QString &user, qint32 UserRow::*right);

    // A new password typed twice on the terminal without echo; nothing when the input is not a
    // terminal, and an empty text when the two did not agree three times.
    std::optional<QString> askNewPassword(const QString &userName);

    QTextStream &out() { return m_out; }
    // Prints "dovrelle-admin: message" on the error stream; the exit status of a failed command.
    int fail(const QString &message);
    void warn(const QString &message);

    // Adds the options every command takes, parses and answers --help. False when the command
    // ends here; then exitCode says how.
    bool parse(QCommandLineParser &parser, const QStringList &args, const QString &usage, int &exitCode);

private:
    QString m_home;
    QTextStream &m_out;
    QTextStream &m_err;
    std::optional<AppState> m_state;
    std::optional<Database> m_db;
};

// One command of dovrelle-admin: the words that name it ("class", "add") and what it runs on the
// context with the rest of the command line (the program name first, as the parser expects).
struct AdminCommand
{
    const char16_t *name;
    const char16_t *verb; // empty for a command of one word
    int (*run)(AdminContext &context, const QStringList &args);
};

namespace AdminCommands {

// The families of commands, one file each.
int init(AdminContext &context, const QStringList &args);
int archive(AdminContext &context, const QStringList &args);
int show(AdminContext &context, const QStringList &args);
int edit(AdminContext &context, const QStringList &args);
int deleteCard(AdminContext &context, const QStringList &args);
int verify(AdminContext &context, const QStringList &args);
int classAdd(AdminContext &context, const QStringList &args);
int classList(AdminContext &context, const QStringList &args);
int userAdd(AdminContext &context, const QStringList &args);
int userSet(AdminContext &context, const QStringList &args);
int userList(AdminContext &context, const QStringList &args);
int jobsList(AdminContext &context, const QStringList &args);
int jobsAdd(AdminContext &context, const QStringList &args);
int jobsUnits(AdminContext &context, const QStringList &args);
int search(AdminContext &context, const QStringList &args);
int feedSet(AdminContext &context, const QStringList &args);
int memo(AdminContext &context, const QStringList &args);
int transfer(AdminContext &context, const QStringList &args);
int image(AdminContext &context, const QStringList &args);
int find(AdminContext &context, const QStringList &args);
int scan(AdminContext &context, const QStringList &args);

// Runs one command line, the program name first; the exit status (2 for a bad usage).
int run(const QStringList &arguments, QTextStream &out, QTextStream &err);

} // namespace AdminCommands

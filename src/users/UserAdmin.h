#pragma once

#include "base/Result.h"
#include "db/Database.h"
#include "db/UserRow.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// The digit the login form offers as the password. No new archive gives it to anyone.
inline constexpr char kDefaultPassword[] = "1";

// The user whose name nobody can change.
inline constexpr char16_t kMasterUser[] = u"MASTER";

inline constexpr int kRightCount = 12;
inline constexpr int kWorkflowCount = 8;

// One right or workflow permission: the column that stores it and the member that holds it.
struct UserPermission
{
    const char16_t *column;
    qint32 UserRow::*member;
};

// The twelve rights in the order the users form lists them (scanner, information content, users,
// constants, classifications, search for documents, search for files, add, edit, delete, new
// document, printing).
const std::array<UserPermission, kRightCount> &userRights();
QString rightCaption(int index);
// Where the users right stands among them.
inline constexpr int kUsersRightIndex = 2;

// The eight workflow permissions ex1 ... ex8.
const std::array<UserPermission, kWorkflowCount> &workflowPermissions();
QString workflowCaption(int index);

// What the users form holds for one user.
struct UserForm
{
    QString name;
    // The password as typed. Empty on a change keeps the stored one; a new user needs one.
    QString password;
    std::array<bool, kRightCount> rights{};
    QStringList classCodes; // the codes (Class s1) of the classifications the user may use
    std::array<bool, kWorkflowCount> workflow{};
};

// The form of a stored user; the password stays empty, the stored one is a hash.
UserForm formOf(const UserRow &row);

// "@" + code + "@" + ... for the codes; "@" for none.
QString accessListOf(const QStringList &codes);
// The codes of an access list, in the order they stand.
QStringList codesOf(const QString &accessList);
// Whether the list allows the classification with this code: it holds "@" + code + "@".
bool allowsCode(const QString &accessList, const QString &code);

struct NewUser
{
    QString name;
    QString password;
    bool allRights = false;   // every right and workflow permission granted
    QList<qint32> classCodes; // the classifications the user may see
};

// Adds the user's row and makes the user's received-files folder "USERS/" + name under the
// database folder. A new user needs a name that can name a folder and a password; a name already
// taken (in any letter case) is refused with " يوجد مستخدم بنفس الاسم".
Result<qint32> addUser(const Database &db, const UserForm &form);
Result<qint32> addUser(const Database &db, const NewUser &user);

// Rewrites the row of the user loaded as `loadedName` with the form, in one transaction. Refused,
// with nothing written, when no row holds that name any more (renamed at another workstation),
// when the new name is empty or taken by another user, when it would rename MASTER, and when no
// user would be left holding the users right. An empty password keeps the stored one. A rename
// takes the user's received-files folder along.
Status changeUser(const Database &db, const QString &loadedName, const UserForm &form);

QString receivedFilesFolder(const QString &databaseFolder, const QString &userName);

// The messages of the refusals, for the fronts that need to tell them apart in tests.
QString missingPasswordMessage();
QString lockOutMessage();
QString userGoneMessage(const QString &name);
QString masterRenameMessage();

#pragma once

#include "base/Result.h"
#include "db/Database.h"

#include <QList>
#include <QString>

// The digit the login form offers as the password; a new archive's MASTER user has it.
inline constexpr char kDefaultPassword[] = "1";

struct NewUser
{
    QString name;
    QString password;
    bool allRights = false;   // every right and workflow permission granted
    QList<qint32> classCodes; // the classifications the user may see
};

// Adds the user's row and makes the user's received-files folder "USERS/" + name under the
// database folder.
Result<qint32> addUser(const Database &db, const NewUser &user);

QString receivedFilesFolder(const QString &databaseFolder, const QString &userName);

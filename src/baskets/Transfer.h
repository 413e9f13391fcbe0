#pragma once

#include "base/Result.h"
#include "cards/CFileOperation.h"
#include "db/Database.h"
#include "users/UserAdmin.h" // receivedFilesFolder(databaseFolder, storedUser)

#include <QList>
#include <QString>
#include <QStringList>

// Files handed from one user to another. Every user has a received-files folder under the
// database folder, named after the user's stored name (the `user` column, letter case and blanks
// as stored); sending a file copies it there, replacing a file of the same name.
//
// The folder of a user is receivedFilesFolder(databaseFolder, storedUser) (users/UserAdmin.h).

// The stored name of the user who logged in with this name. The login upper-cases what is typed
// and matches it without regard to letter case, so on a file system that tells letter cases
// apart only the stored name leads sender and receiver to the same folder.
Result<QString> storedUserName(const Database &db, const QString &loginName);

// The names of the files of a folder as the browser and the side bar show them: no ".", "..",
// sub-folders or hidden files, in the order the system lists them. A missing folder has none.
QStringList listFolderFiles(const QString &folder);

// What became of the file for one receiver.
struct Delivery
{
    QString user;    // the stored name
    QString target;  // the file in the receiver's folder
    bool delivered = false;
    QString reason;  // why not, for the sender; empty when delivered
};

// Copies the file into the received-files folder of every user, in the given order. A missing
// folder is made first; a file of the same name there is replaced. A user whose copy fails does
// not stop the others. A read-only file of the same name is asked about through `question` with
// the file operations' read-only question: Yes replaces it, No leaves that user out (the file
// stays as it was), Cancel leaves out that user and every later one. Without a question the
// answer is No.
QList<Delivery> transferFile(const QString &databaseFolder, const QString &file, const QStringList &storedUsers,
                             CFileOperation::Question question = {});

// The users of a transfer that did not get the file, one line each with the reason; empty when
// every copy arrived.
QString undeliveredReport(const QList<Delivery> &deliveries);

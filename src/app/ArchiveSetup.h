#pragma once

#include "base/AppState.h"
#include "base/Result.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

// Lays out a new archive under a program folder: COM/ with its icons and the paths file naming
// DataBase/ and FileServer/ under the same folder (relative to it, so that a copy of the whole
// folder works on its own copy), the databases (embedded, or on the PostgreSQL
// server named by `serverUri`), the settings files, the lock file, the MASTER user with its
// received-files folder, and the first series folder Ser1. The archive's start date, where the
// search dialog's "from" box starts, is `startDate` (today when not given). MASTER gets every
// right and `masterPassword`; without one it gets a random password nobody is told, so that it
// cannot log in until someone gives it one ('dovrelle-admin user set'). The digit the login form
// offers is refused as MASTER's password: it would open every new archive to anyone. Refuses a
// folder that already holds an archive, and touches nothing then.
Status createArchive(const QString &programFolder, const QString &serverUri = {}, QDate startDate = {},
                     const QString &masterPassword = {});

// Why a password cannot be MASTER's in a new archive, or empty when it can.
QString masterPasswordProblem(const QString &password);

// The folder of the type icons: the pictures the report and the thumbnail browser show for
// folders and for files that are not pictures (COM/ICONS under the program folder).
QString typeIconsFolder(const QString &programFolder);

// The names of the type icons the program carries (FOLDER.jpg, word.jpg, pdf.jpg, any.jpg ...).
QStringList shippedTypeIcons();

// Puts every type icon the program carries that is missing into the type icons folder, making
// COM/ICONS first when needed; icons already there are kept. Run by the program's start-up and by
// a new archive.
Status installTypeIcons(const QString &programFolder);

// Makes the resources compiled into the core library (the icons) reachable under ":/". The core is
// a static library, so its resource table is registered explicitly, once.
void registerCoreResources();

// The archive of another program folder that the paths file sends this one to: typically a copy
// of a program folder whose paths file still names the folders of the original.
struct ForeignArchive
{
    QString programFolder; // the other program folder
    QString databaseFolder;
    QString fileServerFolder;
};

// The other program folder (one with a paths file that names an archive) holding the database or
// file-server folder of this state, or nothing when both lie in this program folder or in no
// program folder at all (a shared database folder on a server).
std::optional<ForeignArchive> foreignArchive(const AppState &state);

// What the start-up tells the user about it: whose archive it is and which one it is about to use.
QString foreignArchiveMessage(const ForeignArchive &foreign);

inline constexpr qint32 kDefaultSeriesBudget = 650000000;

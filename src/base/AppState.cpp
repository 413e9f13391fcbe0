#include "AppState.h"

#include "FixedRecord.h"
#include "PathsFile.h"

#include <QDir>

QString AppState::programFolderFromEnvironment()
{
    const QString home = qEnvironmentVariable("DOVRELLE_HOME");
    QString folder = home.isEmpty() ? QDir::currentPath() : QDir(home).absolutePath();
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
}

AppState AppState::load(const QString &programFolder)
{
    AppState state;
    state.programFolder = programFolder;
    // A settings save that died after it was done is finished before anything reads the files.
    FixedRecord::finishWrites(PathsFile::settingsJournalPath(programFolder));
    const PathsFile::Contents paths = PathsFile::read(programFolder);
    state.firstRun = paths.firstRun;
    if (paths.firstRun) {
        state.databaseFolder = programFolder + QStringLiteral("/DataBase");
        state.fileServerFolder = programFolder + QStringLiteral("/FileServer");
    } else {
        state.databaseFolder = PathsFile::resolvedFolder(programFolder, paths.values[PathsFile::DatabaseFolder]);
        state.fileServerFolder = PathsFile::resolvedFolder(programFolder, paths.values[PathsFile::FileServerFolder]);
    }
    return state;
}

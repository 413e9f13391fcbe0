#pragma once

#include <QString>

// A right or workflow permission is granted when it holds exactly this value.
inline constexpr int kGranted = 7;
inline constexpr bool isGranted(int code) { return code == kGranted; }

// The rights the login copies from the user's row; nothing else consults the other columns.
struct Rights
{
    int filesBask = 0; // the users dialog
    int constant = 0;  // the system settings
    int classes = 0;   // the classification editor
    int fileser = 0;   // the archive search
    int docadd = 0;
    int docdel = 0;
    int docmod = 0;
    int printjob = 0;
};

// What the image editor's text tool remembers between runs.
struct TextToolSettings
{
    QString faceName = QStringLiteral("Arial");
    int charSet = 238;
    int weight = 0;
    int italic = 0;
    int underline = 0;
    quint32 textColour = 0xA0FFFF; // colour values as 0x00BBGGRR
    quint32 backColour = 0x6020;
    bool opaque = true;
    double opacity = 0.0; // a fraction; stored in the profile as percent
    int roundRadius = 25;
};

// Everything more than one window needs to know. One instance, owned by the application object
// and handed to what needs it. What a window opens another on travels with the request, not here.
struct AppState
{
    // Folders, fixed for the whole run.
    QString programFolder;
    QString databaseFolder;
    QString fileServerFolder;
    bool firstRun = false;

    // Filled by the login.
    QString currentUser;
    // The user's name as its USERS row spells it, which names the received-files folder: the typed
    // name matches it without regard to letter case, the file system does not.
    QString storedUser;
    QString classAccess; // "@12@305@"; "@" allows nothing
    Rights rights;
    // Holds at least one workflow permission (ex1 ... ex8), which opens the print-shop dialog.
    bool workflowUser = false;
    bool showHelp = false;

    bool cardEntry = false;

    // Shared by every new untitled image ("Clipboard Image %d", "Captured Image %d", ...).
    int imageCounter = 1;
    int jpegQuality = 90;
    // Files that are not pictures are printed by this program, given the file as its last argument.
    QString printCommand = QStringLiteral("lp");
    TextToolSettings textTool;

    int takeImageNumber() { return imageCounter++; }
    // The name of the current user's received-files folder.
    const QString &receivedFilesUser() const { return storedUser.isEmpty() ? currentUser : storedUser; }

    // The program folder: DOVRELLE_HOME when set, otherwise the working folder.
    static QString programFolderFromEnvironment();

    // Folders from the paths file of the program folder, a relative one taken from the program
    // folder; on a first run (the file's first byte is zero) the defaults "DataBase" and
    // "FileServer" under the program folder.
    static AppState load(const QString &programFolder);
};

#pragma once

#include <QString>

// What a feed holds, which decides how the basket viewer shows it.
enum class BasketContent {
    PicturesOrFiles, // thumbnails in pages of twelve
    Texts,           // text messages, newest on top
};

// The basket a basket viewer or thumbnail browser window shows, handed to the window when it
// opens; a second window onto the same basket gets the same.
struct BasketSource
{
    // The title of the received-files basket; only such a browser may delete its files.
    static QString receivedFilesTitle();
    // The index file of a basket that is browsed as a folder, without one.
    static QString noIndexFile();

    // The current user's received files (`storedUser` names the folder).
    static BasketSource receivedFiles(const QString &databaseFolder, const QString &storedUser);
    // A folder shown by the thumbnail browser under the title.
    static BasketSource ofFolder(const QString &title, const QString &folder);

    QString title;
    QString folder;
    QString indexFile;
    BasketContent kind = BasketContent::PicturesOrFiles;

    bool isReceivedFiles() const { return title == receivedFilesTitle(); }
};

#pragma once

#include <QDate>
#include <QList>
#include <QString>

// One row of the card's file list: a file or folder to archive, or one already archived.
struct FileItem
{
    QString description; // the item's description
    QString keywords;
    qint64 size = 0;     // bytes; a folder's or a page's with its companion folder
    QString folder;      // the source folder, ending in "/"
    QString name;        // the source name, extension included
    bool folderLike = false; // a folder, or a page or picture saved by the web or image view
    bool archived = false;
    qint32 itemNumber = 0;  // n2 of an archived item
    QString storedFolder;   // the series folder it went to
    qint32 serial = 0;      // sn of an archived item's row
    QString classPath;      // an archived item's classification path, as its row holds it

    // How the card's file list marks the item; none of it is archived.
    bool isFolder = false;      // a folderLike item that is a folder, not a page or picture
    bool addedAsFolder = false; // chosen with the folder chooser: its number cell is shaded
    bool sameFileAdded = false; // an identical file was added after it: its description is marked

    QString sourcePath() const { return folder + name; }

    // The item for a file or folder on disk, with its size: a folder's is the sum of its files,
    // a page's includes its companion "_files" folder.
    static FileItem fromPath(const QString &path);
};

// One row of the card's text list.
struct TextItem
{
    QString keywords;
    QString text;
    bool archived = false;
    qint32 itemNumber = 0; // n2 of an archived text, which its row shows as its number
};

// The card being entered or edited, as the card dialog holds it.
struct CardDraft
{
    qint32 number = 0;
    QDate date;
    QString name;
    QString notes;
    QString editor;
    QList<qint32> classCodes;
    QList<FileItem> files;
    QList<TextItem> texts;

    bool hasSomethingToArchive() const;
};

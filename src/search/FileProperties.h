#pragma once

#include <QDateTime>
#include <QString>

// What the properties window tells of a file or folder: where it is, how big, when it was made,
// changed and read, whose it is, who may do what with it, and what kind of file it is.
struct FileProperties
{
    bool exists = false;
    bool isFolder = false;
    QString path;
    qint64 size = 0; // a folder's is the sum of its files
    QDateTime created; // invalid where the file system keeps no birth time
    QDateTime modified;
    QDateTime accessed;
    QString owner;
    QString group;
    QString permissions; // "rw-r--r--"
    QString type;        // the content type's description, e.g. "plain text document"
    QString mimeName;    // e.g. "text/plain"

    static FileProperties of(const QString &path);
};

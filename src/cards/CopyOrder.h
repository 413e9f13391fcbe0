#pragma once

#include "base/Result.h"

#include <QList>
#include <QString>

// One order of a copy list: copy `source` (a file, or a folder with all its content) into the
// folder `destination` under the name prefix + the source's own name. 436 bytes on disk.
struct CopyOrder
{
    static constexpr int kSize = 436;
    static constexpr int kPrefixOffset = 4;
    static constexpr int kPrefixSize = 50;
    static constexpr int kSourceOffset = 54;
    static constexpr int kSourceSize = 180;
    static constexpr int kDestinationOffset = 234;
    static constexpr int kDestinationSize = 202;

    qint32 kind = 1;
    QString prefix;
    QString source;
    QString destination;

    // Where the copy lands: destination + "/" + prefix + the source's file name.
    QString target() const;

    // Refuses a path too long for its field (or a character the code page cannot write), naming it.
    Result<QByteArray> compose() const;
    static CopyOrder parse(const QByteArray &record);
};

// The hand-off files of a copier under the program folder: "COM/filelist.dat" and "COM/num.txt"
// for the archiving copier, "COM/filelist2.dat" and "COM/num2.txt" for the second.
//
// The list is never lost: writers and the copier take the kernel lock of "COM/filelist.lck"
// (".lck2" for the second) around their work. A writer that finds orders the copier has not taken
// yet adds its orders after them instead of replacing them; the copier takes the whole list at
// once and leaves it empty with a count of 0.
class CopyHandOff
{
public:
    enum class Copier { Archive = 1, Second = 2 };

    CopyHandOff(QString programFolder, Copier copier);

    QString listPath() const;
    QString countPath() const;
    QString lockPath() const;
    // The orders the copier could not carry out, in whole records, waiting for its next run:
    // "COM/fm.failed" ("fm2.failed" for the second).
    QString failedPath() const;
    Result<QList<CopyOrder>> failed() const;

    // Every order is composed before anything is written: one path too long writes nothing.
    Status append(const QList<CopyOrder> &orders) const;
    // The copier's side: the whole list, which is left empty behind it. With a journal path the
    // taken orders are first written there, under the same lock, so that a copier that dies at
    // any moment leaves its orders either in the list or in its journal.
    Result<QList<CopyOrder>> take(const QString &journalPath = {}) const;
    // The orders waiting for the copier.
    Result<QList<CopyOrder>> pending() const;

private:
    QString m_com;
    Copier m_copier;
};

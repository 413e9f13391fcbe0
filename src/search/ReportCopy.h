#pragma once

#include "base/Result.h"

#include <QList>
#include <QString>
#include <QStringList>

// Copying the hits of a report into an ordinary folder: the files go to the second copier as copy
// orders, the texts are written at once as text files named by their keywords.
namespace ReportCopy {

struct TextHit
{
    int row = 0; // the hit's row in the text grid, from 0 at the top
    QString keywords;
    QString text;
};

// The keywords with every character a file name cannot hold (/ * : \ CR > , LF " ? <) made a blank.
QString cleanKeywords(const QString &keywords);
// "<cleaned keywords> <row>.txt"
QString textFileName(const TextHit &hit);

// Adds one order per file for the second copier, each copying the file into the folder under its
// own name. Orders the copier has not taken yet stay in the list before them. Returns the number
// of orders the copier now has waiting.
Result<int> orderFiles(const QString &programFolder, const QStringList &files, const QString &folder);

// Starts the second copier without waiting for it; false when it could not be started.
bool startCopier(const QString &programFolder);

// Replaces the file by the text in code page 1256 (UTF-8 when it holds a character the code page
// lacks, so that nothing is lost), every line end written as CR LF, without a final line end.
Status writeCrLfText(const QString &path, const QString &text);

// Writes each text into the folder, every line feed as CR LF, replacing a file of the same name.
// Stops at the first file that cannot be written and says which.
Status writeTexts(const QString &folder, const QList<TextHit> &texts);

} // namespace ReportCopy

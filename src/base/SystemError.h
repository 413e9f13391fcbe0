#pragma once

#include <QString>

class QFileDevice;
class QSaveFile;

// What a failed system call says to the user. The errors a full, missing or read-only disk gives
// are told in Arabic (the clerk must know to free space or bring the folder back); any other is
// the system's own text with its number.
QString systemErrorText(int code);

// The system's own text of the code, in English whatever the locale (the file operations report
// it as the system gave it).
QString plainSystemErrorText(int code);

// The same for errno as it stands now.
QString lastSystemErrorText();

// What a failed QFile or QSaveFile says, in the same words: Qt keeps only the system's text of the
// error, which is matched back to its code.
QString fileErrorText(const QFileDevice &file);

// Commits the file only when every byte written reached it. QSaveFile::commit() alone does not
// see a failure of the last buffered write (a full disk): it renames the short file into place
// and reports success.
bool commitWhole(QSaveFile &file);

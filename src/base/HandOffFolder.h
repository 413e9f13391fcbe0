#pragma once

#include <QString>

// The per-user folder that stands for the fixed hand-off place of other programs ("1.tmp",
// "fdata.txt", "SQLT.txt"): $XDG_RUNTIME_DIR/dovrelle, else the temporary folder's "dovrelle-" +
// user name. Made when missing.
QString handOffFolder();

// "COM/Text.txt" under the program folder: the text handed to the outside text editor.
QString textHandOffPath(const QString &programFolder);

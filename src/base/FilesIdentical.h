#pragma once

#include <QString>

inline constexpr int kFilesIdentical = 5;
inline constexpr int kFilesDiffer = 10;

// Compares the two files over the length of the first: kFilesIdentical when all those bytes are
// equal (a longer second file that begins with the whole first one counts as identical),
// kFilesDiffer otherwise. A file that cannot be opened, or a second file shorter than the first,
// makes them differ: nothing proves them equal.
int filesIdentical(const QString &firstPath, const QString &secondPath);

#pragma once

#include "Result.h"

#include <QString>

// Lays out a new archive under a program folder: COM/ with its icons and the paths file naming
// DataBase/ and FileServer/ under the same folder, the databases (embedded, or on the PostgreSQL
// server named by `serverUri`), the settings files, the lock file, the MASTER user with its
// received-files folder, and the first series folder Ser1. Refuses a folder that already holds an
// archive, and touches nothing then.
Status createArchive(const QString &programFolder, const QString &serverUri = {});

// Makes the resources compiled into the core library (the icons) reachable under ":/". The core is
// a static library, so its resource table is registered explicitly, once.
void registerCoreResources();

inline constexpr qint32 kDefaultSeriesBudget = 650000000;

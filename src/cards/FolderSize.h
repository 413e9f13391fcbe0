#pragma once

#include <QString>

// The bytes of every file under a folder, sub-folders included except those whose name begins
// with "."; a folder that cannot be listed adds 0. 64 bits: series folders pass 2 GiB.
qint64 folderSize(const QString &path);

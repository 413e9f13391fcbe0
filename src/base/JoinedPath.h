#pragma once

#include <QString>

// The name inside the folder, with one "/" between them whether or not the folder ends in one.
inline QString joinedPath(const QString &folder, const QString &name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

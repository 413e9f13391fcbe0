#pragma once

#include <QDir>
#include <QDirIterator>
#include <QString>
#include <QStringList>

// Every file below root, hidden ones too, as paths relative to it, sorted: what a test compares
// to learn that nothing was written outside the place it belongs.
inline QStringList filesUnder(const QString &root)
{
    QStringList out;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(root).relativeFilePath(it.next());
    out.sort();
    return out;
}

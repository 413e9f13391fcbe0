#include "HandOffFolder.h"

#include <QDir>

#include <unistd.h>

QString handOffFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString folder = !runtime.isEmpty() && QDir(runtime).exists()
                               ? runtime + QStringLiteral("/dovrelle")
                               : QDir::tempPath() + QStringLiteral("/dovrelle-") + QString::number(::getuid());
    QDir().mkpath(folder);
    return folder;
}

QString textHandOffPath(const QString &programFolder)
{
    return programFolder + QStringLiteral("/COM/Text.txt");
}

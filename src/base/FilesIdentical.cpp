#include "FilesIdentical.h"

#include <QFile>

int filesIdentical(const QString &firstPath, const QString &secondPath)
{
    QFile first(firstPath);
    QFile second(secondPath);
    if (!first.open(QIODevice::ReadOnly) || !second.open(QIODevice::ReadOnly))
        return kFilesDiffer;
    if (second.size() < first.size())
        return kFilesDiffer;

    constexpr qint64 kChunk = 256 * 1024;
    while (!first.atEnd()) {
        const QByteArray a = first.read(kChunk);
        if (a.isEmpty() && first.error() != QFileDevice::NoError)
            return kFilesDiffer;
        const QByteArray b = second.read(a.size());
        if (a != b)
            return kFilesDiffer;
    }
    return kFilesIdentical;
}

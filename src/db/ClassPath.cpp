#include "ClassPath.h"

#include <algorithm>

namespace ClassPath {

QString make(const QList<qint32> &codes)
{
    QString path(1, u'@');
    for (qint32 code : codes)
        path += QString::number(code) + u'@';
    return path;
}

bool contains(const QString &path, qint32 code)
{
    return path.contains(u'@' + QString::number(code) + u'@');
}

QList<qint32> codes(const QString &path, int limit)
{
    QList<qint32> out;
    qsizetype pos = path.startsWith(u'@') ? 1 : 0;
    while (pos < path.size() && (limit < 0 || out.size() < limit)) {
        qint64 value = 0;
        qsizetype i = pos;
        while (i < path.size() && path.at(i) >= u'0' && path.at(i) <= u'9' && value <= 0x7fffffff)
            value = value * 10 + (path.at(i++).unicode() - u'0');
        out.append(value > 0x7fffffff ? 0 : qint32(value));
        const qsizetype next = path.indexOf(u'@', pos);
        if (next < 0)
            break;
        pos = next + 1;
    }
    return out;
}

bool permits(const QString &accessList, const QString &path)
{
    const QList<qint32> shown = codes(path, kShownCodes);
    return std::any_of(shown.cbegin(), shown.cend(),
                       [&](qint32 code) { return code > 0 && contains(accessList, code); });
}

} // namespace ClassPath

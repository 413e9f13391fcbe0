#include "RecentFiles.h"

#include <QFileInfo>
#include <QSettings>

using namespace Qt::Literals::StringLiterals;

namespace {
const QString kSection = u"Recent File List"_s;

QString key(int i)
{
    return kSection + u"/File"_s + QString::number(i + 1);
}
} // namespace

QStringList RecentFiles::entries() const
{
    QStringList paths;
    for (int i = 0; i < kEntries; ++i) {
        const QString path = m_profile.value(key(i)).toString();
        if (!path.isEmpty() && !paths.contains(path))
            paths.append(path);
    }
    return paths;
}

void RecentFiles::add(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList paths = entries();
    paths.removeAll(absolute);
    paths.prepend(absolute);
    store(paths.mid(0, kEntries));
}

void RecentFiles::remove(const QString &path)
{
    QStringList paths = entries();
    paths.removeAll(path);
    paths.removeAll(QFileInfo(path).absoluteFilePath());
    store(paths);
}

void RecentFiles::store(const QStringList &paths)
{
    for (int i = 0; i < kEntries; ++i) {
        if (i < paths.size())
            m_profile.setValue(key(i), paths.at(i));
        else
            m_profile.remove(key(i));
    }
}

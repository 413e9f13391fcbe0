#pragma once

#include <QStringList>

class QSettings;

// The File menu's recent pictures, kept in the profile under "Recent File List" ("File1" the
// newest). A file opened again moves to the top; the tenth drops off the end.
class RecentFiles
{
public:
    static constexpr int kEntries = 9;

    explicit RecentFiles(QSettings &profile) : m_profile(profile) {}

    QStringList entries() const;
    void add(const QString &path);
    void remove(const QString &path);

private:
    void store(const QStringList &paths);

    QSettings &m_profile;
};

#pragma once

#include <QString>
#include <QStringList>

// Watches a received-files folder for names it has not seen. A name, once seen, stays known for
// the life of the watch, so a file taken away and brought back under the same name is not
// announced again. Names are compared exactly, letter case included.
class ReceivedFilesWatch
{
public:
    // Takes the folder's present files as known.
    explicit ReceivedFilesWatch(QString folder);

    const QString &folder() const { return m_folder; }
    const QStringList &known() const { return m_known; }

    // The names that appeared since the last look, in listing order. They are known from now on,
    // before the caller announces them.
    QStringList poll();

private:
    QString m_folder;
    QStringList m_known;
};

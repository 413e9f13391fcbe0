#include "FileDialog.h"

#include <QFileDialog>

#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {
std::optional<QString> g_next;
std::optional<QStringList> g_nextList;
} // namespace

void FileDialog::setNextPath(const QString &path)
{
    g_next = path;
}

bool FileDialog::takeNext(QString *path)
{
    if (!g_next)
        return false;
    *path = *g_next;
    g_next.reset();
    return true;
}

QString FileDialog::chooseFolder(QWidget *parent, const QString &title)
{
    QString path;
    if (takeNext(&path))
        return path;
    return QFileDialog::getExistingDirectory(parent, title.isEmpty() ? u"Select a directory..."_s : title, QString(),
                                             QFileDialog::ShowDirsOnly);
}

QString FileDialog::openFile(QWidget *parent, const QString &title, const QString &filter)
{
    QString path;
    if (takeNext(&path))
        return path;
    return QFileDialog::getOpenFileName(parent, title, QString(), filter, nullptr, QFileDialog::ReadOnly);
}

void FileDialog::setNextPaths(const QStringList &paths)
{
    g_nextList = paths;
}

QStringList FileDialog::openFiles(QWidget *parent, const QString &title, const QString &filter)
{
    if (g_nextList) {
        const QStringList paths = *g_nextList;
        g_nextList.reset();
        return paths;
    }
    return QFileDialog::getOpenFileNames(parent, title, QString(), filter, nullptr, QFileDialog::ReadOnly);
}

QString FileDialog::saveFile(QWidget *parent, const QString &title, const QString &filter)
{
    QString path;
    if (takeNext(&path))
        return path;
    return QFileDialog::getSaveFileName(parent, title, QString(), filter);
}

#include "FileDialog.h"

#include <QFileDialog>
#include <QList>

#include <utility>

#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {
std::optional<QString> g_next;
std::optional<QStringList> g_nextList;
} // namespace

QString FileDialog::arabicFilter(const QString &filter)
{
    static const QList<std::pair<QString, QString>> names{
        {u"All Files"_s, u"كل الملفات"_s}, {u"All"_s, u"الكل"_s},      {u"Image"_s, u"صورة"_s},
        {u"Images"_s, u"صور"_s},           {u"Webpage"_s, u"صفحة ويب"_s},
    };
    QStringList parts = filter.split(u";;"_s);
    for (QString &part : parts) {
        const qsizetype open = part.indexOf(u'(');
        if (open < 0)
            continue;
        const QString name = part.left(open).trimmed();
        for (const auto &[english, arabic] : names) {
            if (name.compare(english, Qt::CaseInsensitive) == 0) {
                part = arabic + u' ' + part.mid(open);
                break;
            }
        }
    }
    return parts.join(u";;"_s);
}

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
    return QFileDialog::getOpenFileName(parent, title, QString(), arabicFilter(filter), nullptr, QFileDialog::ReadOnly);
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
    return QFileDialog::getOpenFileNames(parent, title, QString(), arabicFilter(filter), nullptr, QFileDialog::ReadOnly);
}

QString FileDialog::saveFile(QWidget *parent, const QString &title, const QString &filter, const QString &suggested)
{
    QString path;
    if (takeNext(&path))
        return path;
    return QFileDialog::getSaveFileName(parent, title, suggested, arabicFilter(filter));
}

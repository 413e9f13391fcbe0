#pragma once

#include <QStringList>

class QWidget;

// The program's file and folder choosers, which tests can answer in advance.
class FileDialog
{
public:
    // The system's folder browser, titled "Select a directory..." unless a title is given; empty
    // when cancelled.
    static QString chooseFolder(QWidget *parent, const QString &title = {});
    static QString openFile(QWidget *parent, const QString &title, const QString &filter);
    static QStringList openFiles(QWidget *parent, const QString &title, const QString &filter);
    // `suggested`: the name (or path) the chooser starts with.
    static QString saveFile(QWidget *parent, const QString &title, const QString &filter, const QString &suggested = {});

    // The filter as the chooser shows it: the English names the program's filters carry ("All",
    // "All Files", "Image", "Webpage") in Arabic, the patterns as they are.
    static QString arabicFilter(const QString &filter);

    // Tests: the next chooser returns this path at once (an empty path means cancel).
    static void setNextPath(const QString &path);
    static void setNextPaths(const QStringList &paths);

private:
    static bool takeNext(QString *path);
};

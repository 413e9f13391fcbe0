#pragma once

#include "FileProperties.h"

#include <QDialog>

class QLabel;

// The properties of a file or folder. showFor() asks the desktop's file manager for its own
// properties window first; when none answers on the session bus, this small window of ours shows
// the path, size, dates, owner, permissions and type instead.
class FilePropertiesDlg : public QDialog
{
    Q_OBJECT

public:
    explicit FilePropertiesDlg(const FileProperties &properties, QWidget *parent = nullptr);

    // Shows the properties of `path` without waiting for the file manager's answer.
    static void showFor(const QString &path, QWidget *parent);
    // Tests: never ask the file manager, always show this window.
    static void setAskFileManager(bool ask);

    // The value shown beside a label, for the tests: "path", "size", "created", "modified",
    // "accessed", "owner", "permissions", "type".
    QString shown(const QString &field) const;

private:
    static void showOurs(const QString &path, QWidget *parent);
};

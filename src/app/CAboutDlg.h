#pragma once

#include <QDialog>

// "About Dovrelle": the program's icon, a banner, the name with its version and OK.
class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget *parent = nullptr);
};

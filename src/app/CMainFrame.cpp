#include "CMainFrame.h"

#include <QIcon>

CMainFrame::CMainFrame(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Dovrelle"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/dovrelle.png")));
    setLayoutDirection(Qt::RightToLeft);
    resize(850, 650);
}

#include "app/ArchiveSetup.h"
#include "app/CMainFrame.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    registerCoreResources();
    QApplication::setApplicationName(QStringLiteral("Dovrelle"));
    QApplication::setOrganizationName(QStringLiteral("Dovrelle"));
    QApplication::setLayoutDirection(Qt::RightToLeft);

    CMainFrame frame;
    frame.show();
    return app.exec();
}

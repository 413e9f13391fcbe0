// dovrelle-scan: reads the pages of one acquisition for the window that starts it.

#include "scan/ScanServer.h"
#include "base/TimeZoneFile.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    readTimeZoneOnce();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("dovrelle-scan"));
    ScanServer::run(QCoreApplication::arguments());
}

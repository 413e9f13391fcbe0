// dovrelle-admin: the archive from the command line, for scripts, demos and checks.

#include "admin/AdminContext.h"
#include "base/TimeZoneFile.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    readTimeZoneOnce();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("dovrelle-admin"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = AdminCommands::run(QCoreApplication::arguments(), out, err);
    out.flush();
    return status;
}

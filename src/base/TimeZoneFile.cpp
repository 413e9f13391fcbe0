#include "TimeZoneFile.h"

#include <QFileInfo>
#include <QtGlobal>

#include <ctime>

void readTimeZoneOnce()
{
    static constexpr char kSystemZone[] = "/etc/localtime";
    if (qEnvironmentVariableIsSet("TZ") || !QFileInfo::exists(QString::fromLatin1(kSystemZone)))
        return;
    qputenv("TZ", QByteArray(":") + kSystemZone);
    tzset();
}

#include "ScanMemory.h"

#include <QSettings>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kDeviceKey = u"Scanner/Device"_s;

// Device names hold ':' and '/' ("airscan:e0:Office", "net:host:test:0"); the key keeps them.
QString deviceGroup(const QString &device)
{
    return u"Scanner/Options/"_s + QString::fromLatin1(QUrl::toPercentEncoding(device));
}

} // namespace

namespace ScanMemory {

QString lastDevice(const QSettings &profile)
{
    return profile.value(kDeviceKey).toString();
}

void setLastDevice(QSettings &profile, const QString &device)
{
    profile.setValue(kDeviceKey, device);
}

QVariantMap values(QSettings &profile, const QString &device)
{
    QVariantMap values;
    profile.beginGroup(deviceGroup(device));
    for (const QString &name : profile.childKeys())
        values.insert(name, profile.value(name));
    profile.endGroup();
    return values;
}

void setValues(QSettings &profile, const QString &device, const QVariantMap &values)
{
    profile.beginGroup(deviceGroup(device));
    profile.remove(QString());
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        profile.setValue(it.key(), it.value().toString());
    profile.endGroup();
}

} // namespace ScanMemory

#pragma once

#include <QString>
#include <QVariantMap>

class QSettings;

// What the profile remembers of scanning: the device chosen last, and for every device the
// option values last used with it.
namespace ScanMemory {

QString lastDevice(const QSettings &profile);
void setLastDevice(QSettings &profile, const QString &device);
QVariantMap values(QSettings &profile, const QString &device);
void setValues(QSettings &profile, const QString &device, const QVariantMap &values);

} // namespace ScanMemory

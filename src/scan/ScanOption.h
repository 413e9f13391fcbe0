#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// One option of a scanner as its own descriptor tells it, in plain values: the options dialog is
// built from these, and the values the user chose are remembered from them.
struct ScanOption
{
    // Where the option stands in the options dialog: the five of every scan first, the rest in
    // the advanced part.
    enum class Role { Source, Mode, Resolution, TopLeftX, TopLeftY, BottomRightX, BottomRightY, Advanced };
    enum class Type { Bool, Int, Fixed, String, Button, Group };
    enum class Constraint { None, Range, List, Strings };

    int index = 0;
    QString name;
    QString title;
    QString description;
    Type type = Type::Int;
    Role role = Role::Advanced;
    int unit = 0;      // SANE_Unit
    int valueSize = 0; // bytes
    bool active = true;
    bool settable = true;
    bool advanced = false; // the device itself calls it advanced
    Constraint constraint = Constraint::None;
    double minimum = 0;
    double maximum = 0;
    double step = 0;
    QList<double> numbers; // a list constraint
    QStringList strings;   // a string list constraint
    // The current value: bool, int, double (fixed point) or string; empty when it cannot be read
    // (a button, a group, an option the device keeps to itself, or an array).
    QVariant value;

    // One value (not an array), readable and settable, shown to the user.
    bool isEditable() const;
    // The unit as the dialog writes it after a number ("dpi", "mm", ...).
    QString unitText() const;
    // The role of an option of this name.
    static Role roleOf(const QString &name);
};

// The options of one device, in the device's order.
class ScanOptions
{
public:
    ScanOptions() = default;
    explicit ScanOptions(QList<ScanOption> options) : m_options(std::move(options)) {}

    const QList<ScanOption> &all() const { return m_options; }
    const ScanOption *find(const QString &name) const;
    const ScanOption *find(ScanOption::Role role) const;
    bool isEmpty() const { return m_options.isEmpty(); }

    // Whether the chosen source is a document feeder (pages until the device says it has none).
    bool feederChosen() const;
    // The value of the source option for a flatbed or a feeder; empty when the device has none.
    QString sourceValue(bool feeder) const;
    // The value of the mode option for "gray", "color" or "lineart"; empty when none fits.
    QString modeValue(const QString &kind) const;

    static bool isFeederSource(const QString &value);

private:
    QList<ScanOption> m_options;
};

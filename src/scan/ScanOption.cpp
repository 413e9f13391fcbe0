#include "ScanOption.h"

#include <utility>

#include <sane/sane.h>

using namespace Qt::Literals::StringLiterals;

bool ScanOption::isEditable() const
{
    if (type == Type::Button || type == Type::Group || !active || !settable || !value.isValid())
        return false;
    return true;
}

QString ScanOption::unitText() const
{
    switch (unit) {
    case SANE_UNIT_PIXEL: return u"px"_s;
    case SANE_UNIT_BIT: return u"bit"_s;
    case SANE_UNIT_MM: return u"mm"_s;
    case SANE_UNIT_DPI: return u"dpi"_s;
    case SANE_UNIT_PERCENT: return u"%"_s;
    case SANE_UNIT_MICROSECOND: return u"\u00b5s"_s;
    default: return {};
    }
}

ScanOption::Role ScanOption::roleOf(const QString &name)
{
    // SANE's well-known option names.
    static const std::pair<QStringView, Role> known[] = {
        {u"source", Role::Source},     {u"mode", Role::Mode},          {u"resolution", Role::Resolution},
        {u"tl-x", Role::TopLeftX},     {u"tl-y", Role::TopLeftY},      {u"br-x", Role::BottomRightX},
        {u"br-y", Role::BottomRightY},
    };
    for (const auto &[optionName, role] : known) {
        if (name == optionName)
            return role;
    }
    return Role::Advanced;
}

const ScanOption *ScanOptions::find(const QString &name) const
{
    for (const ScanOption &o : m_options) {
        if (o.name == name)
            return &o;
    }
    return nullptr;
}

const ScanOption *ScanOptions::find(ScanOption::Role role) const
{
    if (role == ScanOption::Role::Advanced)
        return nullptr;
    for (const ScanOption &o : m_options) {
        if (o.role == role)
            return &o;
    }
    return nullptr;
}

bool ScanOptions::isFeederSource(const QString &value)
{
    // Backends name their feeders freely: "ADF", "ADF Duplex", "Automatic Document Feeder",
    // "Document Feeder", "Feeder".
    return value.contains(u"ADF"_s) || value.contains(u"feeder"_s, Qt::CaseInsensitive);
}

bool ScanOptions::feederChosen() const
{
    const ScanOption *source = find(ScanOption::Role::Source);
    return source && source->active && isFeederSource(source->value.toString());
}

QString ScanOptions::sourceValue(bool feeder) const
{
    const ScanOption *source = find(ScanOption::Role::Source);
    if (!source)
        return {};
    for (const QString &s : source->strings) {
        if (isFeederSource(s) == feeder)
            return s;
    }
    return {};
}

QString ScanOptions::modeValue(const QString &kind) const
{
    const ScanOption *mode = find(ScanOption::Role::Mode);
    if (!mode)
        return {};
    QStringList wanted;
    if (kind == u"gray"_s)
        wanted = {u"Gray"_s, u"Grey"_s, u"Grayscale"_s};
    else if (kind == u"color"_s)
        wanted = {u"Color"_s, u"Colour"_s};
    else if (kind == u"lineart"_s)
        wanted = {u"Lineart"_s, u"Binary"_s, u"Black & White"_s};
    for (const QString &w : wanted) {
        for (const QString &s : mode->strings) {
            if (s.compare(w, Qt::CaseInsensitive) == 0)
                return s;
        }
    }
    return {};
}

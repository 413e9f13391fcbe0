#include "imaging/ImageCommands.h"

#include <QColor>
#include <QCoreApplication>
#include <QPoint>
#include <QPolygonF>
#include <QRect>
#include <QRgb>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace ImageCommands {
namespace {

struct ImageValuesTr
{
    Q_DECLARE_TR_FUNCTIONS(ImageCommands)
};

QString plainChoice(QString text)
{
    return text.toLower().replace(u' ', u'-');
}

std::optional<QList<double>> numbers(const QString &text, qsizetype count, QChar separator = u',')
{
    const QStringList parts = text.split(separator);
    if (parts.size() != count)
        return std::nullopt;
    QList<double> out;
    for (const QString &part : parts) {
        bool ok = false;
        const double v = part.trimmed().toDouble(&ok);
        if (!ok)
            return std::nullopt;
        out.append(v);
    }
    return out;
}

QString badValue(const Param &param, const QString &text)
{
    return ImageValuesTr::tr("القيمة \"%1\" لا تصلح للمعامل --%2.").arg(text, param.name);
}

QString colourText(const QColor &c)
{
    return c.alpha() == 255 ? c.name(QColor::HexRgb) : c.name(QColor::HexArgb);
}

} // namespace

Result<QVariant> valueFromText(const Param &param, const QString &text)
{
    const QString t = text.trimmed();
    bool ok = false;
    switch (param.kind) {
    case Param::Kind::Integer: {
        const int v = t.toInt(&ok);
        if (ok)
            return QVariant(v);
        break;
    }
    case Param::Kind::Real: {
        const double v = t.toDouble(&ok);
        if (ok && std::isfinite(v))
            return QVariant(v);
        break;
    }
    case Param::Kind::Choice: {
        const int index = t.toInt(&ok);
        if (ok)
            return QVariant(index);
        for (qsizetype i = 0; i < param.choices.size(); ++i)
            if (param.choices[i].compare(t, Qt::CaseInsensitive) == 0 || plainChoice(param.choices[i]) == t.toLower())
                return QVariant(int(i));
        break;
    }
    case Param::Kind::Flag: {
        const QString l = t.toLower();
        if (l == u"1" || l == u"true" || l == u"yes" || l == u"on")
            return QVariant(true);
        if (l == u"0" || l == u"false" || l == u"no" || l == u"off")
            return QVariant(false);
        break;
    }
    case Param::Kind::Colour: {
        const QColor c = QColor::fromString(t);
        if (c.isValid())
            return QVariant(c);
        break;
    }
    case Param::Kind::Point:
        if (const auto n = numbers(t, 2))
            return QVariant(QPoint(int(n->at(0)), int(n->at(1))));
        break;
    case Param::Kind::Rect:
        if (const auto n = numbers(t, 4))
            return QVariant(QRect(int(n->at(0)), int(n->at(1)), int(n->at(2)), int(n->at(3))));
        break;
    case Param::Kind::Corners: {
        const QStringList points = t.split(u';');
        if (points.size() != 4)
            break;
        QPolygonF corners;
        for (const QString &p : points)
            if (const auto n = numbers(p, 2))
                corners << QPointF(n->at(0), n->at(1));
        if (corners.size() == 4)
            return QVariant(corners);
        break;
    }
    case Param::Kind::Palette: {
        QList<QRgb> entries;
        for (const QString &part : t.split(u',', Qt::SkipEmptyParts)) {
            const QColor c = QColor::fromString(part.trimmed());
            if (!c.isValid())
                return Result<QVariant>::refused(badValue(param, text));
            entries.append(c.rgba());
        }
        if (!entries.isEmpty())
            return QVariant::fromValue(entries);
        break;
    }
    }
    return Result<QVariant>::refused(badValue(param, text));
}

QString textOf(const Param &param, const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return {};
    switch (param.kind) {
    case Param::Kind::Integer: return QString::number(value.toInt());
    case Param::Kind::Real: return QString::number(value.toDouble(), 'f', param.decimals);
    case Param::Kind::Choice: return param.choices.value(value.toInt());
    case Param::Kind::Flag: return value.toBool() ? u"1"_s : u"0"_s;
    case Param::Kind::Colour: return colourText(value.value<QColor>());
    case Param::Kind::Point: {
        const QPoint p = value.toPoint();
        return u"%1,%2"_s.arg(p.x()).arg(p.y());
    }
    case Param::Kind::Rect: {
        const QRect r = value.toRect();
        return u"%1,%2,%3,%4"_s.arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    }
    case Param::Kind::Corners: {
        QStringList points;
        for (const QPointF &p : value.value<QPolygonF>())
            points << u"%1,%2"_s.arg(p.x()).arg(p.y());
        return points.join(u';');
    }
    case Param::Kind::Palette: {
        QStringList colours;
        for (QRgb rgb : value.value<QList<QRgb>>())
            colours << colourText(QColor::fromRgba(rgb));
        return colours.join(u',');
    }
    }
    return {};
}

Result<Values> resolve(const Command &command, const Magick::Image &picture, const Values &values)
{
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const bool known = std::any_of(command.params.cbegin(), command.params.cend(),
                                       [&](const Param &p) { return p.name == it.key(); });
        if (!known)
            return Result<Values>::refused(ImageValuesTr::tr("الأمر %1 لا يأخذ المعامل --%2.").arg(command.name, it.key()));
    }
    Values out;
    for (const Param &param : command.params) {
        QVariant v = values.contains(param.name) ? values.value(param.name) : defaultFor(param, picture);
        if (v.isNull() || !v.isValid()) {
            if (param.required)
                return Result<Values>::refused(ImageValuesTr::tr("الأمر %1 يحتاج المعامل --%2.").arg(command.name, param.name));
            out.insert(param.name, QVariant());
            continue;
        }
        const QString shown = v.toString();
        bool ok = true;
        switch (param.kind) {
        case Param::Kind::Integer:
        case Param::Kind::Choice: {
            const int i = v.toInt(&ok);
            ok = ok && i >= param.minimum && i <= param.maximum;
            v = i;
            break;
        }
        case Param::Kind::Real: {
            double d = v.toDouble(&ok);
            ok = ok && std::isfinite(d) && d >= param.minimum && d <= param.maximum;
            const double scale = std::pow(10.0, param.decimals);
            d = std::round(d * scale) / scale;
            v = d;
            break;
        }
        case Param::Kind::Flag: v = v.toBool(); break;
        case Param::Kind::Colour: ok = v.value<QColor>().isValid(); break;
        case Param::Kind::Point: ok = v.canConvert<QPoint>(); break;
        case Param::Kind::Rect: ok = v.canConvert<QRect>() && !v.toRect().isEmpty(); break;
        case Param::Kind::Corners: ok = v.value<QPolygonF>().size() == 4; break;
        case Param::Kind::Palette: ok = !v.value<QList<QRgb>>().isEmpty(); break;
        }
        if (!ok)
            return Result<Values>::refused(
                ImageValuesTr::tr("القيمة \"%1\" خارج حدود المعامل --%2 (%3 إلى %4).")
                    .arg(shown.isEmpty() ? textOf(param, v) : shown, param.name)
                    .arg(param.minimum)
                    .arg(param.maximum));
        out.insert(param.name, v);
    }
    return out;
}

} // namespace ImageCommands

#include "ArabicTextStyle.h"

#include <QStyleOptionMenuItem>

#include <algorithm>

namespace {

// LEFT-TO-RIGHT MARK: makes the neutral characters at the ends of a label ("...") take the
// direction of the Latin letters they follow.
constexpr QChar kLeftToRightMark(0x200E);

bool hasRightToLeftLetter(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        const QChar::Direction d = c.direction();
        return d == QChar::DirR || d == QChar::DirAL;
    });
}

bool hasLeftToRightLetter(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.direction() == QChar::DirL; });
}

} // namespace

ArabicTextStyle::ArabicTextStyle(QStyle *base) : QProxyStyle(base)
{
}

int ArabicTextStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                               QStyleHintReturn *returnData) const
{
    switch (hint) {
    case SH_DialogButtonBox_ButtonsHaveIcons:
    case SH_UnderlineShortcut:
        return 0;
    default:
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
}

void ArabicTextStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                                  const QWidget *widget) const
{
    if (element == CE_MenuItem) {
        if (const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option)) {
            const QStyleOptionMenuItem ordered = menuItemInReadingOrder(*item);
            QProxyStyle::drawControl(element, &ordered, painter, widget);
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

QString ArabicTextStyle::menuTextInReadingOrder(const QString &text)
{
    const qsizetype tab = text.indexOf(u'\t');
    const QStringView label = tab < 0 ? QStringView(text) : QStringView(text).left(tab);
    if (label.isEmpty() || hasRightToLeftLetter(label) || !hasLeftToRightLetter(label) || label.startsWith(kLeftToRightMark))
        return text;
    QString ordered = kLeftToRightMark + label.toString() + kLeftToRightMark;
    if (tab >= 0)
        ordered += QStringView(text).mid(tab);
    return ordered;
}

QStyleOptionMenuItem ArabicTextStyle::menuItemInReadingOrder(const QStyleOptionMenuItem &item)
{
    QStyleOptionMenuItem ordered(item);
    if (item.direction == Qt::RightToLeft)
        ordered.text = menuTextInReadingOrder(item.text);
    return ordered;
}

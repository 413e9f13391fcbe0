#include "FlatMenuStyle.h"

#include "ArabicTextStyle.h"

#include <QPainter>
#include <QStyleOptionMenuItem>

#include <algorithm>

namespace {

constexpr QRgb kPanel = qRgb(252, 252, 249);
constexpr QRgb kBorder = qRgb(138, 134, 122);
constexpr QRgb kGutter = qRgb(238, 236, 228);
constexpr QRgb kHighlightFill = qRgb(193, 210, 238);
constexpr QRgb kHighlightBorder = qRgb(49, 106, 197);
constexpr QRgb kSeparator = qRgb(197, 194, 184);
constexpr QRgb kMenuBar = qRgb(240, 238, 232);
// The icon column: the base style's minimum check column plus its margins.
constexpr int kMinimumIconColumn = 20;
constexpr int kGutterMargin = 6;

} // namespace

FlatMenuStyle::FlatMenuStyle(QStyle *base) : QProxyStyle(base)
{
}

int FlatMenuStyle::pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const
{
    switch (metric) {
    case PM_MenuPanelWidth:
        return 1;
    case PM_MenuBarPanelWidth:
        return 0;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

void FlatMenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                                  const QWidget *widget) const
{
    switch (element) {
    case PE_PanelMenu:
        painter->fillRect(option->rect, QColor::fromRgb(kPanel));
        return;
    case PE_FrameMenu:
        painter->save();
        painter->setPen(QColor::fromRgb(kBorder));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        painter->restore();
        return;
    case PE_PanelMenuBar:
        painter->fillRect(option->rect, QColor::fromRgb(kMenuBar));
        return;
    default:
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
}

void FlatMenuStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                                const QWidget *widget) const
{
    switch (element) {
    case CE_MenuItem:
        drawMenuItem(option, painter, widget);
        return;
    case CE_MenuBarItem:
        drawMenuBarItem(option, painter, widget);
        return;
    case CE_MenuBarEmptyArea:
        painter->fillRect(option->rect, QColor::fromRgb(kMenuBar));
        return;
    default:
        QProxyStyle::drawControl(element, option, painter, widget);
    }
}

void FlatMenuStyle::drawMenuItem(const QStyleOption *option, QPainter *painter, const QWidget *widget) const
{
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (!item) {
        QProxyStyle::drawControl(CE_MenuItem, option, painter, widget);
        return;
    }
    const QRect &rect = item->rect;
    const int gutterWidth = std::max(item->maxIconWidth, kMinimumIconColumn) + kGutterMargin;
    const QRect gutter =
        visualRect(item->direction, rect, QRect(rect.x(), rect.y(), gutterWidth, rect.height()));
    painter->fillRect(rect, QColor::fromRgb(kPanel));
    painter->fillRect(gutter, QColor::fromRgb(kGutter));

    if (item->menuItemType == QStyleOptionMenuItem::Separator) {
        const QRect line = visualRect(item->direction, rect,
                                      QRect(rect.x() + gutterWidth + kGutterMargin, rect.center().y(),
                                            rect.width() - gutterWidth - kGutterMargin, 1));
        painter->fillRect(line, QColor::fromRgb(kSeparator));
        return;
    }

    const bool selected = (item->state & State_Selected) && (item->state & State_Enabled);
    if (selected) {
        painter->save();
        painter->setPen(QColor::fromRgb(kHighlightBorder));
        painter->setBrush(QColor::fromRgb(kHighlightFill));
        painter->drawRect(rect.adjusted(1, 0, -2, -1));
        painter->restore();
    }
    // The base style draws check, icon, text, shortcut and arrow; as an unselected item, so that it
    // neither paints its own highlight nor switches to the highlighted text colour.
    QStyleOptionMenuItem plain(ArabicTextStyle::menuItemInReadingOrder(*item));
    plain.state &= ~State_Selected;
    QProxyStyle::drawControl(CE_MenuItem, &plain, painter, widget);
}

void FlatMenuStyle::drawMenuBarItem(const QStyleOption *option, QPainter *painter, const QWidget *widget) const
{
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (!item) {
        QProxyStyle::drawControl(CE_MenuBarItem, option, painter, widget);
        return;
    }
    painter->fillRect(item->rect, QColor::fromRgb(kMenuBar));
    const bool active = (item->state & State_Selected) && (item->state & (State_Sunken | State_HasFocus));
    const bool hot = (item->state & State_Selected) && (item->state & State_Enabled);
    if (active || hot) {
        painter->save();
        painter->setPen(QColor::fromRgb(kHighlightBorder));
        painter->setBrush(QColor::fromRgb(item->state & State_Sunken ? kGutter : kHighlightFill));
        painter->drawRect(item->rect.adjusted(0, 0, -1, -1));
        painter->restore();
    }
    QStyleOptionMenuItem plain(ArabicTextStyle::menuItemInReadingOrder(*item));
    plain.state &= ~(State_Selected | State_Sunken);
    // Only the label: the base style would otherwise paint its own bar background again.
    drawItemText(painter, plain.rect, Qt::AlignCenter | Qt::TextShowMnemonic | Qt::TextDontClip | Qt::TextSingleLine,
                 plain.palette, plain.state & State_Enabled, plain.text, QPalette::ButtonText);
}

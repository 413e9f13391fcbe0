#include "CFlatButton.h"

#include <QEnterEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace {

// The highlight is the palette's selection colour, washed out so that the label stays readable.
constexpr int kHighlightAlpha = 60;
constexpr int kPressedAlpha = 110;
constexpr qreal kButtonCornerRadius = 2.0;

} // namespace

CFlatButton::CFlatButton(QWidget *parent) : QPushButton(parent)
{
    setFlat(true);
    setAttribute(Qt::WA_Hover);
}

CFlatButton::CFlatButton(const QIcon &icon, const QString &text, QWidget *parent)
    : QPushButton(icon, text, parent)
{
    setFlat(true);
    setAttribute(Qt::WA_Hover);
}

bool CFlatButton::isHighlighted() const
{
    return isEnabled() && (m_hovered || isDown() || isChecked());
}

void CFlatButton::enterEvent(QEnterEvent *event)
{
    m_hovered = true;
    update();
    QPushButton::enterEvent(event);
}

void CFlatButton::leaveEvent(QEvent *event)
{
    m_hovered = false;
    update();
    QPushButton::leaveEvent(event);
}

void CFlatButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    if (isHighlighted()) {
        QColor fill = palette().color(QPalette::Highlight);
        const QColor border = fill;
        fill.setAlpha(isDown() ? kPressedAlpha : kHighlightAlpha);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(border);
        painter.setBrush(fill);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kButtonCornerRadius, kButtonCornerRadius);
    }
    // The label is the style's own, so icon, text, mnemonic and direction behave as elsewhere.
    painter.drawControl(QStyle::CE_PushButtonLabel, option);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &option, this);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

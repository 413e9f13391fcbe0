#include "CBalloonTip.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kTailHeight = 16;
constexpr int kTailWidth = 18;
// Distance from the balloon's side to the tail's tip.
constexpr int kTailInset = 24;
constexpr int kCornerRadius = 8;
constexpr int kPadding = 8;
constexpr int kTextMaximumWidth = 320;
constexpr int kCloseButtonSize = 18;
constexpr QRgb kDefaultBackground = qRgb(255, 255, 225);
constexpr QRgb kInnerShadow = qRgba(0, 0, 0, 40);
constexpr int kInnerShadowWidth = 3;
const auto kCloseGlyph = u"\u2715"_s;

} // namespace

CBalloonTip::CBalloonTip(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                          | Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint),
      m_icon(new QLabel(this)),
      m_title(new QLabel(this)),
      m_text(new QLabel(this)),
      m_close(new QToolButton(this)),
      m_background(QColor::fromRgb(kDefaultBackground))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setLayoutDirection(Qt::RightToLeft);

    m_icon->hide();
    m_title->setTextFormat(Qt::PlainText);
    QFont titleFont = m_title->font();
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setMaximumWidth(kTextMaximumWidth);
    m_text->setAlignment(Qt::AlignLeading | Qt::AlignTop);

    m_close->setText(kCloseGlyph);
    m_close->setAutoRaise(true);
    m_close->setFixedSize(kCloseButtonSize, kCloseButtonSize);
    m_close->setFocusPolicy(Qt::NoFocus);
    m_close->setToolTip(tr("اغلاق"));
    connect(m_close, &QToolButton::clicked, this, &QWidget::close);

    auto *head = new QHBoxLayout;
    head->setSpacing(kPadding / 2);
    head->addWidget(m_icon);
    head->addWidget(m_title, 1);
    head->addWidget(m_close, 0, Qt::AlignTop);
    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(kPadding / 2);
    layout->addLayout(head);
    layout->addWidget(m_text);
    updateMargins();
}

QString CBalloonTip::title() const
{
    return m_title->text();
}

void CBalloonTip::setTitle(const QString &title)
{
    m_title->setText(title);
}

QString CBalloonTip::text() const
{
    return m_text->text();
}

void CBalloonTip::setText(const QString &text)
{
    m_text->setText(text);
}

void CBalloonTip::setIcon(const QPixmap &icon)
{
    m_icon->setPixmap(icon);
    m_icon->setVisible(!icon.isNull());
}

void CBalloonTip::setBackgroundColour(const QColor &colour)
{
    m_background = colour;
    update();
}

bool CBalloonTip::tailAtBottom() const
{
    return m_tailCorner == Qt::BottomLeftCorner || m_tailCorner == Qt::BottomRightCorner;
}

bool CBalloonTip::tailAtRight() const
{
    return m_tailCorner == Qt::TopRightCorner || m_tailCorner == Qt::BottomRightCorner;
}

void CBalloonTip::updateMargins()
{
    // The tail takes room on its side; the contents stay on the body.
    const int top = kPadding + (tailAtBottom() ? 0 : kTailHeight);
    const int bottom = kPadding + (tailAtBottom() ? kTailHeight : 0);
    layout()->setContentsMargins(kPadding + kInnerShadowWidth, top + kInnerShadowWidth, kPadding, bottom);
}

QPoint CBalloonTip::tailTip() const
{
    const int x = tailAtRight() ? width() - kTailInset : kTailInset;
    const int y = tailAtBottom() ? height() - 1 : 0;
    return {x, y};
}

void CBalloonTip::showAt(const QPoint &target, Qt::Corner tailCorner)
{
    m_tailCorner = tailCorner;
    updateMargins();
    adjustSize();
    move(target - tailTip());
    show();
    raise();
}

QPainterPath CBalloonTip::outline() const
{
    const QRectF body = QRectF(rect()).adjusted(0.5, tailAtBottom() ? 0.5 : kTailHeight + 0.5, -0.5,
                                                tailAtBottom() ? -kTailHeight - 0.5 : -0.5);
    QPainterPath path;
    path.addRoundedRect(body, kCornerRadius, kCornerRadius);

    // The tail leans towards its corner: one edge runs straight from the body to the tip.
    const QPointF tip = tailTip();
    const qreal edgeY = tailAtBottom() ? body.bottom() : body.top();
    const qreal direction = tailAtRight() ? -1.0 : 1.0;
    QPainterPath tail;
    tail.moveTo(tip.x() + direction * 0.5, edgeY - (tailAtBottom() ? 1 : -1));
    tail.lineTo(tip);
    tail.lineTo(tip.x() + direction * kTailWidth, edgeY - (tailAtBottom() ? 1 : -1));
    tail.closeSubpath();
    return path.united(tail);
}

void CBalloonTip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath path = outline();
    painter.fillPath(path, m_background);
    // An inner shadow along the top and the leading edge gives the balloon some depth.
    painter.save();
    painter.setClipPath(path);
    painter.strokePath(path.translated(kInnerShadowWidth / 2.0, kInnerShadowWidth / 2.0),
                       QPen(QColor::fromRgba(kInnerShadow), kInnerShadowWidth));
    painter.restore();
    painter.strokePath(path, QPen(m_background.darker(160), 1));
}

void CBalloonTip::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // A mask cuts the window to the balloon's shape without needing a compositor.
    setMask(QRegion(outline().toFillPolygon().toPolygon(), Qt::WindingFill));
}

void CBalloonTip::closeEvent(QCloseEvent *event)
{
    emit closed();
    QWidget::closeEvent(event);
}

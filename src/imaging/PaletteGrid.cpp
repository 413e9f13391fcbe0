#include "PaletteGrid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

PaletteGrid::PaletteGrid(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PaletteGrid::setColours(const QList<QRgb> &colours)
{
    m_colours = colours;
    m_selected = std::clamp(m_selected, 0, std::max(0, int(colours.size()) - 1));
    updateGeometry();
    update();
}

void PaletteGrid::setAlphaMode(bool on)
{
    m_alphaMode = on;
    update();
}

void PaletteGrid::select(int index)
{
    if (index < 0 || index >= m_colours.size())
        return;
    m_selected = index;
    update();
}

QSize PaletteGrid::sizeHint() const
{
    const int rows = std::max(1, int((m_colours.size() + kColumns - 1) / kColumns));
    return {kColumns * kCell + 1, rows * kCell + 1};
}

QRect PaletteGrid::cellRect(int index) const
{
    return {(index % kColumns) * kCell, (index / kColumns) * kCell, kCell, kCell};
}

int PaletteGrid::indexAt(QPoint point) const
{
    if (point.x() < 0 || point.y() < 0 || point.x() >= kColumns * kCell)
        return -1;
    const int index = (point.y() / kCell) * kColumns + point.x() / kCell;
    return index < m_colours.size() ? index : -1;
}

void PaletteGrid::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor darkShadow = palette().color(QPalette::Shadow);
    for (int i = 0; i < m_colours.size(); ++i) {
        const QRgb c = m_colours[i];
        const QColor fill = m_alphaMode ? QColor(qAlpha(c), qAlpha(c), qAlpha(c)) : QColor(qRed(c), qGreen(c), qBlue(c));
        const QRect r = cellRect(i);
        p.fillRect(r.adjusted(2, 2, -1, -1), fill);
        if (i == m_selected) {
            p.setPen(QPen(darkShadow, 2));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRectF(r).adjusted(1, 1, -1, -1));
        } else {
            p.setPen(QPen(shadow, 1));
            p.setBrush(Qt::NoBrush);
            p.drawRect(r.adjusted(1, 1, -1, -1));
        }
    }
    if (hasFocus() && !m_colours.isEmpty()) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        p.drawRect(cellRect(m_selected).adjusted(0, 0, -1, -1));
    }
}

void PaletteGrid::mouseMoveEvent(QMouseEvent *event)
{
    const int index = indexAt(event->position().toPoint());
    if (index >= 0)
        emit hovered(index);
}

void PaletteGrid::mousePressEvent(QMouseEvent *event)
{
    select(indexAt(event->position().toPoint()));
}

void PaletteGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    const int index = indexAt(event->position().toPoint());
    if (index >= 0) {
        select(index);
        emit activated(index);
    }
}

void PaletteGrid::keyPressEvent(QKeyEvent *event)
{
    int next = m_selected;
    switch (event->key()) {
    case Qt::Key_Left: next -= 1; break;
    case Qt::Key_Right: next += 1; break;
    case Qt::Key_Up: next -= kColumns; break;
    case Qt::Key_Down: next += kColumns; break;
    case Qt::Key_Space:
        if (!m_colours.isEmpty())
            emit activated(m_selected);
        return;
    default: QWidget::keyPressEvent(event); return;
    }
    if (next >= 0 && next < m_colours.size()) {
        select(next);
        emit hovered(next);
    }
}

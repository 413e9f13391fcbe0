#include "ItemIcons.h"

#include "base/Palette.h"

#include <QPainter>
#include <QPainterPath>

#include <functional>

namespace {

constexpr int kIconSize = 16;

// Colours of these icons alone; the folder's are the shared ones of the palette.
constexpr QRgb kArchivedFill = qRgb(40, 140, 60);
constexpr QRgb kFileEdge = qRgb(90, 90, 90);
constexpr QRgb kPictureEdge = qRgb(40, 70, 140);
constexpr QRgb kPictureSky = qRgb(170, 200, 240);
constexpr QRgb kPictureHill = qRgb(60, 140, 70);
constexpr QRgb kPictureSun = qRgb(250, 210, 60);
constexpr QRgb kLabelEdge = qRgb(120, 70, 20);
constexpr QRgb kLabelFill = qRgb(250, 220, 150);

QPixmap icon(const std::function<void(QPainter &)> &draw)
{
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    return pixmap;
}

} // namespace

namespace ItemIcons {

QList<QPixmap> items()
{
    return {
        icon([](QPainter &p) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(kArchivedFill));
            p.drawEllipse(QRectF(1, 1, 14, 14));
            p.setPen(QPen(Qt::white, 2));
            p.drawPolyline(QPolygonF({QPointF(4.5, 8), QPointF(7, 10.5), QPointF(11.5, 5)}));
        }),
        icon([](QPainter &p) {
            p.setPen(QColor(Palette::kFolderEdge));
            p.setBrush(QColor(Palette::kFolderFill));
            QPainterPath path;
            path.moveTo(1.5, 3.5);
            path.lineTo(6, 3.5);
            path.lineTo(7.5, 5);
            path.lineTo(14.5, 5);
            path.lineTo(14.5, 13.5);
            path.lineTo(1.5, 13.5);
            path.closeSubpath();
            p.drawPath(path);
        }),
        icon([](QPainter &p) {
            p.setPen(QColor(kFileEdge));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(3.5, 1.5, 9, 13));
            p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 5.5));
            p.drawLine(QPointF(5.5, 8.5), QPointF(10.5, 8.5));
            p.drawLine(QPointF(5.5, 11.5), QPointF(10.5, 11.5));
        }),
        icon([](QPainter &p) {
            p.setPen(QColor(kPictureEdge));
            p.setBrush(QColor(kPictureSky));
            p.drawRect(QRectF(1.5, 2.5, 13, 11));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(kPictureHill));
            p.drawPolygon(QPolygonF({QPointF(2, 13), QPointF(7, 7), QPointF(11, 13)}));
            p.setBrush(QColor(kPictureSun));
            p.drawEllipse(QRectF(9.5, 4, 3, 3));
        }),
    };
}

QList<QPixmap> classes()
{
    return {icon([](QPainter &p) {
        p.setPen(QColor(kLabelEdge));
        p.setBrush(QColor(kLabelFill));
        p.drawPolygon(QPolygonF({QPointF(1.5, 4.5), QPointF(10.5, 4.5), QPointF(14.5, 8), QPointF(10.5, 11.5),
                                 QPointF(1.5, 11.5)}));
    })};
}

} // namespace ItemIcons

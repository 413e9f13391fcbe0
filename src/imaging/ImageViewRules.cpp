#include "ImageViewRules.h"

#include <QTransform>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace ImageViewRules {

double zoomIn(double f)
{
    if (f >= kMostZoom)
        return f;
    if (f == 0.5)
        return 0.75;
    if (f == 0.75)
        return 1.0;
    if (f == 1.0)
        return 1.5;
    if (f == 1.5)
        return 2.0;
    return f * 2;
}

double zoomOut(double f)
{
    if (f <= kLeastZoom)
        return f;
    if (f == 2.0)
        return 1.5;
    if (f == 1.5)
        return 1.0;
    if (f == 1.0)
        return 0.75;
    if (f == 0.75)
        return 0.5;
    return f / 2;
}

bool canZoomIn(double f)
{
    return f < kMostZoom;
}

bool canZoomOut(double f)
{
    return f > 0.125;
}

bool canNormalSize(double f)
{
    return f != 1.0;
}

QString zoomInText(double f)
{
    return QString::asprintf("%4.0f %%", f * 100);
}

QString zoomOutText(double f)
{
    return QString::asprintf("%4.1f %%", f * 100);
}

QSize fittedClientSize(QSize picture, QSize mainClient)
{
    constexpr int kShort = 12;
    constexpr int kMargin = 4;
    return QSize(std::max(0, std::min(picture.width(), mainClient.width() - kShort)) + kMargin,
                 std::max(0, std::min(picture.height(), mainClient.height() - kShort)) + kMargin);
}

QString frameTitle(const QString &fileName, int frame)
{
    return frame == 0 ? fileName : u"%1 (%2)"_s.arg(fileName).arg(frame + 1);
}

QString duplicateTitle(int number, const QString &title)
{
    return u"Copy %1 of %2"_s.arg(number).arg(title);
}

QString saveAsName(const QString &path, const QString &title, const QString &extension)
{
    if (!path.isEmpty())
        return path;
    const bool unusable = std::any_of(title.cbegin(), title.cend(), [](QChar c) { return u"#%;/\\"_s.contains(c); });
    return (unusable || title.isEmpty() ? u"UntitledImage"_s : title) + extension;
}

QString sizeText(int width, int height, int bits)
{
    return QString::asprintf("(%dx%dx%d)", width, height, bits);
}

QString timeText(double seconds)
{
    return QString::asprintf("Time (s): %.3f", seconds);
}

QString pointerText(int x, int y, int index)
{
    return QString::asprintf("x: %d y: %d  idx: %d", x, y, index);
}

QString progressText(int percent)
{
    return QString::asprintf("%d %%", percent);
}

QString undoText(int level)
{
    return QString::asprintf("Undo (%d)\tCtrl+Z", level);
}

QPolygonF draggedCorners(const QPolygonF &corners, QPointF from, QPointF to, bool move)
{
    if (move)
        return corners.translated(to - from);
    const QPointF centre = corners.boundingRect().center();
    const double swept = std::atan2(to.y() - centre.y(), to.x() - centre.x())
                         - std::atan2(from.y() - centre.y(), from.x() - centre.x());
    QTransform turn;
    turn.translate(centre.x(), centre.y());
    turn.rotateRadians(swept);
    turn.translate(-centre.x(), -centre.y());
    return turn.map(corners);
}

} // namespace ImageViewRules

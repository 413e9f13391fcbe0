#include "WindowPlacement.h"

#include <algorithm>
#include <cmath>

namespace WindowPlacement {

std::optional<QRect> startRect(const ScreenPlacement &s)
{
    if (s.left == 0 || s.top == 0 || s.right == 0 || s.bottom == 0)
        return std::nullopt;
    return QRect(s.left, s.top, s.right - s.left, s.bottom - s.top);
}

QRect defaultRect(const QRect &available)
{
    const QSize size(int(std::ceil(available.width() * kDefaultShare)),
                     int(std::ceil(available.height() * kDefaultShare)));
    QRect rect(QPoint(0, 0), size);
    rect.moveCenter(available.center());
    return rect;
}

QRect openingRect(const ScreenPlacement &stored, const QList<QRect> &availableAreas)
{
    const QRect fallback = availableAreas.isEmpty() ? QRect(0, 0, 1024, 768) : availableAreas.first();
    const std::optional<QRect> rect = startRect(stored);
    if (!rect || rect->width() <= 0 || rect->height() <= 0)
        return defaultRect(fallback);
    // A screen that has gone since the last close must not take the window with it.
    const bool onSomeScreen = std::any_of(availableAreas.begin(), availableAreas.end(),
                                          [&](const QRect &area) { return area.intersects(*rect); });
    return onSomeScreen || availableAreas.isEmpty() ? *rect : defaultRect(fallback);
}

ScreenPlacement atClose(const ScreenPlacement &previous, const QRect &window, const QSize &screen, bool maximized,
                        bool minimized)
{
    ScreenPlacement p = previous;
    p.maximized = maximized;
    if (maximized || minimized)
        return p;
    p.left = std::min(window.left(), screen.width() - 100);
    p.top = std::min(window.top(), screen.height() - 100);
    // Right and bottom as the window has them (one past the last pixel, as window edges go).
    p.right = window.left() + window.width();
    p.bottom = window.top() + window.height();
    return p;
}

QList<QRect> tileRects(const QRect &area, int count, Qt::Orientation orientation, bool rightToLeft, int minimumStrip)
{
    QList<QRect> out;
    if (count <= 0 || area.isEmpty())
        return out;
    // Along the tiling direction: how much room there is, and how many strips fit in one line.
    const bool stacked = orientation == Qt::Horizontal;
    const int length = stacked ? area.height() : area.width();
    const int across = stacked ? area.width() : area.height();
    const int perLine = std::clamp(length / std::max(1, minimumStrip), 1, count);
    const int lines = (count + perLine - 1) / perLine;
    for (int i = 0; i < count; ++i) {
        const int line = i / perLine;
        const int inLine = i % perLine;
        // The last line may hold fewer windows; they share its length.
        const int inThisLine = line == lines - 1 ? count - line * perLine : perLine;
        const int from = length * inLine / inThisLine;
        const int to = length * (inLine + 1) / inThisLine;
        const int sideFrom = across * line / lines;
        const int sideTo = across * (line + 1) / lines;
        QRect r = stacked ? QRect(area.left() + sideFrom, area.top() + from, sideTo - sideFrom, to - from)
                          : QRect(area.left() + from, area.top() + sideFrom, to - from, sideTo - sideFrom);
        if (rightToLeft)
            r.moveLeft(area.left() + area.right() - r.right());
        out.append(r);
    }
    return out;
}

QList<QRect> cascadeRects(const QRect &area, int count, int step, bool rightToLeft, double minimumShare)
{
    QList<QRect> out;
    if (count <= 0 || area.isEmpty())
        return out;
    step = std::max(1, step);
    const int smallest = std::min(int(area.width() * minimumShare), int(area.height() * minimumShare));
    // How many steps fit before a window would get smaller than the least share.
    const int room = std::min(area.width(), area.height()) - smallest;
    const int perRun = std::clamp(room / step + 1, 1, count);
    const QSize size(area.width() - (perRun - 1) * step, area.height() - (perRun - 1) * step);
    for (int i = 0; i < count; ++i) {
        const int k = i % perRun;
        QRect r(QPoint(area.left() + k * step, area.top() + k * step), size);
        if (rightToLeft)
            r.moveLeft(area.left() + area.right() - r.right());
        out.append(r);
    }
    return out;
}

} // namespace WindowPlacement

#include "WindowPlacement.h"

#include <algorithm>

namespace WindowPlacement {

std::optional<QRect> startRect(const ScreenPlacement &s)
{
    if (s.left == 0 || s.top == 0 || s.right == 0 || s.bottom == 0)
        return std::nullopt;
    return QRect(s.left, s.top, s.right - s.left, s.bottom - s.top);
}

ScreenPlacement atClose(const ScreenPlacement &previous, const QRect &frame, const QSize &screen, bool maximized,
                        bool minimized)
{
    ScreenPlacement p = previous;
    p.maximized = maximized;
    if (maximized || minimized)
        return p;
    p.left = std::min(frame.left(), screen.width() - 100);
    p.top = std::min(frame.top(), screen.height() - 100);
    // Right and bottom as the window has them (one past the last pixel, as window edges go).
    p.right = frame.left() + frame.width();
    p.bottom = frame.top() + frame.height();
    return p;
}

} // namespace WindowPlacement

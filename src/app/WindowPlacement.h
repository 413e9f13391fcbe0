#pragma once

#include "Profile.h"

#include <QList>
#include <QRect>
#include <QSize>

#include <optional>

// Where the main window goes at start, what is stored of it at close, and how its child windows
// are tiled. The stored rectangle is the window's own area (its frame left out), so that what is
// stored at close comes back unchanged at the next start.
namespace WindowPlacement {

// The share of the available screen, in each direction, that a window with no stored place gets.
inline constexpr double kDefaultShare = 0.9;

// The stored rectangle, when all four edges are non-zero; otherwise the window keeps the
// default placement.
std::optional<QRect> startRect(const ScreenPlacement &stored);

// The place of a window with nothing stored: centred on the available area, covering
// kDefaultShare of its width and of its height.
QRect defaultRect(const QRect &available);

// Where the window opens: the stored rectangle when there is one and some of it lies on one of
// the screens' available areas, else the default place on the first screen.
QRect openingRect(const ScreenPlacement &stored, const QList<QRect> &availableAreas);

// What to store at close. A maximised or minimised window keeps the stored rectangle and only
// records whether it was maximised. Otherwise a left edge right of screen width - 100, or a top
// edge below screen height - 100, is pulled back there; right and bottom stay as they are.
ScreenPlacement atClose(const ScreenPlacement &previous, const QRect &window, const QSize &screen, bool maximized,
                        bool minimized);

// Child windows tiled over the area. Horizontal tiling stacks them one above another, each as wide
// as the area; vertical tiling sets them side by side, each as high as the area, the first on the
// right when right to left. When the strips would be thinner than minimumStrip, the windows go in
// several such stacks (or rows) instead. The rectangles cover the area without overlapping.
QList<QRect> tileRects(const QRect &area, int count, Qt::Orientation orientation, bool rightToLeft,
                       int minimumStrip = 120);

// Child windows cascaded over the area, each one step right (left when right to left) and down
// from the one before; every window is as big as the area less the steps of the whole cascade,
// and never smaller than minimumShare of it (the steps then start over from the corner).
QList<QRect> cascadeRects(const QRect &area, int count, int step, bool rightToLeft, double minimumShare = 0.6);

} // namespace WindowPlacement

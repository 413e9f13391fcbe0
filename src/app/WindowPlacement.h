#pragma once

#include "Profile.h"

#include <QRect>
#include <QSize>

#include <optional>

// Where the main window goes at start and what is stored of it at close.
namespace WindowPlacement {

// The stored rectangle, when all four edges are non-zero; otherwise the window keeps the
// default placement.
std::optional<QRect> startRect(const ScreenPlacement &stored);

// What to store at close. A maximised or minimised window keeps the stored rectangle and only
// records whether it was maximised. Otherwise a left edge right of screen width - 100, or a top
// edge below screen height - 100, is pulled back there; right and bottom stay as they are.
ScreenPlacement atClose(const ScreenPlacement &previous, const QRect &frame, const QSize &screen, bool maximized,
                        bool minimized);

} // namespace WindowPlacement

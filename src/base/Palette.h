#pragma once

#include <QRgb>

// The colours the windows share, in one place, so that a mark means the same in every window.
namespace Palette {

// A row the user may reach: a classification in the access list, in the basket bar and the
// classifications editor alike.
inline constexpr QRgb kMarked = qRgb(169, 186, 214);
// A reminder dated today, in the memo list and in its balloon.
inline constexpr QRgb kToday = qRgb(220, 225, 255);
// The cells of the report's and the basket viewer's grids.
inline constexpr QRgb kSheetCell = qRgb(236, 233, 216);
// The lines between the cells: blue in the report, red in a basket viewer.
inline constexpr QRgb kReportGridLine = qRgb(0, 0, 255);
inline constexpr QRgb kBasketGridLine = qRgb(255, 0, 0);
// The frame drawn round a thumbnail and round the preview's picture.
inline constexpr QRgb kPictureFrame = qRgb(192, 192, 192);

// The drawn stand-ins for a folder and a page, where no icon file is installed, and the card's
// item icons.
inline constexpr QRgb kFolderFill = qRgb(240, 200, 80);
inline constexpr QRgb kFolderEdge = qRgb(150, 110, 20);
inline constexpr QRgb kPageFill = qRgb(250, 250, 250);
inline constexpr QRgb kPageBand = qRgb(60, 90, 170);
inline constexpr QRgb kOutline = qRgb(120, 120, 120);

} // namespace Palette

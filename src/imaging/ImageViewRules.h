#pragma once

#include <QPolygonF>
#include <QSize>
#include <QString>

// The rules of the image windows that need no window: the zoom steps and when they may be taken,
// how a window fits its picture, and the texts of titles and status panes.
namespace ImageViewRules {

inline constexpr double kMostZoom = 16.0;
inline constexpr double kLeastZoom = 0.0625;

// In: 0.5 → 0.75 → 1 → 1.5 → 2, otherwise double; nothing from 16 on.
double zoomIn(double factor);
// Out: 2 → 1.5 → 1 → 0.75 → 0.5, otherwise half; nothing from 0.0625 down.
double zoomOut(double factor);
bool canZoomIn(double factor);
bool canZoomOut(double factor); // off at 0.125 and less
bool canNormalSize(double factor);
QString zoomInText(double factor);  // "%4.0f %%" of factor × 100
QString zoomOutText(double factor); // "%4.1f %%"

// The client size an image window takes for its zoomed picture: the picture's size, at most 12
// pixels short of the main window's client area, plus 4.
QSize fittedClientSize(QSize zoomedPicture, QSize mainClient);

// "name", then "name (2)", "name (3)" for the further frames of a file (frame counts from 0).
QString frameTitle(const QString &fileName, int frame);
QString duplicateTitle(int number, const QString &title); // "Copy %d of %s"
// The name Save As offers: the document's path, or its title (or "UntitledImage" when the title
// holds one of "#%;/\") with the extension of the picture's type.
QString saveAsName(const QString &path, const QString &title, const QString &extension);

// The four-corner selection after a right-button drag from `from` to `to` (picture points): turned
// about its centre by the angle the pointer swept, or moved with the pointer when `move` (Ctrl).
QPolygonF draggedCorners(const QPolygonF &corners, QPointF from, QPointF to, bool move);

QString sizeText(int width, int height, int bitsPerPixel); // "(%dx%dx%d)"
QString timeText(double seconds);                           // "Time (s): %.3f"
QString pointerText(int x, int y, int index);                // "x: %d y: %d  idx: %d"
QString progressText(int percent);                           // "%d %%"
QString undoText(int level);                                 // "Undo (%d)\tCtrl+Z"

} // namespace ImageViewRules

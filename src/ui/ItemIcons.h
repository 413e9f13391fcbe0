#pragma once

#include <QList>
#include <QPixmap>

// The small drawn icons of the card's lists, 16 pixels square.
namespace ItemIcons {

// The strip of the file and text lists, in this order: 0 archived, 1 folder, 2 file, 3 page or
// picture saved by a view.
QList<QPixmap> items();
// The strip of the classification list: one classification label.
QList<QPixmap> classes();

} // namespace ItemIcons

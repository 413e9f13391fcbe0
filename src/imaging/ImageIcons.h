#pragma once

#include <QIcon>
#include <QList>

// The pictures of the image editor's commands (the image toolbar and the image window's menus).
// Each command takes the desktop icon theme's picture under its freedesktop name where the theme
// has one, and otherwise a drawing of our own from the resources, so the toolbar looks the same
// on a desktop without a theme.
namespace ImageIcons {

// A null icon for a command without a picture.
QIcon forCommand(int id);
// Our own drawing of the command, whatever the theme has; null for a command without one.
QIcon fallbackFor(int id);
// The theme name looked up for the command; empty when there is none.
QString themeNameFor(int id);
// Every command that has a picture.
QList<int> commands();

} // namespace ImageIcons

// The program's icons, drawn by the program itself on a 24-unit grid in one palette:
// dark outlines, the 3-D view's colours for rake (blue), flank (mauve), cutting edge
// (yellow) and working plane (green), red for the removals.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace tessarin::shell {

// The icon of a command, by its button name ("ButtonNew", "ButtonCutEdge", ...); a
// null icon for a name without one.
QIcon CommandIcon(const QString& buttonName);

// The window icon of the program and its document windows.
QIcon ApplicationIcon();

// The product banner of the splash window and the About box, 292 x 64 pixels.
QPixmap BannerPixmap();

}  // namespace tessarin::shell

// The pictures of the data tree and the side bar, drawn in code so that they scale and
// need no image files.
#pragma once

#include <QIcon>

namespace tessarin::document {

// Tree icons 0..9: cutting edge, ISK, SSK, KSK, DSK, rake, clearance, inclination, plan
// angle, selection.
QIcon TreeIcon(int index);

// Side-bar icons 0..2 (48 pixels): compute the angles, define a coordinate system,
// define the working plane.
QIcon SideBarIcon(int index);

}  // namespace tessarin::document

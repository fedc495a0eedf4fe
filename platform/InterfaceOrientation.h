#pragma once

#include "support/Geometry.h"

namespace platform {

// A desktop player cannot turn the monitor, so while the application asks
// for a landscape interface (the status bar's orientation, 3 or 4) the
// window shows the portrait screen turned upright, and input is turned back
// the way a turned device would report it. Orientation 3 has the portrait
// screen's right edge on top, 4 its left edge; any other value is portrait.

bool isLandscapeInterface(int orientation);

// The size of the picture the player sees for a portrait screen of `portrait`.
Size uprightSize(Size portrait, int orientation);

// Points (origin top-left, y down) between the picture the player sees and
// the portrait screen.
Point portraitPointFromUpright(Point upright, Size portrait, int orientation);
Point uprightPointFromPortrait(Point point, Size portrait, int orientation);

// A tilt in the player's frame (right edge down +x, top edge down +y) as the
// device, turned to `orientation`, reports it.
struct Tilt {
    double x, y;
};
Tilt deviceTiltFromUpright(Tilt upright, int orientation);

} // namespace platform

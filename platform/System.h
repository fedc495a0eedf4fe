#pragma once

#include "support/Geometry.h"

#include <functional>
#include <string>

namespace platform {

// The platform's system version string, "3.1" on the desktop; tests may set
// another.
std::string systemVersion();
void setSystemVersion(std::string version);

// The status bar. The desktop shows none: its frame is empty, but the
// orientation asked for is remembered, and the window turns with it.
struct StatusBar {
    static int orientation();
    static void setOrientation(int orientation, bool animated);
    // Told of each change of the orientation (the window; one observer).
    static void setOrientationObserver(std::function<void(int orientation)> observer);
    static Rect frame();
    static bool hidden();
    static void setHidden(bool hidden, bool animated);
};

} // namespace platform

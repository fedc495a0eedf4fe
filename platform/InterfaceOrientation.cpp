#include "platform/InterfaceOrientation.h"

namespace platform {

namespace {
constexpr int kLandscapeLeft = 3;
constexpr int kLandscapeRight = 4;
} // namespace

bool isLandscapeInterface(int orientation) {
    return orientation == kLandscapeLeft || orientation == kLandscapeRight;
}

Size uprightSize(Size portrait, int orientation) {
    return isLandscapeInterface(orientation) ? Size(portrait.height, portrait.width) : portrait;
}

Point portraitPointFromUpright(Point p, Size portrait, int orientation) {
    switch (orientation) {
    case kLandscapeLeft:
        return Point(portrait.width - p.y, p.x);
    case kLandscapeRight:
        return Point(p.y, portrait.height - p.x);
    default:
        return p;
    }
}

Point uprightPointFromPortrait(Point p, Size portrait, int orientation) {
    switch (orientation) {
    case kLandscapeLeft:
        return Point(p.y, portrait.width - p.x);
    case kLandscapeRight:
        return Point(portrait.height - p.y, p.x);
    default:
        return p;
    }
}

Tilt deviceTiltFromUpright(Tilt t, int orientation) {
    switch (orientation) {
    case kLandscapeLeft:
        return {t.y, -t.x};
    case kLandscapeRight:
        return {-t.y, t.x};
    default:
        return t;
    }
}

} // namespace platform

#include "platform/System.h"

namespace platform {

namespace {
std::string version = "3.1";
int statusBarOrientation = 1;
bool statusBarHidden = false;
std::function<void(int)> orientationObserver;
} // namespace

std::string systemVersion() {
    return version;
}
void setSystemVersion(std::string v) {
    version = std::move(v);
}

int StatusBar::orientation() {
    return statusBarOrientation;
}
void StatusBar::setOrientation(int orientation, bool) {
    if (orientation == statusBarOrientation) return;
    statusBarOrientation = orientation;
    if (orientationObserver) orientationObserver(orientation);
}
void StatusBar::setOrientationObserver(std::function<void(int)> observer) {
    orientationObserver = std::move(observer);
}
Rect StatusBar::frame() {
    return Rect();
}
bool StatusBar::hidden() {
    return statusBarHidden;
}
void StatusBar::setHidden(bool hidden, bool) {
    statusBarHidden = hidden;
}

} // namespace platform

#include "platform/Accelerometer.h"

#include "platform/Clock.h"
#include "platform/InterfaceOrientation.h"
#include "platform/RunLoop.h"
#include "platform/System.h"

#include <algorithm>
#include <cmath>

namespace platform {

Accelerometer& Accelerometer::sharedAccelerometer() {
    static Accelerometer accelerometer;
    return accelerometer;
}

void Accelerometer::setDelegate(AccelerometerDelegate* delegate) {
    delegate_ = delegate;
    restartTimer();
}

void Accelerometer::setUpdateInterval(double seconds) {
    updateInterval_ = std::clamp(seconds, 0.01, 1.0);
    restartTimer();
}

void Accelerometer::restartTimer() {
    if (timer_) timer_->invalidate();
    timer_ = nullptr;
    if (delegate_)
        timer_ = RunLoop::main().scheduleTimer(updateInterval_, true, [this] { deliver(); });
}

void Accelerometer::deliver() {
    if (!delegate_) return;
    Acceleration a = currentAcceleration();
    delegate_->accelerometer(this, a);
}

void Accelerometer::setKeyHeld(TiltKey key, bool held) {
    currentAcceleration(); // bring the ramps up to now first
    held_[int(key)] = held;
}

void Accelerometer::setControllerStick(double x, double y) {
    stickX_ = std::clamp(x, -1.0, 1.0);
    stickY_ = std::clamp(y, -1.0, 1.0);
}

void Accelerometer::setControllerGravity(std::optional<Acceleration> gravity) {
    gravity_ = gravity;
}

void Accelerometer::setScriptedTilt(std::optional<Acceleration> tilt) {
    scripted_ = tilt;
}

Acceleration Accelerometer::currentAcceleration() {
    double now = clock().monotonic();
    double elapsed = lastRamp_ < 0 ? 0 : std::max(0.0, now - lastRamp_);
    lastRamp_ = now;
    auto ramp = [&](double& value, double target) {
        double step = kKeyRampRate * elapsed;
        if (value < target)
            value = std::min(target, value + step);
        else
            value = std::max(target, value - step);
    };
    int dx = int(held_[int(TiltKey::Right)]) - int(held_[int(TiltKey::Left)]);
    int dy = int(held_[int(TiltKey::Up)]) - int(held_[int(TiltKey::Down)]);
    ramp(keyX_, dx * kKeyTilt);
    ramp(keyY_, dy * kKeyTilt);

    Acceleration a;
    if (scripted_) {
        a = *scripted_;
    } else {
        if (gravity_) {
            a = *gravity_;
        } else {
            // The stick reads down as positive; tilting the top edge down is +y.
            a.x = std::clamp(keyX_ + stickX_ * kKeyTilt, -1.0, 1.0);
            a.y = std::clamp(keyY_ - stickY_ * kKeyTilt, -1.0, 1.0);
            a.z = -std::sqrt(std::max(0.0, 1.0 - a.x * a.x - a.y * a.y));
        }
        // Keys and controllers tilt the picture the player sees; a turned
        // device reports that in its own axes.
        Tilt t = deviceTiltFromUpright({a.x, a.y}, StatusBar::orientation());
        a.x = t.x;
        a.y = t.y;
    }
    a.timestamp = now;
    return a;
}

void Accelerometer::reset() {
    if (timer_) timer_->invalidate();
    timer_ = nullptr;
    delegate_ = nullptr;
    updateInterval_ = 0.1;
    std::fill(std::begin(held_), std::end(held_), false);
    keyX_ = keyY_ = 0;
    lastRamp_ = -1;
    stickX_ = stickY_ = 0;
    gravity_.reset();
    scripted_.reset();
}

} // namespace platform

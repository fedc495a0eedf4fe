#pragma once

#include "support/Ref.h"

#include <optional>

namespace platform {

class RunLoopTimer;

// One sample, in g. A device lying face up at rest reads (0, 0, -1); tilting
// its right edge down makes x positive, its top edge down makes y positive.
struct Acceleration {
    double x = 0, y = 0, z = -1;
    double timestamp = 0;
};

class Accelerometer;

class AccelerometerDelegate {
public:
    virtual ~AccelerometerDelegate() = default;
    virtual void accelerometer(Accelerometer* accelerometer, const Acceleration& acceleration) = 0;
};

enum class TiltKey { Left, Right, Up, Down };

// The shared accelerometer. While it has a delegate it delivers a sample
// every update interval on the main run loop. Samples come from a script
// when one tilts, else a controller's motion sensor, else the sum of the
// controller's left stick and the arrow keys (held keys ramp to 0.6 g and
// back to rest when released). Keys and controllers tilt the picture as the
// player sees it, turned with a landscape interface; a script gives what the
// device itself reports.
class Accelerometer {
public:
    static Accelerometer& sharedAccelerometer();

    void setDelegate(AccelerometerDelegate* delegate);
    AccelerometerDelegate* delegate() const { return delegate_; }
    void setUpdateInterval(double seconds);
    double updateInterval() const { return updateInterval_; }

    void setKeyHeld(TiltKey key, bool held);
    // Stick deflection, each axis in -1..1 (right and down positive).
    void setControllerStick(double x, double y);
    void setControllerGravity(std::optional<Acceleration> gravity);
    void setScriptedTilt(std::optional<Acceleration> tilt);

    // The sample for now (advances the key ramps).
    Acceleration currentAcceleration();

    // Back to rest with no delegate and no inputs (between tests).
    void reset();

    static constexpr double kKeyTilt = 0.6;     // g at full key tilt
    static constexpr double kKeyRampRate = 3.0; // g per second

private:
    void restartTimer();
    void deliver();

    AccelerometerDelegate* delegate_ = nullptr;
    double updateInterval_ = 0.1;
    Ref<RunLoopTimer> timer_;
    bool held_[4] = {false, false, false, false};
    double keyX_ = 0, keyY_ = 0;
    double lastRamp_ = -1;
    double stickX_ = 0, stickY_ = 0;
    std::optional<Acceleration> gravity_;
    std::optional<Acceleration> scripted_;
};

} // namespace platform

#pragma once

#include <cstdint>

namespace platform {

// Time of day as the platform reports it: whole seconds and microseconds.
struct TimeOfDay {
    int64_t seconds = 0;
    int32_t microseconds = 0;
};

// The one source of time. The run loop schedules on monotonic(); the director
// measures frames with timeOfDay(). Tests install a ManualClock.
class Clock {
public:
    virtual ~Clock() = default;
    // False when the time of day cannot be read.
    virtual bool timeOfDay(TimeOfDay& out) = 0;
    // Seconds since an arbitrary start, never going backwards.
    virtual double monotonic() = 0;
};

class SystemClock final : public Clock {
public:
    bool timeOfDay(TimeOfDay& out) override;
    double monotonic() override;
};

// A clock that moves only when told to. The wall clock can be set apart from
// the monotonic one to model clock changes, and can be made unreadable.
class ManualClock final : public Clock {
public:
    explicit ManualClock(double wallSeconds = 1'000'000.0) : wall_(wallSeconds) {}

    bool timeOfDay(TimeOfDay& out) override;
    double monotonic() override { return monotonic_; }

    // Moves both clocks forward.
    void advance(double seconds) {
        monotonic_ += seconds;
        wall_ += seconds;
    }
    // Sets the wall clock only (a user or network time change).
    void setWall(double seconds) { wall_ = seconds; }
    double wall() const { return wall_; }
    void setFailing(bool failing) { failing_ = failing; }

private:
    double wall_;
    double monotonic_ = 0;
    bool failing_ = false;
};

// Tells when the wall clock jumped against the monotonic one (the user or
// the network set the time), so that time measured across the jump can be
// thrown away.
class ClockJumpDetector {
public:
    static constexpr double kThreshold = 1.0; // seconds

    // Starts measuring from `clock`'s current readings.
    void reset(Clock& clock);
    // True when, since the last call, the wall clock moved more than the
    // threshold further (or less far) than the monotonic clock.
    bool check(Clock& clock);

private:
    double lastWall_ = 0, lastMonotonic_ = 0;
    bool started_ = false;
};

// The process-wide clock; a SystemClock unless one was installed. The caller
// keeps an installed clock alive until it installs another (or nullptr).
Clock& clock();
void setClock(Clock* clock);

} // namespace platform

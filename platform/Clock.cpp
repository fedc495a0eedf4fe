#include "platform/Clock.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <sys/time.h>

namespace platform {

bool SystemClock::timeOfDay(TimeOfDay& out) {
    timeval tv{};
    if (gettimeofday(&tv, nullptr) != 0) return false;
    out.seconds = tv.tv_sec;
    out.microseconds = int32_t(tv.tv_usec);
    return true;
}

double SystemClock::monotonic() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool ManualClock::timeOfDay(TimeOfDay& out) {
    // Beyond what the fields can hold counts as unreadable, not as overflow.
    if (failing_ || !std::isfinite(wall_) || std::fabs(wall_) > 9.0e18) return false;
    double whole = std::floor(wall_);
    out.seconds = int64_t(whole);
    out.microseconds = int32_t(std::lround((wall_ - whole) * 1e6));
    if (out.microseconds >= 1'000'000) {
        out.seconds += 1;
        out.microseconds -= 1'000'000;
    }
    return true;
}

namespace {
// Atomic: helper threads (the threaded director, loaders) read the clock too.
std::atomic<Clock*> installed{nullptr};
} // namespace

Clock& clock() {
    static SystemClock system;
    Clock* c = installed.load(std::memory_order_acquire);
    return c ? *c : system;
}

void setClock(Clock* c) {
    installed.store(c, std::memory_order_release);
}

namespace {
double wallSeconds(Clock& clock) {
    TimeOfDay t;
    if (!clock.timeOfDay(t)) return 0;
    return double(t.seconds) + t.microseconds / 1e6;
}
} // namespace

void ClockJumpDetector::reset(Clock& clock) {
    lastWall_ = wallSeconds(clock);
    lastMonotonic_ = clock.monotonic();
    started_ = true;
}

bool ClockJumpDetector::check(Clock& clock) {
    if (!started_) {
        reset(clock);
        return false;
    }
    double wall = wallSeconds(clock);
    double mono = clock.monotonic();
    double drift = (wall - lastWall_) - (mono - lastMonotonic_);
    lastWall_ = wall;
    lastMonotonic_ = mono;
    return std::fabs(drift) > kThreshold;
}

} // namespace platform

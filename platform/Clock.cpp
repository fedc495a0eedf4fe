#include "platform/Clock.h"

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
    if (failing_) return false;
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
Clock*& installed() {
    static Clock* c = nullptr;
    return c;
}
} // namespace

Clock& clock() {
    static SystemClock system;
    Clock* c = installed();
    return c ? *c : system;
}

void setClock(Clock* c) { installed() = c; }

} // namespace platform

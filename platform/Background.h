#pragma once

#include <atomic>
#include <functional>
#include <memory>

namespace platform {

// Set when the work it was handed to is no longer wanted. Shared between
// the main thread, which cancels, and a worker, which looks.
using CancelFlag = std::shared_ptr<std::atomic<bool>>;
inline CancelFlag makeCancelFlag() {
    return std::make_shared<std::atomic<bool>>(false);
}

// Runs `job` on one of a few worker threads (made on demand, at most
// kMaxWorkers; later jobs wait their turn). Jobs must not touch
// reference-counted objects of the main thread: they hand their results over
// with RunLoop::performOnMainThread. Jobs still waiting when the process
// ends are dropped; running ones are asked to stop (backgroundStopping()).
void runInBackground(std::function<void()> job);

// True once the process is ending: long work gives up.
bool backgroundStopping();

// Blocks until no job waits or runs (tests).
void waitForBackgroundJobs();

inline constexpr int kMaxWorkers = 4;

} // namespace platform

#pragma once

#include "support/Ref.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {

class ManualClock;

// A repeating or one-shot timer, or a display-synchronised callback, of the
// run loop. The loop holds it until it is invalidated (or, one-shot, fired).
class RunLoopTimer : public Object {
public:
    // Also drops the callback, so that what it captured is released even
    // while something still holds the timer.
    void invalidate() {
        valid_ = false;
        callback_.reset();
    }
    bool isValid() const { return valid_; }

private:
    friend class RunLoop;
    // Shared so that a firing keeps it alive when the callback invalidates
    // its own timer.
    std::shared_ptr<std::function<void()>> callback_;
    double interval_ = 0;   // seconds; display links: unused
    double fireAt_ = 0;     // monotonic seconds
    int frameInterval_ = 0; // display links: refreshes between calls (>= 1)
    int refreshesLeft_ = 0;
    bool repeats_ = false;
    bool displayLink_ = false;
    bool valid_ = true;
};

// Where the loop gets outside events from (a window system, a script). Both
// are called on the main thread only.
class EventSource {
public:
    virtual ~EventSource() = default;
    // Handles every pending event; true when at least one was handled.
    virtual bool pollEvents() = 0;
    // Blocks until an event may be pending or `seconds` have passed.
    virtual void waitEvents(double seconds) = 0;
    // Wakes a waitEvents() from any thread.
    virtual void wake() = 0;
};

// The main thread's loop: timers, delayed calls, display refreshes, calls
// handed over from other threads and outside events, in one place.
class RunLoop {
public:
    using Callback = std::function<void()>;

    // The main thread's loop, created on first use by the thread that is then
    // its main thread.
    static RunLoop& main();

    // Fires `callback` every `interval` seconds (or once). Missed firings are
    // skipped, not queued up. Repeating intervals are at least 0.1 ms.
    Ref<RunLoopTimer> scheduleTimer(double interval, bool repeats, Callback callback);

    // Calls `callback` once after `delay` seconds, holding `target` alive until
    // then. Such calls are never cancelled.
    void performAfterDelay(Ref<Object> target, double delay, Callback callback);

    // Calls `callback` every `frameInterval` display refreshes (at least 1).
    Ref<RunLoopTimer> addDisplayLink(int frameInterval, Callback callback);

    // Runs `callback` on the main thread at its next turn; from another thread
    // with `waitUntilDone`, blocks until it has run. On the main thread with
    // `waitUntilDone` it runs at once.
    void performOnMainThread(Callback callback, bool waitUntilDone);

    bool isMainThread() const { return std::this_thread::get_id() == mainThread_; }

    // Handles what is due now (events, calls from other threads, timers,
    // display refreshes) and, if nothing was, waits at most `maxSeconds` for
    // something to handle. True when something was handled.
    bool runEventSlice(double maxSeconds);

    // Runs the calls handed over from other threads, and nothing else.
    bool runPosted();

    // Waits `seconds` on the loop's clock (a virtual clock just moves on).
    void sleep(double seconds);

    // Runs until stop().
    void run();
    void stop();
    bool isStopped() const { return stopped_; }

    void setEventSource(EventSource* source) { source_ = source; }

    // Display refreshes happen every `seconds` of monotonic time (1/60 s);
    // periods that are not positive are ignored.
    void setRefreshPeriod(double seconds) {
        if (seconds > 0 && seconds < 1e9) refreshPeriod_ = seconds;
    }
    double refreshPeriod() const { return refreshPeriod_; }
    uint64_t refreshCount() const { return refreshCount_; }

    // With a manual clock, waiting moves that clock to the next deadline
    // instead of sleeping, so runs are repeatable and as fast as possible.
    void setVirtualClock(ManualClock* clock) { virtualClock_ = clock; }

    // Forgets every timer, display link, delayed call and pending call
    // (between tests).
    void reset();

private:
    RunLoop();
    bool handleDue(double now);
    // Runs the delayed calls due at `now`; true when there were any.
    bool runDueCalls(double now);
    double nextDeadline(double now) const;
    void waitUntil(double deadline, double now);

    std::thread::id mainThread_;
    EventSource* source_ = nullptr;
    ManualClock* virtualClock_ = nullptr;

    std::vector<Ref<RunLoopTimer>> timers_;
    std::vector<Ref<RunLoopTimer>> dueSnapshot_;
    bool dueSnapshotInUse_ = false;
    std::vector<Ref<RunLoopTimer>> displayLinks_;
    std::vector<Ref<RunLoopTimer>> linkSnapshot_;
    bool linkSnapshotInUse_ = false;
    struct Delayed {
        Ref<Object> target;
        Callback callback;
        double fireAt;
    };
    std::vector<Delayed> delayed_;
    std::vector<Delayed> dueCalls_;
    bool dueCallsInUse_ = false;

    std::mutex postedMutex_;
    std::condition_variable postedCv_;
    std::deque<Callback> posted_;
    std::deque<Callback> postedBatch_;
    bool postedBatchInUse_ = false;

    double refreshPeriod_ = 1.0 / 60.0;
    double nextRefresh_ = -1;
    uint64_t refreshCount_ = 0;
    std::atomic<bool> stopped_ = false;
};

} // namespace platform

#include "platform/RunLoop.h"

#include "platform/Clock.h"

#include <algorithm>
#include <chrono>
#include <limits>

namespace platform {

RunLoop::RunLoop() : mainThread_(std::this_thread::get_id()) {}

RunLoop& RunLoop::main() {
    static RunLoop loop;
    return loop;
}

namespace {
// Negative and NaN delays mean "now"; an infinite one never comes.
double sanitizedDelay(double seconds) {
    return seconds > 0 ? seconds : 0.0;
}
} // namespace

Ref<RunLoopTimer> RunLoop::scheduleTimer(double interval, bool repeats, Callback callback) {
    auto timer = make<RunLoopTimer>();
    timer->callback_ = std::make_shared<Callback>(std::move(callback));
    // A repeating timer of no interval would keep the loop from ever waiting.
    timer->interval_ =
        repeats ? std::max(sanitizedDelay(interval), 1e-4) : sanitizedDelay(interval);
    timer->repeats_ = repeats;
    timer->fireAt_ = clock().monotonic() + timer->interval_;
    timers_.push_back(timer);
    return timer;
}

void RunLoop::performAfterDelay(Ref<Object> target, double delay, Callback callback) {
    delayed_.push_back(
        {std::move(target), std::move(callback), clock().monotonic() + sanitizedDelay(delay)});
}

Ref<RunLoopTimer> RunLoop::addDisplayLink(int frameInterval, Callback callback) {
    auto link = make<RunLoopTimer>();
    link->callback_ = std::make_shared<Callback>(std::move(callback));
    link->displayLink_ = true;
    link->repeats_ = true;
    link->frameInterval_ = std::max(frameInterval, 1);
    link->refreshesLeft_ = link->frameInterval_;
    displayLinks_.push_back(link);
    return link;
}

void RunLoop::performOnMainThread(Callback callback, bool waitUntilDone) {
    if (waitUntilDone && isMainThread()) {
        callback();
        return;
    }
    if (!waitUntilDone) {
        {
            std::lock_guard lock(postedMutex_);
            posted_.push_back(std::move(callback));
        }
        postedCv_.notify_all();
        if (source_) source_->wake();
        return;
    }
    // The waiter is released when the call has run, and also when it never
    // will: it threw, or reset() dropped it. Otherwise this thread would
    // block for ever.
    struct Waiter {
        std::mutex mutex;
        std::condition_variable cv;
        bool done = false;
        void release() {
            std::lock_guard lock(mutex);
            done = true;
            cv.notify_all();
        }
    };
    struct Release {
        std::shared_ptr<Waiter> waiter;
        explicit Release(std::shared_ptr<Waiter> w) : waiter(std::move(w)) {}
        Release(const Release&) = delete;
        ~Release() { waiter->release(); }
    };
    auto waiter = std::make_shared<Waiter>();
    {
        std::lock_guard lock(postedMutex_);
        posted_.push_back(
            [call = std::move(callback), release = std::make_shared<Release>(waiter)]() mutable {
                auto done = std::move(release);
                call();
            });
    }
    postedCv_.notify_all();
    if (source_) source_->wake();
    std::unique_lock lock(waiter->mutex);
    waiter->cv.wait(lock, [&] { return waiter->done; });
}

bool RunLoop::runPosted() {
    {
        std::lock_guard lock(postedMutex_);
        if (posted_.empty()) return false;
    }
    auto run = [this](std::deque<Callback>& batch) {
        {
            std::lock_guard lock(postedMutex_);
            batch.swap(posted_);
        }
        for (auto& call : batch)
            call();
        batch.clear();
    };
    // The calls run from a list kept between turns (a new deque allocates
    // even empty), unless a call runs the loop again inside.
    if (postedBatchInUse_) {
        std::deque<Callback> nested;
        run(nested);
    } else {
        postedBatchInUse_ = true;
        run(postedBatch_);
        postedBatchInUse_ = false;
    }
    return true;
}

bool RunLoop::handleDue(double now) {
    bool handled = runPosted();

    // Timers may add or invalidate timers while they run: walk a snapshot,
    // kept between turns unless a timer runs the loop again inside.
    std::vector<Ref<RunLoopTimer>> nested;
    std::vector<Ref<RunLoopTimer>>& due = dueSnapshotInUse_ ? nested : dueSnapshot_;
    const bool outermost = !dueSnapshotInUse_;
    dueSnapshotInUse_ = true;
    due.clear();
    for (auto& t : timers_)
        if (t->valid_ && t->fireAt_ <= now) due.push_back(t);
    // By time; equal times fire in the order the timers were scheduled. Few
    // are ever due at once: a stable insertion sort needs no scratch memory.
    for (size_t i = 1; i < due.size(); ++i)
        for (size_t j = i; j > 0 && due[j]->fireAt_ < due[j - 1]->fireAt_; --j)
            std::swap(due[j], due[j - 1]);
    for (auto& t : due) {
        if (!t->valid_) continue;
        auto callback = t->callback_;
        if (t->repeats_) {
            t->fireAt_ += t->interval_;
            if (t->fireAt_ <= now) t->fireAt_ = now + t->interval_;
        } else {
            t->invalidate();
        }
        handled = true;
        (*callback)();
    }
    due.clear();
    if (outermost) dueSnapshotInUse_ = false;
    std::erase_if(timers_, [](const auto& t) { return !t->valid_; });

    // The calls due, by time (equal times in the order they were asked
    // for); the list is kept between turns unless a call runs the loop
    // again inside. Few are ever due at once: a stable insertion sort.
    std::vector<Delayed> nestedCalls;
    std::vector<Delayed>& calls = dueCallsInUse_ ? nestedCalls : dueCalls_;
    const bool outermostCalls = !dueCallsInUse_;
    dueCallsInUse_ = true;
    calls.clear();
    for (auto it = delayed_.begin(); it != delayed_.end();) {
        if (it->fireAt <= now) {
            calls.push_back(std::move(*it));
            it = delayed_.erase(it);
        } else {
            ++it;
        }
    }
    for (size_t i = 1; i < calls.size(); ++i)
        for (size_t j = i; j > 0 && calls[j].fireAt < calls[j - 1].fireAt; --j)
            std::swap(calls[j], calls[j - 1]);
    const bool anyCall = !calls.empty();
    for (auto& c : calls) {
        c.callback();
        // The target is let go as soon as its call is done.
        c.callback = nullptr;
        c.target = nullptr;
    }
    calls.clear();
    if (outermostCalls) dueCallsInUse_ = false;
    handled = handled || anyCall;

    std::erase_if(displayLinks_, [](const auto& l) { return !l->valid_; });
    if (displayLinks_.empty()) {
        nextRefresh_ = -1;
    } else {
        if (nextRefresh_ < 0) nextRefresh_ = now + refreshPeriod_;
        if (now >= nextRefresh_) {
            ++refreshCount_;
            nextRefresh_ += refreshPeriod_;
            if (nextRefresh_ <= now) nextRefresh_ = now + refreshPeriod_;
            // Links may be added or invalidated by the calls: walk a snapshot,
            // kept between frames unless a call runs the loop again inside.
            std::vector<Ref<RunLoopTimer>> nested;
            std::vector<Ref<RunLoopTimer>>& links = linkSnapshotInUse_ ? nested : linkSnapshot_;
            bool outermost = !linkSnapshotInUse_;
            linkSnapshotInUse_ = true;
            links.assign(displayLinks_.begin(), displayLinks_.end());
            for (auto& l : links) {
                if (!l->valid_) continue;
                if (--l->refreshesLeft_ > 0) continue;
                l->refreshesLeft_ = l->frameInterval_;
                handled = true;
                auto callback = l->callback_;
                (*callback)();
            }
            links.clear();
            if (outermost) linkSnapshotInUse_ = false;
        }
    }
    return handled;
}

double RunLoop::nextDeadline(double now) const {
    double deadline = std::numeric_limits<double>::infinity();
    for (auto& t : timers_)
        if (t->valid_) deadline = std::min(deadline, t->fireAt_);
    for (auto& d : delayed_)
        deadline = std::min(deadline, d.fireAt);
    bool anyLink = std::any_of(displayLinks_.begin(), displayLinks_.end(),
                               [](const auto& l) { return l->valid_; });
    if (anyLink) deadline = std::min(deadline, nextRefresh_ < 0 ? now : nextRefresh_);
    return deadline;
}

void RunLoop::waitUntil(double deadline, double now) {
    if (!(deadline > now)) return;
    if (virtualClock_) {
        if (deadline != std::numeric_limits<double>::infinity()) {
            // Land exactly on the deadline: now + (deadline - now) can fall
            // an ulp short of it.
            for (int i = 0; i < 4 && virtualClock_->monotonic() < deadline; ++i)
                virtualClock_->advance(deadline - virtualClock_->monotonic());
            return;
        }
        // Nothing is scheduled: only another thread can give us work.
        deadline = now + 0.01;
    }
    double seconds = std::min(deadline - now, 0.1);
    if (source_ && !virtualClock_) {
        source_->waitEvents(seconds);
        return;
    }
    std::unique_lock lock(postedMutex_);
    postedCv_.wait_for(lock, std::chrono::duration<double>(seconds),
                       [&] { return !posted_.empty() || stopped_; });
}

bool RunLoop::runEventSlice(double maxSeconds) {
    bool handled = source_ && source_->pollEvents();
    if (handleDue(clock().monotonic())) handled = true;
    if (handled || stopped_) return handled;

    double now = clock().monotonic();
    waitUntil(std::min(nextDeadline(now), now + maxSeconds), now);

    if (source_ && source_->pollEvents()) handled = true;
    if (handleDue(clock().monotonic())) handled = true;
    return handled;
}

void RunLoop::sleep(double seconds) {
    if (seconds <= 0) return;
    if (virtualClock_)
        virtualClock_->advance(seconds);
    else
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

void RunLoop::run() {
    stopped_ = false;
    while (!stopped_)
        runEventSlice(1.0);
}

void RunLoop::stop() {
    stopped_ = true;
    postedCv_.notify_all();
    if (source_) source_->wake();
}

void RunLoop::reset() {
    // What is forgotten is invalid, so that its owners know to ask again.
    for (auto& t : timers_)
        t->invalidate();
    for (auto& l : displayLinks_)
        l->invalidate();
    timers_.clear();
    displayLinks_.clear();
    linkSnapshot_.clear();
    linkSnapshotInUse_ = false;
    delayed_.clear();
    {
        std::lock_guard lock(postedMutex_);
        posted_.clear();
    }
    nextRefresh_ = -1;
    refreshCount_ = 0;
    stopped_ = false;
}

} // namespace platform

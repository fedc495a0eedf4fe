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

Ref<RunLoopTimer> RunLoop::scheduleTimer(double interval, bool repeats, Callback callback) {
    auto timer = make<RunLoopTimer>();
    timer->callback_ = std::move(callback);
    timer->interval_ = std::max(interval, 0.0);
    timer->repeats_ = repeats;
    timer->fireAt_ = clock().monotonic() + timer->interval_;
    timers_.push_back(timer);
    return timer;
}

void RunLoop::performAfterDelay(Ref<Object> target, double delay, Callback callback) {
    delayed_.push_back({std::move(target), std::move(callback),
                        clock().monotonic() + std::max(delay, 0.0)});
}

Ref<RunLoopTimer> RunLoop::addDisplayLink(int frameInterval, Callback callback) {
    auto link = make<RunLoopTimer>();
    link->callback_ = std::move(callback);
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
    std::mutex doneMutex;
    std::condition_variable doneCv;
    bool done = false;
    {
        std::lock_guard lock(postedMutex_);
        posted_.push_back([&] {
            callback();
            std::lock_guard l(doneMutex);
            done = true;
            doneCv.notify_all();
        });
    }
    postedCv_.notify_all();
    if (source_) source_->wake();
    std::unique_lock lock(doneMutex);
    doneCv.wait(lock, [&] { return done; });
}

bool RunLoop::runPosted() {
    std::deque<Callback> batch;
    {
        std::lock_guard lock(postedMutex_);
        batch.swap(posted_);
    }
    for (auto& call : batch) call();
    return !batch.empty();
}

bool RunLoop::handleDue(double now) {
    bool handled = runPosted();

    // Timers may add or invalidate timers while they run: walk a snapshot.
    std::vector<Ref<RunLoopTimer>> due;
    for (auto& t : timers_)
        if (t->valid_ && t->fireAt_ <= now) due.push_back(t);
    std::sort(due.begin(), due.end(),
              [](const auto& a, const auto& b) { return a->fireAt_ < b->fireAt_; });
    for (auto& t : due) {
        if (!t->valid_) continue;
        if (t->repeats_) {
            t->fireAt_ += t->interval_;
            if (t->fireAt_ <= now) t->fireAt_ = now + t->interval_;
        } else {
            t->valid_ = false;
        }
        handled = true;
        t->callback_();
    }
    std::erase_if(timers_, [](const auto& t) { return !t->valid_; });

    std::vector<Delayed> calls;
    for (auto it = delayed_.begin(); it != delayed_.end();) {
        if (it->fireAt <= now) {
            calls.push_back(std::move(*it));
            it = delayed_.erase(it);
        } else {
            ++it;
        }
    }
    std::stable_sort(calls.begin(), calls.end(),
                     [](const auto& a, const auto& b) { return a.fireAt < b.fireAt; });
    for (auto& c : calls) c.callback();
    handled = handled || !calls.empty();

    std::erase_if(displayLinks_, [](const auto& l) { return !l->valid_; });
    if (displayLinks_.empty()) {
        nextRefresh_ = -1;
    } else {
        if (nextRefresh_ < 0) nextRefresh_ = now + refreshPeriod_;
        if (now >= nextRefresh_) {
            ++refreshCount_;
            nextRefresh_ += refreshPeriod_;
            if (nextRefresh_ <= now) nextRefresh_ = now + refreshPeriod_;
            auto links = displayLinks_;
            for (auto& l : links) {
                if (!l->valid_) continue;
                if (--l->refreshesLeft_ > 0) continue;
                l->refreshesLeft_ = l->frameInterval_;
                handled = true;
                l->callback_();
            }
        }
    }
    return handled;
}

double RunLoop::nextDeadline(double now) const {
    double deadline = std::numeric_limits<double>::infinity();
    for (auto& t : timers_)
        if (t->valid_) deadline = std::min(deadline, t->fireAt_);
    for (auto& d : delayed_) deadline = std::min(deadline, d.fireAt);
    bool anyLink = std::any_of(displayLinks_.begin(), displayLinks_.end(),
                               [](const auto& l) { return l->valid_; });
    if (anyLink) deadline = std::min(deadline, nextRefresh_ < 0 ? now : nextRefresh_);
    return deadline;
}

void RunLoop::wait(double seconds) {
    if (seconds <= 0) return;
    if (virtualClock_) {
        if (seconds != std::numeric_limits<double>::infinity()) {
            virtualClock_->advance(seconds);
            return;
        }
        // Nothing is scheduled: only another thread can give us work.
        seconds = 0.01;
    }
    if (source_ && !virtualClock_) {
        source_->waitEvents(std::min(seconds, 0.1));
        return;
    }
    std::unique_lock lock(postedMutex_);
    postedCv_.wait_for(lock, std::chrono::duration<double>(std::min(seconds, 0.1)),
                       [&] { return !posted_.empty() || stopped_; });
}

bool RunLoop::runEventSlice(double maxSeconds) {
    bool handled = source_ && source_->pollEvents();
    if (handleDue(clock().monotonic())) handled = true;
    if (handled || stopped_) return handled;

    double now = clock().monotonic();
    double until = std::min(nextDeadline(now), now + maxSeconds);
    wait(until - now);

    if (source_ && source_->pollEvents()) handled = true;
    if (handleDue(clock().monotonic())) handled = true;
    return handled;
}

void RunLoop::run() {
    stopped_ = false;
    while (!stopped_) runEventSlice(1.0);
}

void RunLoop::stop() {
    stopped_ = true;
    postedCv_.notify_all();
    if (source_) source_->wake();
}

void RunLoop::reset() {
    timers_.clear();
    displayLinks_.clear();
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

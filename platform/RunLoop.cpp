#include "platform/RunLoop.h"

#include "platform/Clock.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <optional>

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

namespace {

// A list a turn of the loop fills and walks, kept from one turn to the next
// so that a turn allocates nothing; a turn nested in another (a call that
// runs the loop again) takes a list of its own. However the turn ends (a
// call may throw), the list is emptied, letting go of what it held.
template <class List>
class TurnList {
public:
    TurnList(List& kept, bool& inUse) : inUse_(inUse), outermost_(!inUse) {
        list_ = outermost_ ? &kept : &nested_.emplace();
        inUse_ = true;
        list_->clear();
    }
    ~TurnList() {
        list_->clear();
        if (outermost_) inUse_ = false;
    }
    TurnList(const TurnList&) = delete;
    TurnList& operator=(const TurnList&) = delete;
    List& operator*() { return *list_; }

private:
    std::optional<List> nested_;
    List* list_;
    bool& inUse_;
    bool outermost_;
};

// By `key`, equal keys kept in their order. Few things are ever due at
// once: an insertion sort needs no scratch memory.
template <class T, class Key>
void stableSortBy(std::vector<T>& v, Key key) {
    for (size_t i = 1; i < v.size(); ++i)
        for (size_t j = i; j > 0 && key(v[j]) < key(v[j - 1]); --j)
            std::swap(v[j], v[j - 1]);
}

} // namespace

bool RunLoop::runPosted() {
    {
        std::lock_guard lock(postedMutex_);
        if (posted_.empty()) return false;
    }
    TurnList batch(postedBatch_, postedBatchInUse_);
    {
        std::lock_guard lock(postedMutex_);
        (*batch).swap(posted_);
    }
    for (auto& call : *batch)
        call();
    return true;
}

bool RunLoop::runDueCalls(double now) {
    TurnList turn(dueCalls_, dueCallsInUse_);
    auto& calls = *turn;
    for (auto it = delayed_.begin(); it != delayed_.end();) {
        if (it->fireAt <= now) {
            calls.push_back(std::move(*it));
            it = delayed_.erase(it);
        } else {
            ++it;
        }
    }
    // By time; equal times in the order they were asked for.
    stableSortBy(calls, [](const Delayed& d) { return d.fireAt; });
    for (auto& c : calls) {
        c.callback();
        // The target is let go as soon as its call is done.
        c.callback = nullptr;
        c.target = nullptr;
    }
    return !calls.empty();
}

bool RunLoop::handleDue(double now) {
    bool handled = runPosted();
    {
        // Timers may add or invalidate timers while they run: walk a snapshot.
        TurnList turn(dueSnapshot_, dueSnapshotInUse_);
        auto& due = *turn;
        for (auto& t : timers_)
            if (t->valid_ && t->fireAt_ <= now) due.push_back(t);
        // By time; equal times fire in the order the timers were scheduled.
        stableSortBy(due, [](const Ref<RunLoopTimer>& t) { return t->fireAt_; });
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
    }
    std::erase_if(timers_, [](const auto& t) { return !t->valid_; });
    if (runDueCalls(now)) handled = true;

    std::erase_if(displayLinks_, [](const auto& l) { return !l->valid_; });
    if (displayLinks_.empty()) {
        nextRefresh_ = -1;
    } else {
        if (nextRefresh_ < 0) nextRefresh_ = now + refreshPeriod_;
        if (now >= nextRefresh_) {
            ++refreshCount_;
            nextRefresh_ += refreshPeriod_;
            if (nextRefresh_ <= now) nextRefresh_ = now + refreshPeriod_;
            // Links may be added or invalidated by the calls: walk a snapshot.
            TurnList turn(linkSnapshot_, linkSnapshotInUse_);
            auto& links = *turn;
            links.assign(displayLinks_.begin(), displayLinks_.end());
            for (auto& l : links) {
                if (!l->valid_) continue;
                if (--l->refreshesLeft_ > 0) continue;
                l->refreshesLeft_ = l->frameInterval_;
                handled = true;
                auto callback = l->callback_;
                (*callback)();
            }
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
    // The links' snapshot is left to the walk that may be using it (a link
    // may reset the loop from its call): what is in it is invalid now, and
    // the walk empties it when it ends.
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

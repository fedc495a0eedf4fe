#include "engine/Scheduler.h"

#include "support/ClassName.h"
#include "support/Log.h"

#include <algorithm>
#include <cstdio>

namespace {

Shared<Scheduler>& shared() {
    static Shared<Scheduler> s;
    return s;
}

bool contains(const std::vector<Ref<Timer>>& list, Timer* t) {
    return std::any_of(list.begin(), list.end(), [t](const Ref<Timer>& r) { return r.get() == t; });
}

bool erase(std::vector<Ref<Timer>>& list, Timer* t) {
    auto it = std::find_if(list.begin(), list.end(), [t](const Ref<Timer>& r) { return r.get() == t; });
    if (it == list.end()) return false;
    list.erase(it);
    return true;
}

} // namespace

Ref<Timer> Timer::timerWithTarget(Object* target, UpdateSelector selector, float interval) {
    return make<Timer>(target, std::move(selector), interval);
}

Timer::Timer(Object* target, UpdateSelector selector, float interval)
    : target_(target), selector_(std::move(selector)), interval_(interval) {
    if (!target_ || !selector_)
        ccRaise("TimerInvalid", "Invalid init for Timer. Use initWithTarget:sel:");
}

void Timer::fire(float dt) {
    if (elapsed_ == -1)
        elapsed_ = 0;
    else
        elapsed_ += dt;
    if (elapsed_ >= interval_) {
        // The call may drop the last other reference to this timer.
        Ref<Timer> keep(this);
        selector_(elapsed_);
        elapsed_ = 0;
    }
}

std::string Timer::description() const {
    char buf[256];
    std::snprintf(buf, sizeof buf, "<%s = %08lX | target:%s selector:(%s)>", className(*this).c_str(),
                  static_cast<unsigned long>(reinterpret_cast<uintptr_t>(this)),
                  className(*target_).c_str(), selector_.name().c_str());
    return buf;
}

Scheduler& Scheduler::sharedScheduler() { return shared().get(); }

void Scheduler::purgeSharedScheduler() {
    if (Ref<Scheduler> old = shared().take()) {
        old->retired_ = true;
        old->guard_.retire();
    }
}

Scheduler::Scheduler() {
    scheduledMethods.reserve(50);
    methodsToRemove.reserve(20);
    methodsToAdd.reserve(20);
}

void Scheduler::scheduleTimer(Timer* timer) {
    if (erase(methodsToRemove, timer)) return;
    if (contains(scheduledMethods, timer) || contains(methodsToAdd, timer)) {
        ccLog("Scheduler.schedulerTimer: timer %s already scheduled", timer->description().c_str());
        ccRaise("SchedulerTimerAlreadyScheduled", "Scheduler.scheduleTimer already scheduled");
    }
    methodsToAdd.emplace_back(timer);
}

void Scheduler::unscheduleTimer(Timer* timer) {
    if (erase(methodsToAdd, timer)) return;
    if (contains(scheduledMethods, timer)) {
        methodsToRemove.emplace_back(timer);
        return;
    }
    ccLog("Scheduler.unscheduleTimer: timer not scheduled");
    ccRaise("SchedulerTimerNotFound", "Scheduler.unscheduleTimer not found");
}

void Scheduler::unscheduleAllTimers() {
    scheduledMethods.clear();
    methodsToRemove.clear();
    methodsToAdd.clear();
}

void Scheduler::tick(float dt) {
    Ref<Scheduler> keep(this);
    if (timeScale_ != 1.0f) dt *= timeScale_;
    for (auto& t : methodsToRemove) erase(scheduledMethods, t.get());
    methodsToRemove.clear();
    for (auto& t : methodsToAdd) scheduledMethods.push_back(std::move(t));
    methodsToAdd.clear();
    // Requests made by the timers only touch the pending lists, so the active
    // list stays as it is while it is walked; an unscheduleAllTimers() or a
    // purge from a timer ends the walk.
    for (size_t i = 0; i < scheduledMethods.size() && !retired_; ++i) {
        Timer* t = scheduledMethods[i].get();
        t->fire(dt);
    }
}

#pragma once

#include "support/Ref.h"
#include "support/Selector.h"
#include "support/Singleton.h"

#include <string>
#include <vector>

using UpdateSelector = Selector<void(float)>;

// Calls an operation of its target once its interval has accumulated,
// passing the time accumulated since the last call. Keeps its target alive.
class Timer : public Object {
public:
    static Ref<Timer> timerWithTarget(Object* target, UpdateSelector selector, float interval = 0);
    Timer(Object* target, UpdateSelector selector, float interval = 0);

    float interval() const { return interval_; }
    void setInterval(float interval) { interval_ = interval; }
    float elapsed() const { return elapsed_; }
    Object* target() const { return target_.get(); }
    const UpdateSelector& selector() const { return selector_; }

    void fire(float dt);
    std::string description() const;

private:
    Ref<Object> target_;
    UpdateSelector selector_;
    float interval_;
    float elapsed_ = -1;
};

// Fires every active timer once a frame. Timers scheduled or unscheduled
// while it ticks take effect at the start of the next tick.
class Scheduler : public Object {
public:
    static Scheduler& sharedScheduler();
    // Releases the shared scheduler; the next sharedScheduler() makes a new one.
    // Released by one of its own timers (the director ending inside a frame),
    // it fires nothing more and goes when that tick returns.
    static void purgeSharedScheduler();

    Scheduler();

    void scheduleTimer(Timer* timer);
    void unscheduleTimer(Timer* timer);
    void unscheduleAllTimers();
    void tick(float dt);

    float timeScale() const { return timeScale_; }
    void setTimeScale(float scale) { timeScale_ = scale; }

    size_t activeTimerCount() const { return scheduledMethods.size(); }

private:
    SingletonGuard<Scheduler> guard_;
    bool retired_ = false;
    std::vector<Ref<Timer>> scheduledMethods;
    std::vector<Ref<Timer>> methodsToRemove;
    std::vector<Ref<Timer>> methodsToAdd;
    float timeScale_ = 1.0f;
};

#include "tests/engine/EngineTestSupport.h"

namespace {

class Recorder : public Node {
public:
    std::vector<float> calls;
    void step(float dt) { calls.push_back(dt); }
};

class SchedulerTest : public test::EngineTest {
protected:
    Scheduler& scheduler() { return Scheduler::sharedScheduler(); }
};

} // namespace

TEST_F(SchedulerTest, ExcessTimeIsDroppedAndTheFirstTickIsNotCounted) {
    auto r = make<Recorder>();
    auto timer = Timer::timerWithTarget(r.get(), ccSelector(r.get(), &Recorder::step), 1.0f);
    scheduler().scheduleTimer(timer.get());
    for (int i = 0; i < 9; ++i) scheduler().tick(0.3f);
    // elapsed 0, .3, .6, .9, 1.2 (call) | .3, .6, .9, 1.2 (call)
    ASSERT_EQ(r->calls.size(), 2u);
    EXPECT_NEAR(r->calls[0], 1.2f, 1e-5);
    EXPECT_NEAR(r->calls[1], 1.2f, 1e-5);

    auto every = Timer::timerWithTarget(r.get(), ccSelector(r.get(), &Recorder::step));
    r->calls.clear();
    scheduler().scheduleTimer(every.get());
    scheduler().tick(0.5f);
    scheduler().tick(0.25f);
    EXPECT_EQ(r->calls, (std::vector<float>{0.0f, 0.25f}));
}

TEST_F(SchedulerTest, TimeScaleStretchesEveryTimer) {
    auto r = make<Recorder>();
    auto timer = Timer::timerWithTarget(r.get(), ccSelector(r.get(), &Recorder::step), 1.0f);
    scheduler().scheduleTimer(timer.get());
    scheduler().setTimeScale(0.5f);
    int fired = 0;
    for (int i = 1; i <= 60 * 10; ++i) {
        scheduler().tick(1.0f / 60);
        if (r->calls.size() > size_t(fired)) {
            ++fired;
            if (fired == 2) {
                EXPECT_NEAR(i / 60.0, 4.0, 0.05); // every ~2 s of frames
            }
        }
    }
    EXPECT_NEAR(fired, 5, 1);
}

TEST_F(SchedulerTest, ChangesMadeDuringATickWaitForTheNextOne) {
    auto r = make<Recorder>();
    Ref<Timer> later;
    std::vector<std::string> order;
    Ref<Timer> victim;
    auto killer = Timer::timerWithTarget(r.get(), UpdateSelector("killer", [&](float) {
        order.push_back("killer");
        if (victim) scheduler().unscheduleTimer(victim.get());
        if (!later) {
            later = Timer::timerWithTarget(r.get(), UpdateSelector("later", [&](float dt) {
                order.push_back("later " + std::to_string(dt));
            }));
            scheduler().scheduleTimer(later.get());
        }
    }));
    victim = Timer::timerWithTarget(r.get(),
                                    UpdateSelector("victim", [&](float) { order.push_back("victim"); }));
    scheduler().scheduleTimer(killer.get());
    scheduler().scheduleTimer(victim.get());
    scheduler().tick(0.1f);
    // The victim, unscheduled earlier in the same tick, still fires; the new
    // timer waits.
    EXPECT_EQ(order, (std::vector<std::string>{"killer", "victim"}));
    order.clear();
    victim = nullptr;
    scheduler().tick(0.1f);
    EXPECT_EQ(order, (std::vector<std::string>{"killer", "later 0.000000"}));
}

TEST_F(SchedulerTest, PendingRequestsCancelEachOther) {
    auto r = make<Recorder>();
    auto t = Timer::timerWithTarget(r.get(), ccSelector(r.get(), &Recorder::step));
    scheduler().scheduleTimer(t.get());
    scheduler().unscheduleTimer(t.get()); // both before any tick: never fires
    scheduler().tick(0.1f);
    EXPECT_TRUE(r->calls.empty());
    EXPECT_EQ(scheduler().activeTimerCount(), 0u);

    scheduler().scheduleTimer(t.get());
    scheduler().tick(0.1f);
    scheduler().unscheduleTimer(t.get());
    scheduler().scheduleTimer(t.get()); // back within the frame: no break
    scheduler().tick(0.1f);
    EXPECT_EQ(r->calls.size(), 2u);
}

TEST_F(SchedulerTest, DoubleSchedulingAndUnknownTimersAreErrors) {
    auto r = make<Recorder>();
    auto t = Timer::timerWithTarget(r.get(), ccSelector(r.get(), &Recorder::step));
    test::LogCapture log;
    scheduler().scheduleTimer(t.get());
    EXPECT_CC_ERROR(scheduler().scheduleTimer(t.get()), "SchedulerTimerAlreadyScheduled",
                    "Scheduler.scheduleTimer already scheduled");
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0], "Scheduler.schedulerTimer: timer " + t->description() +
                                  " already scheduled");
    auto other = Timer::timerWithTarget(r.get(), ccSelector(r.get(), &Recorder::step));
    EXPECT_CC_ERROR(scheduler().unscheduleTimer(other.get()), "SchedulerTimerNotFound",
                    "Scheduler.unscheduleTimer not found");
    EXPECT_TRUE(log.contains("Scheduler.unscheduleTimer: timer not scheduled"));
    EXPECT_CC_ERROR(Timer(nullptr, UpdateSelector()), "TimerInvalid",
                    "Invalid init for Timer. Use initWithTarget:sel:");

    std::string d = t->description();
    EXPECT_EQ(d.rfind("<Timer = ", 0), 0u);
    EXPECT_NE(d.find("| target:Recorder selector:(step)>"), std::string::npos) << d;
}

TEST_F(SchedulerTest, ASecondSchedulerIsRefused) {
    Scheduler::sharedScheduler();
    EXPECT_CC_ASSERT(Scheduler(), "Attempted to allocate a second instance of a singleton.");
    Scheduler::purgeSharedScheduler();
    Scheduler::sharedScheduler(); // a new one after the purge
}

TEST_F(SchedulerTest, UnscheduleAllFromATimerEndsTheTickAndForgetsEveryTimer) {
    auto r = make<Recorder>();
    std::vector<std::string> order;
    auto noting = [&](const char* name) {
        return Timer::timerWithTarget(
            r.get(), UpdateSelector(name, [&order, name](float) { order.push_back(name); }));
    };
    auto pending = noting("pending"), after = noting("after");
    // Held by the scheduler alone, the clearing timer outlives its own call.
    scheduler().scheduleTimer(
        Timer::timerWithTarget(r.get(), UpdateSelector("clear",
                                                       [&](float) {
                                                           order.push_back("clear");
                                                           scheduler().scheduleTimer(pending.get());
                                                           scheduler().unscheduleAllTimers();
                                                       }))
            .get());
    scheduler().scheduleTimer(after.get());
    scheduler().tick(0.1f);
    scheduler().tick(0.1f);
    EXPECT_EQ(order, (std::vector<std::string>{"clear"}));
    EXPECT_EQ(scheduler().activeTimerCount(), 0u);
    scheduler().scheduleTimer(after.get()); // unknown again, so no double scheduling
    scheduler().tick(0.1f);
    EXPECT_EQ(order, (std::vector<std::string>{"clear", "after"}));
}

#include "platform/Clock.h"
#include "platform/RunLoop.h"
#include "tests/common/TestSupport.h"

#include <atomic>
#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <vector>

using platform::ManualClock;
using platform::RunLoop;
using platform::RunLoopTimer;

namespace {

// Every test runs the main loop on its own manual clock.
class RunLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setClock(&clock);
        loop.reset();
        loop.setVirtualClock(&clock);
        loop.setRefreshPeriod(1.0 / 60.0);
    }
    void TearDown() override {
        loop.reset();
        loop.setVirtualClock(nullptr);
        platform::setClock(nullptr);
    }
    double now() { return clock.monotonic(); }
    // Runs slices until `done` or `limit` slices have run.
    template <class F>
    void runUntil(F done, int limit = 10000) {
        for (int i = 0; i < limit && !done(); ++i)
            loop.runEventSlice(100.0);
    }

    ManualClock clock;
    RunLoop& loop = RunLoop::main();
};

// Counts its own destruction.
class Tracked : public Object {
public:
    explicit Tracked(int* destroyed) : destroyed_(destroyed) {}
    ~Tracked() override { ++*destroyed_; }

private:
    int* destroyed_;
};

} // namespace

TEST_F(RunLoopTest, RepeatingTimerFiresOnScheduleAndSkipsMissedFirings) {
    std::vector<double> fired;
    auto timer = loop.scheduleTimer(0.5, true, [&] { fired.push_back(now()); });
    runUntil([&] { return fired.size() == 4; });
    EXPECT_EQ(fired, (std::vector<double>{0.5, 1.0, 1.5, 2.0}));

    // A long stall (a slow frame, a debugger) yields one firing, not twenty.
    clock.advance(10.25);
    loop.runEventSlice(0);
    ASSERT_EQ(fired.size(), 5u);
    EXPECT_EQ(fired.back(), 12.25);
    runUntil([&] { return fired.size() == 6; });
    EXPECT_DOUBLE_EQ(fired.back(), 12.75);
    EXPECT_TRUE(timer->isValid());
}

TEST_F(RunLoopTest, OneShotTimerFiresOnce) {
    int calls = 0;
    auto timer = loop.scheduleTimer(1.5, false, [&] { ++calls; });
    EXPECT_FALSE(loop.runEventSlice(1.0)); // waited one second: not yet
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(loop.runEventSlice(100.0));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(now(), 1.5);
    EXPECT_FALSE(timer->isValid());
    for (int i = 0; i < 5; ++i)
        loop.runEventSlice(100.0);
    EXPECT_EQ(calls, 1);
}

TEST_F(RunLoopTest, TimersFireInTimeOrderThenSchedulingOrder) {
    std::vector<int> order;
    loop.scheduleTimer(2.0, false, [&] { order.push_back(3); });
    loop.scheduleTimer(1.0, false, [&] { order.push_back(1); });
    loop.scheduleTimer(1.0, false, [&] { order.push_back(2); });
    clock.advance(5);
    loop.runEventSlice(0);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST_F(RunLoopTest, ATimerThatRunsTheLoopAgainLeavesTheOuterWalkIntact) {
    std::vector<int> order;
    loop.scheduleTimer(1.0, false, [&] {
        order.push_back(1);
        clock.advance(1);
        loop.runEventSlice(0); // the second timer fires in here, once
        order.push_back(4);
    });
    loop.scheduleTimer(1.0, false, [&] { order.push_back(2); });
    loop.scheduleTimer(1.5, false, [&] { order.push_back(3); });
    clock.advance(1);
    loop.runEventSlice(0);
    loop.runEventSlice(0);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(RunLoopTest, InvalidateFromCallbacks) {
    int selfCalls = 0, otherCalls = 0;
    Ref<RunLoopTimer> self, other;
    self = loop.scheduleTimer(1.0, true, [&] {
        if (++selfCalls == 3) self->invalidate();
        if (selfCalls == 2) other->invalidate();
    });
    other = loop.scheduleTimer(1.0, true, [&] { ++otherCalls; });
    for (int i = 0; i < 10; ++i)
        loop.runEventSlice(100.0);
    EXPECT_EQ(selfCalls, 3);
    // Due in the same slice as the timer that invalidated it: not called.
    EXPECT_EQ(otherCalls, 1);
    EXPECT_FALSE(self->isValid());
}

TEST_F(RunLoopTest, InvalidatingReleasesWhatTheCallbackHeld) {
    int destroyed = 0;
    auto held = make<Tracked>(&destroyed);
    auto timer = loop.scheduleTimer(1.0, true, [held] {});
    held = nullptr;
    EXPECT_EQ(destroyed, 0);
    timer->invalidate();
    EXPECT_EQ(destroyed, 1); // the timer itself is still held here
}

TEST_F(RunLoopTest, TimersAddedFromCallbacksWaitForTheirOwnTime) {
    std::vector<std::pair<int, double>> fired;
    loop.scheduleTimer(1.0, false, [&] {
        fired.push_back({1, now()});
        loop.scheduleTimer(0.5, false, [&] { fired.push_back({2, now()}); });
        loop.scheduleTimer(0, false, [&] { fired.push_back({3, now()}); });
    });
    EXPECT_TRUE(loop.runEventSlice(100.0));
    EXPECT_EQ(fired.size(), 1u); // not in the pass that added them
    runUntil([&] { return fired.size() == 3; });
    EXPECT_EQ(fired, (std::vector<std::pair<int, double>>{{1, 1.0}, {3, 1.0}, {2, 1.5}}));
}

TEST_F(RunLoopTest, ZeroIntervalRepeatingTimerLetsTimeMove) {
    int spins = 0;
    bool stopped = false;
    loop.scheduleTimer(0, true, [&] { ++spins; });
    loop.scheduleTimer(0.01, false, [&] { stopped = true; });
    for (int i = 0; i < 100000 && !stopped; ++i)
        loop.runEventSlice(100.0);
    EXPECT_TRUE(stopped);
    EXPECT_LE(spins, 101);
}

TEST_F(RunLoopTest, DelayedCallHoldsItsTargetUntilTheCall) {
    int destroyed = 0;
    std::vector<std::string> log;
    auto target = make<Tracked>(&destroyed);
    auto second = make<Tracked>(&destroyed);
    loop.performAfterDelay(target, 2.0, [&, raw = target.get()] {
        log.push_back(raw->retainCount() == 1 ? "first alive" : "first shared");
    });
    loop.performAfterDelay(second, 2.0, [&] {
        // The first target was let go as soon as its call was done.
        log.push_back("second, destroyed " + std::to_string(destroyed));
    });
    target = nullptr;
    second = nullptr;
    EXPECT_FALSE(loop.runEventSlice(1.9));
    EXPECT_EQ(destroyed, 0);
    EXPECT_TRUE(loop.runEventSlice(100.0));
    EXPECT_EQ(now(), 2.0);
    EXPECT_EQ(log, (std::vector<std::string>{"first alive", "second, destroyed 1"}));
    EXPECT_EQ(destroyed, 2);
}

TEST_F(RunLoopTest, DelayedCallsAreNeverLostAndResetReleasesThem) {
    int destroyed = 0, calls = 0;
    for (double delay : {-1.0, 0.0, std::nan(""), 0.5})
        loop.performAfterDelay(make<Tracked>(&destroyed), delay, [&] { ++calls; });
    runUntil([&] { return calls == 4; }, 10);
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(destroyed, 4);

    loop.performAfterDelay(make<Tracked>(&destroyed), 10.0, [&] { ++calls; });
    loop.reset();
    EXPECT_EQ(destroyed, 5);
}

TEST_F(RunLoopTest, CallsThatRunTheLoopAgainLeaveTheOuterCallsIntact) {
    std::vector<std::string> order;
    // Due together: by time, equal times in the order asked for.
    loop.performAfterDelay(nullptr, 1.0, [&] {
        order.push_back("d1");
        loop.performAfterDelay(nullptr, 0.5, [&] { order.push_back("inner d"); });
        clock.advance(0.5);
        loop.runEventSlice(0);
        order.push_back("d1 end");
    });
    loop.performAfterDelay(nullptr, 1.0, [&] { order.push_back("d2"); });
    loop.performAfterDelay(nullptr, 0.5, [&] { order.push_back("d0"); });
    clock.advance(1.0);
    loop.runEventSlice(0);
    EXPECT_EQ(order, (std::vector<std::string>{"d0", "d1", "inner d", "d1 end", "d2"}));

    order.clear();
    loop.performOnMainThread(
        [&] {
            order.push_back("p1");
            loop.performOnMainThread([&] { order.push_back("inner p"); }, false);
            loop.runEventSlice(0);
            order.push_back("p1 end");
        },
        false);
    loop.performOnMainThread([&] { order.push_back("p2"); }, false);
    loop.runEventSlice(0);
    loop.runEventSlice(0);
    EXPECT_EQ(order, (std::vector<std::string>{"p1", "inner p", "p1 end", "p2"}));
}

TEST_F(RunLoopTest, DisplayLinksFireEveryNRefreshes) {
    loop.setRefreshPeriod(0.25);
    std::vector<double> everyThird;
    int everyRefresh = 0;
    auto third = loop.addDisplayLink(3, [&] { everyThird.push_back(now()); });
    auto each = loop.addDisplayLink(0, [&] { ++everyRefresh; }); // 0 means every refresh
    runUntil([&] { return loop.refreshCount() == 9; });
    EXPECT_EQ(everyRefresh, 9);
    EXPECT_EQ(everyThird, (std::vector<double>{0.75, 1.5, 2.25}));

    third->invalidate();
    runUntil([&] { return loop.refreshCount() == 12; });
    EXPECT_EQ(everyRefresh, 12);
    EXPECT_EQ(everyThird.size(), 3u);
    EXPECT_DOUBLE_EQ(now(), 3.0);

    // A link may reset the loop from its call: the links after it in that
    // refresh do not run, and nothing is touched after it is gone.
    int destroyed = 0, after = 0;
    loop.addDisplayLink(1, [&, held = make<Tracked>(&destroyed)] { loop.reset(); });
    loop.addDisplayLink(1, [&, held = make<Tracked>(&destroyed)] { ++after; });
    loop.runEventSlice(100.0);
    EXPECT_EQ(after, 0);
    EXPECT_EQ(destroyed, 2);

    // Non-positive periods are ignored rather than spinning the loop.
    loop.setRefreshPeriod(0);
    loop.setRefreshPeriod(-1);
    EXPECT_EQ(loop.refreshPeriod(), 0.25);
}

TEST_F(RunLoopTest, PerformOnMainThreadWaitsUntilTheMainLoopRanIt) {
    std::atomic<bool> finished = false;
    bool ranOnMain = false, finishedBeforeRun = true;
    int seenByCaller = 0;
    int value = 0;
    std::thread worker([&] {
        EXPECT_FALSE(loop.isMainThread());
        loop.performOnMainThread(
            [&] {
                ranOnMain = loop.isMainThread();
                finishedBeforeRun = finished;
                value = 42;
            },
            true);
        seenByCaller = value;
        finished = true;
    });
    while (!finished)
        loop.runEventSlice(0.001);
    worker.join();
    EXPECT_TRUE(ranOnMain);
    EXPECT_FALSE(finishedBeforeRun);
    EXPECT_EQ(seenByCaller, 42);

    // On the main thread a waiting call runs at once, a queued one later.
    int order = 0, immediate = 0, queued = 0;
    loop.performOnMainThread([&] { queued = ++order; }, false);
    loop.performOnMainThread([&] { immediate = ++order; }, true);
    EXPECT_EQ(immediate, 1);
    loop.runEventSlice(0);
    EXPECT_EQ(queued, 2);
}

TEST_F(RunLoopTest, WaitingCallerIsReleasedWhenTheCallThrowsOrIsDropped) {
    std::atomic<bool> finished = false;
    std::thread thrower([&] {
        loop.performOnMainThread([] { ccRaise("Boom", "main thread failed"); }, true);
        finished = true;
    });
    bool caught = false;
    while (!finished) {
        try {
            loop.runEventSlice(0.001);
        } catch (const Error& e) {
            caught = e.name() == "Boom";
        }
    }
    thrower.join();
    EXPECT_TRUE(caught);

    finished = false;
    bool ran = false;
    std::thread dropped([&] {
        loop.performOnMainThread([&] { ran = true; }, true);
        finished = true;
    });
    while (!finished)
        loop.reset();
    dropped.join();
    EXPECT_FALSE(ran);
}

TEST_F(RunLoopTest, ACallThatThrowsDropsTheRestOfItsTurnAndTheLoopGoesOn) {
    int destroyed = 0, ran = 0;
    auto throwing = [] { ccRaise("Boom", "a call failed"); };
    // Posted calls, then delayed calls due together.
    for (int kind = 0; kind < 2; ++kind) {
        auto holding = [&, held = make<Tracked>(&destroyed)] { ++ran; };
        if (kind == 0) {
            loop.performOnMainThread(throwing, false);
            loop.performOnMainThread(std::move(holding), false);
        } else {
            loop.performAfterDelay(nullptr, 1.0, throwing);
            loop.performAfterDelay(nullptr, 1.0, std::move(holding));
            clock.advance(1.0);
        }
        EXPECT_THROW(loop.runEventSlice(0), Error);
        EXPECT_EQ(destroyed, kind + 1); // dropped, and let go at once
        loop.performOnMainThread([&] { ++ran; }, false);
        loop.runEventSlice(0);
        EXPECT_EQ(ran, 1) << kind;
        ran = 0;
    }
}

TEST_F(RunLoopTest, RunReturnsAfterStop) {
    int ticks = 0;
    loop.scheduleTimer(1.0, true, [&] {
        if (++ticks == 3) loop.stop();
    });
    loop.run();
    EXPECT_TRUE(loop.isStopped());
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(now(), 3.0);
}

TEST(Clock, ManualClockReadsSetsJumpsAndFails) {
    ManualClock clock(1000.25);
    platform::TimeOfDay t;
    ASSERT_TRUE(clock.timeOfDay(t));
    EXPECT_EQ(t.seconds, 1000);
    EXPECT_EQ(t.microseconds, 250000);

    clock.advance(0.5);
    EXPECT_EQ(clock.monotonic(), 0.5);
    ASSERT_TRUE(clock.timeOfDay(t));
    EXPECT_EQ(t.seconds, 1000);
    EXPECT_EQ(t.microseconds, 750000);

    // The user sets the time back an hour: only the wall clock moves.
    clock.setWall(1000.75 - 3600);
    EXPECT_EQ(clock.monotonic(), 0.5);
    ASSERT_TRUE(clock.timeOfDay(t));
    EXPECT_EQ(t.seconds, 1000 - 3600);
    EXPECT_EQ(t.microseconds, 750000);

    clock.setWall(-0.5); // before 1970: whole seconds round down
    ASSERT_TRUE(clock.timeOfDay(t));
    EXPECT_EQ(t.seconds, -1);
    EXPECT_EQ(t.microseconds, 500000);
    clock.setWall(5.9999999); // rounds up into the next second
    ASSERT_TRUE(clock.timeOfDay(t));
    EXPECT_EQ(t.seconds, 6);
    EXPECT_EQ(t.microseconds, 0);

    clock.setFailing(true);
    EXPECT_FALSE(clock.timeOfDay(t));
    clock.setFailing(false);
    for (double bad : {std::numeric_limits<double>::infinity(), std::nan(""), 1e300}) {
        clock.setWall(bad);
        EXPECT_FALSE(clock.timeOfDay(t)) << bad;
    }
}

TEST(Clock, InstalledClockIsTheOneRead) {
    ManualClock manual;
    manual.advance(42);
    platform::setClock(&manual);
    EXPECT_EQ(platform::clock().monotonic(), 42);
    platform::setClock(nullptr);
    double a = platform::clock().monotonic();
    double b = platform::clock().monotonic();
    EXPECT_LE(a, b);
    platform::TimeOfDay t;
    ASSERT_TRUE(platform::clock().timeOfDay(t));
    EXPECT_GT(t.seconds, 1'500'000'000); // a plausible present
    EXPECT_LT(t.microseconds, 1'000'000);
}

// Steady-state cost of the action manager's per-frame pass: 10 000 running
// actions over 1 000 targets, and the allocations a frame makes.
#include "engine/ActionManager.h"
#include "engine/EaseAction.h"
#include "engine/InstantAction.h"
#include "engine/IntervalAction.h"
#include "engine/Node.h"
#include "engine/Scheduler.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "bench/AllocationCounter.h"

namespace {

constexpr int kTargets = 1000;
constexpr int kActionsPerTarget = 10;

// Ten endless actions of the common kinds on one node.
void runTen(Node* node) {
    auto back = [](FiniteTimeAction* a) {
        return RepeatForever::actionWithAction(Sequence::actionOne(a, a->reverse().get()).get());
    };
    node->runAction(back(MoveBy::actionWithDuration(1.0f, ccp(30, 0)).get()).get());
    node->runAction(
        RepeatForever::actionWithAction(RotateBy::actionWithDuration(2, 360).get()).get());
    node->runAction(back(ScaleBy::actionWithDuration(0.7f, 1.5f).get()).get());
    node->runAction(back(JumpBy::actionWithDuration(1.3f, ccp(0, 10), 20, 2).get()).get());
    node->runAction(
        RepeatForever::actionWithAction(
            EaseInOut::actionWithAction(RotateBy::actionWithDuration(0.9f, 45).get(), 2).get())
            .get());
    node->runAction(
        RepeatForever::actionWithAction(Blink::actionWithDuration(1.1f, 3).get()).get());
    node->runAction(
        back(EaseBounceOut::actionWithAction(MoveBy::actionWithDuration(0.8f, ccp(0, 15)).get())
                 .get())
            .get());
    node->runAction(
        RepeatForever::actionWithAction(
            Sequence::actionOne(DelayTime::actionWithDuration(0.25f).get(), Show::action().get())
                .get())
            .get());
    node->runAction(
        RepeatForever::actionWithAction(
            Repeat::actionWithAction(RotateBy::actionWithDuration(0.2f, 5).get(), 3).get())
            .get());
    node->runAction(
        Speed::actionWithAction(
            RepeatForever::actionWithAction(
                EaseSineInOut::actionWithAction(MoveBy::actionWithDuration(1.7f, ccp(4, 4)).get())
                    .get())
                .get(),
            1.5f)
            .get());
}

void BM_ActionManagerTick(benchmark::State& state) {
    std::vector<Ref<Node>> nodes;
    long setupStart = allocationCount.load();
    for (int i = 0; i < kTargets; ++i) {
        auto n = Node::node();
        n->onEnter();
        runTen(n.get());
        nodes.push_back(n);
    }
    ActionManager& manager = ActionManager::sharedManager();
    // Shows that the counting works: setting up does allocate.
    state.counters["setup_allocs"] = double(allocationCount.load() - setupStart);
    if (manager.targetCount() != kTargets) state.SkipWithError("targets missing");
    for (int i = 0; i < 10; ++i)
        manager.tick(1.0f / 60);

    long before = allocationCount.load();
    long frames = 0;
    for (auto _ : state) {
        manager.tick(1.0f / 60);
        ++frames;
    }
    long allocated = allocationCount.load() - before;

    state.counters["actions"] = kTargets * kActionsPerTarget;
    state.counters["ns_per_action"] = benchmark::Counter(
        double(kTargets * kActionsPerTarget),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["allocs_per_frame"] = frames ? double(allocated) / double(frames) : 0;

    for (auto& n : nodes)
        n->stopAllActions();
    ActionManager::purgeSharedManager();
    Scheduler::purgeSharedScheduler();
}
BENCHMARK(BM_ActionManagerTick)->Unit(benchmark::kMicrosecond);

} // namespace

// The spine's per-frame costs: visiting a large tree and ticking many timers.
#include "engine/Layer.h"
#include "engine/Node.h"
#include "engine/Scheduler.h"
#include "platform/GL.h"

#include "bench/AllocationCounter.h"
#include "bench/BenchDirector.h"
#include "engine/Scene.h"

#include <benchmark/benchmark.h>

namespace {

// A tree of `count` nodes: 100 branches of count / 100 leaves, each moved,
// turned and scaled so that every transform step runs.
Ref<Node> makeTree(int count) {
    auto root = Node::node();
    int perBranch = count / 100;
    for (int b = 0; b < 100; ++b) {
        auto branch = Node::node();
        branch->setPosition(Point(float(b % 10) * 30, float(b / 10) * 45));
        branch->setRotation(float(b));
        root->addChild(branch.get(), b % 3 - 1);
        for (int i = 0; i < perBranch - 1; ++i) {
            auto leaf = Node::node();
            leaf->setPosition(Point(float(i), float(i) * 0.5f));
            leaf->setContentSize(Size(4, 4));
            leaf->setAnchorPoint(Point(0.5f, 0.5f));
            leaf->setRotation(float(i * 7 % 360));
            leaf->setScale(1.0f + float(i % 5) * 0.1f);
            branch->addChild(leaf.get(), i % 5 - 2);
        }
    }
    return root;
}

void BM_VisitTree(benchmark::State& state) {
    if (!benchWindow()) {
        state.SkipWithError("no GL context");
        return;
    }
        int count = int(state.range(0));
    auto root = makeTree(count);
    glMatrixMode(GL_MODELVIEW);
    for (auto _ : state) {
        glLoadIdentity();
        root->visit();
    }
    glFinish();
    state.counters["ns_per_node"] = benchmark::Counter(double(count) * double(state.iterations()),
                                                       benchmark::Counter::kIsRate |
                                                           benchmark::Counter::kInvert);
}
BENCHMARK(BM_VisitTree)->Arg(10000)->Unit(benchmark::kMicrosecond);

class Ticker : public Node {
public:
    float total = 0;
    void step(float dt) { total += dt; }
};

void BM_SchedulerTick(benchmark::State& state) {
    int count = int(state.range(0));
    std::vector<Ref<Ticker>> nodes;
    for (int i = 0; i < count; ++i) {
        auto n = make<Ticker>();
        n->schedule(ccSelector(n.get(), &Ticker::step), float(i % 4) * 0.01f);
        n->onEnter();
        nodes.push_back(n);
    }
    Scheduler& scheduler = Scheduler::sharedScheduler();
    scheduler.tick(0); // take in the new timers
    for (auto _ : state) scheduler.tick(1.0f / 60);
    state.counters["ns_per_timer"] = benchmark::Counter(double(count) * double(state.iterations()),
                                                        benchmark::Counter::kIsRate |
                                                            benchmark::Counter::kInvert);
    for (auto& n : nodes) {
        n->onExit();
        n->cleanup();
    }
    scheduler.tick(0);
}
BENCHMARK(BM_SchedulerTick)->Arg(1000)->Unit(benchmark::kMicrosecond);

// Whole frames as the program runs them: the run loop's display refresh
// drives the director, which ticks, visits 1 000 nodes and presents.
void BM_DirectorFrame(benchmark::State& state) {
    if (!benchWindow()) {
        state.SkipWithError("no GL context");
        return;
    }
    BenchDirector bench;
    platform::RunLoop& loop = bench.loop();
    auto scene = Scene::node();
    scene->addChild(makeTree(1000).get());
    bench.director().runWithScene(scene.get());
    for (int i = 0; i < 10; ++i) loop.runEventSlice(1.0); // settle
    uint64_t frames = benchWindow()->presentedFrames();
    long before = allocationCount.load();
    for (auto _ : state) loop.runEventSlice(1.0);
    frames = benchWindow()->presentedFrames() - frames;
    state.counters["frames"] = double(frames);
    state.counters["allocs_per_frame"] =
        double(allocationCount.load() - before) / double(std::max<uint64_t>(frames, 1));
}
BENCHMARK(BM_DirectorFrame)->Unit(benchmark::kMicrosecond);

} // namespace

// Frames of the game's screens as the program runs them (the director's
// tick with the screen's update, the visit, the present) while the autopilot
// plays, beside the frame of an empty scene on the same window. Besides the
// time, the heap allocations of each frame, split by whether the frame made
// something new: an object (a spawn, a shot, an explosion, a banner, a
// timer, a touch, a view), an action, or new text in a label. The other
// frames should allocate nothing.
//
//   ms_per_frame, cpu_ms_per_frame   wall and process CPU time (the
//                                    rasteriser's threads included)
//   x_empty, cpu_x_empty             the same over the empty scene's (run
//                                    first)
//   allocs_per_quiet_frame           0: nothing allocates in a frame that
//                                    makes nothing
//   allocs_per_busy_frame, busy_frames
//
// NEBULARK_TRACE_QUIET=N prints where the first N quiet frames that
// allocated did so (call stacks; pipe through c++filt).
#include "engine/ActionManager.h"
#include "game/SavedGameData.h"
#include "game/StartScreens.h"
#include "platform/Files.h"
#include "platform/Random.h"
#include "render/AtlasSpriteManager.h"
#include "render/LabelProtocol.h"

#include "bench/AllocationCounter.h"
#include "bench/BenchDirector.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

// What a frame can make: it made nothing when no object (node, timer,
// action, texture, view, ...) was made, no action was added, no label shows
// another text and no sprite batch had to grow its room (more sprites at
// once than ever before).
struct Census {
    uint64_t objects = Object::madeCount();
    int actions = 0;
    size_t texts = 0;
    size_t room = 0;

    static Census of(Node* root) {
        Census c;
        c.add(root);
        return c;
    }
    bool madeSomethingSince(const Census& b) const {
        return objects != b.objects || actions > b.actions || texts != b.texts ||
               room != b.room;
    }

private:
    void add(Node* node) {
        actions += ActionManager::sharedManager().numberOfRunningActionsInTarget(node);
        if (auto* label = dynamic_cast<LabelProtocol*>(node))
            texts = texts * 31 + std::hash<std::string>()(label->string());
        if (auto* batch = dynamic_cast<AtlasSpriteManager*>(node))
            room += batch->textureAtlas()->capacity();
        for (const auto& child : node->children())
            add(child.get());
    }
};

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double wallSeconds() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

struct Screen {
    const char* name;
    // A start screen's name; null: an empty scene.
    const char* start;
    // Quick Play's control scheme: 0 tilt, 1 drag, 2 joystick.
    int controls = 0;
};

const Screen kScreens[] = {
    {"empty", nullptr},
    {"quickplay_tilt", "quickplay", 0},
    {"quickplay_drag", "quickplay", 1},
    {"quickplay_joystick", "quickplay", 2},
    {"mission1", "mission1"},
    {"mission2", "mission2"},
    {"mission3", "mission3"},
    {"asteroidavoid", "asteroidavoid"},
    {"dragship", "dragship"},
    {"spaceshoot", "spaceshoot"},
};

// Plays `screen` from a fresh start (no saved files, the same seed) into
// the game, then hands `body` the director and one frame of the program.
template <class Body>
void play(const Screen& screen, platform::Window* window, Body&& body) {
    const auto documents = std::filesystem::temp_directory_path() / "nebulark-bench-frames";
    std::filesystem::remove_all(documents);
    std::filesystem::create_directories(documents);
    platform::setDocumentsDirectory(documents.string());
    platform::setResourceDirectory(NEBULARK_RESOURCES_DIR);
    saved::writeControlSegment(screen.controls);
    platform::Options options = platform::options();
    options.autoplay = true;
    platform::setOptions(options);
    platform::srandom(7);
    {
        // Ended (the screen leaves, writing what it saves) before the documents go.
        BenchDirector bench;
        Director& director = bench.director();
        platform::RunLoop& loop = bench.loop();
        Ref<Scene> scene = screen.start ? findStartScreen(screen.start)->make() : Scene::node();
        director.runWithScene(scene.get());
        auto frame = [&] {
            const uint64_t shown = window->presentedFrames();
            while (window->presentedFrames() == shown)
                loop.runEventSlice(1.0);
        };
        for (int i = 0; i < 600; ++i) // into the game: stars, enemies, pools
            frame();
        body(director, frame);
    }
    platform::setDocumentsDirectory("");
    std::filesystem::remove_all(documents);
}

void BM_GameFrame(benchmark::State& state) {
    const Screen& screen = kScreens[state.range(0)];
    state.SetLabel(screen.name);
    platform::Window* window = benchWindow();
    if (!window) {
        state.SkipWithError("no GL context");
        return;
    }
    // The rasteriser compiles code for each combination of draw state the
    // first time it meets one, allocating as it does: a first play of the
    // same game, not measured, leaves the measured one only the game's own.
    play(screen, window, [&](Director&, auto& frame) {
        for (benchmark::IterationCount i = 0; i < state.max_iterations; ++i)
            frame();
    });

    play(screen, window, [&](Director& director, auto& frame) {
        long quietFrames = 0, quietAllocations = 0, busyFrames = 0, busyAllocations = 0;
        const char* trace = std::getenv("NEBULARK_TRACE_QUIET");
        int tracesLeft = trace ? std::atoi(trace) : 0;
        double wall = 0, cpu = 0;
        for (auto _ : state) {
            // The running scene: a game may have moved on to another screen.
            Node* running = director.runningScene();
            const Census before = Census::of(running);
            const long allocations = allocationCount.load();
            if (tracesLeft > 0) traceAllocations(true);
            const double wallStart = wallSeconds(), cpuStart = cpuSeconds();
            frame();
            traceAllocations(false);
            wall += wallSeconds() - wallStart;
            cpu += cpuSeconds() - cpuStart;
            const long made = allocationCount.load() - allocations;
            if (director.runningScene() != running ||
                Census::of(running).madeSomethingSince(before)) {
                ++busyFrames;
                busyAllocations += made;
            } else {
                ++quietFrames;
                quietAllocations += made;
                if (made > 0 && tracesLeft > 0) {
                    --tracesLeft;
                    printTracedAllocations(screen.name);
                }
            }
        }
        const double frames = double(std::max<long>(quietFrames + busyFrames, 1));
        state.counters["ms_per_frame"] = wall * 1000 / frames;
        state.counters["cpu_ms_per_frame"] = cpu * 1000 / frames;
        static double emptyWall = 0, emptyCpu = 0;
        if (!screen.start) {
            emptyWall = wall / frames;
            emptyCpu = cpu / frames;
        } else if (emptyWall > 0 && emptyCpu > 0) {
            state.counters["x_empty"] = wall / frames / emptyWall;
            state.counters["cpu_x_empty"] = cpu / frames / emptyCpu;
        }
        state.counters["busy_frames"] = double(busyFrames);
        state.counters["allocs_per_quiet_frame"] =
            double(quietAllocations) / double(std::max<long>(quietFrames, 1));
        state.counters["allocs_per_busy_frame"] =
            double(busyAllocations) / double(std::max<long>(busyFrames, 1));
    });
}
BENCHMARK(BM_GameFrame)
    ->DenseRange(0, std::size(kScreens) - 1)
    ->Iterations(3000)
    ->Unit(benchmark::kMillisecond);

} // namespace

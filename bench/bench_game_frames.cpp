// A Quick Play frame as the program runs it (the director's tick with the
// game's update, the visit, the present) while the autopilot plays, in each
// control scheme. Besides the time, the heap allocations of each frame,
// split by whether the frame made something new: a spawn, an enemy shot, an
// explosion, a fresh bullet sprite, a banner or new score text. The other
// frames should allocate nothing.
#include "engine/Director.h"
#include "game/SavedGameData.h"
#include "game/quickplay/GameScene.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Random.h"
#include "platform/RunLoop.h"
#include "render/AtlasSpriteManager.h"
#include "render/AtlasSpriteManager.h"

#include "bench/AllocationCounter.h"
#include "bench/BenchWindow.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>

namespace {

// What a frame can make; a frame where none of it grows made nothing.
struct Census {
    size_t sceneChildren, atlasChildren, bullets, enemies, rocks, falling;
    int score, lives;

    static Census of(GameScene* s) {
        return {s->children().size(), s->atlas()->children().size(),
                s->bullets().size() + s->pool().size(), s->randomNew().size(),
                s->asteroidsArray() ? s->asteroidsArray()->count : 0,
                s->downArray() ? s->downArray()->count : 0, s->scoreInt(), s->lives()};
    }
    bool madeSomethingSince(const Census& b) const {
        return sceneChildren > b.sceneChildren || atlasChildren > b.atlasChildren ||
               bullets > b.bullets || enemies > b.enemies || rocks > b.rocks ||
               falling > b.falling || score != b.score || lives != b.lives;
    }
};

void BM_QuickPlayFrame(benchmark::State& state) {
    if (!benchWindow()) {
        state.SkipWithError("no GL context");
        return;
    }
    const auto documents = std::filesystem::temp_directory_path() / "nebulark-bench-quickplay";
    std::filesystem::remove_all(documents);
    std::filesystem::create_directories(documents);
    platform::setDocumentsDirectory(documents.string());
    platform::setResourceDirectory(NEBULARK_RESOURCES_DIR);
    platform::setResourceDirectory(NEBULARK_RESOURCES_DIR);
    saved::writeControlSegment(int(state.range(0)));
    platform::Options options = platform::options();
    options.autoplay = true;
    platform::setOptions(options);
    platform::srandom(7);

    platform::ManualClock clock;
    platform::setClock(&clock);
    platform::RunLoop& loop = platform::RunLoop::main();
    loop.setVirtualClock(&clock);
    Director::setDirectorType(CCDirectorTypeDisplayLink);
    Director& director = Director::sharedDirector();
    director.attachInView(benchWindow());
    Ref<GameScene> scene = GameScene::scene();
    director.runWithScene(scene.get());

    platform::Window* window = benchWindow();
    auto frame = [&] {
        const uint64_t shown = window->presentedFrames();
        while (window->presentedFrames() == shown) loop.runEventSlice(1.0);
    };
    for (int i = 0; i < 600; ++i) frame(); // into the game: stars, enemies, pools

    long quietFrames = 0, quietAllocations = 0, busyFrames = 0, busyAllocations = 0;
    std::chrono::steady_clock::duration elapsed{};
    for (auto _ : state) {
        const Census before = Census::of(scene.get());
        const long allocations = allocationCount.load();
        const auto start = std::chrono::steady_clock::now();
        frame();
        elapsed += std::chrono::steady_clock::now() - start;
        const long made = allocationCount.load() - allocations;
        if (Census::of(scene.get()).madeSomethingSince(before)) {
            ++busyFrames;
            busyAllocations += made;
        } else {
            ++quietFrames;
            quietAllocations += made;
        }
    }
    const double frames = double(std::max<long>(quietFrames + busyFrames, 1));
    state.counters["ms_per_frame"] =
        std::chrono::duration<double, std::milli>(elapsed).count() / frames;
    state.counters["allocs_per_frame"] = double(quietAllocations + busyAllocations) / frames;
    state.counters["quiet_frames"] = double(quietFrames);
    state.counters["allocs_per_quiet_frame"] =
        double(quietAllocations) / double(std::max<long>(quietFrames, 1));
    state.counters["allocs_per_busy_frame"] =
        double(busyAllocations) / double(std::max<long>(busyFrames, 1));
    state.counters["score"] = scene->scoreInt();
    state.counters["lives"] = scene->lives();

    director.end();
    Director::purgeSharedDirector();
    scene = nullptr;
    loop.reset();
    loop.setVirtualClock(nullptr);
    platform::setClock(nullptr);
    platform::setDocumentsDirectory("");
    std::filesystem::remove_all(documents);
}
// 0 tilt, 1 drag, 2 joystick.
BENCHMARK(BM_QuickPlayFrame)->Arg(0)->Arg(1)->Arg(2)->Iterations(3000)->Unit(
    benchmark::kMillisecond);

} // namespace

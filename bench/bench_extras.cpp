// Frames of the engine's extras as the director draws them: a 100 x 100
// tile map layer scrolled every frame, and a 32 x 24 grid effect on a
// full-screen node. The time of an iteration is the time of one frame (the
// director's tick, the visit, the present); "ms_per_frame" says the same
// in milliseconds.
#include "engine/Action.h"
#include "engine/Director.h"
#include "engine/Scene.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/RunLoop.h"
#include "render/GridEffects.h"
#include "render/Sprite.h"
#include "render/TMXTiledMap.h"

#include "bench/BenchWindow.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

platform::ManualClock clock;

// The director on the bench window, made once.
Director* director() {
    static Director* d = []() -> Director* {
        if (!benchWindow()) return nullptr;
        platform::setResourceDirectory(NEBULARK_RESOURCES_DIR);
        platform::setClock(&clock);
        platform::RunLoop::main().setVirtualClock(&clock);
        Director::setDirectorType(CCDirectorTypeDisplayLink);
        Director& director = Director::sharedDirector();
        director.attachInView(benchWindow());
        director.runWithScene(Scene::node().get());
        return &director;
    }();
    return d;
}

// Runs frames of `scene`, calling `before(frame)` ahead of each.
template <class F>
void frames(benchmark::State& state, Scene* scene, F before) {
    Director* d = director();
    if (!d) {
        state.SkipWithError("no GL context");
        return;
    }
    d->replaceScene(scene);
    d->mainLoop(); // the switch
    long frame = 0;
    std::chrono::steady_clock::duration elapsed{};
    for (auto _ : state) {
        before(frame++);
        clock.advance(1.0 / 60);
        auto start = std::chrono::steady_clock::now();
        d->mainLoop();
        glFinish();
        elapsed += std::chrono::steady_clock::now() - start;
    }
    state.counters["ms_per_frame"] =
        std::chrono::duration<double, std::milli>(elapsed).count() / double(frame);
}

void BM_TileLayerScroll(benchmark::State& state) {
    if (!director()) {
        state.SkipWithError("no GL context");
        return;
    }
    // One layer, every cell a tile, from the demo's tile sheet.
    auto info = make<TMXMapInfo>();
    info->mapSize = ccg(100, 100);
    info->tileSize = Size(32, 32);
    auto tileset = make<TMXTilesetInfo>();
    tileset->tileSize = Size(32, 32);
    tileset->sourceImage = "maps/tiles.png";
    info->tilesets.push_back(tileset);
    auto layer = make<TMXLayerInfo>();
    layer->name = "ground";
    layer->layerSize = info->mapSize;
    for (int i = 0; i < 100 * 100; ++i)
        layer->tiles.push_back(uint32_t(2 + i % 7));
    info->layers.push_back(layer);
    auto map = TMXTiledMap::tiledMapWithMapInfo(info.get());
    if (!map) {
        state.SkipWithError("no map");
        return;
    }
    auto scene = Scene::node();
    scene->addChild(map.get());
    frames(state, scene.get(), [&](long f) {
        // Across and down the map and back, a few points a frame.
        float t = float(f % 1000);
        map->setPosition(Point(-(t < 500 ? t : 1000 - t) * 5, -(t < 500 ? t : 1000 - t) * 5));
    });
}
BENCHMARK(BM_TileLayerScroll)->Unit(benchmark::kMillisecond);

void BM_GridEffectFullScreen(benchmark::State& state) {
    if (!director()) {
        state.SkipWithError("no GL context");
        return;
    }
    auto scene = Scene::node();
    auto stage = Node::node();
    if (auto stars = Sprite::spriteWithFile("stars.png")) {
        stars->setAnchorPoint(Point(0, 0));
        stage->addChild(stars.get());
    }
    scene->addChild(stage.get());
    auto waves = Waves3D::actionWithWaves(4, 30, ccg(32, 24), 10);
    stage->runAction(RepeatForever::actionWithAction(waves.get()).get());
    frames(state, scene.get(), [](long) {});
}
BENCHMARK(BM_GridEffectFullScreen)->Unit(benchmark::kMillisecond);

} // namespace

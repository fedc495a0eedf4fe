// What batching buys: N sprites that move and turn every frame, updated and
// drawn as one atlas (one draw call) or as individual sprites (one each).
#include "platform/ImageDecoder.h"
#include "render/AtlasSpriteManager.h"
#include "render/Sprite.h"

#include "bench/BenchWindow.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>

namespace {

// A 64 x 64 sheet of four 32 x 32 cells in different colours.
Ref<Texture2D> sheet() {
    std::vector<uint8_t> rgba;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            int cell = (y / 32) * 2 + x / 32;
            uint8_t a = (x % 32 == 0 || y % 32 == 0) ? 0 : 255; // a clear border
            rgba.insert(rgba.end(), {uint8_t(cell & 1 ? a : 0), uint8_t(cell & 2 ? a : 0),
                                     uint8_t(cell == 0 ? a : 128 * a / 255), a});
        }
    auto image = platform::DecodedImage::imageWithRGBA(64, 64, std::move(rgba),
                                                       platform::ImageAlpha::Premultiplied);
    return Texture2D::textureWithImage(image.get());
}

// A 320 x 480 offscreen target with the 2D drawing state the director sets.
// Without `fill` every pixel is cut away by a 1 x 1 scissor: what remains is
// the cost of updating and submitting, which on a GPU is most of it (the
// software rasteriser here spends far longer filling).
std::unique_ptr<platform::GLSurface> target(bool fill) {
    auto surface = platform::GLSurface::create(320, 480, platform::ColorFormat::RGBA8,
                                               platform::DepthFormat::None);
    surface->bind();
    glViewport(0, 0, 320, 480);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrthof(0, 320, 0, 480, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    if (fill) {
        glDisable(GL_SCISSOR_TEST);
    } else {
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 0, 1, 1);
    }
    return surface;
}

// Frame `f` of sprite `i`: a drift across the screen and a steady turn.
void place(Node* s, int i, int f) {
    s->setPosition(Point(float((i * 37 + f) % 320), float((i * 91 + f * 2) % 480)));
    s->setRotation(float((i * 7 + f * 3) % 360));
}

// Wall time per frame (the software rasteriser works on other threads, so
// the CPU column shows only update and submission) and how many sprites a
// 60 Hz frame would hold at that rate.
void report(benchmark::State& state, int n, std::chrono::steady_clock::duration elapsed) {
    const double ms =
        std::chrono::duration<double, std::milli>(elapsed).count() / double(state.iterations());
    state.counters["ms_per_frame"] = ms;
    state.counters["sprites_per_16.7ms"] = double(n) * (1000.0 / 60.0) / ms;
    state.SetLabel(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
}

// Moves and turns every sprite each frame, then draws the tree under `drawn`.
template <class SpriteType>
void animate(benchmark::State& state, Node* drawn, const std::vector<SpriteType*>& sprites) {
    const int n = int(sprites.size());
    auto surface = target(state.range(1) != 0);
    int f = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        ++f;
        for (int i = 0; i < n; ++i)
            place(sprites[size_t(i)], i, f);
        glClear(GL_COLOR_BUFFER_BIT);
        drawn->visit();
        glFinish();
    }
    report(state, n, std::chrono::steady_clock::now() - start);
    glDisable(GL_SCISSOR_TEST);
}

void BM_AtlasSprites(benchmark::State& state) {
    if (!benchWindow()) {
        state.SkipWithError("no GL context");
        return;
    }
    const int n = int(state.range(0));
    auto texture = sheet();
    auto manager = AtlasSpriteManager::spriteManagerWithTexture(texture.get(), unsigned(n));
    std::vector<AtlasSprite*> sprites;
    for (int i = 0; i < n; ++i) {
        auto s =
            manager->createSpriteWithRect(Rect(float(i % 2) * 32, float(i / 2 % 2) * 32, 32, 32));
        s->setScale(0.5f);
        manager->addChild(s.get(), i % 3);
        sprites.push_back(s.get());
    }
    animate(state, manager.get(), sprites);
}
BENCHMARK(BM_AtlasSprites)
    ->ArgsProduct({{1000, 2000, 4000, 8000, 16000}, {1, 0}})
    ->ArgNames({"n", "fill"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_IndividualSprites(benchmark::State& state) {
    if (!benchWindow()) {
        state.SkipWithError("no GL context");
        return;
    }
    const int n = int(state.range(0));
    // One texture per cell, as separate pictures would be.
    std::vector<Ref<Texture2D>> textures;
    for (int c = 0; c < 4; ++c)
        textures.push_back(sheet());
    auto root = Node::node();
    std::vector<Sprite*> sprites;
    for (int i = 0; i < n; ++i) {
        auto s = Sprite::spriteWithTexture(textures[size_t(i % 4)].get());
        s->setScale(0.25f); // the 64-pixel picture at the atlas sprites' 16 points
        root->addChild(s.get(), i % 3);
        sprites.push_back(s.get());
    }
    animate(state, root.get(), sprites);
}
BENCHMARK(BM_IndividualSprites)
    ->ArgsProduct({{1000, 2000, 4000, 8000, 16000}, {1, 0}})
    ->ArgNames({"n", "fill"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

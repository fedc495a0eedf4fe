// N bouncing, turning, alpha-blended sprites per frame, several ways, in one
// run: raw GL ES 1.1 with every quad in one draw (the floor: what any engine
// on this driver must pay), the engine's batched path (AtlasSprites of one
// AtlasSpriteManager), its unbatched path (N separate Sprite nodes, one
// picture shared, and four pictures in turn), and raw GL with one draw per
// sprite (the floor of separate draws, one picture and four in turn). Each
// frame is cleared, drawn and finished (glFinish), so the rasteriser's work
// counts.
//
// The paths run in interleaved rounds; the counters are medians over the
// rounds, so a change in the machine's load hits every path alike:
//   *_ms      wall time per frame
//   *_cpu_ms  process CPU time per frame (the rasteriser's threads included),
//             steadier than wall time on a loaded machine
//   atlas_x   batched / floor;  sprites_x, sprites4_x  unbatched / batched;
//   each_x, each4_x  unbatched / raw separate draws of the same pictures
//             (ratios of the same round, median; *_cpu_x the same in CPU time)
//   *_allocs  heap allocations (operator new) per frame in steady state
#include "engine/Node.h"
#include "platform/GLState.h"
#include "platform/ImageDecoder.h"
#include "render/AtlasSpriteManager.h"
#include "render/Quad.h"
#include "render/Sprite.h"

#include "bench/AllocationCounter.h"
#include "bench/BenchWindow.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int kRounds = 5;
constexpr int kFramesPerRound = 8;
constexpr float kWidth = 320, kHeight = 480, kDt = 1.0f / 60;

// A premultiplied disc of `size` pixels in `rgb`, transparent around it.
Ref<Texture2D> disc(int size, const uint8_t rgb[3]) {
    std::vector<uint8_t> rgba;
    const float r = float(size) / 2;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float dx = float(x) + 0.5f - r, dy = float(y) + 0.5f - r;
            uint8_t a = dx * dx + dy * dy <= r * r ? 200 : 0;
            for (int c = 0; c < 3; ++c)
                rgba.push_back(uint8_t(rgb[c] * a / 255));
            rgba.push_back(a);
        }
    auto image = platform::DecodedImage::imageWithRGBA(size, size, std::move(rgba),
                                                       platform::ImageAlpha::Premultiplied);
    return Texture2D::textureWithImage(image.get());
}

// Where every sprite is: a deterministic start, then bouncing off the
// screen's edges and turning.
struct Motion {
    std::vector<float> x, y, vx, vy, angle, spin;

    explicit Motion(int n) {
        uint32_t seed = 12345;
        auto next = [&seed] {
            seed = seed * 1664525u + 1013904223u;
            return float(seed >> 8) / float(1u << 24);
        };
        for (int i = 0; i < n; ++i) {
            x.push_back(next() * kWidth);
            y.push_back(next() * kHeight);
            vx.push_back((next() - 0.5f) * 200);
            vy.push_back((next() - 0.5f) * 200);
            angle.push_back(next() * 360);
            spin.push_back((next() - 0.5f) * 360);
        }
    }
    void step() {
        for (size_t i = 0; i < x.size(); ++i) {
            x[i] += vx[i] * kDt;
            y[i] += vy[i] * kDt;
            if (x[i] < 0 || x[i] > kWidth) vx[i] = -vx[i];
            if (y[i] < 0 || y[i] > kHeight) vy[i] = -vy[i];
            angle[i] = std::fmod(angle[i] + spin[i] * kDt + 360, 360.0f);
        }
    }
};

// One way of moving and drawing the sprites; `frame` does one whole frame.
struct Path {
    const char* name;
    std::function<void()> frame;
    std::vector<double> wall, cpu, allocs;
};

// The raw floor: the quads written straight from the motion, one draw.
class RawFloor {
public:
    RawFloor(int n, int size, Texture2D* texture)
        : motion_(n), size_(float(size)), texture_(texture), quads_(size_t(n)),
          indices_(size_t(n) * 6) {
        for (size_t i = 0; i < quads_.size(); ++i) {
            const auto v = GLushort(i * 4);
            const GLushort pattern[6] = {v,
                                         GLushort(v + 1),
                                         GLushort(v + 2),
                                         GLushort(v + 3),
                                         GLushort(v + 2),
                                         GLushort(v + 1)};
            std::copy_n(pattern, 6, indices_.begin() + ptrdiff_t(i) * 6);
            auto& q = quads_[i];
            q.tl.texCoords = {0, 0};
            q.bl.texCoords = {0, 1};
            q.tr.texCoords = {1, 0};
            q.br.texCoords = {1, 1};
            for (auto* c : {&q.tl, &q.bl, &q.tr, &q.br})
                c->colors = {255, 255, 255, 255};
        }
    }
    void frame() {
        motion_.step();
        const float h = size_ / 2;
        for (size_t i = 0; i < quads_.size(); ++i) {
            const float a = -motion_.angle[i] / 180 * 3.1415927f;
            const float c = std::cos(a), s = std::sin(a), px = motion_.x[i], py = motion_.y[i];
            auto corner = [&](ccV3F_C4B_T2F& v, float cx, float cy) {
                v.vertices = {cx * c - cy * s + px, cx * s + cy * c + py, 0};
            };
            corner(quads_[i].tl, -h, h);
            corner(quads_[i].bl, -h, -h);
            corner(quads_[i].tr, h, h);
            corner(quads_[i].br, h, -h);
        }
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture_->name());
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        const auto* base = reinterpret_cast<const uint8_t*>(quads_.data());
        constexpr GLsizei stride = sizeof(ccV3F_C4B_T2F);
        glVertexPointer(3, GL_FLOAT, stride, base + offsetof(ccV3F_C4B_T2F, vertices));
        glColorPointer(4, GL_UNSIGNED_BYTE, stride, base + offsetof(ccV3F_C4B_T2F, colors));
        glTexCoordPointer(2, GL_FLOAT, stride, base + offsetof(ccV3F_C4B_T2F, texCoords));
        glDrawElements(GL_TRIANGLES, GLsizei(indices_.size()), GL_UNSIGNED_SHORT, indices_.data());
        // The engine's paths start from nothing known, as after this.
        platform::GLState::current().invalidate();
    }

private:
    Motion motion_;
    float size_;
    Texture2D* texture_;
    std::vector<ccV3F_C4B_T2F_Quad> quads_;
    std::vector<GLushort> indices_;
};

// The floor of separate draws: one matrix and one draw per sprite, and only
// the calls that change something (the pictures in turn).
class RawEach {
public:
    RawEach(int n, int size, std::vector<Texture2D*> textures)
        : motion_(n), textures_(std::move(textures)) {
        const float h = float(size) / 2;
        const GLfloat v[] = {-h, -h, h, -h, -h, h, h, h};
        std::copy(std::begin(v), std::end(v), vertices_);
    }
    void frame() {
        motion_.step();
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnable(GL_TEXTURE_2D);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        glColor4ub(255, 255, 255, 255);
        static const GLfloat coordinates[] = {0, 1, 1, 1, 0, 0, 1, 0};
        for (size_t i = 0; i < motion_.x.size(); ++i) {
            if (textures_.size() > 1 || i == 0)
                glBindTexture(GL_TEXTURE_2D, textures_[i % textures_.size()]->name());
            glPushMatrix();
            glTranslatef(motion_.x[i], motion_.y[i], 0);
            glRotatef(-motion_.angle[i], 0, 0, 1);
            glVertexPointer(2, GL_FLOAT, 0, vertices_);
            glTexCoordPointer(2, GL_FLOAT, 0, coordinates);
            glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
            glPopMatrix();
        }
        platform::GLState::current().invalidate();
    }

private:
    Motion motion_;
    std::vector<Texture2D*> textures_;
    GLfloat vertices_[8];
};

// The engine's paths: the sprites moved through the public node API, the
// tree drawn by a visit, as the director does.
template <class SpriteType>
class EnginePath {
public:
    EnginePath(int n, Ref<Node> root, std::vector<SpriteType*> sprites)
        : motion_(n), root_(std::move(root)), sprites_(std::move(sprites)) {}
    void frame() {
        motion_.step();
        for (size_t i = 0; i < sprites_.size(); ++i) {
            sprites_[i]->setPosition(Point(motion_.x[i], motion_.y[i]));
            sprites_[i]->setRotation(motion_.angle[i]);
        }
        platform::GLState::current().invalidate();
        root_->visit();
    }

private:
    Motion motion_;
    Ref<Node> root_;
    std::vector<SpriteType*> sprites_;
};

// One frame of a path; a function of its own per path (kept apart from its
// identical twins: noipa), so that a profile (valgrind --tool=callgrind,
// with LP_NUM_THREADS=0 to rasterise inline) shows each path's
// instructions as the inclusive cost of frame<i>.
template <int I>
[[gnu::noipa]] void frame(Path& p) {
    glClear(GL_COLOR_BUFFER_BIT);
    p.frame();
    glFinish();
}

[[gnu::noipa]] void warmUp(Path& p) {
    glClear(GL_COLOR_BUFFER_BIT);
    p.frame();
    glFinish();
}

double seconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void BM_DrawPaths(benchmark::State& state) {
    if (!benchWindow()) {
        state.SkipWithError("no GL context");
        return;
    }
    const int n = int(state.range(0)), size = int(state.range(1));
    const uint8_t colors[4][3] = {{255, 200, 80}, {80, 200, 255}, {255, 90, 160}, {140, 255, 120}};
    std::vector<Ref<Texture2D>> textures;
    for (const auto& c : colors)
        textures.push_back(disc(size, c));

    auto surface = platform::GLSurface::create(
        int(kWidth), int(kHeight), platform::ColorFormat::RGBA8, platform::DepthFormat::None);
    surface->bind();
    glViewport(0, 0, GLsizei(kWidth), GLsizei(kHeight));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrthof(0, kWidth, 0, kHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glClearColor(0, 0, 0, 1);

    RawFloor raw(n, size, textures[0].get());
    RawEach each(n, size, {textures[0].get()});
    RawEach each4(n, size,
                  {textures[0].get(), textures[1].get(), textures[2].get(), textures[3].get()});

    auto manager = AtlasSpriteManager::spriteManagerWithTexture(textures[0].get(), unsigned(n));
    std::vector<AtlasSprite*> atlasSprites;
    for (int i = 0; i < n; ++i) {
        auto s = manager->createSpriteWithRect(Rect(0, 0, float(size), float(size)));
        manager->addChild(s.get());
        atlasSprites.push_back(s.get());
    }
    EnginePath<AtlasSprite> atlas(n, manager, atlasSprites);

    auto separate = [&](int pictures) {
        auto root = Node::node();
        std::vector<Sprite*> sprites;
        for (int i = 0; i < n; ++i) {
            auto s = Sprite::spriteWithTexture(textures[size_t(i % pictures)].get());
            root->addChild(s.get());
            sprites.push_back(s.get());
        }
        return EnginePath<Sprite>(n, root, sprites);
    };
    EnginePath<Sprite> sprites = separate(1), sprites4 = separate(4);

    Path paths[] = {{"floor", [&] { raw.frame(); }, {}, {}, {}},
                    {"atlas", [&] { atlas.frame(); }, {}, {}, {}},
                    {"sprites", [&] { sprites.frame(); }, {}, {}, {}},
                    {"sprites4", [&] { sprites4.frame(); }, {}, {}, {}},
                    {"each", [&] { each.frame(); }, {}, {}, {}},
                    {"each4", [&] { each4.frame(); }, {}, {}, {}}};

    void (*const frames[])(Path&) = {frame<0>, frame<1>, frame<2>, frame<3>, frame<4>, frame<5>};
    static_assert(std::size(frames) == std::size(paths));
    for (auto _ : state) {
        for (size_t i = 0; i < std::size(paths); ++i)
            for (int f = 0; f < 3; ++f) // warm up (shaders, buffers), outside frame<i>
                warmUp(paths[i]);
        for (int round = 0; round < kRounds; ++round)
            for (size_t i = 0; i < std::size(paths); ++i) {
                Path& p = paths[i];
                const long allocations = allocationCount.load();
                const double wall = seconds(CLOCK_MONOTONIC),
                             cpu = seconds(CLOCK_PROCESS_CPUTIME_ID);
                for (int f = 0; f < kFramesPerRound; ++f)
                    frames[i](p);
                const double wallMs = (seconds(CLOCK_MONOTONIC) - wall) * 1000;
                const double cpuMs = (seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu) * 1000;
                const long allocated = allocationCount.load() - allocations;
                p.wall.push_back(wallMs / kFramesPerRound);
                p.cpu.push_back(cpuMs / kFramesPerRound);
                p.allocs.push_back(double(allocated) / kFramesPerRound);
            }
    }
    for (auto& p : paths) {
        state.counters[std::string(p.name) + "_ms"] = median(p.wall);
        state.counters[std::string(p.name) + "_cpu_ms"] = median(p.cpu);
        state.counters[std::string(p.name) + "_allocs"] = median(p.allocs);
    }
    // Ratios within each round (the same load on both sides), then the median.
    auto ratio = [&](const char* name, size_t a, size_t b) {
        std::vector<double> wall, cpu;
        for (size_t r = 0; r < paths[a].wall.size(); ++r) {
            wall.push_back(paths[a].wall[r] / paths[b].wall[r]);
            cpu.push_back(paths[a].cpu[r] / paths[b].cpu[r]);
        }
        state.counters[std::string(name) + "_x"] = median(wall);
        state.counters[std::string(name) + "_cpu_x"] = median(cpu);
    };
    ratio("atlas", 1, 0);
    ratio("sprites", 2, 1);
    ratio("sprites4", 3, 1);
    ratio("each", 2, 4);
    ratio("each4", 3, 5);
    state.SetLabel(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
}
BENCHMARK(BM_DrawPaths)
    ->ArgNames({"n", "px"})
    ->Args({1000, 8})
    ->Args({4000, 8})
    ->Args({16000, 8})
    ->Args({4000, 32})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

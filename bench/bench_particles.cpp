// Particle systems: step (update + upload) and draw, per particle per frame.
#include "platform/Random.h"
#include "render/ParticleSystem.h"

#include "bench/BenchWindow.h"

#include <benchmark/benchmark.h>

#include "bench/AllocationCounter.h"

namespace {

Ref<PointParticleSystem> busySystem(unsigned capacity) {
    auto s = PointParticleSystem::particleWithTotalParticles(capacity);
    s->setLife(1.0f);
    s->setLifeVar(0.3f);
    s->setEmissionRate(float(capacity) / 1.0f);
    s->setDuration(kParticleDurationInfinity);
    s->setSpeed(60);
    s->setSpeedVar(20);
    s->setAngleVar(360);
    s->setGravity(Point(0, -50));
    s->setStartSize(8);
    s->setEndSize(2);
    s->setStartColor({1, 0.5f, 0.2f, 1});
    s->setEndColor({0, 0, 0, 0});
    s->setPosition(Point(160, 240));
    return s;
}

void BM_Particles(benchmark::State& state) {
    if (!benchWindow()) {
        state.SkipWithError("no GL context");
        return;
    }
        platform::srandom(1);
    unsigned systems = unsigned(state.range(0)), each = unsigned(state.range(1));
    std::vector<Ref<PointParticleSystem>> list;
    for (unsigned i = 0; i < systems; ++i) list.push_back(busySystem(each));
    for (int warm = 0; warm < 120; ++warm)
        for (auto& s : list) s->step(1.0f / 60); // reach the steady state

    auto surface = platform::GLSurface::create(320, 480, platform::ColorFormat::RGBA8,
                                               platform::DepthFormat::None);
    surface->bind();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrthof(0, 320, 0, 480, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_BLEND);

    long live = 0;
    long allocationsBefore = allocationCount.load();
    for (auto _ : state) {
        for (auto& s : list) {
            s->step(1.0f / 60);
            s->draw();
            live += s->particleCount();
        }
        glFinish();
    }
    state.counters["allocs_per_frame"] =
        double(allocationCount.load() - allocationsBefore) / double(state.iterations());
    state.counters["ns_per_particle"] =
        benchmark::Counter(double(live), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    for (auto& s : list) s->cleanup();
}
BENCHMARK(BM_Particles)->Args({1, 10000})->Args({20, 500})->Unit(benchmark::kMicrosecond);

} // namespace

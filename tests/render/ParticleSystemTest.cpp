#include "engine/ActionManager.h"
#include "engine/Scheduler.h"
#include "platform/Random.h"
#include "render/ParticleExamples.h"
#include "tests/render/RenderTestSupport.h"

#include <array>
#include <cmath>

namespace {

class ParticleTest : public rendertest::GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        platform::srandom(7);
    }
    void TearDown() override {
        // A system's own step timer keeps it alive until it is cleaned up.
        for (auto& s : made_) s->cleanup();
        made_.clear();
        ActionManager::purgeSharedManager();
        Scheduler::purgeSharedScheduler();
    }

    // A plain emitter: long lives, no motion, the given rate.
    Ref<PointParticleSystem> emitter(unsigned capacity, float rate, float life = 100) {
        auto s = PointParticleSystem::particleWithTotalParticles(capacity);
        s->setLife(life);
        s->setStartSize(4);
        s->setEndSize(kParticleStartSizeEqualToEndSize);
        s->setEmissionRate(rate);
        s->setDuration(kParticleDurationInfinity);
        s->setStartColor({1, 1, 1, 1});
        s->setEndColor({1, 1, 1, 1});
        return track(s);
    }
    template <class T>
    Ref<T> track(Ref<T> s) {
        if (s) made_.push_back(s);
        return s;
    }
    std::vector<Ref<ParticleSystem>> made_;
    static void run(ParticleSystem* s, int frames, float dt = 1.0f / 60) {
        for (int i = 0; i < frames; ++i) s->step(dt);
    }
};

} // namespace

TEST_F(ParticleTest, EmissionKeepsItsLongRunRate) {
    auto s = emitter(1000, 100);
    run(s.get(), 60);
    // About one or two a frame; the carried counter keeps the total exact.
    EXPECT_NEAR(int(s->particleCount()), 100, 1);
    run(s.get(), 120);
    EXPECT_NEAR(int(s->particleCount()), 300, 1);
    EXPECT_NEAR(s->elapsed(), 3.0f, 1e-3);
    EXPECT_EQ(s->particleIdx(), s->particleCount());
}

TEST_F(ParticleTest, ARateOfZeroEmitsNothingAndNeverEnds) {
    auto s = emitter(100, 0);
    s->setDuration(0.5f);
    run(s.get(), 120);
    EXPECT_EQ(s->particleCount(), 0u);
    EXPECT_EQ(s->elapsed(), 0);
    EXPECT_TRUE(s->active());
}

TEST_F(ParticleTest, AFullSystemBurstsWhenRoomFrees) {
    auto s = emitter(10, 100, 0.5f);
    run(s.get(), 10);
    EXPECT_TRUE(s->isFull());
    float counter = s->emitCounter();
    run(s.get(), 15); // still full: the counter keeps growing
    EXPECT_GT(s->emitCounter(), counter + 0.2f);
    // Make room all at once: the carried counter refills it in one step.
    s->resetSystem();
    run(s.get(), 1);
    EXPECT_EQ(s->particleCount(), 0u);
    counter = s->emitCounter();
    run(s.get(), 1);
    EXPECT_TRUE(s->isFull());
    EXPECT_NEAR(s->emitCounter(), counter + 1.0f / 60 - 10 * 0.01f, 1e-4);
}

TEST_F(ParticleTest, FreeParticlesStayBehindGroupedOnesFollow) {
    for (int type : {kPositionTypeFree, kPositionTypeGrouped}) {
        auto s = emitter(10, 1000);
        s->setPositionType(type);
        s->setPosition(Point(50, 50));
        run(s.get(), 1);
        s->setTotalParticles(s->particleCount()); // no more births
        s->setPosition(Point(150, 50));
        run(s.get(), 1);
        ASSERT_GT(s->particleIdx(), 0u);
        float x = s->vertices()[0].x;
        if (type == kPositionTypeFree)
            EXPECT_FLOAT_EQ(x, -100); // drawn where it was born, relative to the node
        else
            EXPECT_FLOAT_EQ(x, 0);
    }
}

TEST_F(ParticleTest, SizesColoursAndMotionFollowTheirDeltas) {
    auto s = emitter(1, 1000, 2);
    s->setSpeed(10);
    s->setAngle(90);
    s->setStartColor({1, 0, 0, 1});
    s->setEndColor({0, 0, 1, 1});
    s->setStartSize(8);
    run(s.get(), 1, 0.01f);
    const Particle& p = s->particles()[0];
    float life = p.life;
    run(s.get(), 1, 0.5f);
    EXPECT_FLOAT_EQ(p.size, 8); // endSize -1 keeps the birth size
    // Born and moved in the first step: red fades to 0 over the whole life.
    EXPECT_NEAR(p.color.r, 1 - 0.51f / (life + 0.01f), 1e-4);
    EXPECT_NEAR(p.pos.y, 5.1f, 1e-3);
    EXPECT_NEAR(p.pos.x, 0, 1e-3);

    s->setEndSize(0);
    s->resetSystem();
    run(s.get(), 1, 0.01f); // the old particle dies, a new one is born
    run(s.get(), 1, 1.0f);
    EXPECT_NEAR(s->particles()[0].size, 4, 0.1f);
}

TEST_F(ParticleTest, ZeroLifeParticlesAreNeverDrawn) {
    auto s = emitter(50, 1000, 0);
    // Born with life 0 (and infinite deltas), dead in the same step.
    run(s.get(), 3);
    EXPECT_EQ(s->particleCount(), 0u);
    EXPECT_EQ(s->particleIdx(), 0u) << "no vertex written from a dead particle";
}

TEST_F(ParticleTest, AFinishedSystemRemovesItselfAndIsReleased) {
    struct Counted : Node {
        int* deaths;
        explicit Counted(int* d) : deaths(d) {}
    };
    auto parent = Node::node();
    int before = 0;
    {
        auto s = emitter(20, 200, 0.2f);
        s->setDuration(0.1f);
        s->setAutoRemoveOnFinish(true);
        parent->addChild(s.get());
    }
    parent->onEnter();
    Scheduler& scheduler = Scheduler::sharedScheduler();
    for (int i = 0; i < 60 && !parent->children().empty(); ++i) scheduler.tick(1.0f / 60);
    EXPECT_TRUE(parent->children().empty());
    parent->onExit();
    (void)before;
    // LSan checks that nothing keeps the system alive.
}

TEST_F(ParticleTest, CapacityLimitsAndMisuse) {
    auto s = emitter(100, 10);
    s->setTotalParticles(1300); // more than was made: held to the capacity
    EXPECT_EQ(s->totalParticles(), 100u);
    EXPECT_CC_ASSERT(s->setStartSize(65), "PointParticleSystem doesn't support size > 64");
    EXPECT_CC_ASSERT(s->setStartSpin(1), "PointParticleSystem doesn't support spinning");
    EXPECT_CC_ASSERT(s->setEndSpinVar(1), "PointParticleSystem doesn't support spinning");
    EXPECT_CC_ERROR(ParticleSystem::node(), "Particle.init",
                    "Particle.init shall not be called. Use initWithTotalParticles instead.");
    test::LogCapture log;
    EXPECT_FALSE(QuadParticleSystem::particleWithTotalParticles(20000));
    EXPECT_FALSE(PointParticleSystem::particleWithTotalParticles(4000000000u));
    EXPECT_EQ(log.lines(), (std::vector<std::string>(2, "Particle system: not enough memory")));
}

namespace {
// As when the vertices cannot be had once the records are.
struct NoVertices : PointParticleSystem {
    static inline int deaths = 0;
    ~NoVertices() override { ++deaths; }
    bool initWithTotalParticles(unsigned capacity) override {
        ParticleSystem::initWithTotalParticles(capacity); // schedules the step
        return false;
    }
    static Ref<NoVertices> make() { return create<NoVertices>(10); }
};
} // namespace

TEST_F(ParticleTest, ASystemFailingAfterItsStepWasScheduledIsReleased) {
    EXPECT_FALSE(NoVertices::make());
    EXPECT_EQ(NoVertices::deaths, 1);
}

TEST_F(ParticleTest, PresetsCarryTheirTables) {
    auto rain = track(ParticleRain::node());
    EXPECT_EQ(rain->totalParticles(), 1000u);
    EXPECT_EQ(rain->emissionRate(), 23);
    EXPECT_EQ(rain->position(), Point(160, 480));
    auto sparkles = track(ParticleSparkles::node());
    EXPECT_EQ(sparkles->positionType(), kPositionTypeGrouped);
    EXPECT_FLOAT_EQ(sparkles->emissionRate(), 1000 / 0.55f);
    auto sun = track(ParticleSun::node());
    EXPECT_EQ(sun->totalParticles(), 300u);
    EXPECT_TRUE(sun->blendAdditive());
    auto explosion = track(ParticleExplosion::node());
    EXPECT_FLOAT_EQ(explosion->emissionRate(), 7000);
    EXPECT_EQ(track(ParticleSmoke::node())->totalParticles(), 100u);
}

TEST_F(ParticleTest, QuadCornersTurnWithTheParticle) {
    auto s = track(QuadParticleSystem::particleWithTotalParticles(1));
    s->setLife(10);
    s->setEmissionRate(1000);
    s->setStartSize(10);
    s->setEndSize(kParticleStartSizeEqualToEndSize);
    s->setStartSpin(90);
    s->setEndSpin(90);
    run(s.get(), 1);
    const ccV2F_C4F_T2F_Quad& q = s->quads()[0];
    // Turned a quarter clockwise: bottom-left goes to the top-left.
    EXPECT_NEAR(q.bl.x, -5, 1e-4);
    EXPECT_NEAR(q.bl.y, 5, 1e-4);
    EXPECT_NEAR(q.tr.x, 5, 1e-4);
    EXPECT_NEAR(q.tr.y, -5, 1e-4);
}

TEST_F(ParticleTest, SunAndSmokeDrawWarmAndGreyPuffs) {
    // A soft round glow, premultiplied.
    const unsigned n = 32;
    std::vector<uint8_t> glow(n * n * 4);
    for (unsigned y = 0; y < n; ++y)
        for (unsigned x = 0; x < n; ++x) {
            float dx = (x + 0.5f) / n * 2 - 1, dy = (y + 0.5f) / n * 2 - 1;
            float a = std::max(0.0f, 1 - std::sqrt(dx * dx + dy * dy));
            uint8_t v = uint8_t(a * 255);
            for (int c = 0; c < 4; ++c) glow[(y * n + x) * 4 + c] = v;
        }
    auto texture = Texture2D::textureWithData(glow.data(), PixelFormat::RGBA8888, n, n,
                                              Size(float(n), float(n)));
    ASSERT_TRUE(texture);

    auto sun = track(ParticleSun::node());
    sun->setTexture(texture.get());
    sun->setPosition(Point(80, 240));
    auto smoke = track(ParticleSmoke::node());
    smoke->setTexture(texture.get());
    smoke->setPosition(Point(240, 200));
    run(sun.get(), 30);
    run(smoke.get(), 30);

    const uint8_t black[4] = {0, 0, 0, 255};
    auto surface = surface2D(320, 480, black);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    sun->visit();
    smoke->visit();
    endDrawing();
    auto px = rendertest::Pixels::of(*surface);
    // Mean colour of a box around a point.
    auto mean = [&](int cx, int cy, int half) {
        double sum[3] = {0, 0, 0};
        int n = 0;
        for (int y = cy - half; y <= cy + half; ++y)
            for (int x = cx - half; x <= cx + half; ++x, ++n)
                for (int c = 0; c < 3; ++c) sum[c] += px.at(x, y)[c];
        return std::array<double, 3>{sum[0] / n, sum[1] / n, sum[2] / n};
    };
    auto sunColour = mean(80, 240, 30);
    EXPECT_GT(sunColour[0], 60) << "the sun glows";
    EXPECT_GT(sunColour[0], sunColour[2] + 20) << "and is warm";
    auto smokeColour = mean(240, 215, 20);
    EXPECT_GT(smokeColour[0], 10) << "smoke rises";
    EXPECT_NEAR(smokeColour[0], smokeColour[2], 8) << "and is grey";
    const uint8_t* corner = px.at(5, 5);
    EXPECT_EQ(corner[0] + corner[1] + corner[2], 0);
}

// What Missions Two and Three change: the clock, enemies that fire back,
// and Mission Three's asteroids.
#include "tests/game/missions/MissionTestSupport.h"

using namespace missiontest;

namespace {

class MissionTwoThreeTest : public MissionTest {
protected:
    template <class M>
    M* play() {
        M* m = launch<M>();
        EXPECT_NE(m, nullptr);
        if (m) answer(0);
        return m;
    }
    static Ref<AtlasSprite> asteroid(MissionThree* m, Point at, int tag) {
        Ref<AtlasSprite> a = sprite(m, "asteroid.png", at);
        a->setTag(tag);
        a->setScale(MissionThree::kAsteroidScale);
        m->asteroids.push_back(a);
        return a;
    }
    // Seeds random() so that its next value makes an enemy fire.
    static void seedToFire() {
        for (unsigned seed = 1;; ++seed) {
            platform::srandom(seed);
            if (platform::random() % MissionTwo::kFireOdds < MissionTwo::kFireChances) {
                platform::srandom(seed);
                return;
            }
        }
    }
};

} // namespace

TEST_F(MissionTwoThreeTest, TheClockCountsDownFromSixtyAndTheFrameAfterMinusOneWins) {
    MissionTwo* m = play<MissionTwo>();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->shipsKilled->string(), "Seconds Left: 60");
    runFor(1.05);
    EXPECT_EQ(m->shipsKilled->string(), "Seconds Left: 59");
    m->shipsShot = 0;
    m->tickSter(0.01f);
    m->adlk(1);
    EXPECT_EQ(m->shipsKilled->string(), "Seconds Left: -1");
    EXPECT_EQ(alert(), nullptr);
    m->tickSter(0.01f);
    ASSERT_NE(alert(), nullptr);
    EXPECT_EQ(alert()->tag(), Mission::kWonTag);
    EXPECT_EQ(alert()->message(), "You have beaten Mission 2! You have now unclocked Mission 3!");
    EXPECT_FALSE(m->isScheduled("adlk"));
    EXPECT_FALSE(m->isScheduled("tickSter"));
}

TEST_F(MissionTwoThreeTest, AnEnemyBulletFiredOntoTheShipEndsThatFrame) {
    struct Case {
        bool three;
        float muzzle;
    } cases[] = {{false, 22}, {true, 28}};
    for (const Case& c : cases) {
        MissionTwo* m = c.three ? play<MissionThree>() : play<MissionTwo>();
        ASSERT_NE(m, nullptr);
        Point ship = m->firstDude->position();
        // Clear of the ship itself; its bullet comes out 25 above the ship.
        Point at(ship.x, ship.y + 25 + c.muzzle);
        enemy(m, at);
        seedToFire();
        m->tickSter(0.001f);
        ASSERT_EQ(m->badBuls.size(), 1u) << c.muzzle;
        EXPECT_EQ(m->badBuls[0]->position(), Point(at.x, at.y - c.muzzle));
        ASSERT_NE(alert(), nullptr) << c.muzzle;
        EXPECT_EQ(alert()->tag(), Mission::kLostTag) << c.muzzle;
        TearDown();
        SetUp();
    }
}

TEST_F(MissionTwoThreeTest, EnemyBulletsFallAndLeaveBelowTheBottom) {
    MissionTwo* m = play<MissionTwo>();
    ASSERT_NE(m, nullptr);
    platform::srandom(1);
    m->newed = 100;
    for (float y : {-3.5f, -3.f}) {
        Ref<AtlasSprite> b = sprite(m, "bullet.png", Point(40, y));
        m->badBuls.push_back(b);
    }
    m->tickSter(0.1f);
    ASSERT_EQ(m->badBuls.size(), 1u);
    EXPECT_EQ(m->badBuls[0]->position(), Point(40, -23));
}

TEST_F(MissionTwoThreeTest, AnAsteroidComesOnlyWithAnEnemyHalfTheTime) {
    MissionThree* m = play<MissionThree>();
    ASSERT_NE(m, nullptr);
    int spawns = 40, withAsteroid = 0;
    for (int i = 0; i < spawns; ++i) {
        m->tickSter(0.001f); // no spawn due
        EXPECT_TRUE(m->baddies.empty() && m->asteroids.empty());
        m->timeSinceLastDrop = m->newed;
        m->tickSter(0.001f);
        ASSERT_EQ(m->baddies.size(), 1u);
        ASSERT_LE(m->asteroids.size(), 1u);
        if (!m->asteroids.empty()) {
            ++withAsteroid;
            int tag = m->asteroids[0]->tag();
            EXPECT_TRUE(tag >= 1 && tag <= 50) << tag;
            EXPECT_NEAR(m->asteroids[0]->position().y, 510, 0.2);
        }
        SpriteList all = m->baddies;
        all.insert(all.end(), m->asteroids.begin(), m->asteroids.end());
        all.insert(all.end(), m->badBuls.begin(), m->badBuls.end());
        for (auto& s : all)
            m->atlas->removeChild(s.get(), true);
        m->baddies.clear();
        m->asteroids.clear();
        m->badBuls.clear();
    }
    EXPECT_GT(withAsteroid, 10);
    EXPECT_LT(withAsteroid, 30);
}

TEST_F(MissionTwoThreeTest, AsteroidsTurnFallAndDriftWrappingAtTheEdges) {
    MissionThree* m = play<MissionThree>();
    ASSERT_NE(m, nullptr);
    m->newed = 100;
    struct Case {
        int tag;
        Point from;
        Point to; // after 0.1 s
    } cases[] = {
        {30, Point(-30, 300), Point(360, 287)},    // left out: back in from the right
        {25, Point(100, 300), Point(91.6f, 287)},  // left at 84 points per second
        {24, Point(355, 300), Point(-30, 287)},    // right out: in from the left
        {24, Point(100, 300), Point(108.2f, 287)}, // right at 82
        {1, Point(100, -14), Point(100, -14)},     // right-drifting: stops at the bottom
        {50, Point(100, -14), Point(89.1f, -27)},  // left-drifting: falls on
    };
    std::vector<Ref<AtlasSprite>> rocks;
    for (const Case& c : cases)
        rocks.push_back(asteroid(m, c.from, c.tag));
    m->tickSter(0.1f);
    for (size_t i = 0; i < rocks.size(); ++i) {
        EXPECT_NEAR(rocks[i]->position().x, cases[i].to.x, 1e-3) << i;
        EXPECT_NEAR(rocks[i]->position().y, cases[i].to.y, 1e-3) << i;
        EXPECT_FLOAT_EQ(rocks[i]->rotation(), 1.8f) << i;
    }
    EXPECT_EQ(m->asteroids.size(), rocks.size()); // none leaves by falling
}

TEST_F(MissionTwoThreeTest, OneBulletTakesAnEnemyAndAnAsteroidInOneFrame) {
    MissionThree* m = play<MissionThree>();
    ASSERT_NE(m, nullptr);
    m->newed = 100;
    platform::srandom(1);
    enemy(m, Point(100, 300));
    asteroid(m, Point(100, 300), 10);
    Ref<AtlasSprite> far = asteroid(m, Point(250, 400), 10);
    m->shoot(0); // a bullet of the ship's...
    ASSERT_EQ(m->allEvery.size(), 1u);
    EXPECT_EQ(m->allEvery[0]->tag(), MissionThree::kPlayerBulletTag);
    m->allEvery[0]->setPosition(Point(100, 300)); // ...where both are
    size_t children = m->children().size();
    m->tickSter(0.001f);
    EXPECT_TRUE(m->baddies.empty());
    EXPECT_TRUE(m->allEvery.empty());
    ASSERT_EQ(m->asteroids.size(), 1u);
    EXPECT_EQ(m->asteroids[0], far);
    EXPECT_EQ(m->children().size(), children + 4); // two explosions, sun and puff
}

TEST_F(MissionTwoThreeTest, AnAsteroidOnTheShipEndsTheMission) {
    MissionThree* m = play<MissionThree>();
    ASSERT_NE(m, nullptr);
    m->newed = 100;
    platform::srandom(1);
    Point ship = m->firstDude->position();
    asteroid(m, Point(ship.x + 30, ship.y), 10);
    m->tickSter(0.001f);
    ASSERT_NE(alert(), nullptr);
    EXPECT_EQ(alert()->tag(), Mission::kLostTag);
    runFor(0.15);
    EXPECT_EQ(m->asteroids.size(), 1u); // the asteroids stay under the alert
}

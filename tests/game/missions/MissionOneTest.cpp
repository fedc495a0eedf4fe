// Mission One, and with it the pattern every mission shares: the frame's
// tests and their order, the endings and their clean-up, the controls.
#include "engine/TouchDispatcher.h"
#include "render/Sprite.h"
#include "tests/game/missions/MissionTestSupport.h"

using namespace missiontest;

namespace {

class MissionOneTest : public MissionTest {
protected:
    MissionOne* start() {
        MissionOne* m = launch<MissionOne>();
        EXPECT_NE(m, nullptr);
        return m;
    }
};

} // namespace

TEST_F(MissionOneTest, AnEnemyBelowTheBottomAtTheFrameStartLeavesAndCannotHit) {
    struct Case {
        float y;
        bool hits;
    } cases[] = {{-15.5f, false}, {-15, true}};
    for (const Case& c : cases) {
        MissionOne* m = start();
        ASSERT_NE(m, nullptr);
        answer(0);
        m->firstDude->setPosition(Point(160, -10)); // where only a leaving enemy can be
        enemy(m, Point(160, c.y));
        m->tickSter(0.01f);
        EXPECT_EQ(m->baddies.empty(), !c.hits) << c.y;
        ASSERT_EQ(alert() != nullptr && alert()->tag() == Mission::kLostTag, c.hits) << c.y;
        TearDown();
        SetUp();
    }
}

TEST_F(MissionOneTest, TheFifteenthKillWinsInThatFrame) {
    MissionOne* m = start();
    ASSERT_NE(m, nullptr);
    answer(0); // "Okay!"
    m->shipsShot = 14;
    for (float x : {60.f, 260.f}) { // two kills in reach; the first ends the frame
        enemy(m, Point(x, 300));
        bullet(m, Point(x, 300));
    }
    m->tickSter(0.001f);
    EXPECT_EQ(m->shipsShot, 15);
    EXPECT_EQ(m->shipsKilled->string(), "Ships Destroyed: 15");
    ASSERT_NE(alert(), nullptr);
    EXPECT_EQ(alert()->tag(), Mission::kWonTag);
    EXPECT_EQ(alert()->title(), "You Win!");
    EXPECT_EQ(alert()->message(), "You have beaten Mission 1! You have now unclocked Mission 2!");
    EXPECT_EQ(alert()->buttonTitleAtIndex(0), "Pick A New Mission");
    EXPECT_FALSE(m->isScheduled("tickSter"));
}

TEST_F(MissionOneTest, AnEnemyOnTheShipWinsOverABulletAndTheFieldClearsATenthLater) {
    MissionOne* m = start();
    ASSERT_NE(m, nullptr);
    answer(0);
    enemy(m, Point(60, 400));
    Point ship = m->firstDude->position();
    enemy(m, Point(ship.x, ship.y + 30));
    bullet(m, Point(ship.x, ship.y + 30));
    m->tickSter(0.001f);
    EXPECT_EQ(m->shipsShot, 0);
    ASSERT_NE(alert(), nullptr);
    EXPECT_EQ(alert()->tag(), Mission::kLostTag);
    EXPECT_EQ(alert()->title(), "You Got Destoyed!");
    EXPECT_EQ(alert()->message(), "You have been destroyed.");
    // Input stops at once; the field clears 0.1 s later.
    EXPECT_EQ(platform::Accelerometer::sharedAccelerometer().delegate(), nullptr);
    for (const auto& h : TouchDispatcher::sharedDispatcher().handlers())
        EXPECT_NE(h->delegateIdentity(), TouchDispatcher::identityOf(m));
    runFor(0.05);
    EXPECT_EQ(m->baddies.size(), 2u);
    runFor(0.06);
    EXPECT_TRUE(m->baddies.empty() && m->allEvery.empty());
    EXPECT_EQ(m->atlas->children().size(), 1u); // the ship alone
    EXPECT_FALSE(saved::exists(saved::kMissions));
    answer(0);
    runFor(0.6);
    EXPECT_NE(screen<Missions>(), nullptr);
}

// Winning writes the unlock state (never lower than before) and announces
// a mission it opened, once.
struct Win {
    int mission;
    const char* stored; // before; null: no file
    const char* after;  // null: no file
    const char* banner; // null: none
};

class MissionWinTest : public MissionTest, public ::testing::WithParamInterface<Win> {};

TEST_P(MissionWinTest, WinningOpensTheNextMissionAndNeverClosesOne) {
    const Win& w = GetParam();
    if (w.stored) saved::write(saved::kMissions, {{"key", w.stored}});
    std::string before = w.stored ? test::readText(docs_.file(saved::kMissions)) : "";
    Mission* m = w.mission == 1   ? static_cast<Mission*>(launch<MissionOne>())
                 : w.mission == 2 ? launch<MissionTwo>()
                                  : launch<MissionThree>();
    ASSERT_NE(m, nullptr);
    answer(0);
    m->shipsShot = w.mission == 1 ? 14 : -1;
    enemy(m, Point(100, 300));
    bullet(m, Point(100, 300));
    runFor(1.0 / 60);
    ASSERT_NE(alert(), nullptr);
    EXPECT_EQ(alert()->tag(), Mission::kWonTag);
    runFor(0.15); // the clean-up
    answer(0);    // the clean-up again
    EXPECT_EQ(saved::exists(saved::kMissions), w.after != nullptr);
    if (w.after) {
        EXPECT_EQ(saved::value(saved::kMissions), w.after);
    }
    if (w.stored && w.after && std::string(w.stored) == w.after) { // left as it was
        EXPECT_EQ(test::readText(docs_.file(saved::kMissions)), before);
    }
    EXPECT_EQ(bannerText(), w.banner ? w.banner : "");
    EXPECT_TRUE(QNNotificationManager::sharedMgr().notificationQueue().empty());
    runFor(0.6);
    Missions* next = screen<Missions>();
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->isThree, std::string(w.after ? w.after : "") == "3");
}

INSTANTIATE_TEST_SUITE_P(
    Missions, MissionWinTest,
    ::testing::Values(Win{1, nullptr, "2", "Mission Two unlocked!"}, Win{1, "2", "2", nullptr},
                      Win{1, "3", "3", nullptr}, // winning One again keeps Three open
                      Win{2, "2", "3", "Mission Three unlocked!"}, Win{3, "3", "3", nullptr},
                      Win{3, nullptr, nullptr, nullptr}),
    [](const auto& info) {
        const Win& w = info.param;
        return "Mission" + std::to_string(w.mission) + "From" + (w.stored ? w.stored : "None");
    });

TEST_F(MissionOneTest, LeavingBeforeTheEndNeverWritesTheUnlockState) {
    for (bool duringPlay : {false, true}) {
        MissionOne* m = start();
        ASSERT_NE(m, nullptr);
        if (duringPlay) {
            answer(0);
            runFor(0.5);
            m->shipsShot = 14;
            m->didPressButton();
            // Play stops with the press: what happens during the fade out
            // ends nothing and shows no alert over the next screen.
            Point ship = m->firstDude->position();
            enemy(m, Point(ship.x, ship.y + 30));
            bullet(m, Point(ship.x, ship.y + 30));
        } else {
            answer(1); // "Back"
        }
        runFor(0.6);
        EXPECT_NE(screen<Missions>(), nullptr) << duringPlay;
        EXPECT_EQ(alert(), nullptr) << duringPlay;
        runFor(0.5);
        EXPECT_FALSE(saved::exists(saved::kMissions)) << duringPlay;
        TearDown();
        SetUp();
    }
}

TEST_F(MissionOneTest, ATouchFiresAtOnceThenEveryThirdOfASecondFromAlternateGuns) {
    MissionOne* m = start();
    ASSERT_NE(m, nullptr);
    answer(0);
    m->firstDude->setPosition(Point(160, 100));
    m->newed = 100; // no enemies
    touchDown(1, Point(160, 240));
    ASSERT_EQ(m->allEvery.size(), 1u);
    EXPECT_EQ(m->allEvery[0]->position().x, 148); // the left gun first
    runFor(0.36);
    ASSERT_EQ(m->allEvery.size(), 2u);
    EXPECT_EQ(m->allEvery[1]->position().x, 172);
    touchUp(1, Point(160, 240));
    runFor(0.7);
    EXPECT_EQ(m->allEvery.size(), 0u); // flown off the top, none fired since
    // The next Mission One goes on from the gun the last one would fire.
    m->didPressButton();
    runFor(0.6);
    screen<Missions>()->settingsSelector(nullptr);
    runFor(0.6);
    MissionOne* next = screen<MissionOne>();
    ASSERT_NE(next, nullptr);
    answer(0);
    touchDown(2, Point(160, 240));
    ASSERT_EQ(next->allEvery.size(), 1u);
    EXPECT_EQ(next->allEvery[0]->position().x, next->firstDude->position().x - 12);
    touchUp(2, Point(160, 240));
}

TEST_F(MissionOneTest, TheJoystickFiresOnlyAfterAThirdOfASecondAndASecondFingerReleasesIt) {
    saved::writeControlSegment(2); // joystick
    MissionOne* m = start();
    ASSERT_NE(m, nullptr);
    ASSERT_TRUE(m->isJoyStick);
    answer(0);
    m->newed = 100;
    touchDown(1, Point(260, 60));
    EXPECT_TRUE(m->hasTouch);
    EXPECT_TRUE(m->allEvery.empty()); // no shot at once
    runFor(0.2);
    EXPECT_TRUE(m->allEvery.empty());
    runFor(0.2);
    EXPECT_EQ(m->allEvery.size(), 1u);

    // Pushed right to the rim and beyond: the knob stops 65 out, the ship
    // moves at 65 * 3.1 points per second.
    touchMove(1, Point(400, 60));
    EXPECT_EQ(m->normalizedJoystick, Point(1, 0));
    EXPECT_EQ(m->cap->position(), Point(325, 60));
    float x = m->firstDude->position().x;
    m->tickSter(0.1f);
    EXPECT_NEAR(m->firstDude->position().x, x + 65 * 3.1f * 0.1f, 1e-3);

    size_t fired = m->allEvery.size();
    touchDown(2, Point(60, 300)); // claimed and ignored
    EXPECT_EQ(m->allEvery.size(), fired);
    touchUp(2, Point(60, 300)); // ...but its end stops the fire and recentres
    EXPECT_FALSE(m->hasTouch);
    EXPECT_EQ(m->cap->position(), m->center);
    EXPECT_EQ(m->normalizedJoystick, Point(0, 0));
    EXPECT_FALSE(m->isScheduled("shoot"));
    touchUp(1, Point(400, 60));
}

TEST_F(MissionOneTest, TiltMovesTheShipWithEachMissionsGainsFromItsOwnMoment) {
    struct Case {
        int mission;
        bool invert;
        bool duringWelcome; // tilt already steers while the welcome is up
        double interval;
        float gainY;
    } cases[] = {
        {1, false, true, 1.0 / 55, 15},  {1, true, true, 1.0 / 55, 15},
        {2, false, false, 1.0 / 55, 16}, {2, true, false, 1.0 / 55, 16},
        {3, false, false, 0.02, 16},
    };
    for (const Case& c : cases) {
        saved::setFlag(saved::kInvert, c.invert);
        Mission* m = c.mission == 1   ? static_cast<Mission*>(launch<MissionOne>())
                     : c.mission == 2 ? launch<MissionTwo>()
                                      : launch<MissionThree>();
        ASSERT_NE(m, nullptr);
        auto& accelerometer = platform::Accelerometer::sharedAccelerometer();
        EXPECT_EQ(accelerometer.delegate() == m, c.duringWelcome) << c.mission;
        answer(0);
        ASSERT_EQ(accelerometer.delegate(), m) << c.mission;
        EXPECT_DOUBLE_EQ(accelerometer.updateInterval(), c.interval) << c.mission;

        m->firstDude->setPosition(Point(160, 100));
        m->accelerometer(&accelerometer, platform::Acceleration{0.5, 0.25, -1, 0});
        float y = c.invert ? 100 - c.gainY * 0.25f : 100 + c.gainY * 0.65f;
        EXPECT_NEAR(m->firstDude->position().x, 173, 1e-4) << c.mission;
        EXPECT_NEAR(m->firstDude->position().y, y, 1e-4) << c.mission;
        EXPECT_NEAR(m->rocketMain->position().y, y - 20, 1e-4) << c.mission;
        // Held inside the playing area.
        m->accelerometer(&accelerometer, platform::Acceleration{-20, 30, -1, 0});
        EXPECT_EQ(m->firstDude->position(), Point(10, c.invert ? 30 : 320)) << c.mission;
        TearDown();
        SetUp();
    }
}

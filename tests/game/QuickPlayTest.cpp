// Quick Play: setup from the saved files, the three control schemes, the
// frame, power-ups, losing lives, leaving.
#include "audio/SimpleAudioEngine.h"
#include "render/AtlasSpriteManager.h"
#include "render/BitmapFontAtlas.h"
#include "render/Label.h"
#include "render/ParticleSystem.h"
#include "platform/Keyboard.h"
#include "render/Sprite.h"
#include "tests/game/QuickPlayTestSupport.h"

#include <climits>
#include <cmath>
#include <map>
#include <set>

namespace {

using test::QuickPlayTest;
// File name -> its "key" value, or the raw file when that starts with '<' or
// a NUL.
using Files = std::map<std::string, std::string>;

void writeFiles(const std::string& dir, const Files& files) {
    for (const auto& [name, value] : files) {
        if (!value.empty() && (value[0] == '<' || value[0] == '\0'))
            test::writeText(dir + "/" + name, value);
        else
            saved::write(name, {{"key", value}});
    }
}

std::string textOf(Node* node) {
    if (auto* label = dynamic_cast<Label*>(node)) return label->string();
    for (auto& child : node->children())
        if (std::string text = textOf(child.get()); !text.empty()) return text;
    return {};
}

// Every banner message queued or on screen.
std::vector<std::string> banners() {
    auto& manager = QNNotificationManager::sharedMgr();
    std::vector<std::string> out;
    if (manager.notificationNode()) out.push_back(textOf(manager.notificationNode()));
    for (auto& n : manager.notificationQueue()) out.push_back(textOf(n.get()));
    return out;
}

} // namespace

TEST_F(QuickPlayTest, SavedFilesChooseDifficultyControlsAndStartingNumbers) {
    const std::string hostilePlist =
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>key</key>"
        "<array><integer>5</integer></array></dict></plist>";
    struct Case {
        const char* what;
        Files files;
        int level;
        int speedMax;
        double newed;
        bool joystick, drag, tilt, invert;
        int lastScore, killed;
    } cases[] = {
        {"no files: Hard, tilt, silent", {}, 2, 145, 1.2, false, false, true, false, 0, 0},
        {"Easy, joystick, inverted, stored numbers",
         {{"easy", "r"}, {"ControlScheme", "t"}, {"invert", "ok"}, {"killScore", "12"}},
         0, 130, 2.0, true, false, false, true, 0, 12},
        {"Medium, drag: 20 faster", {{"easy", "d"}, {"ControlScheme", "d"}},
         1, 155, 1.7, false, true, false, false, 0, 0},
        {"damaged files read as empty values",
         {{"easy", std::string("\0\xff garbage", 10)}, {"ControlScheme", hostilePlist},
          {"killScore", "<plist><dict><key>key</key><integer>"}},
         1, 155, 1.7, false, true, false, false, 0, 0},
        {"huge numbers saturate", {{"killScore", "99999999999999999999"}},
         2, 145, 1.2, false, false, true, false, 0, INT_MAX},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (auto& entry : std::filesystem::directory_iterator(docs.path()))
            std::filesystem::remove(entry.path());
        writeFiles(docs.path().string(), c.files);
        GameScene* s = start();
        EXPECT_EQ(s->level(), c.level);
        EXPECT_EQ(s->speedMax(), c.speedMax);
        EXPECT_EQ(s->newed(), c.newed);
        EXPECT_EQ(isJoyStick, c.joystick);
        EXPECT_EQ(s->cap() != nullptr, c.joystick);
        EXPECT_EQ(isTouch, c.drag);
        EXPECT_EQ(offset, c.drag ? 20 : 0);
        EXPECT_EQ(platform::Accelerometer::sharedAccelerometer().delegate() == s, c.tilt);
        EXPECT_EQ(s->invert(), c.invert);
        EXPECT_FALSE(s->canSound());
        EXPECT_EQ(s->lastScore(), c.lastScore);
        EXPECT_EQ(s->amountKilled(), c.killed);
        EXPECT_EQ(s->lives(), 3);
        EXPECT_TRUE(s->isScheduled("updateBullets"));
        leave();
        scene->cleanup();
        scene = nullptr;
    }
    EXPECT_DOUBLE_EQ(platform::Accelerometer::sharedAccelerometer().updateInterval(), 0.02);
}

TEST_F(QuickPlayTest, ScoresAndKillsSaturateAndAreSavedThatWay) {
    saved::write(saved::kKillScore, {{"key", "2147483647"}});
    GameScene* s = start();
    s->addAsteroid(10, Point(160, 300));
    touchDown(1, Point(160, 400)); // fires at x 172
    touchUp(1, Point(160, 400));
    s->setScoreInt(INT_MAX - 5);
    // Any asteroid hit: move the bullet onto it.
    s->bullets().front()->setPosition(Point(160, 300 - 0.1f * 1111));
    s->updateBullets(0.1f);
    EXPECT_EQ(s->scoreInt(), INT_MAX);
    EXPECT_EQ(s->amountKilled(), INT_MAX);
    leave();
    EXPECT_EQ(saved::value(saved::kScoreData, "hard"), "2147483647");
    EXPECT_EQ(saved::value(saved::kKillScore), "2147483647");
}

TEST_F(QuickPlayTest, TiltMovesTheShipWithTheUprightBiasUnlessInverted) {
    struct Case {
        bool inverted;
        double ax, ay;
        Point to;
    } cases[] = {
        {false, 0, 0, Point(160, 126.4f)},   // flat still drifts up 6.4
        {true, 0, 0, Point(160, 120)},       // no drift inverted
        {false, 0.5, -0.4, Point(173, 120)},
        {true, 0, 0.5, Point(160, 112)},
        {false, -10, 30, Point(10, 320)},    // held inside the field
    };
    for (const Case& c : cases) {
        saved::setFlag(saved::kInvert, c.inverted);
        GameScene* s = start();
        platform::Acceleration a;
        a.x = c.ax;
        a.y = c.ay;
        s->accelerometer(nullptr, a);
        EXPECT_NEAR(shipAt().x, c.to.x, 1e-4) << c.ax << "," << c.ay;
        EXPECT_NEAR(shipAt().y, c.to.y, 1e-4) << c.ax << "," << c.ay;
        EXPECT_EQ(s->rocketMain()->position(), Point(shipAt().x, shipAt().y - 20));
        hasDied = true; // ignored while the ship is away
        s->accelerometer(nullptr, a);
        EXPECT_NEAR(shipAt().y, c.to.y, 1e-4);
        hasDied = false;
        leave();
        scene->cleanup();
        scene = nullptr;
    }
}

TEST_F(QuickPlayTest, JoystickDeadZoneCapSpeedAndFingers) {
    saved::writeControlSegment(2);
    GameScene* s = start();
    const Point centre(260, 100);

    // A first finger away from the base does nothing at all.
    touchDown(1, Point(100, 300));
    EXPECT_FALSE(s->hasTouch());
    EXPECT_TRUE(s->bullets().empty());
    EXPECT_FALSE(s->isScheduled("shoot"));
    touchUp(1, Point(100, 300));

    // Within 1.5 points of the centre on both axes: held, but still.
    touchDown(1, Point(261, 98.6f));
    EXPECT_TRUE(s->hasTouch());
    EXPECT_TRUE(s->isScheduled("shoot"));
    EXPECT_TRUE(s->bullets().empty()); // holding fires from the first interval on
    EXPECT_EQ(s->normalizedJoystick(), Point(0, 0));
    EXPECT_EQ(s->cap()->position(), centre);
    s->updateBullets(0.1f);
    EXPECT_EQ(shipAt(), Point(160, 120));

    // 200 points right: the knob stops at 65, the ship goes (65 + 2) x 3.1.
    touchMove(1, Point(460, 100));
    EXPECT_FLOAT_EQ(s->quorl(), 65);
    EXPECT_EQ(s->cap()->position(), Point(325, 100));
    s->updateBullets(0.1f);
    EXPECT_NEAR(shipAt().x, 160 + 20.77, 1e-3);
    EXPECT_EQ(s->rocketMain()->position(), Point(shipAt().x, shipAt().y - 20));

    // A second finger fires at once; lifting any finger lets go of the stick.
    touchDown(2, Point(100, 300));
    EXPECT_EQ(s->bullets().size(), 1u);
    touchUp(2, Point(100, 300));
    EXPECT_FALSE(s->hasTouch());
    EXPECT_FALSE(s->isScheduled("shoot"));
    EXPECT_EQ(s->cap()->position(), centre);
    touchUp(1, Point(460, 100));
}

TEST_F(QuickPlayTest, ShotsAlternateRightThenLeftAndComeBackFromThePool) {
    GameScene* s = start();
    touchDown(1, Point(160, 400)); // fires once, then every 1/3 s while held
    EXPECT_TRUE(s->isScheduled("shoot"));
    s->shoot(0);
    s->shoot(0);
    ASSERT_EQ(s->bullets().size(), 3u);
    EXPECT_EQ(s->bullets()[0]->position(), Point(172, 120));
    EXPECT_EQ(s->bullets()[1]->position(), Point(148, 120));
    EXPECT_EQ(s->bullets()[2]->position(), Point(172, 120));
    touchUp(1, Point(160, 400));
    EXPECT_FALSE(s->isScheduled("shoot"));

    s->updateBullets(0.35f); // 120 + 389 leaves the top
    EXPECT_TRUE(s->bullets().empty());
    ASSERT_EQ(s->pool().size(), 3u);
    AtlasSprite* first = s->pool().front().get();
    s->shoot(0);
    EXPECT_EQ(s->bullets().front().get(), first);
    EXPECT_EQ(first->parent(), s->atlas());
    EXPECT_EQ(s->pool().size(), 2u);

    hasDied = true; // no firing while the ship is away
    s->shoot(0);
    EXPECT_EQ(s->bullets().size(), 1u);
}

TEST_F(QuickPlayTest, SpawningRunsOnTheClockOncePerFrameAndSpeedsUpToAFloor) {
    GameScene* s = start();
    AtlasSprite* rock = s->addAsteroid(10, Point(100, 300));

    // A frame of no time moves nothing and spawns nothing; rocks still turn.
    s->updateBullets(0);
    EXPECT_EQ(rock->position(), Point(100, 300));
    EXPECT_FLOAT_EQ(rock->rotation(), 1.8f);
    EXPECT_TRUE(s->randomNew().empty());

    // A 3 s frame spawns once and keeps the rest for the frames after.
    const float dif = GameScene::kDifficulties[2].dif;
    s->updateBullets(3);
    EXPECT_EQ(s->randomNew().size(), 1u);
    EXPECT_NEAR(s->timeSinceLastDrop(), 1.8, 1e-6);
    EXPECT_NEAR(s->newed(), 1.2 * dif, 1e-9);
    s->updateBullets(0);
    EXPECT_EQ(s->randomNew().size(), 2u);
    s->updateBullets(0);
    EXPECT_EQ(s->randomNew().size(), 2u);

    // The interval shrinks until the first value at or below 0.8.
    s->setNewed(0.8005);
    s->setTimeSinceLastDrop(1);
    s->updateBullets(0);
    EXPECT_LE(s->newed(), 0.8);
    EXPECT_GT(s->newed(), 0.8 * dif);
    const double floor = s->newed();
    s->setTimeSinceLastDrop(1);
    s->updateBullets(0);
    EXPECT_EQ(s->newed(), floor);
}

TEST_F(QuickPlayTest, AsteroidsDriftByTagAndWrapAroundTheEdges) {
    struct Case {
        int tag;
        float x;
        float toX;
    } cases[] = {
        {24, 100, 141},  // right at 24 + 58 = 82
        {25, 100, 58},   // left at 25 + 59 = 84
        {1, 340, -30},   // past the right edge: back in from the left
        {50, -10, 360},  // past the left edge: back in from the right
    };
    GameScene* s = start();
    for (const Case& c : cases) s->addAsteroid(c.tag, Point(c.x, 400));
    s->updateBullets(0.5f);
    for (size_t i = 0; i < std::size(cases); ++i) {
        AtlasSprite* rock = s->asteroidsArray()->at<AtlasSprite>(i);
        EXPECT_FLOAT_EQ(rock->position().x, cases[i].toX) << "tag " << cases[i].tag;
        EXPECT_FLOAT_EQ(rock->position().y, 335);
    }
}

TEST_F(QuickPlayTest, RemovingWhileWalkingSeesEveryAsteroidOnce) {
    GameScene* s = start();
    // y - 13 below -15 is gone; the last asteroid fills each hole.
    const float ys[] = {-10, 200, -5, 300, -14};
    for (float y : ys) s->addAsteroid(10, Point(20, y));
    s->updateBullets(0.1f);
    ASSERT_EQ(s->asteroidsArray()->count, 2u);
    std::multiset<float> left;
    for (size_t i = 0; i < 2; ++i) {
        AtlasSprite* rock = s->asteroidsArray()->at<AtlasSprite>(i);
        left.insert(rock->position().y);
        EXPECT_FLOAT_EQ(rock->rotation(), 1.8f);
    }
    EXPECT_EQ(left, (std::multiset<float>{187, 287}));
    EXPECT_EQ(s->atlas()->children().size(), 3u); // the ship and the two rocks
}

TEST_F(QuickPlayTest, TwoBulletsOnOneAsteroidScoreOnceAndTheSecondFliesOn) {
    GameScene* s = start();
    s->shoot(0); // x 172
    s->shoot(0); // x 148
    s->shoot(0); // x 172
    s->addAsteroid(10, Point(172, 120 + 111.1f));
    const int killed = s->amountKilled();
    s->updateBullets(0.1f);
    EXPECT_EQ(s->scoreInt(), 20);
    EXPECT_EQ(s->amountKilled(), killed + 1);
    EXPECT_EQ(s->asteroidsArray()->count, 0u);
    EXPECT_EQ(s->bullets().size(), 2u);
    EXPECT_EQ(s->pool().size(), 1u);
    EXPECT_EQ(s->scoreLabel()->string(), "Score: 20");
}

TEST_F(QuickPlayTest, BulletsScoreByEnemyKind) {
    GameScene* s = start();
    struct Case {
        int tag;
        int points;
    } cases[] = {{GameScene::kShipTag, 20}, {GameScene::kCrazyShipTag, 20},
                 {GameScene::kBadShipTag, 10}};
    for (const Case& c : cases) {
        int before = s->scoreInt();
        s->addEnemy(c.tag, Point(172, 400));
        s->shoot(0);
        s->bullets().back()->setPosition(Point(172, 400));
        s->updateBullets(0);
        EXPECT_EQ(s->scoreInt() - before, c.points) << c.tag;
        EXPECT_TRUE(s->randomNew().empty()) << c.tag;
        EXPECT_TRUE(s->bullets().empty()) << c.tag;
    }
}

TEST_F(QuickPlayTest, PowerUpsAreCaughtEvenWhileExplodingAndAnnouncedForOneSecond) {
    struct Case {
        int tag;
        const char* banner;
        int points;
        int lives;
    } cases[] = {
        {GameScene::kCoinTag, "BONUS Points!", 15, 3},
        {GameScene::kPlusTag, "EXTRA LIFE!!", 0, 4},
    };
    for (const Case& c : cases) {
        GameScene* s = start();
        canPowerUp = false;
        hasDied = true;
        s->addFalling(c.tag, shipAt());
        s->updateBullets(0.01f);
        EXPECT_EQ(s->downArray()->count, 0u);
        ASSERT_NE(s->label(), nullptr);
        EXPECT_EQ(s->label()->string(), c.banner);
        EXPECT_EQ(s->scoreInt(), c.points);
        EXPECT_EQ(s->lives(), c.lives);
        EXPECT_EQ(s->livesLabel()->string(), "Lives: " + std::to_string(c.lives));
        runFor(0.99);
        EXPECT_FALSE(canPowerUp);
        runFor(0.02);
        EXPECT_TRUE(canPowerUp);
        EXPECT_EQ(s->label(), nullptr);
        hasDied = false;
        leave();
        scene->cleanup();
        scene = nullptr;
    }
}

TEST_F(QuickPlayTest, AMissedPowerUpFreesTheSlot) {
    GameScene* s = start();
    canPowerUp = false;
    s->addFalling(GameScene::kCoinTag, Point(20, 10));
    s->updateBullets(0.1f);
    EXPECT_EQ(s->downArray()->count, 0u);
    EXPECT_TRUE(canPowerUp);
}

TEST_F(QuickPlayTest, TheBombScoresFifteenAShipClearsTheFieldAndKillsNothing) {
    GameScene* s = start();
    for (float x : {40.0f, 100.0f, 220.0f, 280.0f}) s->addEnemy(GameScene::kShipTag, Point(x, 450));
    s->addAsteroid(10, Point(300, 400));
    s->shoot(0);
    canPowerUp = false;
    const int killed = s->amountKilled();
    s->addFalling(GameScene::kBombTag, shipAt());
    s->updateBullets(0.001f);
    EXPECT_EQ(s->scoreInt(), 60);
    EXPECT_EQ(s->scoreLabel()->string(), "Score: 60");
    EXPECT_EQ(s->amountKilled(), killed);
    EXPECT_TRUE(s->randomNew().empty());
    EXPECT_TRUE(s->bullets().empty());
    EXPECT_EQ(s->asteroidsArray()->count, 0u);
    EXPECT_EQ(s->atlas()->children().size(), 1u); // the ship alone
    EXPECT_EQ(s->label()->string(), "BOOM!!!");
    EXPECT_FALSE(canPowerUp);
    runFor(1.01);
    EXPECT_TRUE(canPowerUp);
}

TEST_F(QuickPlayTest, LosingALifeByEachWayThenReadyBlinkAndPlay) {
    struct Case {
        const char* how;
        bool drag;
        bool keepsRunning; // a ram leaves the frame running
        int comeback;      // Hard's speed after a lost life
    } cases[] = {
        {"enemy bullet", false, false, 140},
        {"asteroid", false, false, 140},
        {"enemy ship", true, true, 160},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        if (c.drag) saved::writeControlSegment(1);
        GameScene* s = start();
        s->shoot(0);
        canPowerUp = false;
        s->addFalling(GameScene::kCoinTag, Point(20, 400)); // swept away: the slot frees
        if (std::string(c.how) == "enemy bullet") s->addFalling(GameScene::kEnemyShotTag, shipAt());
        if (std::string(c.how) == "asteroid") s->addAsteroid(10, shipAt());
        if (std::string(c.how) == "enemy ship") s->addEnemy(GameScene::kShipTag, shipAt());
        s->updateBullets(0.001f);

        EXPECT_TRUE(hasDied);
        EXPECT_EQ(s->lives(), 2);
        EXPECT_EQ(s->livesLabel()->string(), "Lives: 2");
        EXPECT_FALSE(s->firstDude()->visible());
        EXPECT_EQ(s->speedMax(), 210);
        EXPECT_EQ(s->rocketMain()->position(), Point(400, 500));
        EXPECT_EQ(s->isScheduled("updateBullets"), c.keepsRunning);
        EXPECT_TRUE(s->bullets().empty());
        EXPECT_EQ(s->downArray()->count, 0u);
        EXPECT_TRUE(canPowerUp);

        runFor(1.49);
        EXPECT_EQ(s->readyLabel(), nullptr);
        runFor(0.02);
        ASSERT_NE(s->readyLabel(), nullptr);
        EXPECT_EQ(s->readyLabel()->string(), "Ready? Lives Left: 2");
        runFor(3.0);
        EXPECT_EQ(s->readyLabel(), nullptr);
        EXPECT_EQ(shipAt(), Point(160, 120));
        EXPECT_EQ(s->speedMax(), c.comeback);
        EXPECT_TRUE(hasDied);
        runFor(0.7);
        EXPECT_FALSE(hasDied);
        EXPECT_TRUE(s->isScheduled("updateBullets"));
        EXPECT_EQ(s->rocketMain()->emissionRate(), 100);
        leave();
        scene->cleanup();
        scene = nullptr;
        saved::writeControlSegment(0);
    }
}

TEST_F(QuickPlayTest, LeavingWritesTheBestOnlyWhenBeatenAndTheKillCountAlways) {
    struct Case {
        const char* what;
        Files files;
        int score;
        // Expected "scoreData.plist" entries; "" for a missing one. Empty
        // when the file must not exist.
        std::map<std::string, std::string> scores;
        std::string kills;
    } cases[] = {
        {"score 0", {{"killScore", "7"}}, 0, {}, "7"},
        {"Medium 50, no file", {{"easy", "d"}}, 50,
         {{"key", "0"}, {"medium", "50"}, {"hard", "0"}}, "0"},
        {"Easy, equal to the best: not rewritten", {{"easy", "r"}, {"scoreData.plist", "50"}}, 50,
         {{"key", "50"}, {"medium", ""}}, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (auto& entry : std::filesystem::directory_iterator(docs.path()))
            std::filesystem::remove(entry.path());
        writeFiles(docs.path().string(), c.files);
        GameScene* s = start();
        s->setScoreInt(c.score);
        leave();
        scene->cleanup();
        scene = nullptr;
        EXPECT_EQ(saved::exists(saved::kScoreData), !c.scores.empty());
        for (const auto& [key, value] : c.scores)
            EXPECT_EQ(saved::value(saved::kScoreData, key), value) << key;
        EXPECT_EQ(saved::value(saved::kKillScore), c.kills);
    }
}

TEST_F(QuickPlayTest, AnEarlierBestOfTheVisitIsKeptAndAnnouncedOnce) {
    saved::write(saved::kScoreData, {{"key", "5"}, {"medium", "6"}, {"hard", "200"}});
    GameScene* s = start();
    auto loseAllLives = [&] {
        while (s->lives() > 0) {
            s->addFalling(GameScene::kEnemyShotTag, shipAt());
            s->updateBullets(0.001f);
            if (s->lives() > 0) runFor(5.3);
        }
    };
    s->setScoreInt(300);
    loseAllLives();
    EXPECT_EQ(banners(), std::vector<std::string>{"New best: 300"});

    platform::AlertView* alert = platform::AlertView::visibleAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), "You lost!");
    EXPECT_EQ(alert->message(), "What would you like to do?\n");
    EXPECT_EQ(alert->buttonTitleAtIndex(0), "Try again");
    EXPECT_EQ(alert->buttonTitleAtIndex(1), "Quit");
    EXPECT_FALSE(s->isScheduled("updateBullets"));

    platform::Keyboard::shared().keyDown("return"); // "Try again", once the alert has faded
    runFor(platform::AlertView::kFadeDuration + 0.05);
    EXPECT_EQ(platform::AlertView::visibleAlert(), nullptr);
    EXPECT_EQ(s->lives(), 3);
    EXPECT_EQ(s->scoreInt(), 0);
    EXPECT_EQ(s->livesLabel()->string(), "Lives: 3");
    EXPECT_EQ(s->readyLabel()->string(), "Ready? Lives Left: 3");
    runFor(3.4);
    EXPECT_TRUE(hasDied);
    runFor(0.35); // 3.7 s after the answer, play is on again
    EXPECT_FALSE(hasDied);

    s->setScoreInt(100);
    loseAllLives();
    leave();
    EXPECT_EQ(saved::value(saved::kScoreData, "hard"), "300");
    EXPECT_EQ(saved::value(saved::kScoreData, "key"), "5");
    EXPECT_EQ(banners(), std::vector<std::string>{"New best: 300"});
}

TEST_F(QuickPlayTest, CallsDueAfterLeavingBringNoShipBack) {
    GameScene* s = start();
    s->addFalling(GameScene::kEnemyShotTag, shipAt());
    s->updateBullets(0.001f);
    leave();
    hasDied = true; // as the next screen may have it
    runFor(6);
    EXPECT_TRUE(hasDied);
    EXPECT_FALSE(s->isScheduled("updateBullets"));
    EXPECT_FALSE(s->firstDude()->visible());
}

TEST_F(QuickPlayTest, PlayStopsWhenThePlayerPressesBackNotWhenTheFadeEnds) {
    scene = GameScene::node();
    Director::sharedDirector().runWithScene(scene.get()); // so that leaving has a way out
    runFor(1.0 / 60);
    scene->didPressButton();
    scene->addFalling(GameScene::kEnemyShotTag, shipAt());
    runFor(0.3); // mid-fade
    EXPECT_FALSE(hasDied);
    EXPECT_EQ(scene->lives(), 3);
    Director::sharedDirector().end();
    runFor(1.0 / 60);
}

// The autopilot plays Quick Play on a running director with the inputs a
// player has, in every control scheme.
#include "engine/Director.h"
#include "game/HelloWorld.h"
#include "platform/Options.h"
#include "render/Label.h"
#include "tests/game/QuickPlayTestSupport.h"

namespace {

class AutopilotTest : public test::QuickPlayTest {
protected:
    void SetUp() override {
        QuickPlayTest::SetUp();
        savedOptions = platform::options();
        platform::Options o = savedOptions;
        o.autoplay = true;
        platform::setOptions(o);
    }
    void TearDown() override {
        Autopilot::setGamesBeforeLeaving(0);
        platform::setOptions(savedOptions);
        QuickPlayTest::TearDown();
    }
    // Runs Quick Play under the director; the screen brings its pilot.
    GameScene* play() {
        scene = GameScene::scene();
        Director::sharedDirector().runWithScene(scene.get());
        runFor(1.0 / 60); // it enters on the first frame
        return scene.get();
    }
    // Ends the game and starts the engine afresh, at time 0 again.
    void stop() {
        Director::sharedDirector().end();
        Director::purgeSharedDirector();
        scene = nullptr;
        platform::RunLoop::main().reset();
        platform::Accelerometer::sharedAccelerometer().reset();
        clock_ = platform::ManualClock();
        attach();
    }

    platform::Options savedOptions;
};

} // namespace

TEST_F(AutopilotTest, DodgesAimsAndCatchesInEveryControlScheme) {
    struct Case {
        const char* scheme;
        const char* file; // "ControlScheme" key; null for tilt
    } cases[] = {{"tilt", nullptr}, {"drag", "d"}, {"joystick", "t"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scheme);
        if (c.file) saved::write(saved::kControlScheme, {{"key", c.file}});
        GameScene* s = play();
        ASSERT_NE(s->pilot(), nullptr);
        s->setNewed(1000); // the test brings every enemy itself
        runFor(0.7);       // down to where it cruises, firing
        EXPECT_LT(shipAt().y, 100);
        EXPECT_FALSE(s->bullets().empty() && s->pool().empty());

        // A shot coming straight down at the ship is dodged.
        s->addFalling(GameScene::kEnemyShotTag, Point(shipAt().x, shipAt().y + 170));
        runFor(1.0);
        EXPECT_EQ(s->lives(), 3);

        // A coin far to the side is caught.
        const float coinX = shipAt().x > 160 ? 60 : 260;
        s->addFalling(GameScene::kCoinTag, Point(coinX, 470));
        runFor(2.0);
        EXPECT_EQ(s->scoreInt(), 15);
        EXPECT_NEAR(shipAt().x, coinX, 40);

        // An enemy high up on the other side is got under and shot down.
        const float enemyX = shipAt().x > 160 ? 40 : 280;
        s->addEnemy(GameScene::kBadShipTag, Point(enemyX, 470));
        runFor(2.0);
        EXPECT_EQ(s->scoreInt(), 25);
        EXPECT_EQ(s->lives(), 3);

        Ref<GameScene> keep(s);
        stop();
        EXPECT_EQ(keep->pilot(), nullptr); // landed on leaving
        saved::remove(saved::kControlScheme);
    }
}

TEST_F(AutopilotTest, WhenTheShipCannotBeSteeredItOnlyFires) {
    saved::write(saved::kControlScheme, {{"key", "x"}}); // drags, but the ship stays put
    GameScene* s = play();
    s->setNewed(1000);
    s->addEnemy(GameScene::kBadShipTag, Point(160, 420));
    runFor(1.0);
    EXPECT_EQ(shipAt(), Point(160, 120));
    EXPECT_EQ(s->scoreInt(), 10);
}

TEST_F(AutopilotTest, TheSameSeedPlaysTheSameGame) {
    struct Outcome {
        int score, killed, lives;
        Point ship;
        bool operator==(const Outcome&) const = default;
    };
    auto game = [&] {
        for (auto& entry : std::filesystem::directory_iterator(docs.path()))
            std::filesystem::remove(entry.path());
        platform::srandom(11);
        GameScene* s = play();
        runFor(8);
        Outcome o{s->scoreInt(), s->amountKilled(), s->lives(), shipAt()};
        stop();
        return o;
    };
    Outcome first = game();
    EXPECT_GT(first.score, 0);
    EXPECT_EQ(game(), first);
}

TEST_F(AutopilotTest, AnswersTheGameOverAlertToPlayOnThenToLeave) {
    Autopilot::setGamesBeforeLeaving(2);
    GameScene* s = play();
    auto loseAGame = [&] {
        for (int i = 0; i < 100 && s->lives() > 0; ++i) {
            if (!hasDied) s->addFalling(GameScene::kEnemyShotTag, shipAt()); // too close to dodge
            runFor(0.5);
        }
    };
    loseAGame();
    ASSERT_NE(platform::AlertView::visibleAlert(), nullptr);
    runFor(0.5); // still reading
    EXPECT_NE(platform::AlertView::visibleAlert(), nullptr);
    runFor(1.0);
    EXPECT_EQ(platform::AlertView::visibleAlert(), nullptr);
    EXPECT_EQ(s->lives(), 3); // played on

    loseAGame();
    ASSERT_NE(platform::AlertView::visibleAlert(), nullptr);
    Ref<GameScene> keep(s);
    runFor(2.5);
    EXPECT_TRUE(keep->hasLeft());
    Scene* now = Director::sharedDirector().runningScene();
    ASSERT_FALSE(now->children().empty());
    EXPECT_NE(dynamic_cast<HelloWorld*>(now->children().front().get()), nullptr);
}

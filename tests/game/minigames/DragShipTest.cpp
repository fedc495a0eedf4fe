// DragShip: which asteroid hits, its message and sound, the bounces, the
// pause after a hit and the per-frame motion.
#include "game/SavedGameData.h"
#include "game/minigames/miniGame.h"
#include "platform/SystemSound.h"
#include "tests/game/minigames/MiniGameTestSupport.h"

#include <vector>

namespace {

enum { one, two, three, four };

class DragShipTest : public test::MiniGameTest {
protected:
    miniGame* startGame() {
        miniGame* game = start<miniGame>(miniGame::scene());
        EXPECT_NE(game, nullptr);
        return game;
    }
    // Labels the screen shows with `text`.
    static std::vector<Label*> labels(miniGame* game, const std::string& text) {
        std::vector<Label*> found;
        for (auto& child : game->children())
            if (auto* l = dynamic_cast<Label*>(child.get()); l && l->string() == text)
                found.push_back(l);
        return found;
    }
};

} // namespace

TEST_F(DragShipTest, AsteroidsOnTheShipHitInTheOrderTwoOneThreeFour) {
    test::writeText(
        documents_.file(saved::kWantsSound),
        "<plist version=\"1.0\"><dict><key>key</key><string>ok</string></dict></plist>");
    platform::SystemSoundID expl = platform::systemSoundWithResource("expl", "wav");
    struct Case {
        std::vector<int> onShip;
        float size;   // of "You got killed!"
        float height; // where it sits
        bool sound;
    } cases[] = {
        {{one, two, three, four}, 52, 240, false},
        {{one, three, four}, 32, 240, false},
        {{three, four}, 32, 240, false},
        {{four}, 32, 140, true},
    };
    for (const Case& c : cases) {
        platform::disposeSystemSounds();
        miniGame* game = startGame();
        for (int k : c.onShip)
            game->asteroid(k)->setPosition(game->testSprite()->position());
        step();
        ASSERT_TRUE(game->isPausedAfterHit());
        ASSERT_NE(game->readyLabelMini(), nullptr);
        EXPECT_EQ(game->readyLabelMini()->string(), "You got killed!");
        EXPECT_EQ(game->readyLabelMini()->fontSize(), c.size);
        EXPECT_EQ(game->readyLabelMini()->position(), Point(160, c.height));
        expl = platform::systemSoundWithResource("expl", "wav");
        EXPECT_EQ(platform::systemSoundIsPlaying(expl), c.sound) << c.onShip.size();
        // Everything goes back to the start; the velocities stay.
        EXPECT_EQ(game->testSprite()->position(), miniGame::kShipStart);
        EXPECT_EQ(game->asteroid(two)->position(), Point(120, 400));
        director().end();
        attach();
    }
}

TEST_F(DragShipTest, AfterAHitReadyThenPlayAgainAtThreeSeconds) {
    miniGame* game = startGame();
    for (int f = 0; f < 30; ++f)
        step();
    EXPECT_FALSE(savedExists(saved::kDragShip));
    game->asteroid(one)->setPosition(game->testSprite()->position());
    step();
    EXPECT_EQ(saved::value(saved::kDragShip), saved::formatFloat(0.3f)); // 30 frames
    EXPECT_EQ(game->hic()->string(), "0.00");

    // A finger put down during the pause neither moves the ship nor is
    // kept: once play resumes, its moves still do nothing.
    down(Point(100, 100), 2);
    move(Point(120, 140), 2);
    EXPECT_EQ(game->testSprite()->position(), miniGame::kShipStart);

    runFor(1.25);
    ASSERT_NE(game->readyLabelMini(), nullptr);
    EXPECT_EQ(game->readyLabelMini()->string(), "Ready?");
    Point still = game->asteroid(three)->position();
    runFor(1.7);
    EXPECT_EQ(game->asteroid(three)->position(), still);
    runFor(0.1);
    EXPECT_FALSE(game->isPausedAfterHit());
    EXPECT_TRUE(labels(game, "Ready?").empty());
    EXPECT_NE(game->asteroid(three)->position(), still);
    Point ship = game->testSprite()->position();
    move(Point(20, 300), 2);
    EXPECT_EQ(game->testSprite()->position(), ship);
    up(Point(20, 300), 2);

    // Playing again: a finger takes the ship 10 points above it, then drags it.
    down(Point(100, 100));
    EXPECT_EQ(game->testSprite()->position(), Point(100, 390));
    move(Point(150, 200));
    EXPECT_EQ(game->testSprite()->position(), Point(150, 280));
    up(Point(150, 200));
}

TEST_F(DragShipTest, AsteroidsMoveAndScoreGrowPerFrameAndBounceFromOutside) {
    miniGame* game = startGame();
    for (int k = 0; k < 4; ++k)
        game->asteroid(k)->setPosition(Point(100 + 50 * k, 100));
    game->testSprite()->setPosition(Point(300, 450));
    game->setVelocity(one, Point(2.5f, -2.5f));
    game->setVelocity(two, Point(-3, 3));
    game->asteroid(one)->setPosition(Point(319, 1)); // past the right and bottom edges next
    game->asteroid(two)->setPosition(Point(1, 479)); // past the left and top edges next
    float score = game->score();
    step(1.0 / 60);
    EXPECT_EQ(game->asteroid(one)->position(), Point(321.5f, -1.5f)); // left outside
    EXPECT_EQ(game->asteroid(two)->position(), Point(-2, 482));
    EXPECT_EQ(game->velocity(one), Point(-2.5f, 2.5f));
    EXPECT_EQ(game->velocity(two), Point(3, -3));
    step(1.0 / 5); // a long frame moves no further
    EXPECT_EQ(game->asteroid(one)->position(), Point(319, 1));
    EXPECT_EQ(game->asteroid(two)->position(), Point(1, 479));
    EXPECT_NEAR(game->score() - score, 0.02f, 1e-6f);
}

TEST_F(DragShipTest, LeavingDuringThePauseLetsTheScreenGo) {
    Ref<miniGame> game(startGame());
    game->asteroid(one)->setPosition(game->testSprite()->position());
    step();
    tap(Point(40, 460)); // the back arrow
    runFor(4);           // the fade, then the pause's end arrives
    EXPECT_NE(director().runningScene(), game.get());
    EXPECT_EQ(game->retainCount(), 1); // nothing but this test holds it
}

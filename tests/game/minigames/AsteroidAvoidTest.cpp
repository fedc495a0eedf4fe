// Asteroid Avoid: the per-frame score, the best-score file, the ship's
// bounds and the landscape picture and input of the desktop window.
#include "game/minigames/AsteroidAvoid.h"
#include "engine/TouchDispatcher.h"
#include "engine/TransitionScene.h"
#include "game/RectManager.h"
#include "game/SavedGameData.h"
#include "game/minigames/miniGameMenu.h"
#include "platform/Accelerometer.h"
#include "platform/ImageDecoder.h"
#include "platform/Options.h"
#include "platform/System.h"
#include "tests/game/minigames/MiniGameTestSupport.h"

#include <cmath>
#include <optional>

using test::shows;

namespace {

class AsteroidAvoidTest : public test::MiniGameTest {
protected:
    AsteroidAvoid* startGame() {
        AsteroidAvoid* game = start<AsteroidAvoid>(AsteroidAvoid::scene());
        EXPECT_NE(game, nullptr);
        return game;
    }
    // Runs the loop with no asteroid left to fall on the ship.
    void runClear(double seconds) {
        double end = clock_.monotonic() + seconds;
        while (clock_.monotonic() < end - 1e-9) {
            for (auto& a : running<AsteroidAvoid>()->asteroids())
                a->setPosition(Point(-50, -50));
            runFor(1.0 / 60);
        }
    }
    // Frames until an asteroid falls, which is then put on the ship: the
    // next frame is a hit.
    void hitAfter(AsteroidAvoid* game, int frames) {
        for (int f = 0; f < frames; ++f)
            step();
        while (game->asteroids().empty())
            step();
        game->asteroids().front()->setPosition(game->avoider()->position());
        step();
        ASSERT_TRUE(game->hasdied());
    }
};

// Records where touches reach the engine, claiming none.
struct TouchProbe : public Object, public TargetedTouchDelegate {
    bool ccTouchBegan(Touch* touch, Event*) override {
        viewPoint = touch->locationInView(touch->view());
        return false;
    }
    std::optional<Point> viewPoint;
};

} // namespace

TEST_F(AsteroidAvoidTest, ScoreGrowsAHundredthEachFrameWhateverItsLength) {
    AsteroidAvoid* game = startGame();
    float before = game->score();
    for (int f = 0; f < 30; ++f)
        step(1.0 / 60);
    for (int f = 0; f < 30; ++f)
        step(1.0 / 20);
    EXPECT_NEAR(game->score() - before, 0.60f, 1e-4f);
    // The screen came in at the end of start()'s frame: 60 frames since.
    EXPECT_EQ(game->hic()->string(), "0.60");
}

TEST_F(AsteroidAvoidTest, AHitKeepsTheBestAsTheStoredNumberSays) {
    struct Case {
        std::optional<std::string> stored; // the file's whole text; none: no file
        bool replaced;
    } cases[] = {
        {std::nullopt, true}, // a fresh installation: whatever the score
        {"<plist version=\"1.0\"><dict><key>key</key><string>99.5</string></dict></plist>", false},
        {"<plist version=\"1.0\"><dict><key>key</key><string>0.01xyz</string></dict></plist>",
         true},
        {"<plist version=\"1.0\"><dict><key>key</key><string>nonsense</string></dict></plist>",
         true},
        {"not a property list", true}, // unreadable: an empty value, 0
    };
    for (const Case& c : cases) {
        std::string file = documents_.file(saved::kAsteroidAvoid);
        std::remove(file.c_str());
        if (c.stored) test::writeText(file, *c.stored);
        std::string before = savedExists(saved::kAsteroidAvoid) ? saved(saved::kAsteroidAvoid) : "";

        AsteroidAvoid* game = startGame();
        hitAfter(game, 20);
        ASSERT_TRUE(savedExists(saved::kAsteroidAvoid));
        if (c.replaced) {
            float best = float(saved::floatValue(saved::value(saved::kAsteroidAvoid)));
            EXPECT_GE(best, 0.2f) << before;
            EXPECT_EQ(saved::value(saved::kAsteroidAvoid), saved::formatFloat(best));
        } else {
            EXPECT_EQ(saved(saved::kAsteroidAvoid), before);
        }
        EXPECT_EQ(game->score(), 0);
        EXPECT_EQ(game->hic()->string(), "0.00");
        EXPECT_EQ(game->avoider()->position(), Point(240, 30));
        director().end();
        attach();
    }
}

TEST_F(AsteroidAvoidTest, AfterAHitTheFieldClearsAndTiltWaitsTwoSeconds) {
    AsteroidAvoid* game = startGame();
    hitAfter(game, 5);
    platform::Accelerometer::sharedAccelerometer().setKeyHeld(platform::TiltKey::Right, true);
    for (int f = 0; f < 110; ++f) {
        runFor(1.0 / 60);
        EXPECT_TRUE(game->asteroids().empty());
    }
    EXPECT_TRUE(game->hasdied());
    EXPECT_EQ(game->avoider()->position(), Point(240, 30));
    EXPECT_FLOAT_EQ(game->score(), 0);
    runClear(0.3);
    EXPECT_FALSE(game->hasdied());
    EXPECT_GT(game->avoider()->position().x, 240);
    EXPECT_GT(game->score(), 0);
}

TEST_F(AsteroidAvoidTest, ArrowKeysMoveTheShipAsSeenAndItStaysWithinTheScreen) {
    AsteroidAvoid* game = startGame();
    platform::Accelerometer& accelerometer = platform::Accelerometer::sharedAccelerometer();
    struct Case {
        platform::TiltKey key;
        float x;
    } cases[] = {{platform::TiltKey::Right, 476}, {platform::TiltKey::Left, 6}};
    for (const Case& c : cases) {
        accelerometer.setKeyHeld(c.key, true);
        runClear(1.0);
        accelerometer.setKeyHeld(c.key, false);
        runClear(0.5);
        ASSERT_FALSE(game->hasdied());
        EXPECT_EQ(game->avoider()->position(), Point(c.x, 30));
    }
}

TEST_F(AsteroidAvoidTest, TheWindowShowsItUprightInLandscape) {
    AsteroidAvoid* game = startGame();
    ASSERT_TRUE(game->asteroids().empty());
    platform::Image frame = test::sharedWindow()->lastFrame();
    ASSERT_EQ(frame.width, 480);
    ASSERT_EQ(frame.height, 320);

    // The pictures, drawn over black, appear the right way up where the
    // landscape screen puts them (y from the top of the window).
    auto sheet = platform::DecodedImage::imageWithContentsOfFile(
        platform::pathForResource("texture", "png"));
    auto arrow =
        platform::DecodedImage::imageWithContentsOfFile(platform::pathForResource("back1", "png"));
    ASSERT_TRUE(sheet && arrow);
    struct Picture {
        const platform::DecodedImage* image;
        Rect rect;    // in the image
        Point centre; // in the window
    } pictures[] = {
        {sheet.get(), RectManager::sharedRectMgr().frameForSprite("Spaceship.png", "coordinates"),
         Point(240, 320 - 30)},
        {arrow.get(), Rect(0, 0, float(arrow->width()), float(arrow->height())),
         Point(40, 320 - 300)},
    };
    for (const Picture& p : pictures) {
        int w = int(p.rect.size.width), h = int(p.rect.size.height);
        int left = int(std::lround(p.centre.x - w / 2.0f));
        int top = int(std::lround(p.centre.y - h / 2.0f));
        double difference = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint8_t* want = p.image->pixels().data() +
                                      (size_t(p.rect.origin.y + y) * size_t(p.image->width()) +
                                       size_t(p.rect.origin.x + x)) *
                                          4;
                const uint8_t* got = test::at(frame, left + x, top + y);
                for (int k = 0; k < 3; ++k)
                    difference += std::abs(int(want[k]) - int(got[k]));
            }
        EXPECT_LT(difference / (w * h * 3), 4.0) << w << " x " << h;
    }
}

TEST_F(AsteroidAvoidTest, TheBackArrowClickedInTheLandscapePictureLeavesInPortrait) {
    AsteroidAvoid* game = startGame();
    Ref<TouchProbe> probe = make<TouchProbe>();
    TouchDispatcher::sharedDispatcher().addTargetedDelegate(probe.get(), -1, false);

    // The arrow sits at the picture's upper left: (40, 20) in the window.
    platform::Window* window = test::sharedWindow();
    Point p = window->pointFromPixel(40, 20);
    down(p);
    ASSERT_TRUE(probe->viewPoint);
    // Where a device turned to landscape reports it: from its top-right.
    EXPECT_EQ(*probe->viewPoint, Point(300, 40));
    EXPECT_TRUE(shows(game->backButton(), "back2.png"));
    EXPECT_EQ(director().deviceOrientation(), 3);

    up(p);
    EXPECT_EQ(director().deviceOrientation(), 1);
    EXPECT_EQ(platform::StatusBar::orientation(), 1);
    EXPECT_EQ(window->pointFromPixel(40, 20), Point(40, 20));
    TouchDispatcher::sharedDispatcher().removeDelegate(probe.get());
    step();
    auto* fade = dynamic_cast<FadeTransition*>(director().runningScene());
    ASSERT_NE(fade, nullptr);
    EXPECT_EQ(test::sharedWindow()->lastFrame().width, 320);
    runFor(0.6);
    EXPECT_NE(running<miniGameMenu>(), nullptr);
}

TEST_F(AsteroidAvoidTest, ThePilotTiltsThePictureAsSeenAndDodges) {
    platform::Options options = platform::options();
    options.autoplay = true;
    platform::setOptions(options);
    AsteroidAvoid* game = startGame();
    options.autoplay = false;
    platform::setOptions(options);

    while (game->asteroids().empty())
        step();
    for (auto& a : game->asteroids())
        a->setPosition(Point(-50, 400)); // out of the way
    AtlasSprite* rock = game->asteroids().front().get();
    rock->setTag(54); // the fastest: 125 points a second
    rock->setPosition(Point(game->avoider()->position().x, 200));
    Ref<AtlasSprite> watched(rock);
    float startX = game->avoider()->position().x;
    while (watched->parent() && !game->hasdied())
        runFor(1.0 / 60);
    EXPECT_FALSE(game->hasdied());
    EXPECT_GT(std::fabs(game->avoider()->position().x - startX), 20);
}

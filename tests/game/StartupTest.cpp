// The application from launch: the launch picture, the main menu under the
// splash, and the answers to the platform's lifecycle events.
#include "game/SplashLayer.h"
#include "platform/Files.h"
#include "platform/ImageDecoder.h"
#include "platform/TouchInput.h"
#include "render/Menu.h"
#include "tests/game/AppTestSupport.h"

namespace {

class StartupTest : public test::AppTest {
protected:
    Director& director() { return Director::sharedDirector(); }
    SplashLayer* splash() {
        for (auto& child : app->mainScene()->children())
            if (auto* s = dynamic_cast<SplashLayer*>(child.get())) return s;
        return nullptr;
    }
    // The window point at the middle of the main menu's item `index`.
    Point itemCentre(size_t index) {
        for (auto& child : app->mainScene()->children())
            if (auto* menu = dynamic_cast<Menu*>(child.get())) {
                Node* item = menu->children().at(index).get();
                Size s = item->contentSize();
                Point p = item->convertToWorldSpace(Point(s.width / 2, s.height / 2));
                return Point(p.x, 480 - p.y);
            }
        ADD_FAILURE() << "no menu";
        return Point();
    }
    void tap(Point windowPoint) {
        platform::TouchInput input(test::sharedWindow());
        input.began(1, windowPoint);
        input.ended(1, windowPoint);
    }
};

// Pixel (x, y), y from the top, of a decoded picture.
const uint8_t* pixel(const platform::DecodedImage& image, int x, int y) {
    return image.pixels().data() + (size_t(y) * size_t(image.width()) + size_t(x)) * 4;
}

} // namespace

TEST_F(StartupTest, LaunchPictureFirstThenTheMenuUnderTheSplashThenTheMenu) {
    auto launch = platform::DecodedImage::imageWithContentsOfFile(
        platform::pathForResource("Default", "png"));
    auto stars = platform::DecodedImage::imageWithContentsOfFile(
        platform::pathForResource("stars", "png"));
    ASSERT_TRUE(launch && stars);
    platform::Window* window = test::sharedWindow();
    uint64_t before = window->presentedFrames();

    app->applicationDidFinishLaunching();
    // Presented before the loop ever ran: the launch picture.
    ASSERT_EQ(window->presentedFrames(), before + 1);
    const int spots[][2] = {{20, 20}, {160, 400}, {300, 470}};
    for (auto [x, y] : spots) {
        const uint8_t* want = pixel(*launch, x, y);
        EXPECT_TRUE(test::near(test::at(frame(), x, y), want[0], want[1], want[2], 3)) << x << "," << y;
    }
    ASSERT_NE(splash(), nullptr);

    struct Moment {
        double at;           // seconds since launch
        bool clearing;       // the fade has started
        bool splashShown;    // the splash is still over the menu
    } moments[] = {{1.8, false, true}, {2.0, true, true}, {4.0, false, false}};
    double now = 0;
    for (const Moment& m : moments) {
        runFor(m.at - now);
        now = m.at;
        SplashLayer* s = splash();
        EXPECT_EQ(s != nullptr, m.splashShown) << m.at;
        if (s) {
            EXPECT_EQ(s->isClearing(), m.clearing) << m.at;
        }
        if (m.at < 1.9) {
            // Still the launch picture on screen.
            const uint8_t* want = pixel(*launch, 160, 400);
            EXPECT_TRUE(test::near(test::at(frame(), 160, 400), want[0], want[1], want[2], 3));
        }
    }
    // The launch picture is let go by the cache once the splash is gone.
    EXPECT_FALSE(TextureMgr::sharedTextureMgr().textureForKey("Default.png"));

    // The menu: stars behind, the items in deep blue.
    platform::Image img = frame();
    const uint8_t* sky = pixel(*stars, 5, 475);
    EXPECT_TRUE(test::near(test::at(img, 5, 475), sky[0], sky[1], sky[2], 3));
    Point missions = itemCentre(0);
    int blue = 0;
    for (int y = int(missions.y) - 20; y < int(missions.y) + 20; ++y)
        for (int x = 60; x < 260; ++x)
            if (test::near(test::at(img, x, y), 1, 0, 210, 12)) ++blue;
    EXPECT_GT(blue, 300);
}

TEST_F(StartupTest, ATapDuringTheSplashStartsTheFadeAndReachesTheMenuItem) {
    app->applicationDidFinishLaunching();
    runFor(0.5);
    ASSERT_NE(splash(), nullptr);
    tap(itemCentre(0)); // "Missions"
    EXPECT_TRUE(splash()->isClearing());
    runFor(0.1);
    ASSERT_NE(director().runningScene(), nullptr);
    EXPECT_TRUE(director().runningScene()->isTransitionScene());
}

TEST_F(StartupTest, LifecycleEventsReachTheDirectorAndTheTextureCache) {
    app->applicationDidFinishLaunching();
    runFor(0.2);
    Director& d = director();

    app->applicationWillResignActive();
    EXPECT_TRUE(d.isPaused());
    app->applicationDidBecomeActive();
    EXPECT_FALSE(d.isPaused());
    app->dashboardWillAppear();
    EXPECT_TRUE(d.isPaused());
    app->dashboardDidDisappear();
    EXPECT_FALSE(d.isPaused());

    // A clock change: the next frame advances no time at all.
    runFor(0.1);
    app->applicationSignificantTimeChange();
    runFor(1.0 / 60);
    EXPECT_EQ(d.dt(), 0);
    runFor(1.0 / 60);
    EXPECT_GT(d.dt(), 0);

    // A memory warning empties the cache; drawing goes on.
    EXPECT_GT(TextureMgr::sharedTextureMgr().textureCount(), 0u);
    app->applicationDidReceiveMemoryWarning();
    EXPECT_EQ(TextureMgr::sharedTextureMgr().textureCount(), 0u);
    uint64_t frames = test::sharedWindow()->presentedFrames();
    runFor(0.5);
    EXPECT_GE(test::sharedWindow()->presentedFrames(), frames + 25);

    app->applicationWillTerminate();
    EXPECT_EQ(d.runningScene(), nullptr);
}

// Platform screens flipped in over the GL view and out again, asked for by
// name; the help alert.
#include "game/GameNotifications.h"
#include "platform/Keyboard.h"
#include "platform/NotificationCenter.h"
#include "platform/TouchInput.h"
#include "tests/game/AppTestSupport.h"

namespace {

class ScreenSwitchingTest : public test::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        app->setStartScreen(findStartScreen("menu"));
        app->applicationDidFinishLaunching();
        runFor(0.1);
    }
    static void post(const char* name) {
        platform::NotificationCenter::defaultCenter().postNotificationName(name);
    }
    // The main menu layer the running scene shows, if it shows one.
    static HelloWorld* menuOnScreen() {
        Scene* scene = Director::sharedDirector().runningScene();
        if (!scene || scene->children().empty()) return nullptr;
        return dynamic_cast<HelloWorld*>(scene->children()[0].get());
    }
    static bool shownOverGL(platform::ViewController* screen) {
        return screen && screen->isViewLoaded() &&
               screen->view()->superview() == Director::sharedDirector().openGLView();
    }
};

} // namespace

TEST_F(ScreenSwitchingTest, ASettingsScreenFlipsInPausedAndLeavesOntoANewMainMenu) {
    Director& d = Director::sharedDirector();
    HelloWorld* before = menuOnScreen();
    ASSERT_NE(before, nullptr);

    post(kSettingsNotification);
    Ref<platform::ViewController> screen(app->set());
    EXPECT_TRUE(shownOverGL(screen.get()));
    EXPECT_TRUE(d.isPaused());
    EXPECT_TRUE(app->canOpenNotif());
    post(kSettingsNotification); // a second one opens nothing
    EXPECT_EQ(app->set(), screen.get());

    // The flip has ended, and the paused director (4 frames a second) has
    // drawn since: nothing on the GL side.
    runFor(0.8);
    ASSERT_NE(d.runningScene(), nullptr);
    EXPECT_TRUE(d.runningScene()->children().empty());
    EXPECT_TRUE(d.isPaused());

    // Escape is the screen's Done button.
    EXPECT_TRUE(platform::Keyboard::shared().keyDown("escape"));
    EXPECT_EQ(app->set(), nullptr);
    EXPECT_FALSE(app->canOpenNotif());
    EXPECT_TRUE(app->canOpenNewWindow());
    EXPECT_TRUE(d.isPaused()); // until the flip out ends
    runFor(0.6);
    EXPECT_FALSE(d.isPaused());
    EXPECT_FALSE(shownOverGL(screen.get()));
    HelloWorld* after = menuOnScreen();
    ASSERT_NE(after, nullptr);
    EXPECT_NE(after, before);
}

TEST_F(ScreenSwitchingTest, TheHighScoresItemOpensItsScreenAndDoneLeaves) {
    // Down four times to "High Scores", then Enter.
    platform::Keyboard& keys = platform::Keyboard::shared();
    for (int i = 0; i < 4; ++i) keys.keyDown("down");
    keys.keyDown("return");
    Ref<platform::ViewController> screen(app->high12());
    ASSERT_NE(screen, nullptr);
    EXPECT_TRUE(shownOverGL(screen.get()));
    post(kHighScoresNotification); // one at a time: a second would stay behind
    EXPECT_EQ(app->high12(), screen.get());
    EXPECT_EQ(Director::sharedDirector().openGLView()->subviews().size(), 1u);
    screen = nullptr; // the delegate alone holds it when its own button leaves
    runFor(0.6);

    platform::TouchInput input(test::sharedWindow());
    input.began(1, Point(289, 458)); // Done, at the right of the bottom bar
    input.ended(1, Point(289, 458));
    EXPECT_EQ(app->high12(), nullptr);
    runFor(0.6);
    EXPECT_NE(menuOnScreen(), nullptr);
    EXPECT_FALSE(Director::sharedDirector().isPaused());
}

TEST_F(ScreenSwitchingTest, StrayNotificationsChangeNothingOrLandOnTheMenu) {
    Director& d = Director::sharedDirector();
    Scene* running = d.runningScene();
    for (const char* name : {"Bogus", "BannerWillSlideIn", "BannerDidSlideOut"}) post(name);
    runFor(0.6);
    EXPECT_EQ(d.runningScene(), running);
    EXPECT_FALSE(d.isPaused());

    // A leave with no screen up lands on a new main menu.
    HelloWorld* before = menuOnScreen();
    post(kRemoveHighScoresNotification);
    runFor(0.6);
    EXPECT_NE(menuOnScreen(), nullptr);
    EXPECT_NE(menuOnScreen(), before);
    EXPECT_FALSE(d.isPaused());

    // Leaving before the flip in has ended: the menu stays, not an empty scene.
    post(kSettingsNotification);
    runFor(0.2);
    post(kSettingsLeaveNotification);
    runFor(1.0);
    EXPECT_NE(menuOnScreen(), nullptr);
    EXPECT_FALSE(d.isPaused());
}

TEST_F(ScreenSwitchingTest, HelpShowsTheHelpTextUntilOkay) {
    HelloWorld* menu = menuOnScreen();
    ASSERT_NE(menu, nullptr);
    menu->helpSelector(nullptr);
    runFor(0.3);
    platform::AlertView* alert = platform::AlertView::visibleAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), "Help");
    EXPECT_EQ(alert->message(), HelloWorld::kHelpText);
    ASSERT_EQ(alert->numberOfButtons(), 1);
    EXPECT_EQ(alert->buttonTitleAtIndex(0), "Okay!");
    platform::Keyboard::shared().keyDown("escape");
    runFor(0.3);
    EXPECT_EQ(platform::AlertView::visibleAlert(), nullptr);
}

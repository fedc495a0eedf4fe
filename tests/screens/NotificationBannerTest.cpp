// The banner service: queue order, timing, cutting short, and drawing over
// the running scene.
#include "engine/ActionManager.h"
#include "render/Label.h"
#include "render/TextureMgr.h"
#include "screens/QNNotificationManager.h"
#include "screens/StarboardNotification.h"
#include "tests/engine/EngineTestSupport.h"

namespace {

class BannerTest : public test::EngineTest {
protected:
    void TearDown() override {
        QNNotificationManager::purgeSharedMgr();
        TextureMgr::purgeSharedTextureMgr();
        EngineTest::TearDown();
    }
    static Ref<Node> banner() {
        Ref<Node> node = Node::node();
        node->setContentSize(Size(160, 62));
        node->setPosition(Point(5, 5));
        return node;
    }
    // Scheduler passes of 1/20 s (the first step of an action counts no time).
    static void advance(float seconds) {
        for (int i = 0; i < int(seconds * 20 + 0.5f); ++i) Scheduler::sharedScheduler().tick(0.05f);
    }
    QNNotificationManager& mgr = QNNotificationManager::sharedMgr();
};

} // namespace

TEST_F(BannerTest, BannersShowOneAtATimeOldestFirstEachForItsFullTime) {
    Ref<Node> first = banner(), second = banner();
    mgr.addNotification(first.get());
    mgr.addNotification(second.get());
    EXPECT_EQ(mgr.notificationNode(), first.get());
    EXPECT_EQ(first->position(), Point(0, -62));
    // The waiting one is neither entered nor placed until its turn.
    ASSERT_EQ(mgr.notificationQueue().size(), 1u);
    EXPECT_EQ(mgr.notificationQueue()[0], second);
    EXPECT_EQ(second->position(), Point(5, 5));
    EXPECT_EQ(ActionManager::sharedManager().numberOfRunningActionsInTarget(second.get()), 0);

    struct Step {
        float seconds; // how long to run
        Node* shown;
        float lowY, highY;
    } steps[] = {
        {0.25f, first.get(), -61, -1},   // sliding in
        {0.3f, first.get(), 0, 0},       // in at 0.45 s
        {2.2f, first.get(), 0, 0},       // still held at 2.7 s
        {0.35f, first.get(), -61, -1},   // sliding out
        {0.35f, second.get(), -62, -62}, // gone after 3.35 s: the next one starts
        {3.5f, nullptr, 0, 0},
    };
    for (const Step& s : steps) {
        advance(s.seconds);
        EXPECT_EQ(mgr.notificationNode(), s.shown) << s.seconds;
        if (s.shown) {
            EXPECT_GE(s.shown->position().y, s.lowY) << s.seconds;
            EXPECT_LE(s.shown->position().y, s.highY) << s.seconds;
        }
    }
    EXPECT_FALSE(mgr.notificationOnScreen());
    // Neither is kept by anyone once shown.
    EXPECT_EQ(first->retainCount(), 1);
    EXPECT_EQ(second->retainCount(), 1);
}

TEST_F(BannerTest, ClearingCutsTheBannerShortAndStartsTheNext) {
    mgr.clearNotification(); // nothing on screen: nothing happens
    EXPECT_FALSE(mgr.notificationOnScreen());

    Ref<Node> first = banner(), second = banner();
    mgr.addNotification(first.get());
    mgr.addNotification(second.get());
    advance(1);
    mgr.clearNotification();
    EXPECT_EQ(mgr.notificationNode(), second.get());
    EXPECT_EQ(second->position(), Point(0, -62));
    EXPECT_EQ(first->retainCount(), 1); // its slide does not hold it either
    advance(0.5f);
    EXPECT_EQ(second->position(), Point(0, 0));
}

TEST_F(BannerTest, TheDirectorDrawsTheBannerOverTheRunningScene) {
    attach();
    Director& director = Director::sharedDirector();
    Director::setDrawAfterSceneHook([] { QNNotificationManager::sharedMgr().visit(); });
    Ref<Scene> scene = Scene::node();
    scene->addChild(ColorLayer::layerWithColor(ccc4(255, 0, 0, 255)).get());
    director.runWithScene(scene.get());

    const std::string message =
        "A rather long message that cannot fit on one line of the banner, so it wraps";
    postBanner(message);
    auto* shown = dynamic_cast<StarboardNotification*>(mgr.notificationNode());
    ASSERT_NE(shown, nullptr);
    // The text is wrapped within 250 points.
    Label* text = nullptr;
    for (auto& child : shown->children())
        if (auto* label = dynamic_cast<Label*>(child.get())) text = label;
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->string(), message);
    EXPECT_LE(text->contentSize().width, StarboardNotification::kTextWidth);
    EXPECT_GT(text->contentSize().height, 30); // two lines of 14 points or more

    for (int i = 0; i < 60; ++i) {
        clock_.advance(1.0 / 60);
        director.mainLoop();
    }
    platform::Image img = frame();
    EXPECT_FALSE(test::near(test::at(img, 300, 470), 255, 0, 0, 40)); // the tinted strip
    EXPECT_TRUE(test::near(test::at(img, 300, 200), 255, 0, 0));
    Director::setDrawAfterSceneHook(nullptr);
}

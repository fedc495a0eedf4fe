// The sprite button: its touch area, one touch at a time, what it reports.
#include "engine/TouchDispatcher.h"
#include "game/QBButtonNode.h"
#include "render/TextureMgr.h"
#include "tests/engine/EngineTestSupport.h"

using platform::TouchPhase;

namespace {

class Journal : public QBButtonDelegate {
public:
    void didPressDown() override { calls.push_back("down"); }
    void stoppedPressing() override { calls.push_back("stopped"); }
    void didPressButton() override { calls.push_back("pressed"); }
    std::vector<std::string> calls;
};

using Calls = std::vector<std::string>;

class ButtonNodeTest : public test::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        // 64 × 32: x 68..132, y 184..216 in the scene.
        button = QBButtonNode::spriteWithFile("back1.png");
        ASSERT_EQ(button->contentSize(), Size(64, 32));
        button->setPosition(Point(100, 200));
        button->setDelegate(&journal);
        button->onEnter();
    }
    void TearDown() override {
        button->onExit();
        button->cleanup();
        button = nullptr;
        TextureMgr::purgeSharedTextureMgr();
        EngineTest::TearDown();
    }
    // Touches in scene coordinates (the view's y runs down from the top).
    static Ref<Touch> touchAt(Point p) {
        auto t = make<Touch>();
        t->update(TouchPhase::Began, Point(p.x, 480 - p.y), 0);
        return t;
    }
    void send(TouchPhase phase, Touch* t) {
        t->update(phase, t->locationInView(nullptr), 0);
        auto& d = TouchDispatcher::sharedDispatcher();
        TouchSet set{Ref<Touch>(t)};
        if (phase == TouchPhase::Began) d.touchesBegan(set, event.get());
        if (phase == TouchPhase::Ended) d.touchesEnded(set, event.get());
        if (phase == TouchPhase::Cancelled) d.touchesCancelled(set, event.get());
    }

    Ref<QBButtonNode> button;
    Journal journal;
    Ref<Event> event = make<Event>();
};

} // namespace

TEST_F(ButtonNodeTest, TheTouchAreaReachesTwentyPointsPastTheRightAndTopOnly) {
    struct Case {
        const char* where;
        Point at;
        Calls calls;
    } cases[] = {
        {"15 right of the right edge", Point(147, 200), {"down", "pressed"}},
        {"15 above the top edge", Point(100, 231), {"down", "pressed"}},
        {"15 left of the left edge", Point(53, 200), {"stopped"}},
        {"15 below the bottom edge", Point(100, 169), {"stopped"}},
    };
    for (const Case& c : cases) {
        journal.calls.clear();
        auto t = touchAt(c.at);
        send(TouchPhase::Began, t.get());
        send(TouchPhase::Ended, t.get());
        EXPECT_EQ(journal.calls, c.calls) << c.where;
        EXPECT_FALSE(button->hasBeenTouched()) << c.where;
    }
}

TEST_F(ButtonNodeTest, OneTouchAtATimeAndACancelledPressLetsGo) {
    auto first = touchAt(Point(100, 200));
    send(TouchPhase::Began, first.get());
    auto second = touchAt(Point(110, 205));
    EXPECT_FALSE(button->ccTouchBegan(second.get(), event.get()));
    EXPECT_TRUE(button->hasBeenTouched());
    first->update(TouchPhase::Moved, Point(10, 10), 0); // slid off
    send(TouchPhase::Ended, first.get());
    EXPECT_EQ(journal.calls, (Calls{"down", "stopped"}));

    // A cancelled press does not leave the button deaf.
    auto cancelled = touchAt(Point(100, 200));
    send(TouchPhase::Began, cancelled.get());
    send(TouchPhase::Cancelled, cancelled.get());
    EXPECT_FALSE(button->hasBeenTouched());
    auto again = touchAt(Point(100, 200));
    send(TouchPhase::Began, again.get());
    send(TouchPhase::Ended, again.get());
    EXPECT_EQ(journal.calls, (Calls{"down", "stopped", "down", "stopped", "down", "pressed"}));
}

TEST_F(ButtonNodeTest, EscapePressesAButtonThatIsOnScreen) {
    platform::Keyboard& keys = platform::Keyboard::shared();
    EXPECT_TRUE(keys.keyDown("escape"));
    EXPECT_FALSE(keys.keyDown("return"));
    EXPECT_EQ(journal.calls, (Calls{"down", "pressed"}));
    button->onExit();
    EXPECT_FALSE(keys.keyDown("escape"));
    EXPECT_TRUE(TouchDispatcher::sharedDispatcher().handlers().empty());
    button->onEnter();
}

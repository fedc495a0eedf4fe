#include "engine/TouchDispatcher.h"
#include "tests/engine/EngineTestSupport.h"

namespace {

using platform::Touch;

struct Calls {
    std::vector<std::string> log;
};

class Targeted : public Node, public TargetedTouchDelegate {
public:
    Targeted(std::string name, Calls* calls, bool claim) : name_(std::move(name)), calls_(calls), claim_(claim) {}
    bool ccTouchBegan(Touch* t, Event*) override {
        calls_->log.push_back(name_ + " began");
        if (onBegan) onBegan();
        return claims ? claims(t) : claim_;
    }
    void ccTouchMoved(Touch*, Event*) override { calls_->log.push_back(name_ + " moved"); }
    void ccTouchEnded(Touch*, Event*) override { calls_->log.push_back(name_ + " ended"); }
    std::function<void()> onBegan;
    std::function<bool(Touch*)> claims; // instead of claim_ when set
    std::string name_;
    Calls* calls_;
    bool claim_;
};

class Standard : public Node, public StandardTouchDelegate {
public:
    Standard(std::string name, Calls* calls, bool handles) : name_(std::move(name)), calls_(calls), handles_(handles) {}
    bool ccTouchesBegan(const TouchSet& t, Event*) override {
        calls_->log.push_back(name_ + " began " + std::to_string(t.size()));
        return handles_;
    }
    bool ccTouchesMoved(const TouchSet& t, Event*) override {
        calls_->log.push_back(name_ + " moved " + std::to_string(t.size()));
        return false;
    }
    std::string name_;
    Calls* calls_;
    bool handles_;
};

class TouchDispatcherTest : public test::EngineTest {
protected:
    TouchDispatcher& dispatcher() { return TouchDispatcher::sharedDispatcher(); }
    TouchSet touches(int n) {
        TouchSet set;
        for (int i = 0; i < n; ++i) set.push_back(make<Touch>());
        return set;
    }
    Ref<Event> event_ = make<Event>();
    Calls calls_;
};

} // namespace

TEST_F(TouchDispatcherTest, NewestFirstAmongEqualPrioritiesLowerNumbersBeforeAll) {
    auto a = make<Targeted>("a", &calls_, false);
    auto b = make<Targeted>("b", &calls_, false);
    auto menu = make<Targeted>("menu", &calls_, false);
    dispatcher().addTargetedDelegate(a.get(), 0, false);
    dispatcher().addTargetedDelegate(b.get(), 0, false);
    dispatcher().addTargetedDelegate(menu.get(), -2147483647, true);
    dispatcher().touchesBegan(touches(1), event_.get());
    EXPECT_EQ(calls_.log, (std::vector<std::string>{"menu began", "b began", "a began"}));

    // Moving a delegate to another priority puts it first among its new equals.
    calls_.log.clear();
    dispatcher().setPriority(0, menu.get());
    dispatcher().touchesBegan(touches(1), event_.get());
    EXPECT_EQ(calls_.log, (std::vector<std::string>{"menu began", "b began", "a began"}));
    EXPECT_CC_ERROR(dispatcher().setPriority(1, static_cast<Targeted*>(nullptr)), "InvalidArgument",
                    "Got nil touch delegate");
    auto stranger = make<Targeted>("x", &calls_, false);
    EXPECT_CC_ERROR(dispatcher().setPriority(1, stranger.get()), "InvalidArgument",
                    "Touch delegate not found");
}

TEST_F(TouchDispatcherTest, SwallowingTakesOnlyClaimedTouchesAndClaimsFollowTheGesture) {
    auto greedy = make<Targeted>("greedy", &calls_, true);
    auto below = make<Targeted>("below", &calls_, true);
    dispatcher().addTargetedDelegate(below.get(), 1, false);
    dispatcher().addTargetedDelegate(greedy.get(), 0, true);
    TouchSet set = touches(1);
    dispatcher().touchesBegan(set, event_.get());
    dispatcher().touchesMoved(set, event_.get());
    dispatcher().touchesEnded(set, event_.get());
    EXPECT_EQ(calls_.log, (std::vector<std::string>{"greedy began", "greedy moved", "greedy ended"}));

    // A swallower that claims nothing passes everything on; a delegate that
    // did not claim a touch hears nothing more of it.
    calls_.log.clear();
    greedy->claim_ = false;
    below->claim_ = false;
    set = touches(1);
    dispatcher().touchesBegan(set, event_.get());
    dispatcher().touchesMoved(set, event_.get());
    EXPECT_EQ(calls_.log, (std::vector<std::string>{"greedy began", "below began"}));

    // A claimed touch keeps coming even if the delegate would not claim now.
    calls_.log.clear();
    below->claim_ = true;
    set = touches(1);
    dispatcher().touchesBegan(set, event_.get());
    below->claim_ = false;
    dispatcher().touchesEnded(set, event_.get());
    EXPECT_EQ(calls_.log, (std::vector<std::string>{"greedy began", "below began", "below ended"}));
    EXPECT_TRUE(static_cast<TargetedTouchHandler*>(dispatcher().handlers()[1].get())
                    ->claimedTouches()
                    .empty());
}

TEST_F(TouchDispatcherTest, OfSeveralTouchesASwallowerTakesOnlyThoseItClaims) {
    auto picky = make<Targeted>("picky", &calls_, false);
    auto below = make<Standard>("below", &calls_, false);
    dispatcher().addStandardDelegate(below.get(), 1);
    dispatcher().addTargetedDelegate(picky.get(), 0, true);
    TouchSet two = touches(2);
    picky->claims = [&](Touch* t) { return t == two[0].get(); };
    dispatcher().touchesBegan(two, event_.get());
    dispatcher().touchesMoved(two, event_.get());
    dispatcher().touchesEnded(two, event_.get());
    EXPECT_EQ(calls_.log,
              (std::vector<std::string>{"picky began", "picky began", "below began 1",
                                        "picky moved", "below moved 1", "picky ended"}));
}

// The dispatcher keeps its lists from event to event; one dispatched from
// inside another must not touch the outer one's.
TEST_F(TouchDispatcherTest, ADispatchInsideAnotherLeavesTheOuterTouchesAlone) {
    auto picky = make<Targeted>("picky", &calls_, false);
    auto below = make<Standard>("below", &calls_, false);
    dispatcher().addStandardDelegate(below.get(), 1);
    dispatcher().addTargetedDelegate(picky.get(), 0, true);
    TouchSet two = touches(2), other = touches(1);
    picky->claims = [&](Touch* t) { return t == two[0].get(); };
    bool inside = false;
    picky->onBegan = [&] {
        if (!std::exchange(inside, true)) dispatcher().touchesBegan(other, event_.get());
    };
    dispatcher().touchesBegan(two, event_.get());
    EXPECT_EQ(calls_.log, (std::vector<std::string>{"picky began", "picky began", "below began 1",
                                                    "picky began", "below began 1"}));
}

TEST_F(TouchDispatcherTest, AStandardDelegateStopsOnePhaseOnly) {
    auto first = make<Standard>("first", &calls_, true);
    auto second = make<Standard>("second", &calls_, false);
    dispatcher().addStandardDelegate(second.get(), 1);
    dispatcher().addStandardDelegate(first.get(), 0);
    TouchSet set = touches(2);
    dispatcher().touchesBegan(set, event_.get());
    dispatcher().touchesMoved(set, event_.get());
    EXPECT_EQ(calls_.log,
              (std::vector<std::string>{"first began 2", "first moved 2", "second moved 2"}));
}

TEST_F(TouchDispatcherTest, RemovalDuringDispatchFollowsTheSnapshot) {
    auto a = make<Targeted>("a", &calls_, true);
    auto b = make<Targeted>("b", &calls_, true);
    dispatcher().addTargetedDelegate(b.get(), 1, false);
    dispatcher().addTargetedDelegate(a.get(), 0, false);
    // a removes b and itself: b is still called in this phase, neither later.
    a->onBegan = [&] {
        dispatcher().removeDelegate(b.get());
        dispatcher().removeDelegate(a.get());
    };
    TouchSet set = touches(1);
    dispatcher().touchesBegan(set, event_.get());
    dispatcher().touchesEnded(set, event_.get());
    EXPECT_EQ(calls_.log, (std::vector<std::string>{"a began", "b began"}));
    EXPECT_TRUE(dispatcher().handlers().empty());
}

TEST_F(TouchDispatcherTest, SwitchedOffDispatchCallsNobodyAndRegistrationIsOncePerObject) {
    auto a = make<Targeted>("a", &calls_, true);
    dispatcher().addTargetedDelegate(a.get(), 0, false);
    dispatcher().setDispatchEvents(false);
    dispatcher().touchesBegan(touches(1), event_.get());
    EXPECT_TRUE(calls_.log.empty());
    dispatcher().setDispatchEvents(true);

    struct Both : Node, TargetedTouchDelegate, StandardTouchDelegate {
        bool ccTouchBegan(Touch*, Event*) override { return false; }
    };
    auto both = make<Both>();
    dispatcher().addStandardDelegate(both.get(), 0);
    EXPECT_CC_ERROR(dispatcher().addTargetedDelegate(both.get(), 3, true), "InvalidArgument",
                    "Delegate already added to touch dispatcher.");
    EXPECT_EQ(dispatcher().handlers().size(), 2u);
    dispatcher().removeDelegate(both.get()); // either base names the object
    dispatcher().removeDelegate(both.get()); // twice: ignored
    EXPECT_EQ(dispatcher().handlers().size(), 1u);
}

TEST_F(TouchDispatcherTest, AHandlerKeepsItsDelegateAliveUntilRemoved) {
    struct Counted : Node, TargetedTouchDelegate {
        int* deaths;
        explicit Counted(int* d) : deaths(d) {}
        ~Counted() override { ++*deaths; }
        bool ccTouchBegan(Touch*, Event*) override { return false; }
    };
    int deaths = 0;
    Counted* raw;
    {
        auto c = make<Counted>(&deaths);
        raw = c.get();
        dispatcher().addTargetedDelegate(c.get(), 0, false);
    }
    EXPECT_EQ(deaths, 0);
    dispatcher().removeDelegate(raw);
    EXPECT_EQ(deaths, 1);
}

TEST_F(TouchDispatcherTest, LayersRegisterWhileRunningAndReachTheGLViewsTouches) {
    attach();
    struct TouchLayer : Layer {
        int began = 0;
        bool ccTouchesBegan(const TouchSet&, Event*) override {
            ++began;
            return true;
        }
    };
    auto layer = make<TouchLayer>();
    layer->setIsTouchEnabled(true);
    EXPECT_TRUE(dispatcher().handlers().empty());
    layer->onEnter();
    ASSERT_EQ(dispatcher().handlers().size(), 1u);
    // A touch arriving at the GL view goes through the dispatcher.
    EAGLView* view = Director::sharedDirector().openGLView();
    view->touchesBegan(touches(1), event_.get());
    EXPECT_EQ(layer->began, 1);
    // Switched off and on while running: it leaves and rejoins at once.
    layer->setIsTouchEnabled(false);
    EXPECT_TRUE(dispatcher().handlers().empty());
    view->touchesBegan(touches(1), event_.get());
    EXPECT_EQ(layer->began, 1);
    layer->setIsTouchEnabled(true);
    view->touchesBegan(touches(1), event_.get());
    EXPECT_EQ(layer->began, 2);
    layer->onExit();
    EXPECT_TRUE(dispatcher().handlers().empty());
}

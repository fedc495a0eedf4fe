#include "engine/TransitionScene.h"

#include "engine/EAGLView.h"
#include "engine/IntervalAction.h"
#include "engine/TouchDispatcher.h"
#include "tests/engine/EngineTestSupport.h"

#include <functional>

using test::at;
using test::near;

namespace {

// A screen as the game builds them: it reports its lifecycle with the frame
// it happened in, counts its per-frame updates, and takes touches while it
// runs.
class Screen : public Scene, public TargetedTouchDelegate {
public:
    Screen(std::string name, std::vector<std::string>* log, const int* frame)
        : name_(std::move(name)), log_(log), frame_(frame) {}
    void onEnter() override {
        Scene::onEnter();
        note("enter");
        TouchDispatcher::sharedDispatcher().addTargetedDelegate(this, 0, false);
    }
    void onExit() override {
        note("exit");
        TouchDispatcher::sharedDispatcher().removeDelegate(this);
        Scene::onExit();
    }
    void onEnterTransitionDidFinish() override {
        Scene::onEnterTransitionDidFinish();
        note("finish");
    }
    bool ccTouchBegan(Touch*, Event*) override {
        touchFrames.push_back(*frame_);
        return true;
    }
    void update(float) { updateFrames.push_back(*frame_); }
    void note(const std::string& what) {
        log_->push_back(std::to_string(*frame_) + " " + what + " " + name_);
    }

    std::vector<int> updateFrames;
    std::vector<int> touchFrames;
    std::string name_;
    std::vector<std::string>* log_;
    const int* frame_;
};

class TransitionTest : public test::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        attach();
    }
    void TearDown() override {
        // Scenes that were replaced still hold their timers (and the timers
        // them): let them go as a screen's owner would.
        if (Director* d = Director::existingDirector())
            if (d->runningScene()) d->end();
        for (auto& s : screens_)
            s->cleanup();
        screens_.clear();
        EngineTest::TearDown();
    }
    Ref<Screen> screen(const std::string& name) {
        auto s = make<Screen>(name, &log_, &frame_);
        s->schedule(ccSelector(s.get(), &Screen::update));
        screens_.push_back(s);
        return s;
    }
    // One frame at 60 frames per second.
    void step() {
        ++frame_;
        clock_.advance(1.0 / 60);
        Director::sharedDirector().mainLoop();
    }
    // Runs frames until the incoming scene is the running one; answers the
    // frame of the hand-over.
    int runUntilRunning(Scene* scene, int limit = 600) {
        for (int i = 0; i < limit && Director::sharedDirector().runningScene() != scene; ++i)
            step();
        EXPECT_EQ(Director::sharedDirector().runningScene(), scene);
        return frame_;
    }
    void tap() {
        TouchSet touches{make<Touch>()};
        EAGLView* view = Director::sharedDirector().openGLView();
        view->touchesBegan(touches, event_.get());
        view->touchesEnded(touches, event_.get());
    }
    // Runs `a`, then replaces it with the transition made by `makeT` at frame
    // `start` (the transition enters at the next frame).
    template <class MakeT>
    auto begin(Scene* a, MakeT makeT, int start = 5) {
        Director& d = Director::sharedDirector();
        d.runWithScene(a);
        while (frame_ < start)
            step();
        auto t = makeT();
        d.replaceScene(t.get());
        return t;
    }

    int frame_ = 0;
    std::vector<std::string> log_;
    std::vector<Ref<Screen>> screens_;
    Ref<Event> event_ = make<Event>();
};

} // namespace

TEST_F(TransitionTest, FadeEntersExitsAndUpdatesEachSceneAtTheRightFrames) {
    auto a = screen("a"), b = screen("b");
    begin(a.get(), [&] { return FadeTransition::transitionWithDuration(0.5f, b.get()); });
    const int entered = frame_ + 1;
    const int handOver = runUntilRunning(b.get());
    // 0.5 s at 60 frames a second, plus the tick that hands over.
    EXPECT_GE(handOver - entered, 30);
    EXPECT_LE(handOver - entered, 33);
    for (int i = 0; i < 5; ++i)
        step();

    auto f = [](int n) { return std::to_string(n); };
    EXPECT_EQ(log_, (std::vector<std::string>{"1 enter a", "1 finish a", f(entered) + " enter b",
                                              f(handOver) + " exit a", f(handOver) + " finish b"}));
    // The outgoing scene is updated up to the hand-over, the incoming one
    // from the first tick after it entered, without a gap.
    EXPECT_EQ(a->updateFrames.front(), 2);
    EXPECT_EQ(a->updateFrames.back(), handOver);
    EXPECT_EQ(a->updateFrames.size(), size_t(handOver - 1));
    EXPECT_EQ(b->updateFrames.front(), entered + 1);
    EXPECT_EQ(b->updateFrames.back(), frame_);
    EXPECT_EQ(b->updateFrames.size(), size_t(frame_ - entered));
    // Both scenes visible and at rest; the fade layer gone with its
    // transition.
    EXPECT_TRUE(a->visible());
    EXPECT_TRUE(b->visible());
}

TEST_F(TransitionTest, NoTouchReachesAnyoneUntilTheHandOver) {
    auto a = screen("a"), b = screen("b");
    Director& d = Director::sharedDirector();
    d.runWithScene(a.get());
    step();
    tap();
    EXPECT_EQ(a->touchFrames, std::vector<int>{1});
    d.replaceScene(FadeTransition::transitionWithDuration(0.5f, b.get()).get());
    tap(); // off from the moment the transition exists
    EXPECT_FALSE(TouchDispatcher::sharedDispatcher().dispatchEvents());
    int handOver = 0;
    for (int i = 0; i < 60; ++i) {
        step();
        if (!handOver && d.runningScene() == b.get()) handOver = frame_;
        tap();
    }
    ASSERT_GT(handOver, 0);
    EXPECT_EQ(a->touchFrames, std::vector<int>{1});
    ASSERT_FALSE(b->touchFrames.empty());
    EXPECT_EQ(b->touchFrames.front(), handOver);
    EXPECT_EQ(b->touchFrames.size(), size_t(frame_ - handOver + 1));
}

TEST_F(TransitionTest, FadeHidesTheIncomingSceneUntilTheColourCoversAll) {
    auto a = screen("a"), b = screen("b");
    auto t = begin(a.get(), [&] { return FadeTransition::transitionWithDuration(1.0f, b.get()); });
    step();
    Ref<ColorLayer> layer(dynamic_cast<ColorLayer*>(t->getChildByTag(kSceneFade)));
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(layer->zOrder(), 2);
    EXPECT_EQ(layer->contentSize(), Size(320, 480));
    // First half: the colour grows over a; b is hidden all along.
    int lastOpacity = -1;
    while (layer->opacity() < 255) {
        EXPECT_FALSE(b->visible()) << frame_;
        EXPECT_TRUE(a->visible()) << frame_;
        EXPECT_GE(layer->opacity(), lastOpacity);
        lastOpacity = layer->opacity();
        step();
        ASSERT_LT(frame_, 60);
    }
    // Swapped behind the opaque colour, which then uncovers b.
    EXPECT_TRUE(b->visible());
    EXPECT_FALSE(a->visible());
    EXPECT_NEAR(frame_ - 6, 30, 1);
    step();
    EXPECT_LT(layer->opacity(), 255);
    EXPECT_TRUE(b->visible());
    runUntilRunning(b.get());
    EXPECT_EQ(layer->parent(), nullptr);
    EXPECT_TRUE(a->visible()); // not drawn any more, but left as it was found
}

TEST_F(TransitionTest, SlidesAndMoveInsPlaceTheIncomingSceneAndBothEndAtRest) {
    struct Case {
        const char* name;
        std::function<Ref<TransitionScene>(Scene*)> make;
        Point inStart;
        bool inOnTop;
    };
    const Case cases[] = {
        {"SlideInL", [](Scene* s) { return SlideInLTransition::transitionWithDuration(0.5f, s); },
         Point(-319.5f, 0), false},
        {"SlideInR", [](Scene* s) { return SlideInRTransition::transitionWithDuration(0.5f, s); },
         Point(319.5f, 0), true},
        {"SlideInT", [](Scene* s) { return SlideInTTransition::transitionWithDuration(0.5f, s); },
         Point(0, 479.5f), false},
        {"SlideInB", [](Scene* s) { return SlideInBTransition::transitionWithDuration(0.5f, s); },
         Point(0, -479.5f), true},
        {"MoveInL", [](Scene* s) { return MoveInLTransition::transitionWithDuration(0.5f, s); },
         Point(-320, 0), true},
        {"MoveInR", [](Scene* s) { return MoveInRTransition::transitionWithDuration(0.5f, s); },
         Point(320, 0), true},
        {"MoveInT", [](Scene* s) { return MoveInTTransition::transitionWithDuration(0.5f, s); },
         Point(0, 480), true},
        {"MoveInB", [](Scene* s) { return MoveInBTransition::transitionWithDuration(0.5f, s); },
         Point(0, -480), true},
    };
    Director& d = Director::sharedDirector();
    auto a = screen("a");
    d.runWithScene(a.get());
    step();
    Scene* out = a.get();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto in = screen(c.name);
        auto t = c.make(in.get());
        EXPECT_EQ(t->inSceneOnTop(), c.inOnTop);
        d.replaceScene(t.get());
        step();
        // Placed before the effect's first step moved it.
        EXPECT_EQ(in->position(), c.inStart);
        step();
        step();
        EXPECT_NE(in->position(), c.inStart);
        const int entered = frame_ - 2;
        const int handOver = runUntilRunning(in.get());
        EXPECT_NEAR(handOver - entered, 31, 2);
        EXPECT_EQ(in->position(), Point(0, 0));
        EXPECT_EQ(out->position(), Point(0, 0));
        EXPECT_TRUE(out->visible());
        EXPECT_TRUE(in->visible());
        out = in.get();
    }
    // Each scene entered, finished and (but the last) exited once.
    EXPECT_EQ(log_.size(), 2 + 3 * std::size(cases));
}

TEST_F(TransitionTest, ZoomsRestoreScaleRotationAndPivotAndHandOverOnTime) {
    struct Case {
        const char* name;
        std::function<Ref<TransitionScene>(Scene*)> make;
    };
    const Case cases[] = {
        {"ShrinkGrow",
         [](Scene* s) { return ShrinkGrowTransition::transitionWithDuration(0.5f, s); }},
        {"RotoZoom", [](Scene* s) { return RotoZoomTransition::transitionWithDuration(0.5f, s); }},
        {"JumpZoom", [](Scene* s) { return JumpZoomTransition::transitionWithDuration(0.5f, s); }},
        {"FlipX", [](Scene* s) { return FlipXTransition::transitionWithDuration(0.5f, s); }},
        {"FlipYDown",
         [](Scene* s) {
             return FlipYTransition::transitionWithDuration(0.5f, s, kOrientationDownOver);
         }},
        {"FlipAngular",
         [](Scene* s) { return FlipAngularTransition::transitionWithDuration(0.5f, s); }},
        {"ZoomFlipX",
         [](Scene* s) {
             return ZoomFlipXTransition::transitionWithDuration(0.5f, s, kOrientationRightOver);
         }},
        {"ZoomFlipY",
         [](Scene* s) { return ZoomFlipYTransition::transitionWithDuration(0.5f, s); }},
        {"ZoomFlipAngular",
         [](Scene* s) { return ZoomFlipAngularTransition::transitionWithDuration(0.5f, s); }},
    };
    Director& d = Director::sharedDirector();
    auto a = screen("a");
    d.runWithScene(a.get());
    step();
    Scene* out = a.get();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto in = screen(c.name);
        d.replaceScene(c.make(in.get()).get());
        step();
        const int entered = frame_;
        // Something moves in the middle of the effect.
        for (int i = 0; i < 20; ++i)
            step();
        auto* flip = dynamic_cast<FlipXTransition*>(d.runningScene());
        EXPECT_TRUE(in->scaleX() < 0.999f || out->scaleX() < 0.999f ||
                    in->position() != Point(0, 0) || (flip && flip->inTurn() != 0));
        const int handOver = runUntilRunning(in.get());
        EXPECT_NEAR(handOver - entered, 31, 2);
        for (Scene* s : {out, static_cast<Scene*>(in.get())}) {
            EXPECT_EQ(s->position(), Point(0, 0));
            EXPECT_EQ(s->scaleX(), 1);
            EXPECT_EQ(s->scaleY(), 1);
            EXPECT_EQ(s->rotation(), 0);
            EXPECT_EQ(s->anchorPoint(), Point(0.5f, 0.5f));
            EXPECT_TRUE(s->visible());
        }
        out = in.get();
    }
}

TEST_F(TransitionTest, CreationRulesAndTheTransitionLetsGoOfBothScenes) {
    EXPECT_CC_ASSERT(FadeTransition::transitionWithDuration(0.5f, nullptr),
                     "Argument scene must be non-nil");
    Director& d = Director::sharedDirector();
    auto a = screen("a");
    d.runWithScene(a.get());
    step();
    EXPECT_CC_ERROR(FadeTransition::transitionWithDuration(0.5f, a.get()),
                    "TransitionWithInvalidScene",
                    "Incoming scene must be different from the outgoing scene");
    EXPECT_TRUE(TouchDispatcher::sharedDispatcher().dispatchEvents());

    // Coloured fades keep the colour with alpha 0; the layer tag is the
    // signed value of 0xFADEFADE.
    auto b = screen("b");
    EXPECT_EQ(kSceneFade, -86050082);
    auto plain = FadeTransition::transitionWithDuration(0.5f, b.get());
    EXPECT_EQ(plain->color(), ccc4(0, 0, 0, 0));
    EXPECT_EQ(plain->outScene(), a.get());
    auto white = FadeTransition::transitionWithDuration(0.5f, b.get(), ccc3(255, 255, 255));
    EXPECT_EQ(white->color(), ccc4(255, 255, 255, 0));

    // Once handed over, nothing keeps the transition (nor, through it, the
    // outgoing scene) alive.
    struct Counted : FadeTransition {
        static Ref<Counted> make(float t, Scene* s, int* deaths) {
            auto c = create<Counted>(t, s);
            c->deaths = deaths;
            return c;
        }
        ~Counted() override { ++*deaths; }
        int* deaths = nullptr;
    };
    int deaths = 0;
    white = nullptr;
    plain = nullptr;
    d.replaceScene(Counted::make(0.25f, b.get(), &deaths).get());
    runUntilRunning(b.get());
    step();
    EXPECT_EQ(deaths, 1);
}

TEST_F(TransitionTest, ATransitionCanBeTheFirstScene) {
    auto b = screen("b");
    Director& d = Director::sharedDirector();
    d.runWithScene(FadeTransition::transitionWithDuration(0.25f, b.get()).get());
    const int handOver = runUntilRunning(b.get());
    EXPECT_NEAR(handOver, 17, 2);
    EXPECT_EQ(log_,
              (std::vector<std::string>{"1 enter b", std::to_string(handOver) + " finish b"}));
    EXPECT_TRUE(TouchDispatcher::sharedDispatcher().dispatchEvents());
}

TEST_F(TransitionTest, EndingTheDirectorMidwayLetsBothScenesGo) {
    struct Counted : Scene {
        int* deaths;
        explicit Counted(int* d) : deaths(d) {}
        ~Counted() override { ++*deaths; }
        void tick(float) {}
    };
    int deaths = 0;
    Director& d = Director::sharedDirector();
    {
        auto a = make<Counted>(&deaths), b = make<Counted>(&deaths);
        a->schedule(ccSelector(a.get(), &Counted::tick));
        b->schedule(ccSelector(b.get(), &Counted::tick));
        d.runWithScene(a.get());
        step();
        d.replaceScene(SlideInLTransition::transitionWithDuration(1, b.get()).get());
        step();
        step();
    }
    d.end();
    EXPECT_EQ(deaths, 2);
}

TEST_F(TransitionTest, ANewerRequestSupersedesARunningTransition) {
    // A second screen change asked for before the first hand-over (delayed
    // calls are never cancelled): mid-effect, with the hand-over already
    // due, and without a transition of its own.
    enum When { MidEffect, HandOverDue, PlainScene };
    for (When when : {MidEffect, HandOverDue, PlainScene}) {
        SCOPED_TRACE(when);
        auto a = screen("a"), b = screen("b"), c = screen("c");
        auto first =
            begin(a.get(), [&] { return FadeTransition::transitionWithDuration(0.5f, b.get()); });
        Director& d = Director::sharedDirector();
        while (when == HandOverDue ? !first->isScheduled("setNewScene") : frame_ < 15)
            step();
        const int superseded = frame_ + 1;
        if (when == PlainScene)
            d.replaceScene(c.get());
        else
            d.replaceScene(FadeTransition::transitionWithDuration(0.25f, c.get()).get());
        first = nullptr;
        const int handOver = runUntilRunning(c.get());
        for (int i = 0; i < 40; ++i) {
            step();
            tap();
        }
        EXPECT_EQ(d.runningScene(), c.get()); // the older hand-over does not win
        auto f = [](int n) { return std::to_string(n); };
        std::vector<std::string> expected{"1 enter a", "1 finish a", "6 enter b",
                                          f(superseded) + " exit a", f(superseded) + " finish b"};
        if (when == PlainScene) {
            EXPECT_EQ(handOver, superseded);
            expected.insert(expected.end(), {f(superseded) + " exit b", f(superseded) + " enter c",
                                             f(superseded) + " finish c"});
        } else {
            EXPECT_NEAR(handOver - superseded, 16, 2);
            expected.insert(expected.end(), {f(superseded) + " enter c", f(handOver) + " exit b",
                                             f(handOver) + " finish c"});
        }
        EXPECT_EQ(log_, expected);
        EXPECT_TRUE(TouchDispatcher::sharedDispatcher().dispatchEvents());
        EXPECT_EQ(c->touchFrames.size(), 40u);
        EXPECT_TRUE(b->touchFrames.empty());
        EXPECT_EQ(b->updateFrames.back(), handOver); // b is let go with its transition
        EXPECT_TRUE(b->visible());
        EXPECT_EQ(b->position(), Point(0, 0));
        d.end();
        attach();
        log_.clear();
        frame_ = 0;
    }
}

// --- pictures ---

namespace {
Ref<Scene> filled(ccColor4B colour) {
    auto s = Scene::node();
    s->addChild(ColorLayer::layerWithColor(colour).get());
    return s;
}
} // namespace

TEST_F(TransitionTest, PictureFadeGoesThroughBlackAtItsMidpoint) {
    auto red = filled(ccc4(255, 0, 0, 255)), blue = filled(ccc4(0, 0, 255, 255));
    auto t =
        begin(red.get(), [&] { return FadeTransition::transitionWithDuration(1, blue.get()); });
    step();
    auto* layer = dynamic_cast<ColorLayer*>(t->getChildByTag(kSceneFade));
    ASSERT_NE(layer, nullptr);
    // A quarter of the way: red dimmed by about half, no blue.
    for (int i = 0; i < 15; ++i)
        step();
    platform::Image img = frame();
    int o = layer->opacity();
    EXPECT_NEAR(o, 128, 12);
    EXPECT_TRUE(near(at(img, 160, 240), 255 - o, 0, 0, 3)) << int(at(img, 160, 240)[0]);
    EXPECT_TRUE(near(at(img, 5, 5), 255 - o, 0, 0, 3));
    while (layer->opacity() < 255)
        step();
    img = frame();
    for (auto [x, y] : {std::pair{0, 0}, {319, 479}, {160, 240}, {10, 470}})
        EXPECT_TRUE(near(at(img, x, y), 0, 0, 0, 0)) << x << "," << y;
    // Three quarters: blue coming through.
    for (int i = 0; i < 15; ++i)
        step();
    img = frame();
    o = layer->opacity();
    EXPECT_NEAR(o, 128, 12);
    EXPECT_TRUE(near(at(img, 160, 240), 0, 0, 255 - o, 3)) << int(at(img, 160, 240)[2]);
}

TEST_F(TransitionTest, PictureSlideAtHalfTimeShowsBothScenesSideBySide) {
    auto red = filled(ccc4(255, 0, 0, 255)), blue = filled(ccc4(0, 0, 255, 255));
    begin(red.get(), [&] { return SlideInLTransition::transitionWithDuration(1, blue.get()); });
    for (int i = 0; i < 31; ++i)
        step();
    // Half the time with an ease-out of rate 2: about 71 % of the way.
    const float edge = blue->position().x + 320;
    EXPECT_NEAR(edge, 319.5f * 0.7071f, 4);
    EXPECT_NEAR(red->position().x, edge - 0.5f, 1e-3);
    platform::Image img = frame();
    const int e = int(edge);
    for (int y : {5, 240, 475}) {
        EXPECT_TRUE(near(at(img, 0, y), 0, 0, 255)) << y;
        EXPECT_TRUE(near(at(img, e - 3, y), 0, 0, 255)) << y;
        EXPECT_TRUE(near(at(img, e + 3, y), 255, 0, 0)) << y;
        EXPECT_TRUE(near(at(img, 319, y), 255, 0, 0)) << y;
    }
}

TEST_F(TransitionTest, PictureFlipTurnsTheOutgoingSceneAwayThenTheIncomingOneOn) {
    auto red = filled(ccc4(255, 0, 0, 255)), blue = filled(ccc4(0, 0, 255, 255));
    auto t =
        begin(red.get(), [&] { return FlipXTransition::transitionWithDuration(1, blue.get()); });
    // Black where the card's receding side no longer reaches.
    auto check = [&](int r, int b) {
        platform::Image img = frame();
        EXPECT_TRUE(near(at(img, 160, 240), r, 0, b)) << frame_;
        const bool leftClear = near(at(img, 30, 240), 0, 0, 0);
        const bool rightClear = near(at(img, 290, 240), 0, 0, 0);
        EXPECT_NE(leftClear, rightClear) << frame_;
        // The near side grows with perspective, the far side shrinks.
        const int nearX = leftClear ? 300 : 20;
        EXPECT_TRUE(near(at(img, nearX, 240), r, 0, b)) << frame_;
        return leftClear;
    };
    for (int i = 0; i < 16; ++i)
        step(); // a quarter: 45 degrees away
    auto* flip = dynamic_cast<FlipXTransition*>(t.get());
    EXPECT_NEAR(flip->outTurn(), 45, 4);
    EXPECT_FALSE(blue->visible());
    const bool outLeftRecedes = check(255, 0);
    for (int i = 0; i < 30; ++i)
        step(); // three quarters: 45 degrees short of flat
    EXPECT_NEAR(flip->inTurn(), -45, 4);
    EXPECT_FALSE(red->visible());
    // Turning on in the same sense, the incoming card recedes on the other
    // side.
    EXPECT_NE(check(0, 255), outLeftRecedes);
    runUntilRunning(blue.get());
    EXPECT_EQ(flip->inTurn(), 0);
    EXPECT_EQ(flip->outTurn(), 0);
}

#include "tests/engine/EngineTestSupport.h"

#include "engine/InstantAction.h"
#include "engine/IntervalAction.h"
#include "platform/System.h"

using test::JournalNode;

namespace {

// A scene that reports its lifecycle and counts its updates.
class JournalScene : public Scene {
public:
    JournalScene(std::string name, std::vector<std::string>* journal)
        : name_(std::move(name)), journal_(journal) {}
    void onEnter() override {
        Scene::onEnter();
        journal_->push_back("enter " + name_);
    }
    void onExit() override {
        journal_->push_back("exit " + name_);
        Scene::onExit();
    }
    void onEnterTransitionDidFinish() override {
        Scene::onEnterTransitionDidFinish();
        journal_->push_back("finish " + name_);
    }
    void step(float dt) { steps.push_back(dt); }
    std::vector<float> steps;
    std::string name_;
    std::vector<std::string>* journal_;
};

// Stands in for a transition: it enters the incoming scene itself and
// hands over to it later.
class StandInTransition : public JournalScene {
public:
    using JournalScene::JournalScene;
    bool isTransitionScene() const override { return true; }
};

class DirectorTest : public test::EngineTest {
protected:
    Ref<JournalScene> scene(const std::string& name) { return make<JournalScene>(name, &log_); }
    // One frame as the run loop would drive it, with the clock moved first.
    void frameAfter(double seconds) {
        clock_.advance(seconds);
        Director::sharedDirector().mainLoop();
    }
    std::vector<std::string> log_;
};

} // namespace

TEST_F(DirectorTest, DeltaTimeRules) {
    Director& d = Director::sharedDirector();
    auto s = scene("s");
    s->schedule(ccSelector(s.get(), &JournalScene::step));
    clock_.advance(5); // time before the loop starts does not count
    d.runWithScene(s.get());
    frameAfter(0.25);
    EXPECT_FLOAT_EQ(d.dt(), 0.25f);
    frameAfter(0.5);
    EXPECT_FLOAT_EQ(d.dt(), 0.5f);

    d.setNextDeltaTimeZero(true);
    frameAfter(0.5);
    EXPECT_EQ(d.dt(), 0);
    EXPECT_FALSE(d.nextDeltaTimeZero());

    clock_.setWall(clock_.wall() - 10); // clock turned back
    d.mainLoop();
    EXPECT_EQ(d.dt(), 0);

    // Paused: frames are drawn but nothing ticks; resume measures from resume.
    size_t steps = s->steps.size();
    d.pause();
    frameAfter(3);
    EXPECT_EQ(s->steps.size(), steps);
    clock_.advance(7);
    d.resume();
    frameAfter(0.1);
    EXPECT_NEAR(d.dt(), 0.1f, 1e-5);
    EXPECT_EQ(s->steps.size(), steps + 1);

    // An unreadable clock ends the frame with dt 0 and nothing ticked.
    clock_.setFailing(true);
    frameAfter(1);
    EXPECT_EQ(d.dt(), 0);
    EXPECT_EQ(s->steps.size(), steps + 1);
}

TEST_F(DirectorTest, PauseTwiceResumeOnceRestoresTheFirstInterval) {
    Director& d = Director::sharedDirector();
    d.setAnimationInterval(1.0 / 30);
    d.pause();
    EXPECT_DOUBLE_EQ(d.animationInterval(), 0.25);
    d.pause();
    d.resume();
    EXPECT_DOUBLE_EQ(d.animationInterval(), 1.0 / 30);
    EXPECT_FALSE(d.isPaused());
}

TEST_F(DirectorTest, SceneStackSwitchesAtTheNextFrameAndEndsWhenEmpty) {
    Director& d = Director::sharedDirector();
    auto a = scene("a"), b = scene("b");
    d.runWithScene(a.get());
    EXPECT_EQ(d.runningScene(), nullptr);
    frameAfter(0.1);
    EXPECT_EQ(d.runningScene(), a.get());
    d.pushScene(b.get());
    frameAfter(0.1);
    d.popScene();
    frameAfter(0.1);
    EXPECT_EQ(d.runningScene(), a.get());
    EXPECT_EQ(log_, (std::vector<std::string>{"enter a", "finish a", "exit a", "enter b",
                                              "finish b", "exit b", "enter a", "finish a"}));
    EXPECT_CC_ASSERT(d.runWithScene(b.get()),
                     "You can't run an scene if another Scene is running. Use replaceScene or "
                     "pushScene instead");
    log_.clear();
    d.popScene(); // the last scene: the director ends
    EXPECT_EQ(d.runningScene(), nullptr);
    EXPECT_EQ(d.sceneCount(), 0u);
    EXPECT_EQ(log_, (std::vector<std::string>{"exit a"}));
    EXPECT_CC_ASSERT(d.popScene(), "A running Scene is needed");
    EXPECT_CC_ASSERT(d.pushScene(nullptr), "Argument must be non-nil");
}

TEST_F(DirectorTest, TransitionScenesHandOverWithoutASecondEnterOrExit) {
    Director& d = Director::sharedDirector();
    auto out = scene("out"), in = scene("in");
    auto t = make<StandInTransition>("t", &log_);
    d.runWithScene(out.get());
    frameAfter(0.1);
    log_.clear();
    d.replaceScene(t.get());
    frameAfter(0.1);
    // The outgoing scene is left to the transition.
    EXPECT_EQ(log_, (std::vector<std::string>{"enter t", "finish t"}));
    in->onEnter(); // the transition enters its incoming scene itself
    log_.clear();
    d.replaceScene(in.get());
    frameAfter(0.1);
    EXPECT_EQ(log_, (std::vector<std::string>{"exit t"}));
    EXPECT_EQ(d.runningScene(), in.get());
}

TEST_F(DirectorTest, OrientationChangesSizeConversionsAndStatusBar) {
    attach();
    Director& d = Director::sharedDirector();
    d.setDeviceOrientation(CCDeviceOrientationLandscapeLeft);
    EXPECT_EQ(d.winSize(), Size(480, 320));
    EXPECT_EQ(d.convertToGL(Point(10, 300)), Point(300, 10));
    EXPECT_EQ(platform::StatusBar::orientation(), 3);
    EXPECT_TRUE(d.landscape());
    for (int o = 1; o <= 4; ++o) {
        d.setDeviceOrientation(o);
        Point p(37, 411);
        EXPECT_EQ(d.convertToUI(d.convertToGL(p)), p) << o;
    }
    d.setDeviceOrientation(CCDeviceOrientationPortraitUpsideDown);
    EXPECT_EQ(d.convertToGL(Point(10, 300)), Point(310, 300));
    EXPECT_EQ(platform::StatusBar::orientation(), 1);

    test::LogCapture log;
    d.setDeviceOrientation(5);
    EXPECT_EQ(d.deviceOrientation(), 5);
    EXPECT_EQ(d.winSize(), Size(320, 480));
    EXPECT_TRUE(log.contains("Director: Unknown device orientation"));
    d.setDeviceOrientation(1);
}

TEST_F(DirectorTest, AttachDetachAndFormatErrors) {
    attach();
    Director& d = Director::sharedDirector();
    EXPECT_TRUE(d.isOpenGLAttached());
    EXPECT_EQ(d.projection(), 1);
    EXPECT_CC_ERROR(d.attachInView(test::sharedWindow()), "kccException_OpenGLViewAlreadyAttached",
                    "Can't re-attach the OpenGL View, because it is already attached. Detach it "
                    "first.");
    EXPECT_CC_ERROR(d.setPixelFormat(0), "DirectorAlreadyInitialized",
                    "Can't change the pixel format after the director was initialized");
    EXPECT_CC_ERROR(d.setDepthBufferFormat(1), "DirectorAlreadyInitialized",
                    "Can't change the depth buffer format after the director was initialized");
    EXPECT_TRUE(d.detach());
    EXPECT_CC_ERROR(d.detach(), "kccException_OpenGLViewNotAttached",
                    "Can't detach the OpenGL View, because it is not attached. Attach it first.");
    // Attaching again reuses the view.
    EAGLView* view = d.openGLView();
    attach();
    EXPECT_EQ(d.openGLView(), view);
}

TEST_F(DirectorTest, DirectorTypesAndTheVersionRule) {
    EXPECT_CC_ASSERT(Director::setDirectorType(7), "Unknown director type");
    platform::setSystemVersion("3.0.1");
    EXPECT_FALSE(Director::setDirectorType(CCDirectorTypeDisplayLink));
    EXPECT_EQ(Director::existingDirector(), nullptr);
    platform::setSystemVersion("3.10");
    EXPECT_TRUE(Director::setDirectorType(CCDirectorTypeDisplayLink));
    EXPECT_NE(dynamic_cast<DisplayLinkDirector*>(Director::existingDirector()), nullptr);
    EXPECT_CC_ASSERT(Director::setDirectorType(0),
                     "A Director was alloced. setDirectorType must be the first call to Director");
    EXPECT_CC_ASSERT(Director::useFastDirector(), "A Director was alloced. To use Fast Director "
                                                  "this must be the first call to Director");
    EXPECT_CC_ASSERT(make<TimerDirector>(), "Attempted to allocate a second instance of a singleton.");
    Director::purgeSharedDirector();
    EXPECT_NE(dynamic_cast<TimerDirector*>(&Director::sharedDirector()), nullptr);
}

namespace {
// Counts frames drawn by the director within `seconds` of loop time.
int framesIn(platform::ManualClock& clock, double seconds, int type) {
    Director::purgeSharedDirector();
    Director::setDirectorType(type);
    Director& d = Director::sharedDirector();
    auto s = Scene::node();
    int frames = 0;
    s->schedule(UpdateSelector("count", [&](float) { ++frames; }));
    d.runWithScene(s.get());
    double end = clock.monotonic() + seconds;
    platform::RunLoop& loop = platform::RunLoop::main();
    if (type == CCDirectorTypeMainLoop) {
        // The fast loop runs inside the run loop until it is told to stop.
        loop.scheduleTimer(seconds, false, [&] { d.stopAnimation(); });
        loop.runEventSlice(0);
    } else {
        while (clock.monotonic() < end - 1e-9) loop.runEventSlice(seconds);
    }
    d.end();
    return frames;
}
} // namespace

TEST_F(DirectorTest, EveryVariantDrivesFrames) {
    attach();
    EXPECT_NEAR(framesIn(clock_, 1.0, CCDirectorTypeNSTimer), 60, 2);
    attach();
    EXPECT_NEAR(framesIn(clock_, 1.0, CCDirectorTypeDisplayLink), 60, 2);
    attach();
    EXPECT_GT(framesIn(clock_, 0.5, CCDirectorTypeMainLoop), 10);
}

TEST_F(DirectorTest, ThreadedVariantRunsFramesOnTheMainThread) {
    Director::setDirectorType(CCDirectorTypeThreadMainLoop);
    Director& d = Director::sharedDirector();
    attach();
    auto s = Scene::node();
    std::atomic<int> frames{0};
    bool onMain = true;
    s->schedule(UpdateSelector("count", [&](float) {
        ++frames;
        onMain = onMain && platform::RunLoop::main().isMainThread();
    }));
    test::LogCapture log;
    d.setAnimationInterval(0.5);
    EXPECT_TRUE(log.contains("FastDirectory doesn't support setAnimationInterval, yet"));
    d.runWithScene(s.get());
    for (int i = 0; i < 2000 && frames < 5; ++i) platform::RunLoop::main().runEventSlice(0.01);
    EXPECT_GE(frames.load(), 5);
    EXPECT_TRUE(onMain);
    d.end();
    Director::purgeSharedDirector(); // joins the helper thread
}

TEST_F(DirectorTest, PausedDisplayLinkDrawsEveryFifteenthRefresh) {
    Director::setDirectorType(CCDirectorTypeDisplayLink);
    Director& d = Director::sharedDirector();
    attach();
    d.runWithScene(Scene::node().get());
    platform::Window* window = test::sharedWindow();
    auto framesDuring = [&](double seconds) {
        uint64_t before = window->presentedFrames();
        double end = clock_.monotonic() + seconds;
        while (clock_.monotonic() < end - 1e-9) platform::RunLoop::main().runEventSlice(seconds);
        return int(window->presentedFrames() - before);
    };
    EXPECT_NEAR(framesDuring(1.0), 60, 1);
    d.pause();
    EXPECT_NEAR(framesDuring(1.0), 4, 1);
    d.resume();
    EXPECT_NEAR(framesDuring(1.0), 60, 1);
}

TEST_F(DirectorTest, EndReleasesScenesThatNeverRan) {
    struct Counted : Scene {
        int* deaths;
        explicit Counted(int* d) : deaths(d) {}
        ~Counted() override { ++*deaths; }
        void tick(float) {}
    };
    int deaths = 0;
    Director& d = Director::sharedDirector();
    {
        auto first = make<Counted>(&deaths);
        auto second = make<Counted>(&deaths);
        // Timers scheduled before a scene runs hold it alive.
        first->schedule(ccSelector(first.get(), &Counted::tick));
        second->schedule(ccSelector(second.get(), &Counted::tick));
        d.runWithScene(first.get());
        d.pushScene(second.get());
    }
    d.end();
    EXPECT_EQ(deaths, 2);
}

TEST_F(DirectorTest, ScenesThatLeaveTheStackAreReleasedThosePushedUnderStay) {
    struct Counted : Scene {
        int* deaths;
        int steps = 0;
        explicit Counted(int* d) : deaths(d) {}
        ~Counted() override { ++*deaths; }
        void tick(float) { ++steps; }
    };
    // Outlives the test body: the last scenes go when the fixture ends.
    static int deaths;
    deaths = 0;
    Director& d = Director::sharedDirector();
    Counted* bottom;
    {
        auto first = make<Counted>(&deaths);
        auto second = make<Counted>(&deaths);
        auto third = make<Counted>(&deaths);
        for (Counted* s : {first.get(), second.get(), third.get()})
            s->schedule(ccSelector(s, &Counted::tick));
        bottom = second.get();
        d.runWithScene(first.get());
        frameAfter(0.1);
        d.replaceScene(second.get()); // the first leaves for good
        frameAfter(0.1);
        d.pushScene(third.get());
    }
    // The scheduler lets go of a stopped timer at its next tick.
    frameAfter(0.1);
    EXPECT_EQ(deaths, 1);
    frameAfter(0.1);
    EXPECT_EQ(deaths, 1); // the second waits under the third
    d.popScene();
    frameAfter(0.1);
    frameAfter(0.1);
    EXPECT_EQ(deaths, 2); // the third is gone
    int before = bottom->steps;
    frameAfter(0.1);
    EXPECT_EQ(bottom->steps, before + 1); // the second ticks again
}

TEST_F(DirectorTest, EndingInsideAFrameFinishesThatFrameAndALaterRunStartsAfresh) {
    // The scheduler, the action manager and the director are released while
    // their own loops are walking (under ASan a use after free otherwise).
    for (bool fromAction : {false, true}) {
        SCOPED_TRACE(fromAction ? "end from a CallFunc" : "popScene from a timer");
        Director& d = Director::sharedDirector();
        auto s = Scene::node();
        int later = 0;
        if (fromAction) {
            auto quit = CallFunc::actionWithTarget(
                s.get(), Selector<void()>("quit", [] { Director::sharedDirector().end(); }));
            s->runAction(Sequence::actions({DelayTime::actionWithDuration(0.05f), quit}).get());
        } else {
            s->schedule(
                UpdateSelector("quit", [](float) { Director::sharedDirector().popScene(); }));
        }
        s->schedule(UpdateSelector("later", [&](float) { ++later; }));
        d.runWithScene(s.get());
        for (int i = 0; i < 5 && (i == 0 || d.runningScene()); ++i)
            frameAfter(0.1);
        EXPECT_EQ(d.runningScene(), nullptr);
        EXPECT_EQ(later, fromAction ? 1 : 0); // nothing fires after the end

        auto next = Scene::node();
        int ticks = 0;
        next->schedule(UpdateSelector("count", [&](float) { ++ticks; }));
        d.runWithScene(next.get());
        frameAfter(0.1);
        frameAfter(0.1);
        EXPECT_EQ(ticks, 1);
        d.end();
    }
}

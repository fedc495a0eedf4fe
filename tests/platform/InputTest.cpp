#include "platform/Accelerometer.h"
#include "platform/Clock.h"
#include "platform/RunLoop.h"
#include "platform/TouchInput.h"
#include "platform/View.h"
#include "tests/common/TestSupport.h"

#include <cmath>

using namespace platform;

namespace {

// Records what reaches it, phase by phase.
class RecordingView : public View {
public:
    using View::View;
    struct Call {
        char phase;
        Ref<Touch> touch;
        Point location;
        size_t allTouches;
    };
    std::vector<Call> calls;

    void record(char phase, const TouchSet& touches, Event* event) {
        for (auto& t : touches)
            calls.push_back({phase, t, t->locationInView(this), event->allTouches().size()});
    }
    void touchesBegan(const TouchSet& t, Event* e) override { record('b', t, e); }
    void touchesMoved(const TouchSet& t, Event* e) override { record('m', t, e); }
    void touchesEnded(const TouchSet& t, Event* e) override { record('e', t, e); }
    void touchesCancelled(const TouchSet& t, Event* e) override { record('c', t, e); }
};

class InputTest : public ::testing::Test {
protected:
    void SetUp() override {
        setClock(&clock_);
        RunLoop::main().reset();
        RunLoop::main().setVirtualClock(&clock_);
        root_ = make<View>(Rect(0, 0, 320, 480));
        lower_ = make<RecordingView>(Rect(0, 240, 320, 240));
        upper_ = make<RecordingView>(Rect(0, 0, 320, 240));
        root_->addSubview(lower_.get());
        root_->addSubview(upper_.get());
    }
    void TearDown() override {
        Accelerometer::sharedAccelerometer().reset();
        RunLoop::main().reset();
        RunLoop::main().setVirtualClock(nullptr);
        setClock(nullptr);
    }

    ManualClock clock_;
    Ref<View> root_;
    Ref<RecordingView> lower_, upper_;
};

} // namespace

TEST_F(InputTest, AFingerKeepsItsTouchAndViewFromDownToUp) {
    TouchInput input(root_.get());
    input.began(0, Point(10, 300));
    input.moved(0, Point(15, 100)); // strays over the other view: still ours
    input.moved(0, Point(15, 100)); // no movement, no event
    input.ended(0, Point(20, 90));

    ASSERT_EQ(lower_->calls.size(), 3u);
    EXPECT_TRUE(upper_->calls.empty());
    auto& c = lower_->calls;
    EXPECT_EQ(std::string() + c[0].phase + c[1].phase + c[2].phase, "bme");
    EXPECT_EQ(c[0].touch, c[1].touch);
    EXPECT_EQ(c[1].touch, c[2].touch);
    EXPECT_EQ(c[0].location, Point(10, 60)); // view coordinates
    EXPECT_EQ(c[2].location, Point(20, -150));
    EXPECT_EQ(c[2].touch->phase(), TouchPhase::Ended);
    EXPECT_EQ(c[2].touch->previousLocationInView(nullptr), Point(15, 100));
    EXPECT_FALSE(input.isDown(0));

    // A new gesture is a new touch.
    input.began(0, Point(10, 300));
    EXPECT_NE(lower_->calls.back().touch, c[0].touch);
}

TEST_F(InputTest, SecondFingerOnlyWhereMultipleTouchIsOn) {
    TouchInput input(root_.get());
    input.began(1, Point(10, 300));
    input.began(2, Point(50, 300));
    EXPECT_EQ(lower_->calls.size(), 1u);
    EXPECT_FALSE(input.isDown(2));

    lower_->setMultipleTouchEnabled(true);
    input.began(2, Point(50, 300));
    ASSERT_EQ(lower_->calls.size(), 2u);
    EXPECT_EQ(lower_->calls[1].allTouches, 2u);
    EXPECT_NE(lower_->calls[0].touch, lower_->calls[1].touch);

    input.cancelAll();
    EXPECT_EQ(lower_->calls.back().phase, 'c');
    EXPECT_EQ(input.activeCount(), 0u);
}

// Notes what each call saw without keeping the touches.
class PeekingView : public View {
public:
    using View::View;
    struct Call {
        const Touch* touch;
        TouchPhase phase;
        int tapCount;
        Point previous;
        std::vector<const Touch*> all;
    };
    std::vector<Call> calls;
    void record(const TouchSet& touches, Event* event) {
        std::vector<const Touch*> all;
        for (auto& t : event->allTouches())
            all.push_back(t.get());
        for (auto& t : touches) {
            calls.push_back(
                {t.get(), t->phase(), t->tapCount(), t->previousLocationInView(nullptr), all});
            t->setTapCount(2); // a double tap, say
        }
    }
    void touchesBegan(const TouchSet& t, Event* e) override { record(t, e); }
    void touchesEnded(const TouchSet& t, Event* e) override { record(t, e); }
};

TEST_F(InputTest, ALiftedTouchNobodyKeptComesBackAsNewAndFingersStayInOrder) {
    auto root = make<View>(Rect(0, 0, 320, 480));
    auto view = make<PeekingView>(Rect(0, 0, 320, 480));
    view->setMultipleTouchEnabled(true);
    root->addSubview(view.get());
    TouchInput input(root.get());
    input.began(5, Point(10, 10));
    input.began(2, Point(20, 20));
    const Touch* five = view->calls[0].touch;
    const Touch* two = view->calls[1].touch;
    EXPECT_EQ(view->calls[1].all, (std::vector<const Touch*>{two, five}));
    input.ended(5, Point(11, 11));
    input.ended(2, Point(21, 21));

    input.began(7, Point(30, 30));
    const auto& again = view->calls.back();
    EXPECT_TRUE(again.touch == five || again.touch == two);
    EXPECT_EQ(again.phase, TouchPhase::Began);
    EXPECT_EQ(again.tapCount, 1);
    EXPECT_EQ(again.previous, Point(30, 30));
    EXPECT_EQ(again.all, (std::vector<const Touch*>{again.touch}));
}

TEST_F(InputTest, HiddenAndNonInteractiveViewsAreSkipped) {
    TouchInput input(root_.get());
    upper_->setUserInteractionEnabled(false);
    input.began(0, Point(10, 10)); // falls through to the root, which ignores it
    input.ended(0, Point(10, 10));
    EXPECT_TRUE(upper_->calls.empty());
    lower_->setHidden(true);
    input.began(3, Point(10, 300));
    EXPECT_TRUE(lower_->calls.empty());
}

namespace {
class Samples : public AccelerometerDelegate {
public:
    std::vector<Acceleration> got;
    void accelerometer(Accelerometer*, const Acceleration& a) override { got.push_back(a); }
};
} // namespace

TEST_F(InputTest, AccelerometerDeliversAtItsIntervalOnlyWithADelegate) {
    Accelerometer& acc = Accelerometer::sharedAccelerometer();
    Samples samples;
    acc.setUpdateInterval(1.0 / 30);
    acc.setDelegate(&samples);
    for (int i = 0; i < 100 && clock_.monotonic() < 1.0 - 1e-9; ++i)
        RunLoop::main().runEventSlice(1.0);
    EXPECT_NEAR(double(samples.got.size()), 30, 1);
    for (size_t i = 1; i < samples.got.size(); ++i)
        EXPECT_NEAR(samples.got[i].timestamp - samples.got[i - 1].timestamp, 1.0 / 30, 1e-6);

    acc.setDelegate(nullptr);
    size_t before = samples.got.size();
    clock_.advance(1);
    RunLoop::main().runEventSlice(0);
    EXPECT_EQ(samples.got.size(), before);
}

TEST_F(InputTest, ArrowKeysRampTheTiltAndReleaseReturnsToRest) {
    Accelerometer& acc = Accelerometer::sharedAccelerometer();
    EXPECT_EQ(acc.currentAcceleration().z, -1);
    acc.setKeyHeld(TiltKey::Right, true);
    clock_.advance(0.1);
    EXPECT_NEAR(acc.currentAcceleration().x, 0.3, 1e-9);
    clock_.advance(1);
    Acceleration full = acc.currentAcceleration();
    EXPECT_NEAR(full.x, Accelerometer::kKeyTilt, 1e-9);
    EXPECT_NEAR(full.x * full.x + full.y * full.y + full.z * full.z, 1, 1e-9);
    acc.setKeyHeld(TiltKey::Right, false);
    acc.setKeyHeld(TiltKey::Up, true);
    clock_.advance(1);
    Acceleration up = acc.currentAcceleration();
    EXPECT_NEAR(up.x, 0, 1e-9);
    EXPECT_NEAR(up.y, Accelerometer::kKeyTilt, 1e-9);

    Acceleration scripted;
    scripted.x = -0.25;
    acc.setScriptedTilt(scripted);
    EXPECT_EQ(acc.currentAcceleration().x, -0.25);
    acc.setScriptedTilt(std::nullopt);
    EXPECT_NEAR(acc.currentAcceleration().y, Accelerometer::kKeyTilt, 1e-9);
}

TEST(ClockJump, OnlyAWallJumpOfMoreThanASecondCounts) {
    ManualClock clock;
    ClockJumpDetector detector;
    EXPECT_FALSE(detector.check(clock)); // the first reading starts the measure
    clock.advance(30);                   // time passing is no jump
    EXPECT_FALSE(detector.check(clock));
    clock.setWall(clock.wall() + 0.9);
    EXPECT_FALSE(detector.check(clock));
    clock.setWall(clock.wall() + 1.5);
    EXPECT_TRUE(detector.check(clock));
    EXPECT_FALSE(detector.check(clock)); // reported once
    clock.setWall(clock.wall() - 3600);  // backwards too
    EXPECT_TRUE(detector.check(clock));
}

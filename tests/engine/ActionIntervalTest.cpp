#include "tests/engine/ActionTestSupport.h"

#include "engine/InstantAction.h"

#include <cmath>

using test::ActorNode;
using test::TestAnimation;

namespace {

class IntervalPropertyTest : public test::ActionTest {
protected:
    void SetUp() override {
        test::ActionTest::SetUp();
        node = make<ActorNode>();
    }
    // Starts the action on the node and puts it at progress t.
    void at(IntervalAction* action, float t, bool restart = true) {
        if (restart) {
            action->setTarget(node.get());
            action->start();
        }
        action->update(t);
    }
    Ref<ActorNode> node;
};

} // namespace

TEST_F(IntervalPropertyTest, MovesStartFromWhereTheNodeIsAndTheLaterOneWins) {
    node->setPosition(ccp(10, 10));
    auto to = MoveTo::actionWithDuration(1, ccp(30, 50));
    at(to.get(), 0.5f);
    EXPECT_EQ(node->position(), ccp(20, 30));
    auto by = MoveBy::actionWithDuration(1, ccp(-20, 10));
    at(by.get(), 1);
    EXPECT_EQ(node->position(), ccp(0, 40));

    // Two MoveTos on one running node: each frame the later one sets last.
    node->setPosition(ccp(0, 0));
    node->onEnter();
    node->runAction(MoveTo::actionWithDuration(1, ccp(100, 0)).get());
    node->runAction(MoveTo::actionWithDuration(1, ccp(0, 100)).get());
    tick(0);
    tick(0.5f);
    EXPECT_EQ(node->position(), ccp(0, 50));
}

TEST_F(IntervalPropertyTest, JumpsTouchTheLineBetweenArcs) {
    node->setPosition(ccp(10, 0));
    auto jump = JumpBy::actionWithDuration(1, ccp(100, 20), 30, 2);
    at(jump.get(), 0);
    EXPECT_EQ(node->position(), ccp(10, 0));
    at(jump.get(), 0.25f, false);
    EXPECT_NEAR(node->position().x, 35, 1e-4);
    EXPECT_NEAR(node->position().y, 5 + 30, 1e-4);
    at(jump.get(), 0.5f, false);
    EXPECT_NEAR(node->position().y, 10, 1e-4);
    at(jump.get(), 0.75f, false);
    EXPECT_NEAR(node->position().y, 15 + 30, 1e-4);
    at(jump.get(), 1, false);
    EXPECT_NEAR(node->position().x, 110, 1e-4);
    EXPECT_NEAR(node->position().y, 20, 1e-4);

    // A JumpTo aims at its destination however often or wherever it starts.
    auto to = JumpTo::actionWithDuration(1, ccp(50, 50), 10, 1);
    node->setPosition(ccp(0, 0));
    at(to.get(), 1);
    EXPECT_EQ(node->position(), ccp(50, 50));
    node->setPosition(ccp(20, 0));
    at(to.get(), 1);
    EXPECT_EQ(node->position(), ccp(50, 50));
    node->setPosition(ccp(-20, 0));
    at(to->copy().get(), 1);
    EXPECT_EQ(node->position(), ccp(50, 50));
}

TEST_F(IntervalPropertyTest, BezierFollowsTheCubicFromTheStart) {
    node->setPosition(ccp(100, 100));
    auto curve = BezierBy::actionWithDuration(2, ccBezierConfig{.startPosition = ccp(0, 0),
                                                                .endPosition = ccp(40, 40),
                                                                .controlPoint_1 = ccp(40, 0),
                                                                .controlPoint_2 = ccp(0, 40)});
    at(curve.get(), 0.5f);
    // (1/8)·0 + (3/8)·b + (3/8)·c + (1/8)·d
    EXPECT_NEAR(node->position().x, 100 + 15 + 0 + 5, 1e-4);
    EXPECT_NEAR(node->position().y, 100 + 0 + 15 + 5, 1e-4);
    at(curve.get(), 1, false);
    EXPECT_EQ(node->position(), ccp(140, 140));
}

TEST_F(IntervalPropertyTest, ScalesAndRotations) {
    node->setScaleX(2);
    node->setScaleY(4);
    auto to = ScaleTo::actionWithDuration(1, 3);
    at(to.get(), 0.5f);
    EXPECT_FLOAT_EQ(node->scaleX(), 2.5f);
    EXPECT_FLOAT_EQ(node->scaleY(), 3.5f);
    auto by = ScaleBy::actionWithDuration(1, 2, 0.5f);
    at(by.get(), 1);
    EXPECT_FLOAT_EQ(node->scaleX(), 5);
    EXPECT_FLOAT_EQ(node->scaleY(), 1.75f);

    node->setRotation(30);
    auto turn = RotateBy::actionWithDuration(1, -90);
    at(turn.get(), 0.5f);
    EXPECT_FLOAT_EQ(node->rotation(), -15);

    struct Case {
        float from, to, turn, start;
    };
    for (Case c : {Case{350, 10, 20, 350}, Case{725, 10, 5, 5}, Case{10, 350, -20, 10},
                   Case{-350, 10, 0, -350}, Case{-100, 100, -160, -100}, Case{0, 180, 180, 0},
                   Case{0, -180, -180, 0}}) {
        node->setRotation(c.from);
        auto rotate = RotateTo::actionWithDuration(1, c.to);
        at(rotate.get(), 0);
        EXPECT_FLOAT_EQ(node->rotation(), c.start) << c.from << "->" << c.to;
        at(rotate.get(), 1, false);
        EXPECT_FLOAT_EQ(node->rotation(), c.start + c.turn) << c.from << "->" << c.to;
    }
}

TEST_F(IntervalPropertyTest, OpacityAndColourTruncateAndWrap) {
    auto fade = FadeTo::actionWithDuration(1, 0);
    at(fade.get(), 0.5f);
    EXPECT_EQ(node->opacity(), 127);
    node->opacity_ = 10;
    auto up = FadeTo::actionWithDuration(1, 20);
    at(up.get(), 0.55f);
    EXPECT_EQ(node->opacity(), 15);

    auto in = FadeIn::actionWithDuration(1);
    at(in.get(), 0.999f);
    EXPECT_EQ(node->opacity(), 254);
    auto out = FadeOut::actionWithDuration(1);
    at(out.get(), 0.25f);
    EXPECT_EQ(node->opacity(), 191);
    at(out.get(), 1, false);
    EXPECT_EQ(node->opacity(), 0);
    EXPECT_NE(dynamic_cast<FadeIn*>(out->reverse().get()), nullptr);
    EXPECT_NE(dynamic_cast<FadeOut*>(in->reverse().get()), nullptr);

    node->color_ = ccc3(0, 100, 255);
    auto tint = TintTo::actionWithDuration(1, 255, 0, 0);
    at(tint.get(), 0.5f);
    EXPECT_EQ(node->color(), ccc3(127, 50, 127));

    node->color_ = ccc3(250, 5, 100);
    auto by = TintBy::actionWithDuration(1, 10, -10, 0);
    at(by.get(), 1);
    EXPECT_EQ(node->color(), ccc3(4, 251, 100));

    EXPECT_EQ(ccTruncateToByte(-0.5f), 0);
    EXPECT_EQ(ccTruncateToByte(-1.5f), 255);
    EXPECT_EQ(ccTruncateToByte(511.9f), 255);
    EXPECT_EQ(ccTruncateToByte(NAN), 0);
    EXPECT_EQ(ccTruncateToByte(1e30f), 0);

    // A target that cannot be faded is a misuse, not a crash.
    auto plain = make<Node>();
    auto bad = FadeIn::actionWithDuration(1);
    bad->setTarget(plain.get());
    EXPECT_CC_ASSERT(bad->start(), "Action: target must offer opacity and colour");
}

TEST_F(IntervalPropertyTest, BlinkHidesInTheFirstHalfOfEachSlice) {
    auto blink = Blink::actionWithDuration(1.5f, 3);
    at(blink.get(), 0);
    EXPECT_FALSE(node->visible());
    for (int slice = 0; slice < 3; ++slice) {
        float base = float(slice) / 3;
        at(blink.get(), base + 0.05f, false);
        EXPECT_FALSE(node->visible()) << slice;
        at(blink.get(), base + 0.3f, false);
        EXPECT_TRUE(node->visible()) << slice;
    }
    // Two blinks end on a remainder of 0: invisible.
    auto two = Blink::actionWithDuration(1, 2);
    at(two.get(), 1);
    EXPECT_FALSE(node->visible());
}

TEST_F(IntervalPropertyTest, AnimateChoosesFramesAndRestoresTheOriginal) {
    auto animation = make<TestAnimation>(0.25f, 4);
    auto original = make<Object>();
    node->frame_ = original;
    auto animate = Animate::actionWithAnimation(animation.get());
    EXPECT_FLOAT_EQ(animate->duration(), 1);
    at(animate.get(), 0);
    EXPECT_EQ(node->frame_.get(), animation->frames_[0].get());
    at(animate.get(), 0.1f, false); // still frame 0: not set again
    EXPECT_EQ(node->frameChanges, 1);
    at(animate.get(), 0.5f, false);
    EXPECT_EQ(node->frame_.get(), animation->frames_[2].get());
    at(animate.get(), 0.999f, false);
    EXPECT_EQ(node->frame_.get(), animation->frames_[3].get());
    at(animate.get(), 1, false);
    EXPECT_EQ(node->frame_.get(), animation->frames_[3].get());
    EXPECT_EQ(node->frameChanges, 3);
    animate->stop();
    EXPECT_EQ(node->frame_, original);

    auto keep = Animate::actionWithAnimation(animation.get(), false);
    at(keep.get(), 1);
    keep->stop();
    EXPECT_EQ(node->frame_.get(), animation->frames_[3].get());

    // An animation without frames shows nothing and does not fail.
    auto empty = Animate::actionWithAnimation(make<TestAnimation>(0.1f, 0).get());
    at(empty.get(), 0.5f);
    at(empty.get(), 1, false);
    EXPECT_EQ(node->frame_.get(), animation->frames_[3].get());

    EXPECT_CC_ASSERT(Animate::actionWithAnimation(nullptr),
                     "Animate: argument Animation must be non-nil");
}

TEST_F(IntervalPropertyTest, AnimateRunByTheManagerRestoresWhenDone) {
    auto animation = make<TestAnimation>(0.1f, 3);
    auto original = make<Object>();
    node->frame_ = original;
    node->onEnter();
    node->runAction(Animate::actionWithAnimation(animation.get()).get());
    tick(0);
    tick(0.15f);
    EXPECT_EQ(node->frame_.get(), animation->frames_[1].get());
    tick(0.15f);
    tick(0.15f);
    EXPECT_EQ(node->numberOfRunningActions(), 0);
    EXPECT_EQ(node->frame_, original);
}

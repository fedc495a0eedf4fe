#include "tests/engine/ActionTestSupport.h"

#include "engine/EaseAction.h"

#include <cmath>
#include <functional>

using test::SpyAction;

namespace {

class EaseActionTest : public test::ActionTest {
protected:
    // The progress the inner action receives when the wrapper is at t.
    static float eased(EaseAction* ease, float t) {
        auto node = make<test::ActorNode>();
        node->setPosition(ccp(0, 0));
        auto* inner = dynamic_cast<MoveTo*>(ease->innerAction());
        EXPECT_NE(inner, nullptr);
        ease->setTarget(node.get());
        ease->start();
        ease->update(t);
        return node->position().x / 1000;
    }
    static Ref<MoveTo> move() { return MoveTo::actionWithDuration(2, ccp(1000, 0)); }
};

struct Curve {
    const char* name;
    std::function<Ref<EaseAction>(IntervalAction*)> make;
    float at0, atHalf, at1;
};

} // namespace

TEST_F(EaseActionTest, CurvesHitTheirKnownPoints) {
    const std::vector<Curve> curves = {
        {"In2", [](IntervalAction* a) { return EaseIn::actionWithAction(a, 2); }, 0, 0.25f, 1},
        {"Out2", [](IntervalAction* a) { return EaseOut::actionWithAction(a, 2); }, 0,
         std::sqrt(0.5f), 1},
        {"InOut2", [](IntervalAction* a) { return EaseInOut::actionWithAction(a, 2); }, 0, 0.5f, 1},
        {"InOut3", [](IntervalAction* a) { return EaseInOut::actionWithAction(a, 3); }, 0, 0.5f, 1},
        {"ExpIn", [](IntervalAction* a) { return EaseExponentialIn::actionWithAction(a); }, 0,
         0.03125f - 0.001f, 0.999f},
        {"ExpOut", [](IntervalAction* a) { return EaseExponentialOut::actionWithAction(a); }, 0,
         0.96875f, 1},
        {"ExpInOut", [](IntervalAction* a) { return EaseExponentialInOut::actionWithAction(a); },
         0.5f / 1024, 0.5f, 1 - 0.5f / 1024},
        {"SineIn", [](IntervalAction* a) { return EaseSineIn::actionWithAction(a); }, 0,
         1 - std::sqrt(0.5f), 1},
        {"SineOut", [](IntervalAction* a) { return EaseSineOut::actionWithAction(a); }, 0,
         std::sqrt(0.5f), 1},
        {"SineInOut", [](IntervalAction* a) { return EaseSineInOut::actionWithAction(a); }, 0, 0.5f,
         1},
        {"ElasticIn", [](IntervalAction* a) { return EaseElasticIn::actionWithAction(a); }, 0,
         -0.015625f, 1},
        {"ElasticOut", [](IntervalAction* a) { return EaseElasticOut::actionWithAction(a); }, 0,
         1.015625f, 1},
        {"ElasticInOut", [](IntervalAction* a) { return EaseElasticInOut::actionWithAction(a); }, 0,
         0.5f, 1},
        {"BounceOut", [](IntervalAction* a) { return EaseBounceOut::actionWithAction(a); }, 0,
         0.765625f, 1},
        {"BounceIn", [](IntervalAction* a) { return EaseBounceIn::actionWithAction(a); }, 0,
         0.234375f, 1},
        {"BounceInOut", [](IntervalAction* a) { return EaseBounceInOut::actionWithAction(a); }, 0,
         0.5f, 1},
        {"BackIn", [](IntervalAction* a) { return EaseBackIn::actionWithAction(a); }, 0,
         -0.0876975f, 1},
        {"BackOut", [](IntervalAction* a) { return EaseBackOut::actionWithAction(a); }, 0,
         1.0876975f, 1},
        {"BackInOut", [](IntervalAction* a) { return EaseBackInOut::actionWithAction(a); }, 0, 0.5f,
         1},
    };
    for (const Curve& c : curves) {
        auto ease = c.make(move().get());
        EXPECT_FLOAT_EQ(ease->duration(), 2) << c.name;
        EXPECT_NEAR(eased(ease.get(), 0), c.at0, 1e-5) << c.name;
        EXPECT_NEAR(eased(ease.get(), 0.5f), c.atHalf, 1e-5) << c.name;
        EXPECT_NEAR(eased(ease.get(), 1), c.at1, 1e-5) << c.name;
    }
}

TEST_F(EaseActionTest, ExponentialInStopsItsInnerActionShortOfTheEnd) {
    auto node = runningActor();
    node->runAction(EaseExponentialIn::actionWithAction(move().get()).get());
    tick(0);
    tick(2);
    EXPECT_EQ(node->numberOfRunningActions(), 0);
    EXPECT_NEAR(node->position().x, 999, 1e-3);
}

TEST_F(EaseActionTest, InOutRatesMirrorTheFirstHalf) {
    for (float rate : {2.0f, 3.0f, 4.0f, 2.5f, 0.5f}) {
        auto ease = EaseInOut::actionWithAction(move().get(), rate);
        for (float t : {0.1f, 0.3f, 0.45f}) {
            float first = eased(ease.get(), t);
            float second = eased(ease.get(), 1 - t);
            EXPECT_TRUE(std::isfinite(second)) << rate << " " << t;
            EXPECT_NEAR(first + second, 1, 1e-4) << rate << " " << t;
        }
    }
    auto ease = EaseInOut::actionWithAction(move().get(), 3);
    EXPECT_NEAR(eased(ease.get(), 0.75f), 0.9375f, 1e-6);
}

TEST_F(EaseActionTest, ReversesPickTheMirrorClassAroundTheInnerReverse) {
    auto by = [] { return MoveBy::actionWithDuration(1, ccp(10, 0)); };
    auto check = [](Ref<Action> reversed, const std::type_info& type) {
        ASSERT_TRUE(reversed);
        Action& r = *reversed;
        EXPECT_EQ(typeid(r), type);
        auto* ease = dynamic_cast<EaseAction*>(reversed.get());
        ASSERT_NE(ease, nullptr);
        auto* inner = dynamic_cast<MoveBy*>(ease->innerAction());
        ASSERT_NE(inner, nullptr);
        auto node = make<test::ActorNode>();
        inner->setTarget(node.get());
        inner->start();
        inner->update(1);
        EXPECT_FLOAT_EQ(node->position().x, -10);
    };
    check(EaseIn::actionWithAction(by().get(), 2)->reverse(), typeid(EaseIn));
    EXPECT_FLOAT_EQ(
        dynamic_cast<EaseIn*>(EaseIn::actionWithAction(by().get(), 4)->reverse().get())->rate(),
        0.25f);
    EXPECT_FLOAT_EQ(
        dynamic_cast<EaseOut*>(EaseOut::actionWithAction(by().get(), 4)->reverse().get())->rate(),
        0.25f);
    EXPECT_FLOAT_EQ(
        dynamic_cast<EaseInOut*>(EaseInOut::actionWithAction(by().get(), 4)->reverse().get())
            ->rate(),
        4);
    check(EaseExponentialIn::actionWithAction(by().get())->reverse(), typeid(EaseExponentialOut));
    check(EaseExponentialOut::actionWithAction(by().get())->reverse(), typeid(EaseExponentialIn));
    check(EaseExponentialInOut::actionWithAction(by().get())->reverse(),
          typeid(EaseExponentialInOut));
    check(EaseSineIn::actionWithAction(by().get())->reverse(), typeid(EaseSineOut));
    check(EaseSineOut::actionWithAction(by().get())->reverse(), typeid(EaseSineIn));
    check(EaseSineInOut::actionWithAction(by().get())->reverse(), typeid(EaseSineInOut));
    check(EaseBounceIn::actionWithAction(by().get())->reverse(), typeid(EaseBounceOut));
    check(EaseBounceOut::actionWithAction(by().get())->reverse(), typeid(EaseBounceIn));
    check(EaseBounceInOut::actionWithAction(by().get())->reverse(), typeid(EaseBounceInOut));
    check(EaseBackIn::actionWithAction(by().get())->reverse(), typeid(EaseBackOut));
    check(EaseBackOut::actionWithAction(by().get())->reverse(), typeid(EaseBackIn));
    check(EaseBackInOut::actionWithAction(by().get())->reverse(), typeid(EaseBackInOut));
    check(EaseAction::actionWithAction(by().get())->reverse(), typeid(EaseAction));

    auto elasticIn = EaseElasticIn::actionWithAction(by().get(), 0.7f)->reverse();
    check(elasticIn, typeid(EaseElasticOut));
    EXPECT_FLOAT_EQ(dynamic_cast<EaseElastic*>(elasticIn.get())->period(), 0.7f);
    check(EaseElasticOut::actionWithAction(by().get())->reverse(), typeid(EaseElasticIn));
    check(EaseElasticInOut::actionWithAction(by().get())->reverse(), typeid(EaseElasticInOut));
    EXPECT_CC_ASSERT(EaseElastic::actionWithAction(by().get())->reverse(), "Override me");
    EXPECT_CC_ASSERT(EaseIn::actionWithAction(nullptr, 2), "Ease: arguments must be non-nil");
    EXPECT_CC_ASSERT(EaseSineIn::actionWithAction(nullptr), "Ease: arguments must be non-nil");
}

TEST_F(EaseActionTest, EasedMovesAndTheirReversesComeBack) {
    auto node = runningActor();
    auto there = EaseBounceOut::actionWithAction(MoveBy::actionWithDuration(1, ccp(40, 0)).get());
    auto back = EaseBackInOut::actionWithAction(MoveBy::actionWithDuration(1, ccp(-40, 0)).get());
    node->runAction(Sequence::actions({there, there->reverse(), back, back->reverse()}).get());
    tick(0);
    for (int i = 0; i < 8; ++i)
        tick(0.5f);
    EXPECT_EQ(node->numberOfRunningActions(), 0);
    EXPECT_NEAR(node->position().x, 0, 1e-4);
}

TEST_F(EaseActionTest, ElasticInOutTakesAZeroPeriodAs045) {
    auto ease = EaseElasticInOut::actionWithAction(move().get(), 0);
    float v = eased(ease.get(), 0.3f);
    EXPECT_FLOAT_EQ(ease->period(), 0.45f);
    EXPECT_TRUE(std::isfinite(v));
    float p = 0.45f, u = -0.4f;
    EXPECT_NEAR(v, -0.5f * std::pow(2.0f, 10 * u) * std::sin((u - p / 4) * 2 * 3.1415927f / p),
                1e-5);
}

TEST_F(EaseActionTest, TheWrapperStartsButNeverStopsItsInnerAction) {
    std::vector<std::string> journal;
    auto ease = EaseSineOut::actionWithAction(make<SpyAction>("x", 1, &journal).get());
    auto node = runningActor();
    node->runAction(ease.get());
    tick(0);
    tick(1);
    EXPECT_EQ(journal, (std::vector<std::string>{"x start", "x 0", "x 1"}));

    // So an eased animation stays on its last frame.
    auto animation = make<test::TestAnimation>(0.25f, 4);
    node->frame_ = make<Object>();
    node->runAction(
        EaseIn::actionWithAction(Animate::actionWithAnimation(animation.get()).get(), 2).get());
    tick(0);
    tick(1);
    EXPECT_EQ(node->numberOfRunningActions(), 0);
    EXPECT_EQ(node->frame_, animation->frames_[3]);
}

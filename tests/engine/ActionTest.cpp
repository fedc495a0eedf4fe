#include "tests/engine/ActionTestSupport.h"

#include "engine/InstantAction.h"

using test::ActorNode;
using test::SpyAction;

namespace {

using Journal = std::vector<std::string>;

class ActionCompositeTest : public test::ActionTest {
protected:
    Ref<SpyAction> spy(const std::string& name, float d) { return make<SpyAction>(name, d, &log_); }

    // Starts `action` on a fresh node the way the manager does, without one.
    Ref<ActorNode> startOnNode(Action* action) {
        auto node = make<ActorNode>();
        action->setTarget(node.get());
        action->start();
        return node;
    }

    Journal log_;
};

class Keeper : public Object {
public:
    explicit Keeper(bool* destroyed) : destroyed_(destroyed) {}
    ~Keeper() override { *destroyed_ = true; }
    void call() { ++calls; }
    void callN(Node* n) { seen = n; }
    void callND(Node* n, void* d) {
        seen = n;
        data = d;
    }
    int calls = 0;
    Node* seen = nullptr;
    void* data = nullptr;
    bool* destroyed_;
};

} // namespace

TEST_F(ActionCompositeTest, IntervalProgressStartsAtZeroAndEndsExactlyAtOne) {
    auto a = spy("a", 1);
    auto node = startOnNode(a.get());
    a->step(0.3f); // not counted
    a->step(0.25f);
    a->step(0.5f);
    EXPECT_FALSE(a->isDone());
    a->step(0.5f);
    EXPECT_TRUE(a->isDone());
    EXPECT_EQ(log_, (Journal{"a start", "a 0", "a 0.25", "a 0.75", "a 1"}));

    // A zero duration is kept tiny: 0 on the first step, 1 on the next.
    auto z = spy("z", 0);
    EXPECT_FLOAT_EQ(z->duration(), 1e-8f);
    log_.clear();
    z->setTarget(node.get());
    z->start();
    z->step(0.016f);
    EXPECT_FALSE(z->isDone());
    z->step(0.016f);
    EXPECT_TRUE(z->isDone());
    EXPECT_EQ(log_, (Journal{"z start", "z 0", "z 1"}));
}

TEST_F(ActionCompositeTest, SequenceSwitchesAtItsSplit) {
    auto seq = Sequence::actionOne(spy("a", 1).get(), spy("b", 3).get());
    EXPECT_FLOAT_EQ(seq->duration(), 4);
    auto node = startOnNode(seq.get());
    EXPECT_TRUE(log_.empty()); // neither inner action starts with the sequence
    seq->update(0);
    seq->update(0.125f);
    seq->update(0.25f); // exactly at the split: the second action begins
    seq->update(0.625f);
    seq->update(1);
    EXPECT_EQ(log_, (Journal{"a start", "a 0", "a 0.5", "a 1", "a stop", "b start", "b 0", "b 0.5",
                             "b 1"}));

    // A first update past the split runs the first action whole, at once.
    auto late = Sequence::actionOne(spy("c", 1).get(), spy("d", 1).get());
    log_.clear();
    auto n2 = startOnNode(late.get());
    late->update(0.75f);
    EXPECT_EQ(log_, (Journal{"c start", "c 1", "c stop", "d start", "d 0.5"}));
}

TEST_F(ActionCompositeTest, SequenceListsFoldLeft) {
    auto one = DelayTime::actionWithDuration(1);
    EXPECT_EQ(Sequence::actions({one}).get(), one.get());
    EXPECT_EQ(Sequence::actions({}).get(), nullptr);
    auto three = Sequence::actions({spy("a", 1), spy("b", 1), spy("c", 2)});
    EXPECT_FLOAT_EQ(three->duration(), 4);
    auto* outer = dynamic_cast<Sequence*>(three.get());
    ASSERT_NE(outer, nullptr);
    EXPECT_NE(dynamic_cast<Sequence*>(outer->actionAt(0)), nullptr);
    auto node = startOnNode(three.get());
    three->update(0.25f); // the end of a: the inner pair's split
    three->update(0.75f);
    // A sequence has no stop of its own: the inner pair does not stop b.
    EXPECT_EQ(log_,
              (Journal{"a start", "a 1", "a stop", "b start", "b 0", "b 1", "c start", "c 0.5"}));
    EXPECT_CC_ASSERT(Sequence::actionOne(nullptr, one.get()),
                     "Sequence: argument one must be non-nil");
    EXPECT_CC_ASSERT(Sequence::actionOne(one.get(), nullptr),
                     "Sequence: argument two must be non-nil");
    EXPECT_CC_ASSERT(Sequence::actions({one, nullptr}), "Sequence: argument two must be non-nil");
}

TEST_F(ActionCompositeTest, SpawnPadsTheShorterActionAndRunsBoth) {
    auto spawn = Spawn::actionOne(MoveBy::actionWithDuration(1, ccp(10, 0)).get(),
                                  RotateBy::actionWithDuration(2, 90).get());
    EXPECT_FLOAT_EQ(spawn->duration(), 2);
    auto node = startOnNode(spawn.get());
    spawn->update(0.5f);
    EXPECT_FLOAT_EQ(node->position().x, 10);
    EXPECT_FLOAT_EQ(node->rotation(), 45);
    spawn->update(1);
    EXPECT_FLOAT_EQ(node->rotation(), 90);

    auto other = Spawn::actions({spy("a", 2), spy("b", 1), spy("c", 3)});
    EXPECT_FLOAT_EQ(other->duration(), 3);
    EXPECT_CC_ASSERT(Spawn::actionOne(nullptr, spy("a", 1).get()),
                     "Spawn: argument one must be non-nil");
    EXPECT_CC_ASSERT(Spawn::actionOne(spy("a", 1).get(), nullptr),
                     "Spawn: argument two must be non-nil");
}

TEST_F(ActionCompositeTest, RepeatCompletesOneRepetitionPerUpdate) {
    auto repeat = Repeat::actionWithAction(spy("x", 1).get(), 2);
    EXPECT_FLOAT_EQ(repeat->duration(), 2);
    auto node = startOnNode(repeat.get());
    repeat->update(0.25f);
    repeat->update(0.5f); // a = b: shown at its start, completed on the next call
    repeat->update(0.75f);
    EXPECT_EQ(repeat->repetitions(), 1u);
    repeat->update(1);
    EXPECT_TRUE(repeat->isDone());
    EXPECT_EQ(log_, (Journal{"x start", "x 0.5", "x 0", "x 1", "x stop", "x start", "x 0", "x 1"}));
}

TEST_F(ActionCompositeTest, ReverseTimeRunsBackwardsAndStopsItsInnerAction) {
    auto rev = ReverseTime::actionWithAction(spy("x", 2).get());
    EXPECT_FLOAT_EQ(rev->duration(), 2);
    auto node = startOnNode(rev.get());
    rev->update(0.25f);
    rev->stop();
    EXPECT_EQ(log_, (Journal{"x start", "x 0.75", "x stop"}));
    EXPECT_NE(dynamic_cast<SpyAction*>(rev->reverse().get()), nullptr);
}

TEST_F(ActionCompositeTest, InstantActionsActAtStart) {
    auto node = make<ActorNode>();
    auto run = [&](Action* a) {
        a->setTarget(node.get());
        a->start();
        EXPECT_TRUE(a->isDone());
    };
    run(Hide::action().get());
    EXPECT_FALSE(node->visible());
    run(ToggleVisibility::action().get());
    EXPECT_TRUE(node->visible());
    run(Show::action()->reverse().get()); // a Hide
    EXPECT_FALSE(node->visible());
    run(Hide::action()->reverse().get()); // a Show
    EXPECT_TRUE(node->visible());
    run(ToggleVisibility::action()->reverse().get());
    EXPECT_FALSE(node->visible());
    run(Place::actionWithPosition(ccp(5, 6)).get());
    EXPECT_EQ(node->position(), ccp(5, 6));
    EXPECT_FLOAT_EQ(Place::actionWithPosition(ccp(1, 1))->duration(), 0);
}

TEST_F(ActionCompositeTest, CallFuncsReachTheirObjectAndKeepItAlive) {
    bool destroyed = false;
    int dataValue = 3;
    Ref<CallFunc> call;
    Ref<CallFuncN> callN;
    Ref<CallFuncND> callND;
    Keeper* keeper;
    {
        auto k = make<Keeper>(&destroyed);
        keeper = k.get();
        call = CallFunc::actionWithTarget(k.get(), ccSelector(k.get(), &Keeper::call));
        callN = CallFuncN::actionWithTarget(k.get(), ccSelector(k.get(), &Keeper::callN));
        callND =
            CallFuncND::actionWithTarget(k.get(), ccSelector(k.get(), &Keeper::callND), &dataValue);
    }
    EXPECT_FALSE(destroyed);
    auto node = make<ActorNode>();
    node->runAction(call.get());
    node->runAction(call->copy().get());
    EXPECT_EQ(keeper->calls, 2);
    node->runAction(callN.get());
    EXPECT_EQ(keeper->seen, node.get());
    auto other = make<ActorNode>();
    other->runAction(callND.get());
    EXPECT_EQ(keeper->seen, other.get());
    EXPECT_EQ(keeper->data, &dataValue);

    node->stopAllActions();
    other->stopAllActions();
    call = nullptr;
    callN = nullptr;
    EXPECT_FALSE(destroyed);
    callND = nullptr;
    EXPECT_TRUE(destroyed);

    // Without an operation the call does nothing.
    node->runAction(CallFunc::actionWithTarget(nullptr, {}).get());
}

TEST_F(ActionCompositeTest, CopiesCarryParametersTagAndTargetButNoRunState) {
    auto a = make<ActorNode>();
    auto b = make<ActorNode>();
    b->setPosition(ccp(100, 0));
    auto move = Sequence::actions(
        {MoveTo::actionWithDuration(1, ccp(50, 0)), RotateBy::actionWithDuration(1, 90)});
    move->setTag(4);
    a->onEnter();
    b->onEnter();
    a->runAction(move.get());
    tick(0);
    tick(0.25f);
    auto again = move->copy();
    EXPECT_EQ(again->tag(), 4);
    EXPECT_EQ(again->target(), a.get());
    EXPECT_NE(dynamic_cast<Sequence*>(again.get()), nullptr);
    b->runAction(again.get());
    tick(0);
    tick(0.25f);
    EXPECT_FLOAT_EQ(b->position().x, 87.5f); // from its own start
    for (int i = 0; i < 4; ++i)
        tick(0.5f);
    EXPECT_FLOAT_EQ(a->position().x, 50);
    EXPECT_FLOAT_EQ(b->position().x, 50);
    EXPECT_FLOAT_EQ(a->rotation(), 90);
    EXPECT_FLOAT_EQ(b->rotation(), 90);

    // Every class copies to its own class.
    std::vector<Ref<Action>> all = {
        Action::action(),
        IntervalAction::actionWithDuration(1),
        DelayTime::actionWithDuration(1),
        RepeatForever::actionWithAction(DelayTime::actionWithDuration(1).get()),
        Speed::actionWithAction(DelayTime::actionWithDuration(1).get(), 2),
        Repeat::actionWithAction(DelayTime::actionWithDuration(1).get(), 2),
        ReverseTime::actionWithAction(DelayTime::actionWithDuration(1).get()),
        Spawn::actionOne(Show::action().get(), Hide::action().get()),
        Show::action(),
        Hide::action(),
        ToggleVisibility::action(),
        Place::actionWithPosition(ccp(1, 2)),
        InstantAction::action(),
        MoveBy::actionWithDuration(1, ccp(1, 1)),
        JumpBy::actionWithDuration(1, ccp(1, 1), 2, 3),
        JumpTo::actionWithDuration(1, ccp(1, 1), 2, 3),
        BezierBy::actionWithDuration(1, {}),
        ScaleTo::actionWithDuration(1, 2),
        ScaleBy::actionWithDuration(1, 2),
        RotateTo::actionWithDuration(1, 2),
        FadeIn::actionWithDuration(1),
        FadeOut::actionWithDuration(1),
        FadeTo::actionWithDuration(1, 3),
        TintTo::actionWithDuration(1, 1, 2, 3),
        TintBy::actionWithDuration(1, 1, 2, 3),
        Blink::actionWithDuration(1, 2),
        Animate::actionWithAnimation(make<test::TestAnimation>(0.1f, 2).get())};
    for (auto& action : all) {
        action->setTag(9);
        auto copy = action->copy();
        ASSERT_TRUE(copy) << action->description();
        EXPECT_NE(copy.get(), action.get());
        Action& original = *action;
        Action& copied = *copy;
        EXPECT_EQ(typeid(copied), typeid(original)) << action->description();
        EXPECT_EQ(copy->tag(), 9);
    }
}

TEST_F(ActionCompositeTest, ReversesComposeBackToTheStart) {
    auto node = runningActor();
    node->setPosition(ccp(10, 20));
    node->setScale(2);
    node->color_ = ccc3(100, 150, 200);
    auto forward = Spawn::actions({
        Sequence::actions({MoveBy::actionWithDuration(1, ccp(30, -7)),
                           JumpBy::actionWithDuration(1, ccp(5, 5), 40, 3)}),
        ScaleBy::actionWithDuration(1.5f, 3, 0.5f),
        Repeat::actionWithAction(RotateBy::actionWithDuration(0.5f, 33).get(), 3),
        TintBy::actionWithDuration(2, 50, -100, 60),
    });
    auto whole = Sequence::actions({forward, forward->reverse()});
    node->runAction(whole.get());
    tick(0);
    for (int i = 0; i < 8; ++i)
        tick(0.5f);
    EXPECT_EQ(node->numberOfRunningActions(), 0);
    EXPECT_NEAR(node->position().x, 10, 1e-3);
    EXPECT_NEAR(node->position().y, 20, 1e-3);
    EXPECT_NEAR(node->scaleX(), 2, 1e-5);
    EXPECT_NEAR(node->scaleY(), 2, 1e-5);
    EXPECT_NEAR(node->rotation(), 0, 1e-3);
    EXPECT_EQ(node->color(), ccc3(100, 150, 200));

    auto curve = BezierBy::actionWithDuration(1, {.startPosition = ccp(0, 0),
                                                  .endPosition = ccp(60, 10),
                                                  .controlPoint_1 = ccp(20, 30),
                                                  .controlPoint_2 = ccp(5, 40)});
    node->runAction(Sequence::actions({curve, curve->reverse()}).get());
    tick(0);
    tick(1);
    EXPECT_NEAR(node->position().x, 70, 1e-3);
    EXPECT_NEAR(node->position().y, 30, 1e-3);
    tick(1);
    EXPECT_NEAR(node->position().x, 10, 1e-3);
    EXPECT_NEAR(node->position().y, 20, 1e-3);
}

TEST_F(ActionCompositeTest, BaseActionsAndMissingReversesFailAsDocumented) {
    test::LogCapture logs;
    auto base = Action::action();
    base->step(1);
    base->update(1);
    EXPECT_TRUE(logs.contains("[Action step]. override me"));
    EXPECT_TRUE(logs.contains("[Action update]. override me"));
    EXPECT_TRUE(base->isDone());
    EXPECT_EQ(base->tag(), kActionTagInvalid);
    EXPECT_EQ(base->reverse().get(), nullptr);

    EXPECT_CC_ERROR(make<IntervalAction>(), "IntervalActionInit",
                    "Init not supported. Use InitWithDuration");
    for (Ref<IntervalAction> a : {Ref<IntervalAction>(MoveTo::actionWithDuration(1, ccp(1, 1))),
                                  Ref<IntervalAction>(ScaleTo::actionWithDuration(1, 2)),
                                  Ref<IntervalAction>(RotateTo::actionWithDuration(1, 2)),
                                  Ref<IntervalAction>(FadeTo::actionWithDuration(1, 2)),
                                  Ref<IntervalAction>(TintTo::actionWithDuration(1, 1, 2, 3)),
                                  Ref<IntervalAction>(IntervalAction::actionWithDuration(1))}) {
        EXPECT_CC_ERROR(a->reverse(), "ReverseActionNotImplemented",
                        "Reverse Action not implemented");
    }
    EXPECT_CC_ASSERT(Repeat::actionWithAction(nullptr, 2), "Argument must be non-nil");
    EXPECT_CC_ASSERT(RepeatForever::actionWithAction(nullptr), "Argument must be non-nil");
}

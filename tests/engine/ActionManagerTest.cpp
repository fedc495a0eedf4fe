#include "tests/engine/ActionTestSupport.h"

#include "engine/InstantAction.h"
#include "support/HashSet.h"

#include <set>

using test::ActorNode;
using test::SpyAction;

namespace {

class ActionManagerTest : public test::ActionTest {};

// Counts the calls the manager makes on it; never done by itself.
class CountingAction : public Action {
public:
    explicit CountingAction(bool* destroyed = nullptr) : destroyed_(destroyed) {}
    ~CountingAction() override {
        if (destroyed_) *destroyed_ = true;
    }
    void start() override { ++starts; }
    void stop() override { ++stops; }
    void step(float) override { ++steps; }
    bool isDone() override {
        ++doneQueries;
        return false;
    }
    int starts = 0, stops = 0, steps = 0, doneQueries = 0;
    bool* destroyed_;
};

// A sequence that tells when it is asked whether it is done, stopped or ended.
class WatchedSequence : public Sequence {
public:
    WatchedSequence(FiniteTimeAction* a, FiniteTimeAction* b, bool* destroyed)
        : Sequence(a, b), destroyed_(destroyed) {}
    ~WatchedSequence() override { *destroyed_ = true; }
    bool isDone() override {
        ++doneQueries;
        return Sequence::isDone();
    }
    void stop() override {
        ++stops;
        Sequence::stop();
    }
    int doneQueries = 0, stops = 0;
    bool* destroyed_;
};

} // namespace

TEST_F(ActionManagerTest, RunsAnActionToItsEndThenLetsTheTargetGo) {
    bool destroyed = false;
    ActorNode* raw;
    {
        auto node = runningActor(&destroyed);
        raw = node.get();
        node->runAction(MoveBy::actionWithDuration(1, ccp(100, 0)).get());
        EXPECT_EQ(node->numberOfRunningActions(), 1);
    }
    // Only the manager holds the node now.
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(manager().targetCount(), 1u);
    tick(0.5f); // first step: t = 0
    EXPECT_FLOAT_EQ(raw->position().x, 0);
    tick(0.5f);
    EXPECT_FLOAT_EQ(raw->position().x, 50);
    tick(0.5f);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(manager().targetCount(), 0u);
}

TEST_F(ActionManagerTest, CleanupReleasesANodeWhoseActionsNeverEnd) {
    bool destroyed = false;
    auto parent = runningActor();
    {
        auto child = make<ActorNode>(&destroyed);
        parent->addChild(child.get());
        child->runAction(
            RepeatForever::actionWithAction(RotateBy::actionWithDuration(1, 360).get()).get());
    }
    tick(0.1f);
    tick(0.1f);
    // Without cleanup the manager keeps the child alive and its actions paused.
    Ref<Node> child = parent->children()[0];
    parent->removeChild(child.get(), false);
    child = nullptr;
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(manager().targetCount(), 1u);
    manager().removeAllActions();
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(manager().targetCount(), 0u);

    destroyed = false;
    auto other = make<ActorNode>(&destroyed);
    parent->addChild(other.get());
    other->runAction(RepeatForever::actionWithAction(DelayTime::actionWithDuration(1).get()).get());
    other = nullptr;
    parent->removeChild(parent->children()[0].get(), true);
    EXPECT_TRUE(destroyed);
}

TEST_F(ActionManagerTest, ExitPausesAndEnterResumes) {
    auto node = runningActor();
    node->runAction(MoveBy::actionWithDuration(1, ccp(10, 0)).get());
    tick(0.1f);
    tick(0.5f);
    EXPECT_FLOAT_EQ(node->position().x, 5);
    node->onExit();
    tick(0.25f);
    EXPECT_FLOAT_EQ(node->position().x, 5);
    node->onEnter();
    tick(0.25f);
    EXPECT_FLOAT_EQ(node->position().x, 7.5f);
}

TEST_F(ActionManagerTest, AnElementCreatedPausedStaysPausedUntilResumed) {
    auto node = make<ActorNode>();
    node->runAction(MoveBy::actionWithDuration(1, ccp(10, 0)).get());
    manager().addAction(RotateBy::actionWithDuration(1, 10).get(), node.get(), false);
    tick(0.5f);
    tick(0.5f);
    EXPECT_EQ(node->position(), ccp(0, 0));
    EXPECT_EQ(node->rotation(), 0);
    manager().resumeAllActionsForTarget(node.get());
    tick(0.5f);
    tick(0.5f);
    EXPECT_EQ(node->position(), ccp(5, 0));
    EXPECT_EQ(node->rotation(), 5);
    // Pausing and resuming an unknown target does nothing.
    auto stranger = make<ActorNode>();
    manager().pauseAllActionsForTarget(stranger.get());
    manager().resumeAllActionsForTarget(stranger.get());
    EXPECT_EQ(manager().targetCount(), 1u);
}

TEST_F(ActionManagerTest, InstantActionsTakeEffectInsideRunAction) {
    auto node = make<ActorNode>(); // not even running
    node->runAction(Place::actionWithPosition(ccp(3, 4)).get());
    node->runAction(Hide::action().get());
    EXPECT_EQ(node->position(), ccp(3, 4));
    EXPECT_FALSE(node->visible());
    EXPECT_EQ(node->numberOfRunningActions(), 2);
    node->onEnter();
    tick(0);
    EXPECT_EQ(node->numberOfRunningActions(), 0);
}

TEST_F(ActionManagerTest, TagsFindAndStopTheFirstMatchingAction) {
    auto node = runningActor();
    auto a = DelayTime::actionWithDuration(1);
    auto b = DelayTime::actionWithDuration(1);
    auto c = DelayTime::actionWithDuration(1);
    a->setTag(7);
    b->setTag(7);
    c->setTag(8);
    node->runAction(a.get());
    node->runAction(b.get());
    node->runAction(c.get());
    EXPECT_EQ(node->getActionByTag(7), a.get());
    EXPECT_EQ(node->getActionByTag(9), nullptr);
    node->stopActionByTag(7);
    EXPECT_EQ(node->getActionByTag(7), b.get());
    EXPECT_EQ(node->numberOfRunningActions(), 2);
    // Removal does not stop.
    node->stopAction(c.get());
    node->stopAction(c.get()); // absent: nothing
    EXPECT_EQ(node->numberOfRunningActions(), 1);
    EXPECT_FALSE(c->isDone());

    auto stranger = make<ActorNode>();
    EXPECT_EQ(manager().getActionByTag(7, stranger.get()), nullptr);
    EXPECT_EQ(manager().numberOfRunningActionsInTarget(stranger.get()), 0);
    manager().removeActionByTag(7, stranger.get());
    manager().removeAllActionsFromTarget(stranger.get());
    manager().removeAllActionsFromTarget(nullptr);
    manager().removeAction(nullptr);
}

TEST_F(ActionManagerTest, MisuseFailsWithItsMessage) {
    auto node = runningActor();
    auto action = DelayTime::actionWithDuration(1);
    EXPECT_CC_ASSERT(manager().addAction(nullptr, node.get(), false),
                     "Argument action must be non-nil");
    EXPECT_CC_ASSERT(manager().addAction(action.get(), nullptr, false),
                     "Argument target must be non-nil");
    node->runAction(action.get());
    EXPECT_CC_ASSERT(node->runAction(action.get()), "runAction: Action already running");
    EXPECT_CC_ASSERT(manager().getActionByTag(-1, node.get()), "Invalid tag");
    EXPECT_CC_ASSERT(manager().removeActionByTag(-1, node.get()), "Invalid tag");
    EXPECT_CC_ASSERT(manager().removeActionByTag(3, nullptr), "Target should be ! nil");
    EXPECT_CC_ASSERT(make<ActionManager>(),
                     "Attempted to allocate a second instance of a singleton.");
    EXPECT_EQ(node->numberOfRunningActions(), 1);
}

TEST_F(ActionManagerTest, APurgedManagerMakesWayForAFreshOne) {
    auto node = runningActor();
    node->runAction(MoveBy::actionWithDuration(1, ccp(10, 0)).get());
    EXPECT_EQ(Scheduler::sharedScheduler().activeTimerCount(), 0u);
    tick(0);
    EXPECT_EQ(Scheduler::sharedScheduler().activeTimerCount(), 1u);
    ActionManager::purgeSharedManager();
    EXPECT_EQ(ActionManager::existingManager(), nullptr);
    EXPECT_EQ(node->retainCount(), 1);

    node->runAction(MoveBy::actionWithDuration(1, ccp(10, 0)).get());
    tick(0.5f); // the old timer leaves, the new one enters
    tick(0.5f);
    EXPECT_FLOAT_EQ(node->position().x, 5);
    EXPECT_EQ(Scheduler::sharedScheduler().activeTimerCount(), 1u);
}

// A callback stopping the very sequence it runs in: the sequence lives until
// its step returns, is then dropped without being asked anything, and the
// pass goes on with the next action.
class StopOwnSequence : public ActionManagerTest, public ::testing::WithParamInterface<int> {};

TEST_P(StopOwnSequence, TheSequenceIsDroppedAfterItsStep) {
    const int mode = GetParam(); // 0 by object, 1 by tag, 2 all
    bool sequenceDestroyed = false;
    auto node = runningActor();
    node->runAction(MoveBy::actionWithDuration(1, ccp(0, 10)).get());

    WatchedSequence* sequence = nullptr;
    auto stop = [&]() {
        if (mode == 0) node->stopAction(sequence);
        if (mode == 1) node->stopActionByTag(5);
        if (mode == 2) node->stopAllActions();
        // Still alive while its step runs.
        EXPECT_FALSE(sequenceDestroyed);
    };
    {
        auto s = make<WatchedSequence>(DelayTime::actionWithDuration(0.5f).get(),
                                       CallFunc::actionWithTarget(nullptr, {"stop", stop}).get(),
                                       &sequenceDestroyed);
        s->setTag(5);
        sequence = s.get();
        node->runAction(s.get());
    }
    auto after = make<CountingAction>();
    node->runAction(after.get());

    tick(0);
    tick(0.25f);
    EXPECT_EQ(after->steps, 2);
    tick(0.25f); // the callback fires
    EXPECT_TRUE(sequenceDestroyed);
    if (mode == 2) {
        EXPECT_EQ(after->steps, 2);
        EXPECT_EQ(node->numberOfRunningActions(), 0);
        EXPECT_EQ(manager().targetCount(), 0u);
        EXPECT_EQ(node->retainCount(), 1);
    } else {
        EXPECT_EQ(after->steps, 3);
        EXPECT_FLOAT_EQ(node->position().y, 5);
        EXPECT_EQ(node->numberOfRunningActions(), 2);
    }
    EXPECT_EQ(after->stops, 0);
}

INSTANTIATE_TEST_SUITE_P(ByObjectTagOrAll, StopOwnSequence, ::testing::Values(0, 1, 2));

TEST_F(ActionManagerTest, AWatchedSequenceThatEndsNormallyIsAskedAndStopped) {
    bool destroyed = false;
    auto node = runningActor();
    auto s = make<WatchedSequence>(DelayTime::actionWithDuration(0.5f).get(),
                                   DelayTime::actionWithDuration(0.5f).get(), &destroyed);
    node->runAction(s.get());
    tick(0);
    tick(1);
    EXPECT_EQ(s->stops, 1);
    EXPECT_EQ(s->doneQueries, 2);
    EXPECT_EQ(node->numberOfRunningActions(), 0);
}

TEST_F(ActionManagerTest, ActionsAddedDuringThePassToTheSteppedTargetAreSteppedInIt) {
    auto node = runningActor();
    auto other = runningActor();
    auto late = make<CountingAction>();
    auto elsewhere = make<CountingAction>();
    auto add = [&]() {
        node->runAction(late.get());
        other->runAction(elsewhere.get());
    };
    node->runAction(Sequence::actions({DelayTime::actionWithDuration(0.1f),
                                       CallFunc::actionWithTarget(nullptr, {"add", add})})
                        .get());
    tick(0);
    tick(0.1f);
    EXPECT_EQ(late->starts, 1);
    EXPECT_EQ(late->steps, 1);
    // Another target's new element may or may not come later in the walk.
    EXPECT_LE(elsewhere->steps, 1);
    tick(0.1f);
    EXPECT_EQ(late->steps, 2);
}

TEST_F(ActionManagerTest, AnActionRunAgainAfterStoppingAllFromACallbackStartsNextPass) {
    std::vector<std::string> journal;
    auto node = runningActor();
    auto again = [&]() {
        node->stopAllActions();
        node->runAction(make<SpyAction>("y", 1, &journal).get());
    };
    node->runAction(Sequence::actions({DelayTime::actionWithDuration(0.1f),
                                       CallFunc::actionWithTarget(nullptr, {"again", again})})
                        .get());
    tick(0);
    tick(0.1f); // the callback: started at once, first stepped by the next pass
    EXPECT_EQ(journal, (std::vector<std::string>{"y start"}));
    tick(0.1f);
    EXPECT_EQ(journal, (std::vector<std::string>{"y start", "y 0"}));
}

TEST_F(ActionManagerTest, RemovingEarlierActionsDuringAStepKeepsThePassInOrder) {
    auto node = runningActor();
    auto first = make<CountingAction>();
    auto second = make<CountingAction>();
    auto fourth = make<CountingAction>();
    node->runAction(first.get());
    node->runAction(second.get());
    auto remover = [&]() {
        node->stopAction(first.get());
        node->stopAction(second.get());
    };
    node->runAction(Sequence::actions({CallFunc::actionWithTarget(nullptr, {"rm", remover}),
                                       DelayTime::actionWithDuration(1)})
                        .get());
    node->runAction(fourth.get());
    tick(0);
    EXPECT_EQ(first->steps, 1);
    EXPECT_EQ(second->steps, 1);
    EXPECT_EQ(fourth->steps, 1);
    EXPECT_EQ(node->numberOfRunningActions(), 2);
    tick(0.1f);
    EXPECT_EQ(fourth->steps, 2);
}

TEST_F(ActionManagerTest, AStoppedTargetIsLetGoAfterThePass) {
    // The target visited last in a pass must not be kept by a removal made
    // after the pass.
    bool destroyed = false;
    {
        auto node = runningActor(&destroyed);
        node->runAction(
            RepeatForever::actionWithAction(DelayTime::actionWithDuration(1).get()).get());
        tick(0);
        tick(0.1f);
        node->stopAllActions();
        EXPECT_EQ(manager().targetCount(), 0u);
    }
    EXPECT_TRUE(destroyed);
}

TEST_F(ActionManagerTest, ANodeEndingDuringThePassTakesItsChildrensActionsWithIt) {
    // The parent is held only by the manager; when its last action ends it
    // goes, and its end cleans up its children, whose elements leave the set
    // that is being walked.
    bool parentGone = false;
    bool gone[20] = {};
    {
        auto parent = make<ActorNode>(&parentGone);
        parent->onEnter();
        for (int i = 0; i < 20; ++i) {
            auto child = make<ActorNode>(&gone[i]);
            parent->addChild(child.get());
            child->runAction(
                RepeatForever::actionWithAction(RotateBy::actionWithDuration(1, 90).get()).get());
        }
        parent->runAction(DelayTime::actionWithDuration(0.5f).get());
        // Let the parent go from the tree it never had; only the manager
        // holds it now.
    }
    EXPECT_EQ(manager().targetCount(), 21u);
    tick(0);
    tick(0.5f);
    EXPECT_TRUE(parentGone);
    EXPECT_EQ(manager().targetCount(), 0u);
    for (bool g : gone)
        EXPECT_TRUE(g);
    tick(0.5f);
}

TEST_F(ActionManagerTest, SequenceOfMoveAndCallFiresWhenTheTimeReachesTheEnd) {
    auto node = runningActor();
    int calls = 0;
    Point atCall;
    auto call = [&]() {
        ++calls;
        atCall = node->position();
    };
    node->runAction(Sequence::actions({MoveTo::actionWithDuration(1, ccp(60, 0)),
                                       CallFunc::actionWithTarget(nullptr, {"done", call})})
                        .get());
    const float dt = 1.0f / 60;
    // The first step counts no time; the callback fires on the first step
    // whose summed time reaches 1 s.
    tick(dt);
    float summed = 0;
    int frames = 0;
    while (summed < 1) {
        summed += dt;
        ++frames;
        EXPECT_EQ(calls, 0) << frames;
        tick(dt);
    }
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(atCall, ccp(60, 0));
    EXPECT_EQ(node->numberOfRunningActions(), 0);
}

TEST_F(ActionManagerTest, SequenceOfCallAndDelayCallsInTheFirstStep) {
    auto node = runningActor();
    int calls = 0;
    node->runAction(Sequence::actions({CallFunc::actionWithTarget(nullptr, {"c", [&] { ++calls; }}),
                                       DelayTime::actionWithDuration(1)})
                        .get());
    EXPECT_EQ(calls, 0);
    tick(0.016f);
    EXPECT_EQ(calls, 1);
    tick(0.5f);
    tick(0.5f);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(node->numberOfRunningActions(), 0);
}

TEST_F(ActionManagerTest, RepeatHitByOneLongFrameFinishesOneRepetitionPerFrame) {
    auto node = runningActor();
    auto repeat = Repeat::actionWithAction(MoveBy::actionWithDuration(1, ccp(10, 0)).get(), 3);
    node->runAction(repeat.get());
    tick(0);
    tick(10);
    EXPECT_EQ(repeat->repetitions(), 1u);
    EXPECT_EQ(node->numberOfRunningActions(), 1);
    tick(0.016f);
    EXPECT_EQ(repeat->repetitions(), 2u);
    tick(0.016f);
    EXPECT_EQ(repeat->repetitions(), 3u);
    EXPECT_EQ(node->numberOfRunningActions(), 0);
    EXPECT_FLOAT_EQ(node->position().x, 30);
}

TEST_F(ActionManagerTest, SpeedAndRepeatForeverScaleAndRestartTime) {
    auto node = runningActor();
    auto speed = Speed::actionWithAction(MoveBy::actionWithDuration(2, ccp(20, 0)).get(), 2);
    node->runAction(speed.get());
    std::vector<std::string> journal;
    auto forever = RepeatForever::actionWithAction(make<SpyAction>("x", 1, &journal).get());
    node->runAction(forever.get());
    tick(0);
    tick(0.5f);
    EXPECT_FLOAT_EQ(node->position().x, 10);
    tick(0.75f); // the spy passes its end: the extra 0.25 s is dropped
    EXPECT_TRUE(speed->isDone());
    EXPECT_EQ(node->numberOfRunningActions(), 1);
    tick(0.25f); // a first step again
    tick(0.25f);
    EXPECT_EQ(journal, (std::vector<std::string>{"x start", "x 0", "x 0.5", "x 1", "x start", "x 0",
                                                 "x 0.25"}));
    EXPECT_FALSE(forever->isDone());
}

TEST_F(ActionManagerTest, TheTargetSetGrowsPastItsFirstSizeWithoutLosingATarget) {
    std::vector<Ref<ActorNode>> nodes;
    for (int i = 0; i < 1000; ++i) {
        auto n = runningActor();
        n->runAction(MoveBy::actionWithDuration(1, ccp(float(i), 0)).get());
        nodes.push_back(n);
    }
    EXPECT_EQ(manager().targetCount(), 1000u);
    tick(0);
    tick(0.5f);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_FLOAT_EQ(nodes[size_t(i)]->position().x, float(i) / 2) << i;
        ASSERT_EQ(nodes[size_t(i)]->numberOfRunningActions(), 1);
    }
    for (int i = 0; i < 1000; i += 2)
        nodes[size_t(i)]->stopAllActions();
    EXPECT_EQ(manager().targetCount(), 500u);
    tick(0.5f);
    EXPECT_FLOAT_EQ(nodes[1]->position().x, 1);
    EXPECT_FLOAT_EQ(nodes[2]->position().x, 1);
    EXPECT_EQ(manager().targetCount(), 0u);
}

TEST(HashSetTest, GrowsByThePrimeTableAtThreeEntriesPerBucket) {
    struct Entry : HashSetEntry {};
    std::vector<Entry> entries(5000);
    std::vector<int> keys(5000);
    HashSet set;
    EXPECT_EQ(set.bucketCount(), 131u);
    for (size_t i = 0; i < 392; ++i)
        set.insert(&entries[i], &keys[i]);
    EXPECT_EQ(set.bucketCount(), 131u);
    set.insert(&entries[392], &keys[392]);
    EXPECT_EQ(set.bucketCount(), 257u);
    // Held growth is caught up on release, all the way.
    set.holdGrowth();
    for (size_t i = 393; i < 5000; ++i)
        set.insert(&entries[i], &keys[i]);
    EXPECT_EQ(set.bucketCount(), 257u);
    set.releaseGrowth();
    EXPECT_EQ(set.bucketCount(), 2053u);
    EXPECT_EQ(set.count(), 5000u);

    std::set<const void*> seen;
    for (size_t b = 0; b < set.bucketCount(); ++b)
        for (HashSetEntry* e = set.bucket(b); e; e = e->hashNext)
            seen.insert(e->hashKey);
    EXPECT_EQ(seen.size(), 5000u);
    for (size_t i = 0; i < 5000; ++i)
        ASSERT_EQ(set.find(&keys[i]), &entries[i]);

    for (size_t i = 0; i < 5000; i += 2)
        EXPECT_EQ(set.remove(&keys[i]), &entries[i]);
    EXPECT_EQ(set.remove(&keys[0]), nullptr);
    EXPECT_EQ(set.find(&keys[0]), nullptr);
    EXPECT_EQ(set.find(&keys[1]), &entries[1]);
    EXPECT_EQ(set.count(), 2500u);
}

TEST(HashSetTest, OneAtATimeHashAndPrimeTable) {
    // Published values of the one-at-a-time hash.
    EXPECT_EQ(ccHashOneAtATime("a", 1), 0xca2e9442u);
    EXPECT_EQ(ccHashOneAtATime("The quick brown fox jumps over the lazy dog", 43), 0x519e91f5u);
    EXPECT_EQ(ccHashSetPrimeAtLeast(132), 257u);
    EXPECT_EQ(ccHashSetPrimeAtLeast(1073741827), 1073741827u);
    EXPECT_CC_ASSERT(ccHashSetPrimeAtLeast(1073741828), "HashSet: no bucket count left to grow to");
}

TEST_F(ActionManagerTest, TargetsAddedDuringThePassDoNotUpsetTheWalk) {
    // 392 targets fill the first bucket table; the 393rd and later arrive
    // from a callback in the middle of a pass. Every earlier target is still
    // stepped exactly once in that pass.
    std::vector<Ref<ActorNode>> nodes;
    std::vector<Ref<CountingAction>> counters;
    for (int i = 0; i < 391; ++i) {
        auto n = runningActor();
        auto c = make<CountingAction>();
        n->runAction(c.get());
        nodes.push_back(n);
        counters.push_back(c);
    }
    std::vector<Ref<ActorNode>> late;
    auto spawnMore = [&]() {
        for (int i = 0; i < 300; ++i) {
            auto n = runningActor();
            n->runAction(make<CountingAction>().get());
            late.push_back(n);
        }
    };
    auto trigger = runningActor();
    trigger->runAction(CallFunc::actionWithTarget(nullptr, {"more", spawnMore}).get());
    EXPECT_EQ(late.size(), 300u);
    EXPECT_EQ(manager().targetCount(), 392u + 300u);
    late.clear();

    auto caller = runningActor();
    caller->runAction(Sequence::actions({DelayTime::actionWithDuration(0.1f),
                                         CallFunc::actionWithTarget(nullptr, {"more", spawnMore})})
                          .get());
    tick(0);
    for (auto& c : counters)
        c->steps = 0;
    tick(0.1f);
    EXPECT_EQ(late.size(), 300u);
    for (size_t i = 0; i < counters.size(); ++i)
        ASSERT_EQ(counters[i]->steps, 1) << i;
    EXPECT_EQ(manager().targetCount(), 391u + 300u + 300u);
    tick(0.1f);
    for (auto& c : counters)
        ASSERT_EQ(c->steps, 2);
}

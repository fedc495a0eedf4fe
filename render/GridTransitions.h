#pragma once

#include "engine/TransitionScene.h"
#include "render/Grid.h"

class IntervalAction;

// Transitions through the grid effects. The tile transitions break the
// outgoing scene, drawn over the incoming one, into square tiles (about 12
// down the window) that go away and uncover it.

// The outgoing scene's tiles shrink away in a front from the bottom-left to
// the top-right.
class FadeTRTransition : public TransitionScene {
    CC_TRANSITION_CREATE(FadeTRTransition)
public:
    void onEnter() override;
    // The tile effect of the transition on a grid of `size`.
    virtual Ref<IntervalAction> actionWithSize(ccGridSize size);

protected:
    void sceneOrder() override { inSceneOnTop_ = false; }
};

// From the top-right to the bottom-left.
class FadeBLTransition : public FadeTRTransition {
    CC_TRANSITION_CREATE(FadeBLTransition)
public:
    Ref<IntervalAction> actionWithSize(ccGridSize size) override;
};

// Row by row from the bottom up.
class FadeUpTransition : public FadeTRTransition {
    CC_TRANSITION_CREATE(FadeUpTransition)
public:
    Ref<IntervalAction> actionWithSize(ccGridSize size) override;
};

// Row by row from the top down.
class FadeDownTransition : public FadeTRTransition {
    CC_TRANSITION_CREATE(FadeDownTransition)
public:
    Ref<IntervalAction> actionWithSize(ccGridSize size) override;
};

// The outgoing scene's tiles vanish one by one in a random order.
class TurnOffTilesTransition : public FadeTRTransition {
    CC_TRANSITION_CREATE(TurnOffTilesTransition)
public:
    Ref<IntervalAction> actionWithSize(ccGridSize size) override;
};

// The outgoing scene splits into three columns that slide out up and down
// over the first half; the incoming one slides in the same way over the
// second.
class SplitColsTransition : public TransitionScene {
    CC_TRANSITION_CREATE(SplitColsTransition)
public:
    void onEnter() override;
    // The split of one half, before easing.
    virtual Ref<IntervalAction> action();
};

// Three rows sliding out sideways.
class SplitRowsTransition : public SplitColsTransition {
    CC_TRANSITION_CREATE(SplitRowsTransition)
public:
    Ref<IntervalAction> action() override;
};

// The outgoing scene curls away like a page, from the bottom-right corner,
// uncovering the incoming one; `backwards`, the incoming scene rolls back on
// over the outgoing one instead.
class PageTurnTransition : public TransitionScene {
public:
    static Ref<PageTurnTransition> transitionWithDuration(float t, Scene* scene,
                                                          bool backwards = false) {
        auto transition = make<PageTurnTransition>();
        transition->back_ = backwards;
        transition->initWithDuration(t, scene);
        return transition;
    }
    bool backwards() const { return back_; }
    void onEnter() override;
    // The page turn on a grid of `size`.
    virtual Ref<IntervalAction> actionWithSize(ccGridSize size);

protected:
    void sceneOrder() override { inSceneOnTop_ = back_; }
    bool back_ = false;
};

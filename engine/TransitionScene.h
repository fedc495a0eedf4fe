#pragma once

#include "engine/Action.h"
#include "engine/Scene.h"
#include "support/Types.h"

#include <vector>

class IntervalAction;

// The layer tag a fade transition gives its colour layer.
inline constexpr int kSceneFade = int(0xFADEFADE);

// A temporary scene that shows the running scene and an incoming one
// together while an effect moves them, then hands the screen over to the
// incoming scene. Both scenes keep ticking until the hand-over; touches are
// not dispatched from creation until then.
//
// Subclasses are made through their class's transitionWithDuration, which
// runs the overridable steps once the object is complete.
class TransitionScene : public Scene {
public:
    static Ref<TransitionScene> transitionWithDuration(float t, Scene* scene) {
        return create<TransitionScene>(t, scene);
    }

    bool isTransitionScene() const override { return true; }

    Scene* inScene() const { return inScene_.get(); }
    Scene* outScene() const { return outScene_.get(); }
    float duration() const { return duration_; }
    bool inSceneOnTop() const { return inSceneOnTop_; }

    void draw() override;
    void onEnter() override;
    void onExit() override;
    // Ending the director mid-effect cleans up the scenes being shown:
    // their timers and actions would otherwise keep them alive for ever.
    void cleanup() override;

    // The effect's last step: both scenes back in their resting state, and
    // the hand-over at the next scheduler tick.
    virtual void finish();
    // The incoming scene shows, the outgoing one hides.
    virtual void hideOutShowIn();
    // Hands the screen to the incoming scene (a scheduled operation).
    virtual void setNewScene(float dt);
    // Replaced by a newer request before its hand-over: the effect ends at
    // once, the outgoing scene leaves and the incoming one has arrived, so
    // that it is the scene the newer request replaces. Called by the
    // director when it switches.
    void supersede();

protected:
    template <class T, class... Args>
    static Ref<T> create(Args&&... args) {
        auto t = make<T>();
        t->initWithDuration(std::forward<Args>(args)...);
        return t;
    }

    void initWithDuration(float t, Scene* scene);
    // Decides which scene is drawn last.
    virtual void sceneOrder() { inSceneOnTop_ = true; }
    // Runs one action of the effect; what is left of it stops when the
    // transition exits.
    void runEffect(Node* node, Action* action);

    Ref<Scene> inScene_;
    Ref<Scene> outScene_;
    float duration_ = 0;
    bool inSceneOnTop_ = true;
    // With nothing running at creation, an empty scene stands in for the
    // outgoing one, and the transition enters it itself.
    bool enterOutScene_ = false;
    std::vector<Ref<Action>> effectActions_;
};

// Declares the creation of a transition class.
#define CC_TRANSITION_CREATE(Class)                                                                \
public:                                                                                            \
    static Ref<Class> transitionWithDuration(float t, Scene* scene) {                              \
        return create<Class>(t, scene);                                                            \
    }

// Fades the outgoing scene to a colour, then the colour away from the
// incoming scene.
class FadeTransition : public TransitionScene {
    CC_TRANSITION_CREATE(FadeTransition)
public:
    static Ref<FadeTransition> transitionWithDuration(float t, Scene* scene, ccColor3B color) {
        return create<FadeTransition>(t, scene, color);
    }
    ccColor4B color() const { return color_; }

    void onEnter() override;
    void onExit() override;

protected:
    using TransitionScene::initWithDuration;
    void initWithDuration(float t, Scene* scene, ccColor3B color);
    friend class TransitionScene;

    ccColor4B color_ = ccc4(0, 0, 0, 0);
};

// The incoming scene slides in from the left, pushing the outgoing one out.
class SlideInLTransition : public TransitionScene {
    CC_TRANSITION_CREATE(SlideInLTransition)
public:
    void onEnter() override;
    // Places the incoming scene before the effect.
    virtual void initScenes();
    // One movement of the effect, before easing.
    virtual Ref<IntervalAction> action();
    virtual Ref<IntervalAction> easeActionWithAction(IntervalAction* action);

protected:
    void sceneOrder() override { inSceneOnTop_ = false; }
};

// From the right, drawn over the outgoing scene.
class SlideInRTransition : public SlideInLTransition {
    CC_TRANSITION_CREATE(SlideInRTransition)
public:
    void initScenes() override;
    Ref<IntervalAction> action() override;

protected:
    void sceneOrder() override { inSceneOnTop_ = true; }
};

// From the top, drawn under the outgoing scene.
class SlideInTTransition : public SlideInLTransition {
    CC_TRANSITION_CREATE(SlideInTTransition)
public:
    void initScenes() override;
    Ref<IntervalAction> action() override;

protected:
    void sceneOrder() override { inSceneOnTop_ = false; }
};

// From the bottom, drawn over the outgoing scene.
class SlideInBTransition : public SlideInLTransition {
    CC_TRANSITION_CREATE(SlideInBTransition)
public:
    void initScenes() override;
    Ref<IntervalAction> action() override;

protected:
    void sceneOrder() override { inSceneOnTop_ = true; }
};

// The incoming scene moves in from the left over the outgoing one, which
// stays put.
class MoveInLTransition : public TransitionScene {
    CC_TRANSITION_CREATE(MoveInLTransition)
public:
    void onEnter() override;
    virtual void initScenes();
    virtual Ref<IntervalAction> action();
    virtual Ref<IntervalAction> easeActionWithAction(IntervalAction* action);
};

class MoveInRTransition : public MoveInLTransition {
    CC_TRANSITION_CREATE(MoveInRTransition)
public:
    void initScenes() override;
};

class MoveInTTransition : public MoveInLTransition {
    CC_TRANSITION_CREATE(MoveInTTransition)
public:
    void initScenes() override;
};

class MoveInBTransition : public MoveInLTransition {
    CC_TRANSITION_CREATE(MoveInBTransition)
public:
    void initScenes() override;
};

// The outgoing scene shrinks away to the left while the incoming one grows
// from the right.
class ShrinkGrowTransition : public TransitionScene {
    CC_TRANSITION_CREATE(ShrinkGrowTransition)
public:
    void onEnter() override;
    // Also gives both scenes back the pivots they had before.
    void finish() override;
    virtual Ref<IntervalAction> easeActionWithAction(IntervalAction* action);

protected:
    Point inAnchor_, outAnchor_;
};

// The outgoing scene spins away to a point; the incoming one spins back out
// of it.
class RotoZoomTransition : public TransitionScene {
    CC_TRANSITION_CREATE(RotoZoomTransition)
public:
    void onEnter() override;
};

// The outgoing scene shrinks and jumps away to the left; the incoming one
// jumps in from the right and grows.
class JumpZoomTransition : public TransitionScene {
    CC_TRANSITION_CREATE(JumpZoomTransition)
public:
    void onEnter() override;
};

// Which way a flip turns.
enum tOrientation {
    kOrientationLeftOver = 0,
    kOrientationRightOver = 1,
    kOrientationUpOver = 0,
    kOrientationDownOver = 1,
};

// A transition with a direction.
class OrientedTransitionScene : public TransitionScene {
    CC_TRANSITION_CREATE(OrientedTransitionScene)
public:
    static Ref<OrientedTransitionScene> transitionWithDuration(float t, Scene* scene,
                                                               int orientation) {
        return create<OrientedTransitionScene>(t, scene, orientation);
    }
    int orientation() const { return orientation_; }

protected:
    using TransitionScene::initWithDuration;
    void initWithDuration(float t, Scene* scene, int orientation);
    friend class TransitionScene;

    int orientation_ = kOrientationLeftOver;
};

#define CC_ORIENTED_TRANSITION_CREATE(Class)                                                       \
    CC_TRANSITION_CREATE(Class)                                                                    \
public:                                                                                            \
    static Ref<Class> transitionWithDuration(float t, Scene* scene, int orientation) {             \
        return create<Class>(t, scene, orientation);                                               \
    }

// The outgoing scene turns edge-on about the vertical axis through the
// screen's centre in the first half; the incoming one turns on from edge-on
// in the second. The turn is a rotation of the drawing, not a camera: each
// scene is drawn as a flat card.
class FlipXTransition : public OrientedTransitionScene {
    CC_ORIENTED_TRANSITION_CREATE(FlipXTransition)
public:
    void onEnter() override;
    void draw() override;
    // Also turns both scenes back flat.
    void finish() override;

    float outTurn() const { return outTurn_; }
    float inTurn() const { return inTurn_; }
    void setTurn(bool incoming, float degrees) { (incoming ? inTurn_ : outTurn_) = degrees; }

protected:
    // The axis of the turn, in the screen's plane.
    virtual Point turnAxis() const { return Point(0, 1); }
    // Shrinks the scenes to half size while they are turned.
    virtual bool zooms() const { return false; }
    void drawTurned(Scene* scene, float degrees);

    float outTurn_ = 0;
    float inTurn_ = 0;
};

// About the horizontal axis.
class FlipYTransition : public FlipXTransition {
    CC_ORIENTED_TRANSITION_CREATE(FlipYTransition)
protected:
    Point turnAxis() const override { return Point(1, 0); }
};

// About the rising diagonal.
class FlipAngularTransition : public FlipXTransition {
    CC_ORIENTED_TRANSITION_CREATE(FlipAngularTransition)
protected:
    Point turnAxis() const override { return Point(1, 1); }
};

class ZoomFlipXTransition : public FlipXTransition {
    CC_ORIENTED_TRANSITION_CREATE(ZoomFlipXTransition)
protected:
    bool zooms() const override { return true; }
};

class ZoomFlipYTransition : public FlipYTransition {
    CC_ORIENTED_TRANSITION_CREATE(ZoomFlipYTransition)
protected:
    bool zooms() const override { return true; }
};

class ZoomFlipAngularTransition : public FlipAngularTransition {
    CC_ORIENTED_TRANSITION_CREATE(ZoomFlipAngularTransition)
protected:
    bool zooms() const override { return true; }
};

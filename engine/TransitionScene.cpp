#include "engine/TransitionScene.h"

#include "engine/ActionManager.h"
#include "engine/Director.h"
#include "engine/EaseAction.h"
#include "engine/InstantAction.h"
#include "engine/IntervalAction.h"
#include "engine/Layer.h"
#include "engine/TouchDispatcher.h"
#include "platform/GL.h"
#include "support/Error.h"

namespace {

Ref<CallFunc> callFinish(TransitionScene* t) {
    return CallFunc::actionWithTarget(t, ccSelector(t, &TransitionScene::finish));
}

// Puts a scene back in its resting placement.
void rest(Scene* scene, bool visible) {
    scene->setVisible(visible);
    scene->setPosition(Point(0, 0));
    scene->setScale(1);
    scene->setRotation(0);
    if (scene->hasCamera()) scene->camera()->restore();
}

} // namespace

// --- TransitionScene ---

void TransitionScene::initWithDuration(float t, Scene* scene) {
    ccAssert(scene != nullptr, "Argument scene must be non-nil");
    duration_ = t;
    inScene_ = Ref<Scene>(scene);
    Scene* running = Director::sharedDirector().runningScene();
    // A transition still under way is superseded by this one (the newest
    // request wins): the scene it was bringing in is the one that goes out.
    if (auto* older = dynamic_cast<TransitionScene*>(running)) running = older->inScene();
    outScene_ = Ref<Scene>(running);
    if (inScene_ == outScene_)
        ccRaise("TransitionWithInvalidScene",
                "Incoming scene must be different from the outgoing scene");
    if (!outScene_) {
        outScene_ = Scene::node();
        enterOutScene_ = true;
    }
    TouchDispatcher::sharedDispatcher().setDispatchEvents(false);
    sceneOrder();
}

void TransitionScene::draw() {
    Ref<Scene> below = inSceneOnTop_ ? outScene_ : inScene_;
    Ref<Scene> above = inSceneOnTop_ ? inScene_ : outScene_;
    below->visit();
    above->visit();
}

void TransitionScene::onEnter() {
    Scene::onEnter();
    if (enterOutScene_) outScene_->onEnter();
    inScene_->onEnter();
}

void TransitionScene::onExit() {
    Ref<TransitionScene> keep(this);
    // Whatever is left of the effect (cut short by a newer request or by the
    // end of the director) stops here: it would move the scenes on, and its
    // last step would still call back into this transition.
    if (ActionManager* manager = ActionManager::existingManager())
        for (auto& action : effectActions_)
            manager->removeAction(action.get());
    effectActions_.clear();
    Scene::onExit();
    outScene_->onExit();
    inScene_->onEnterTransitionDidFinish();
}

void TransitionScene::cleanup() {
    Ref<TransitionScene> keep(this);
    Scene::cleanup();
    // After the hand-over the incoming scene runs on, and a scene pushed
    // under this transition waits in the stack: neither is finished with.
    Director& director = Director::sharedDirector();
    for (Scene* scene : {inScene_.get(), outScene_.get()})
        if (scene != director.runningScene() && !director.isSceneInStack(scene)) scene->cleanup();
}

void TransitionScene::runEffect(Node* node, Action* action) {
    node->runAction(action);
    effectActions_.emplace_back(action);
}

void TransitionScene::supersede() {
    Ref<TransitionScene> keep(this);
    finish();
    outScene_->setVisible(true);
    onExit();
    Scene::cleanup();
    Director& director = Director::sharedDirector();
    if (!director.isSceneInStack(outScene_.get())) outScene_->cleanup();
}

void TransitionScene::finish() {
    rest(inScene_.get(), true);
    rest(outScene_.get(), false);
    schedule(ccSelector(this, &TransitionScene::setNewScene), 0);
}

void TransitionScene::hideOutShowIn() {
    inScene_->setVisible(true);
    outScene_->setVisible(false);
}

void TransitionScene::setNewScene(float) {
    Ref<TransitionScene> keep(this);
    unschedule("setNewScene");
    Director& director = Director::sharedDirector();
    // A newer request waits for the switch, which supersedes this transition.
    if (director.nextScene() && director.nextScene() != inScene_.get()) return;
    director.replaceScene(inScene_.get());
    TouchDispatcher::sharedDispatcher().setDispatchEvents(true);
    // No longer drawn, but it leaves as it was found.
    outScene_->setVisible(true);
}

// --- FadeTransition ---

void FadeTransition::initWithDuration(float t, Scene* scene, ccColor3B color) {
    color_ = ccc4(color.r, color.g, color.b, 0);
    TransitionScene::initWithDuration(t, scene);
}

void FadeTransition::onEnter() {
    TransitionScene::onEnter();
    auto layer = ColorLayer::layerWithColor(color_);
    inScene_->setVisible(false);
    addChild(layer.get(), 2, kSceneFade);
    auto fade = Sequence::actions({
        FadeIn::actionWithDuration(duration_ / 2),
        CallFunc::actionWithTarget(this, ccSelector(this, &TransitionScene::hideOutShowIn)),
        FadeOut::actionWithDuration(duration_ / 2),
        callFinish(this),
    });
    runEffect(layer.get(), fade.get());
}

void FadeTransition::onExit() {
    TransitionScene::onExit();
    removeChildByTag(kSceneFade, false);
}

// --- slides ---

void SlideInLTransition::onEnter() {
    TransitionScene::onEnter();
    initScenes();
    auto in = action();
    auto out = action();
    runEffect(inScene_.get(), easeActionWithAction(in.get()).get());
    auto outSeq = Sequence::actions({easeActionWithAction(out.get()), callFinish(this)});
    runEffect(outScene_.get(), outSeq.get());
}

// Half a point short of the full width so that the two scenes overlap by a
// sliver instead of leaving a seam.
void SlideInLTransition::initScenes() {
    Size s = Director::sharedDirector().winSize();
    inScene_->setPosition(Point(-(s.width - 0.5f), 0));
}

Ref<IntervalAction> SlideInLTransition::action() {
    Size s = Director::sharedDirector().winSize();
    return MoveBy::actionWithDuration(duration_, Point(s.width - 0.5f, 0));
}

Ref<IntervalAction> SlideInLTransition::easeActionWithAction(IntervalAction* action) {
    return EaseOut::actionWithAction(action, 2.0f);
}

void SlideInRTransition::initScenes() {
    Size s = Director::sharedDirector().winSize();
    inScene_->setPosition(Point(s.width - 0.5f, 0));
}

Ref<IntervalAction> SlideInRTransition::action() {
    Size s = Director::sharedDirector().winSize();
    return MoveBy::actionWithDuration(duration_, Point(-(s.width - 0.5f), 0));
}

void SlideInTTransition::initScenes() {
    Size s = Director::sharedDirector().winSize();
    inScene_->setPosition(Point(0, s.height - 0.5f));
}

Ref<IntervalAction> SlideInTTransition::action() {
    Size s = Director::sharedDirector().winSize();
    return MoveBy::actionWithDuration(duration_, Point(0, -(s.height - 0.5f)));
}

void SlideInBTransition::initScenes() {
    Size s = Director::sharedDirector().winSize();
    inScene_->setPosition(Point(0, -(s.height - 0.5f)));
}

Ref<IntervalAction> SlideInBTransition::action() {
    Size s = Director::sharedDirector().winSize();
    return MoveBy::actionWithDuration(duration_, Point(0, s.height - 0.5f));
}

// --- move-ins ---

void MoveInLTransition::onEnter() {
    TransitionScene::onEnter();
    initScenes();
    auto move = action();
    auto seq = Sequence::actions({easeActionWithAction(move.get()), callFinish(this)});
    runEffect(inScene_.get(), seq.get());
}

void MoveInLTransition::initScenes() {
    Size s = Director::sharedDirector().winSize();
    inScene_->setPosition(Point(-s.width, 0));
}

Ref<IntervalAction> MoveInLTransition::action() {
    return MoveTo::actionWithDuration(duration_, Point(0, 0));
}

Ref<IntervalAction> MoveInLTransition::easeActionWithAction(IntervalAction* action) {
    return EaseOut::actionWithAction(action, 2.0f);
}

void MoveInRTransition::initScenes() {
    Size s = Director::sharedDirector().winSize();
    inScene_->setPosition(Point(s.width, 0));
}

void MoveInTTransition::initScenes() {
    Size s = Director::sharedDirector().winSize();
    inScene_->setPosition(Point(0, s.height));
}

void MoveInBTransition::initScenes() {
    Size s = Director::sharedDirector().winSize();
    inScene_->setPosition(Point(0, -s.height));
}

// --- zooms ---

void ShrinkGrowTransition::onEnter() {
    TransitionScene::onEnter();
    inAnchor_ = inScene_->anchorPoint();
    outAnchor_ = outScene_->anchorPoint();
    inScene_->setScale(0.001f);
    outScene_->setScale(1);
    inScene_->setAnchorPoint(Point(2 / 3.0f, 0.5f));
    outScene_->setAnchorPoint(Point(1 / 3.0f, 0.5f));
    auto grow = easeActionWithAction(ScaleTo::actionWithDuration(duration_, 1).get());
    auto shrink = easeActionWithAction(ScaleTo::actionWithDuration(duration_, 0.01f).get());
    runEffect(inScene_.get(), grow.get());
    runEffect(outScene_.get(), Sequence::actions({shrink, callFinish(this)}).get());
}

void ShrinkGrowTransition::finish() {
    inScene_->setAnchorPoint(inAnchor_);
    outScene_->setAnchorPoint(outAnchor_);
    TransitionScene::finish();
}

Ref<IntervalAction> ShrinkGrowTransition::easeActionWithAction(IntervalAction* action) {
    return EaseOut::actionWithAction(action, 2.0f);
}

void RotoZoomTransition::onEnter() {
    TransitionScene::onEnter();
    inScene_->setScale(0.001f);
    outScene_->setScale(1);
    inScene_->setAnchorPoint(Point(0.5f, 0.5f));
    outScene_->setAnchorPoint(Point(0.5f, 0.5f));
    auto spin = Spawn::actions({
        ScaleBy::actionWithDuration(duration_ / 2, 0.001f),
        RotateBy::actionWithDuration(duration_ / 2, 360 * 2),
    });
    auto rotozoom = Sequence::actions({spin, DelayTime::actionWithDuration(duration_ / 2)});
    auto back = action_cast<FiniteTimeAction>(rotozoom->reverse());
    runEffect(outScene_.get(), rotozoom.get());
    runEffect(inScene_.get(), Sequence::actions({back, callFinish(this)}).get());
}

void JumpZoomTransition::onEnter() {
    TransitionScene::onEnter();
    Size s = Director::sharedDirector().winSize();
    inScene_->setScale(0.5f);
    inScene_->setPosition(Point(s.width, 0));
    inScene_->setAnchorPoint(Point(0.5f, 0.5f));
    outScene_->setAnchorPoint(Point(0.5f, 0.5f));
    auto jump = JumpBy::actionWithDuration(duration_ / 4, Point(-s.width, 0), s.width / 4, 2);
    auto jumpZoomOut = Sequence::actions({ScaleTo::actionWithDuration(duration_ / 4, 0.5f), jump});
    auto jumpZoomIn =
        Sequence::actions({jump->copy(), ScaleTo::actionWithDuration(duration_ / 4, 1)});
    runEffect(outScene_.get(), jumpZoomOut.get());
    runEffect(inScene_.get(), Sequence::actions({DelayTime::actionWithDuration(duration_ / 2),
                                                 jumpZoomIn, callFinish(this)})
                                  .get());
}

// --- flips ---

void OrientedTransitionScene::initWithDuration(float t, Scene* scene, int orientation) {
    orientation_ = orientation;
    TransitionScene::initWithDuration(t, scene);
}

namespace {

// Turns one of a flip's scenes from an angle by a number of degrees.
class FlipTurn : public IntervalAction {
    CC_ACTION_COPY(FlipTurn)
public:
    FlipTurn(float d, FlipXTransition* flip, bool incoming, float from, float delta)
        : IntervalAction(d), flip_(flip), incoming_(incoming), from_(from), delta_(delta) {}
    void update(float t) override { flip_->setTurn(incoming_, from_ + delta_ * t); }

protected:
    Ref<FlipXTransition> flip_;
    bool incoming_;
    float from_, delta_;
};

Ref<Action> FlipTurn::copyAction() const {
    auto c = make<FlipTurn>(duration_, flip_.get(), incoming_, from_, delta_);
    c->setTag(tag_);
    return c;
}

} // namespace

void FlipXTransition::onEnter() {
    TransitionScene::onEnter();
    const float half = duration_ / 2;
    // The outgoing scene turns away to edge-on, the incoming one comes on
    // from edge-on on the other side, in the same sense of rotation.
    const float sense = orientation_ == kOrientationRightOver ? -1.0f : 1.0f;
    outTurn_ = 0;
    inTurn_ = -90 * sense;
    inScene_->setVisible(false);

    Ref<FiniteTimeAction> turnOut = make<FlipTurn>(half, this, false, 0.0f, 90 * sense);
    Ref<FiniteTimeAction> turnIn = make<FlipTurn>(half, this, true, -90 * sense, 90 * sense);
    if (zooms()) {
        inScene_->setScale(0.5f);
        turnOut = Spawn::actions({turnOut, ScaleTo::actionWithDuration(half, 0.5f)});
        turnIn = Spawn::actions({turnIn, ScaleTo::actionWithDuration(half, 1)});
    }
    runEffect(
        outScene_.get(),
        Sequence::actions({turnOut, Hide::action(), DelayTime::actionWithDuration(half)}).get());
    runEffect(inScene_.get(), Sequence::actions({DelayTime::actionWithDuration(half),
                                                 Show::action(), turnIn, callFinish(this)})
                                  .get());
}

void FlipXTransition::finish() {
    outTurn_ = inTurn_ = 0;
    TransitionScene::finish();
}

void FlipXTransition::draw() {
    // Each scene is one flat card: layers in it share a plane, and depth
    // testing would only let them fight over it.
    const bool depth = glIsEnabled(GL_DEPTH_TEST);
    if (depth) glDisable(GL_DEPTH_TEST);
    drawTurned(inSceneOnTop_ ? outScene_.get() : inScene_.get(),
               inSceneOnTop_ ? outTurn_ : inTurn_);
    drawTurned(inSceneOnTop_ ? inScene_.get() : outScene_.get(),
               inSceneOnTop_ ? inTurn_ : outTurn_);
    if (depth) glEnable(GL_DEPTH_TEST);
}

void FlipXTransition::drawTurned(Scene* scene, float degrees) {
    Ref<Scene> keep(scene);
    if (degrees == 0) {
        scene->visit();
        return;
    }
    Size s = Director::sharedDirector().winSize();
    Point axis = turnAxis();
    glPushMatrix();
    glTranslatef(s.width / 2, s.height / 2, 0);
    // A flat projection keeps only depths within ±1: lay the turned card
    // back into the screen's plane there.
    if (Director::sharedDirector().projection() != 1) glScalef(1, 1, 0);
    glRotatef(degrees, axis.x, axis.y, 0);
    glTranslatef(-s.width / 2, -s.height / 2, 0);
    scene->visit();
    glPopMatrix();
}

#include "engine/Director.h"
#include "engine/InstantAction.h"
#include "engine/IntervalAction.h"
#include "engine/Layer.h"
#include "engine/TouchDispatcher.h"
#include "engine/TransitionScene.h"

#include <cmath>
#include <functional>

namespace {

using MakeTransition = std::function<Ref<TransitionScene>(Scene*)>;

// What the next tap uses, in turn; the fade and the slide the game uses come
// first.
const MakeTransition kTransitions[] = {
    [](Scene* s) { return FadeTransition::transitionWithDuration(0.5f, s); },
    [](Scene* s) { return SlideInLTransition::transitionWithDuration(0.5f, s); },
    [](Scene* s) { return FadeTransition::transitionWithDuration(0.8f, s, ccc3(255, 255, 255)); },
    [](Scene* s) { return SlideInRTransition::transitionWithDuration(0.5f, s); },
    [](Scene* s) { return SlideInTTransition::transitionWithDuration(0.5f, s); },
    [](Scene* s) { return SlideInBTransition::transitionWithDuration(0.5f, s); },
    [](Scene* s) { return MoveInLTransition::transitionWithDuration(0.5f, s); },
    [](Scene* s) { return MoveInRTransition::transitionWithDuration(0.5f, s); },
    [](Scene* s) { return MoveInTTransition::transitionWithDuration(0.5f, s); },
    [](Scene* s) { return MoveInBTransition::transitionWithDuration(0.5f, s); },
    [](Scene* s) { return ShrinkGrowTransition::transitionWithDuration(0.8f, s); },
    [](Scene* s) { return RotoZoomTransition::transitionWithDuration(1.0f, s); },
    [](Scene* s) { return JumpZoomTransition::transitionWithDuration(1.0f, s); },
    [](Scene* s) { return FlipXTransition::transitionWithDuration(0.8f, s); },
    [](Scene* s) { return FlipYTransition::transitionWithDuration(0.8f, s, kOrientationDownOver); },
    [](Scene* s) { return FlipAngularTransition::transitionWithDuration(0.8f, s); },
    [](Scene* s) { return ZoomFlipXTransition::transitionWithDuration(0.8f, s); },
    [](Scene* s) { return ZoomFlipYTransition::transitionWithDuration(0.8f, s); },
    [](Scene* s) { return ZoomFlipAngularTransition::transitionWithDuration(0.8f, s); },
};
constexpr int kTransitionCount = int(std::size(kTransitions));

struct Look {
    ccColor4B background, card, spinner;
};

const Look kLooks[2] = {
    {ccc4(120, 30, 20, 255), ccc4(230, 120, 40, 255), ccc4(255, 230, 120, 255)},
    {ccc4(15, 40, 110, 255), ccc4(40, 150, 200, 255), ccc4(200, 250, 255, 255)},
};

// One of the two screens: a card with a turning square, updated every frame
// so that both screens are seen moving during a transition. A tap leaves a
// mark where it landed and, when the finger lifts, switches to the other
// screen with the next transition.
class DemoScreen : public Scene, public TargetedTouchDelegate {
public:
    DemoScreen(int look, int next) : look_(look), next_(next) {
        const Look& l = kLooks[look];
        Size s = Director::sharedDirector().winSize();
        addChild(ColorLayer::layerWithColor(l.background).get(), -1);

        auto card = ColorLayer::layerWithColor(l.card, 220, 220);
        card->setPosition(Point((s.width - 220) / 2, (s.height - 220) / 2));
        addChild(card.get());
        spinner_ = ColorLayer::layerWithColor(l.spinner, 90, 90);
        spinner_->setRelativeAnchorPoint(true);
        spinner_->setPosition(Point(110, 110));
        card->addChild(spinner_.get());

        // A row of pips counts through the transitions: the lit one is the
        // next to be used.
        for (int i = 0; i < kTransitionCount; ++i) {
            bool lit = i == next;
            auto pip = ColorLayer::layerWithColor(
                lit ? ccc4(255, 255, 255, 255) : ccc4(255, 255, 255, 70), 10, 10);
            pip->setPosition(Point(16 + float(i) * 15, s.height - 36));
            addChild(pip.get());
        }
        // A screen-wide edge on the side each scene enters from keeps the two
        // screens apart in slides.
        auto edge = ColorLayer::layerWithColor(l.spinner, 6, s.height);
        edge->setPosition(Point(look == 0 ? 0 : s.width - 6, 0));
        addChild(edge.get());

        schedule(ccSelector(this, &DemoScreen::update));
    }

    void onEnter() override {
        Scene::onEnter();
        TouchDispatcher::sharedDispatcher().addTargetedDelegate(this, 0, false);
    }

    void onExit() override {
        TouchDispatcher::sharedDispatcher().removeDelegate(this);
        Scene::onExit();
        // A screen is made afresh each time it is shown: this one is done,
        // and its timers would otherwise hold it for ever.
        cleanup();
    }

    void update(float dt) { spinner_->setRotation(std::fmod(spinner_->rotation() + 90 * dt, 360)); }

    bool ccTouchBegan(Touch* touch, Event*) override {
        Point p = Director::sharedDirector().convertToGL(touch->locationInView(touch->view()));
        auto mark = ColorLayer::layerWithColor(ccc4(255, 255, 255, 255), 24, 24);
        mark->setRelativeAnchorPoint(true);
        mark->setPosition(p);
        addChild(mark.get(), 5);
        mark->runAction(Sequence::actions({FadeOut::actionWithDuration(0.6f),
                                           CallFuncN::actionWithTarget(
                                               this, ccSelector(this, &DemoScreen::dropMark))})
                            .get());
        return true;
    }

    void ccTouchEnded(Touch*, Event*) override {
        // Two fingers lifted together end in one dispatch: one switch only.
        if (leaving_) return;
        leaving_ = true;
        auto other = make<DemoScreen>(1 - look_, (next_ + 1) % kTransitionCount);
        Director::sharedDirector().replaceScene(kTransitions[next_](other.get()).get());
    }

    void ccTouchCancelled(Touch*, Event*) override {}

    void dropMark(Node* mark) { removeChild(mark, true); }

private:
    int look_;
    int next_;
    bool leaving_ = false;
    Ref<ColorLayer> spinner_;
};

} // namespace

// Two screens to tap between, each tap with the next transition.
Ref<Scene> makeTransitionsScene() {
    return make<DemoScreen>(0, 0);
}

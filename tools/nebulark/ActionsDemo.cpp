#include "tools/nebulark/SpineDemo.h"

#include "engine/Action.h"
#include "engine/EaseAction.h"
#include "engine/IntervalAction.h"
#include "engine/Layer.h"

namespace {

using MakeEase = std::function<Ref<IntervalAction>(IntervalAction*)>;

template <class Ease>
MakeEase ease() {
    return [](IntervalAction* a) -> Ref<IntervalAction> { return Ease::actionWithAction(a); };
}

template <class Ease>
MakeEase easeRate(float rate) {
    return [rate](IntervalAction* a) -> Ref<IntervalAction> {
        return Ease::actionWithAction(a, rate);
    };
}

Ref<ColorLayer> square(ccColor4B colour, Point at, float size = 14) {
    auto s = ColorLayer::layerWithColor(colour, size, size);
    s->setRelativeAnchorPoint(true);
    s->setPosition(at);
    return s;
}

void forever(Node* node, FiniteTimeAction* one, FiniteTimeAction* two) {
    auto seq = Sequence::actionOne(one, two);
    node->runAction(RepeatForever::actionWithAction(seq.get()).get());
}

} // namespace

// One lane per easing, all crossing the screen in the same two seconds, and
// a row of the other interval actions above them.
Ref<Scene> makeActionsScene() {
    auto scene = Scene::node();
    scene->addChild(ColorLayer::layerWithColor(ccc4(10, 14, 36, 255)).get(), -1);

    const MakeEase eases[] = {
        nullptr,
        easeRate<EaseIn>(2),
        easeRate<EaseOut>(2),
        easeRate<EaseInOut>(2),
        ease<EaseExponentialIn>(),
        ease<EaseExponentialOut>(),
        ease<EaseExponentialInOut>(),
        ease<EaseSineIn>(),
        ease<EaseSineOut>(),
        ease<EaseSineInOut>(),
        [](IntervalAction* a) -> Ref<IntervalAction> { return EaseElasticIn::actionWithAction(a); },
        [](IntervalAction* a) -> Ref<IntervalAction> { return EaseElasticOut::actionWithAction(a); },
        ease<EaseBounceIn>(),
        ease<EaseBounceOut>(),
        ease<EaseBounceInOut>(),
        ease<EaseBackIn>(),
        ease<EaseBackOut>(),
        ease<EaseBackInOut>(),
    };
    float y = 370;
    int lane = 0;
    for (const MakeEase& make : eases) {
        ccColor3B c = ccColor3BFromHSV(float(lane) / 18.0f, 0.7f, 0.95f);
        auto track = ColorLayer::layerWithColor(ccc4(255, 255, 255, 24), 280, 1);
        track->setPosition(Point(20, y));
        scene->addChild(track.get());
        auto s = square(ccc4(c.r, c.g, c.b, 255), Point(30, y));
        auto there = MoveBy::actionWithDuration(2, Point(260, 0));
        auto back = MoveBy::actionWithDuration(2, Point(-260, 0));
        Ref<IntervalAction> a = make ? make(there.get()) : Ref<IntervalAction>(there);
        Ref<IntervalAction> b = make ? make(back.get()) : Ref<IntervalAction>(back);
        forever(s.get(), a.get(), b.get());
        scene->addChild(s.get(), 1);
        y -= 19;
        ++lane;
    }

    // Jump, turn, fade, tint and blink.
    auto jumper = square(ccc4(240, 240, 240, 255), Point(30, 420), 18);
    forever(jumper.get(), JumpBy::actionWithDuration(1.5f, Point(60, 0), 30, 2).get(),
            JumpBy::actionWithDuration(1.5f, Point(-60, 0), 30, 2).get());
    auto turner = square(ccc4(230, 90, 90, 255), Point(120, 430), 22);
    forever(turner.get(), RotateTo::actionWithDuration(1, 180).get(),
            RotateTo::actionWithDuration(1, 0).get());
    auto fader = square(ccc4(90, 200, 120, 255), Point(170, 430), 22);
    forever(fader.get(), FadeTo::actionWithDuration(1, 40).get(), FadeIn::actionWithDuration(1).get());
    auto tinter = square(ccc4(255, 255, 255, 255), Point(220, 430), 22);
    forever(tinter.get(), TintTo::actionWithDuration(1.5f, 80, 120, 255).get(),
            TintTo::actionWithDuration(1.5f, 255, 200, 60).get());
    auto blinker = square(ccc4(250, 220, 80, 255), Point(270, 430), 22);
    forever(blinker.get(), Blink::actionWithDuration(2, 4).get(),
            DelayTime::actionWithDuration(0.5f).get());
    for (auto& n : {jumper, turner, fader, tinter, blinker}) scene->addChild(n.get(), 1);
    return scene;
}

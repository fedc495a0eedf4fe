#include "render/GridTransitions.h"

#include "engine/Director.h"
#include "engine/EaseAction.h"
#include "engine/InstantAction.h"
#include "engine/IntervalAction.h"
#include "platform/Random.h"
#include "render/GridEffects.h"
#include "render/TileEffects.h"

#include <algorithm>
#include <cmath>

namespace {

Ref<CallFunc> callFinish(TransitionScene* t) {
    return CallFunc::actionWithTarget(t, ccSelector(t, &TransitionScene::finish));
}

// Square tiles, 12 down the window.
ccGridSize tilesOfWindow() {
    Size s = Director::sharedDirector().winSize();
    int across = std::max(1, int(std::lround(12 * s.width / std::max(1.0f, s.height))));
    return ccg(across, 12);
}

} // namespace

// --- tile fades ---

void FadeTRTransition::onEnter() {
    TransitionScene::onEnter();
    auto effect =
        Sequence::actions({actionWithSize(tilesOfWindow()), StopGrid::action(), callFinish(this)});
    runEffect(outScene_.get(), effect.get());
}

Ref<IntervalAction> FadeTRTransition::actionWithSize(ccGridSize size) {
    return FadeOutTRTiles::actionWithSize(size, duration_);
}

Ref<IntervalAction> FadeBLTransition::actionWithSize(ccGridSize size) {
    return FadeOutBLTiles::actionWithSize(size, duration_);
}

Ref<IntervalAction> FadeUpTransition::actionWithSize(ccGridSize size) {
    return FadeOutUpTiles::actionWithSize(size, duration_);
}

Ref<IntervalAction> FadeDownTransition::actionWithSize(ccGridSize size) {
    return FadeOutDownTiles::actionWithSize(size, duration_);
}

Ref<IntervalAction> TurnOffTilesTransition::actionWithSize(ccGridSize size) {
    return TurnOffTiles::actionWithSeed(uint32_t(platform::random()), size, duration_);
}

// --- splits ---

void SplitColsTransition::onEnter() {
    TransitionScene::onEnter();
    // The grid is the transition's own: it takes in whichever scene is
    // shown.
    inScene_->setVisible(false);
    Ref<IntervalAction> split = action();
    auto out = EaseInOut::actionWithAction(split.get(), 3);
    auto in = EaseInOut::actionWithAction(split->reverse().get(), 3);
    auto effect = Sequence::actions(
        {out, CallFunc::actionWithTarget(this, ccSelector(this, &TransitionScene::hideOutShowIn)),
         in, StopGrid::action(), callFinish(this)});
    runEffect(this, effect.get());
}

Ref<IntervalAction> SplitColsTransition::action() {
    return SplitCols::actionWithCols(3, duration_ / 2);
}

Ref<IntervalAction> SplitRowsTransition::action() {
    return SplitRows::actionWithRows(3, duration_ / 2);
}

// --- page turn ---

void PageTurnTransition::onEnter() {
    TransitionScene::onEnter();
    Size s = Director::sharedDirector().winSize();
    // Cells of about 20 points: a smooth curl.
    ccGridSize size = ccg(std::max(2, int(s.width / 20)), std::max(2, int(s.height / 20)));
    Ref<IntervalAction> turn = actionWithSize(size);
    if (back_) {
        // Rolled away until its first step, then back on.
        inScene_->setVisible(false);
        auto effect = Sequence::actions(
            {Show::action(), turn->reverse(), StopGrid::action(), callFinish(this)});
        runEffect(inScene_.get(), effect.get());
    } else {
        auto effect = Sequence::actions({turn, StopGrid::action(), callFinish(this)});
        runEffect(outScene_.get(), effect.get());
    }
}

Ref<IntervalAction> PageTurnTransition::actionWithSize(ccGridSize size) {
    return PageTurn3D::actionWithSize(size, duration_);
}

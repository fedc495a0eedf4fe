#include "game/SplashLayer.h"

#include "engine/InstantAction.h"
#include "engine/IntervalAction.h"
#include "engine/TouchDispatcher.h"
#include "platform/RunLoop.h"
#include "render/Menu.h"
#include "render/TextureMgr.h"

namespace {
// Ahead of the menus, which keep the touches they claim: the first tap
// anywhere starts the fade, and an item under it still gets it.
constexpr int kSplashTouchPriority = kMenuTouchPriority - 1;
} // namespace

Ref<SplashLayer> SplashLayer::node() { return make<SplashLayer>(); }

SplashLayer::SplashLayer() {
    splashNode_ = Sprite::spriteWithFile("Default.png");
    splashNode_->setAnchorPoint(Point(0, 0));
    if (Texture2D* texture = splashNode_->texture()) texture->setAliasTexParameters();
    addChild(splashNode_.get());
    schedule(ccSelector(this, &SplashLayer::clear), kShowSeconds);
    TouchDispatcher::sharedDispatcher().addTargetedDelegate(this, kSplashTouchPriority, false);
    isClearing_ = false;
}

bool SplashLayer::ccTouchBegan(Touch*, Event*) {
    clear(0);
    return false;
}

void SplashLayer::clear(float) {
    unschedule("clear");
    if (!isClearing_) {
        splashNode_->runAction(
            Sequence::actions(
                {FadeTo::actionWithDuration(kFadeSeconds, 0),
                 CallFunc::actionWithTarget(this, ccSelector(this, &SplashLayer::transitionDone))})
                .get());
    }
    isClearing_ = true;
    TouchDispatcher::sharedDispatcher().removeDelegate(this);
}

void SplashLayer::transitionDone() {
    // Not from inside the fade's own step: at the loop's next turn.
    Ref<SplashLayer> self(this);
    platform::RunLoop::main().performAfterDelay(self, 0, [this] { removeFromSuper(); });
}

void SplashLayer::removeFromSuper() {
    if (Texture2D* texture = splashNode_->texture())
        TextureMgr::sharedTextureMgr().removeTexture(texture);
    removeChild(splashNode_.get(), true);
    TouchDispatcher::sharedDispatcher().removeDelegate(this);
    if (parent_) parent_->removeChild(this, true);
}

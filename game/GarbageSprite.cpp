#include "game/GarbageSprite.h"

#include "engine/Director.h"
#include "engine/TouchDispatcher.h"
#include "game/SavedGameData.h"

Ref<GarbageSprite> GarbageSprite::spriteWithRect(Rect rect, AtlasSpriteManager* manager) {
    return make<GarbageSprite>(rect, manager);
}

GarbageSprite::GarbageSprite(Rect rect, AtlasSpriteManager* manager) : AtlasSprite(rect, manager) {}

void GarbageSprite::onEnter() {
    if (saved::exists(saved::kControlScheme) && saved::value(saved::kControlScheme) == "d")
        TouchDispatcher::sharedDispatcher().addTargetedDelegate(this, 0, false);
    isTracking_ = false;
    AtlasSprite::onEnter();
}

void GarbageSprite::onExit() {
    removeTouch();
    AtlasSprite::onExit();
}

void GarbageSprite::removeTouch() { TouchDispatcher::sharedDispatcher().removeDelegate(this); }

namespace {
Point glLocation(Touch* touch) {
    return Director::sharedDirector().convertToGL(touch->locationInView(touch->view()));
}
} // namespace

bool GarbageSprite::ccTouchBegan(Touch* touch, Event*) {
    Point p = glLocation(touch);
    Point anchor = convertToWorldSpaceAR(Point(0, 0));
    Size s = contentSize();
    Rect grab(anchor.x - s.width / 2, anchor.y - s.height / 2, s.width + kGrabReach,
              s.height + kGrabReach);
    return grab.contains(p);
}

void GarbageSprite::ccTouchMoved(Touch* touch, Event*) {
    isTracking_ = true;
    Point p = glLocation(touch);
    p.y += kRideAbove;
    if (p.y > kHighest) p.y = kHighest;
    setPosition(p);
}

void GarbageSprite::ccTouchEnded(Touch*, Event*) { isTracking_ = false; }

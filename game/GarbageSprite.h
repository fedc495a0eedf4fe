#pragma once

#include "engine/TouchDelegate.h"
#include "render/AtlasSprite.h"

// The player's ship: an atlas sprite that, in the drag control scheme,
// follows a finger that grabbed it.
class GarbageSprite : public AtlasSprite, public TargetedTouchDelegate {
public:
    static Ref<GarbageSprite> spriteWithRect(Rect rect, AtlasSpriteManager* manager);
    GarbageSprite(Rect rect, AtlasSpriteManager* manager);

    bool isTracking() const { return isTracking_; }
    void setIsTracking(bool on) { isTracking_ = on; }

    void onEnter() override;
    void onExit() override;
    // Stops listening for touches.
    void removeTouch();

    bool ccTouchBegan(Touch* touch, Event* event) override;
    void ccTouchMoved(Touch* touch, Event* event) override;
    void ccTouchEnded(Touch* touch, Event* event) override;

    // How far the grab area reaches beyond the ship to the right and up, and
    // how high the ship rides above the finger.
    static constexpr float kGrabReach = 85;
    static constexpr float kRideAbove = 29;
    static constexpr float kHighest = 320;

private:
    bool isTracking_ = false;
};

#pragma once

#include "engine/Layer.h"
#include "render/Sprite.h"

// The launch picture over the main menu at start-up: it stays 1.9 s, or
// until the first touch, then fades out over 1.9 s and goes away.
class SplashLayer : public Layer {
public:
    static Ref<SplashLayer> node();
    SplashLayer();

    // Starts the fade at once; the touch still goes on to the menu.
    bool ccTouchBegan(Touch* touch, Event* event) override;
    // Starts the fade, once.
    void clear(float dt);
    void transitionDone();
    // Lets the launch picture go and leaves the parent.
    void removeFromSuper();

    Sprite* splashNode() const { return splashNode_.get(); }
    bool isClearing() const { return isClearing_; }

    static constexpr float kShowSeconds = 1.9f;
    static constexpr float kFadeSeconds = 1.9f;

private:
    Ref<Sprite> splashNode_;
    bool isClearing_ = false;
};

#pragma once

#include "engine/Scene.h"
#include "engine/TouchDelegate.h"
#include "game/Autopilot.h"
#include "platform/Accelerometer.h"
#include "platform/Keyboard.h"
#include "platform/SystemSound.h"
#include "render/AtlasSprite.h"
#include "render/AtlasSpriteManager.h"
#include "render/BitmapFontAtlas.h"
#include "render/Sprite.h"

#include <vector>

// An endless dodging game played in landscape: the ship at the bottom slides
// by tilt while asteroids fall; the score grows by 0.01 each frame the ship
// survives. A hit pauses the game for two seconds and starts the score
// again; the best is kept in "asteroidavoid". The back arrow (or Escape)
// turns the screen back to portrait and returns to the minigame menu.
class AsteroidAvoid : public Scene,
                      public TargetedTouchDelegate,
                      public platform::AccelerometerDelegate,
                      public platform::KeyResponder,
                      public PilotScreen {
public:
    static Ref<Scene> scene();
    AsteroidAvoid();

    void tick(float dt);
    void accelerometer(platform::Accelerometer* accelerometer,
                       const platform::Acceleration& acceleration) override;
    void readydude();

    bool ccTouchBegan(Touch* touch, Event* event) override;
    void ccTouchEnded(Touch* touch, Event* event) override;
    void ccTouchCancelled(Touch* touch, Event* event) override;
    bool keyDown(const std::string& key) override;

    void onEnter() override;
    void onExit() override;
    // What the autopilot (--autoplay) sees.
    void describe(PilotSight& sight) override;

    // Ship bounds: the picture is 480 points wide in landscape.
    static constexpr float kLeftmost = 6, kRightmost = 476;
    static constexpr float kTiltSpeed = 36; // points per g per sample
    static constexpr float kScorePerFrame = 0.01f;

    AtlasSprite* avoider() const { return avoider_.get(); }
    const std::vector<Ref<AtlasSprite>>& asteroids() const { return main_; }
    AtlasSpriteManager* atlas() const { return atlas_.get(); }
    BitmapFontAtlas* hic() const { return hic_.get(); }
    Sprite* backButton() const { return backButton_.get(); }
    float score() const { return i; }
    bool hasdied() const { return hasdied_; }

private:
    void addAsteroid();
    void hit();
    void leave();

    Ref<AtlasSpriteManager> atlas_;
    Ref<AtlasSprite> avoider_;
    std::vector<Ref<AtlasSprite>> main_;
    float i = 0;
    Ref<BitmapFontAtlas> hic_;
    bool hasdied_ = false;
    Ref<Sprite> backButton_;
    bool canSound = false;
    platform::SystemSoundID explo = 0;
    Ref<Autopilot> pilot_;
};

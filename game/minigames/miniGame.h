#pragma once

#include "engine/Scene.h"
#include "engine/TouchDelegate.h"
#include "game/Autopilot.h"
#include "platform/Keyboard.h"
#include "platform/SystemSound.h"
#include "render/AtlasSprite.h"
#include "render/AtlasSpriteManager.h"
#include "render/BitmapFontAtlas.h"
#include "render/Label.h"
#include "render/Sprite.h"

// DragShip: the player drags the ship with a finger while four asteroids
// bounce around the portrait screen; the score grows by 0.01 each frame the
// ship survives and the best is kept in "dragship". A hit shows "You got
// killed!", then "Ready?", and play resumes three seconds later from 0.
// All motion is counted per frame.
class miniGame : public Scene,
                 public TargetedTouchDelegate,
                 public platform::KeyResponder,
                 public PilotScreen {
public:
    static Ref<Scene> scene();
    miniGame();

    void mainTwo(float dt);
    void hadDied();
    void hasDied();

    bool ccTouchBegan(Touch* touch, Event* event) override;
    void ccTouchMoved(Touch* touch, Event* event) override;
    void ccTouchEnded(Touch* touch, Event* event) override;
    void ccTouchCancelled(Touch* touch, Event* event) override;
    bool keyDown(const std::string& key) override;

    void onEnter() override;
    void onExit() override;
    // What the autopilot (--autoplay) sees.
    void describe(PilotSight& sight) override;

    static constexpr Point kShipStart{160, 200};
    static constexpr float kScorePerFrame = 0.01f;

    AtlasSprite* testSprite() const { return testSprite_.get(); }
    // 0 one, 1 two, 2 three, 3 four.
    AtlasSprite* asteroid(int index) const { return asteroids_[index].sprite.get(); }
    Point velocity(int index) const { return asteroids_[index].velocity; }
    void setVelocity(int index, Point v) { asteroids_[index].velocity = v; }
    Label* readyLabelMini() const { return readyLabelMini_.get(); }
    BitmapFontAtlas* hic() const { return hic_.get(); }
    Sprite* backButton() const { return backButton_.get(); }
    float score() const { return i; }
    bool isPausedAfterHit() const { return hadDied_; }

private:
    // One of `one`, `two`, `three`, `four`: its sprite, its velocity in
    // points per frame (`oneMain`...), where it starts and how it spins.
    struct Asteroid {
        Ref<AtlasSprite> sprite;
        Point velocity;
        Point start;
        float spin;
    };
    enum { one, two, three, four };

    void hitBy(int which);

    Ref<AtlasSpriteManager> atlas_;
    Ref<AtlasSprite> testSprite_;
    Asteroid asteroids_[4];
    float i = 0;
    Ref<BitmapFontAtlas> hic_;
    bool hadDied_ = false;
    Ref<Label> readyLabelMini_;
    Ref<Sprite> backButton_;
    bool canSound = false;
    platform::SystemSoundID explo = 0;
    Ref<Autopilot> pilot_;
};

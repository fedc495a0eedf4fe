#pragma once

#include "engine/Scene.h"
#include "engine/TouchDelegate.h"
#include "game/Autopilot.h"
#include "game/QBButtonNode.h"
#include "platform/Accelerometer.h"
#include "platform/ui/AlertView.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class AtlasSprite;
class AtlasSpriteManager;
class BitmapFontAtlas;
class GarbageSprite;
class ParticleSparkles;
class Sprite;

using SpriteList = std::vector<Ref<AtlasSprite>>;

// What the three missions have in common: the player's ship in one sprite
// batch, the three control schemes (tilt, drag, joystick), the two guns and
// auto-fire, explosions, the welcome alert that starts play, the two endings
// with their delayed clean-up, and the back button. Each mission adds its
// own frame update (tickSter) and the rules its alerts and numbers differ in.
//
// A mission is its own only layer: it holds its children directly, takes
// touches at priority 0 without swallowing them, and answers its back
// button and its alerts itself.
class Mission : public Scene,
                public TargetedTouchDelegate,
                public platform::AccelerometerDelegate,
                public QBButtonDelegate,
                public platform::AlertViewDelegate,
                public PilotScreen {
public:
    // Alert tags.
    static constexpr int kWelcomeTag = 0;
    static constexpr int kWonTag = 1;
    static constexpr int kLostTag = 2;

    ~Mission() override;

    // --- the screen's state (public: tests stage frames through it) ---
    Ref<AtlasSpriteManager> atlas;
    Ref<GarbageSprite> firstDude;     // the player's ship
    Ref<ParticleSparkles> rocketMain; // its exhaust, 20 points below it
    SpriteList baddies;               // enemy ships
    SpriteList allEvery;              // the player's bullets
    // Mission One: enemies destroyed; the others: seconds left.
    int16_t shipsShot = 0;
    Ref<BitmapFontAtlas> shipsKilled; // shows shipsShot
    float newed = 0;                  // seconds between enemy spawns
    double timeSinceLastDrop = 0;
    bool isJoyStick = false;
    bool isTouchMis = false; // drag scheme
    bool hasTouch = false;   // joystick scheme: a touch is being tracked
    Point center{260, 60};
    Point lastTouchPoint;
    Point normalizedJoystick;
    float deadzone = 1.5f;
    float quorl = 0; // joystick deflection, at most kJoystickReach
    Ref<Sprite> cap;
    Ref<Sprite> bottom;
    bool invert = false;
    bool canSound = false;
    Ref<QBButtonNode> backButton;

    // --- input ---
    bool ccTouchBegan(Touch* touch, Event* event) override;
    void ccTouchMoved(Touch* touch, Event* event) override;
    void ccTouchEnded(Touch* touch, Event* event) override;
    void ccTouchCancelled(Touch* touch, Event* event) override;
    void accelerometer(platform::Accelerometer* accelerometer,
                       const platform::Acceleration& acceleration) override;
    void normalizeJoystick();

    // --- play ---
    // One frame; scheduled every frame once the welcome alert is accepted.
    virtual void tickSter(float dt) = 0;
    // Auto-fire, every 1/3 s while a touch is held.
    void shoot(float dt);
    // The clean-ups after a win and after a loss.
    void dond();
    void dond2();

    void didDismissWithButtonIndex(platform::AlertView* alert, int buttonIndex) override;
    // What the alert of `tag` does with the answer `buttonIndex`.
    void alertAnswered(int tag, int buttonIndex);

    void didPressButton() override;
    void didPressDown() override;
    void stoppedPressing() override;

    // With --autoplay the autopilot flies the mission, and the welcome is
    // answered "Okay!" once the screen is up.
    void onEnter() override;
    void onEnterTransitionDidFinish() override;
    void onExit() override;

    // Play is on: the frame update runs.
    bool playing() const { return isScheduled("tickSter"); }
    void describe(PilotSight& sight) override;

    // Fixed numbers of the pattern.
    static constexpr float kAutoFireInterval = 1.0f / 3;
    static constexpr float kJoystickReach = 65;
    static constexpr float kJoystickSpeed = 3.1f; // per point of deflection
    static constexpr float kEnemySpeed = 100;     // points per second, down
    static constexpr float kBulletSpeed = 1000;   // points per second, up
    static constexpr float kBulletTop = 481;      // bullets above this are gone
    static constexpr float kEnemyBottom = -15;    // enemies below this are gone
    static constexpr float kEnemyStartY = 500;
    static constexpr float kTiltGainX = 26;
    static constexpr float kTiltBiasY = 0.4f;
    static constexpr double kCleanUpDelay = 0.1;

protected:
    // What one mission sets at construction.
    struct Rules {
        int number;        // 1, 2 or 3
        const char* label; // the status label's first text
        int16_t shipsShot; // its first value
        float newed;
        float tiltGainY;
        // Tilt is attached when the screen is built (else when play starts).
        bool tiltAtOnce;
        double tiltInterval;
        const char* welcomeTitle;
        const char* welcomeMessage;
        const char* winMessage;
    };
    explicit Mission(const Rules& rules);

    // Which gun fires next: right when set.
    virtual bool& hiFlag() = 0;
    // The node tag of the player's bullets.
    virtual int bulletTag() const { return kCCNodeTagInvalid; }
    // Play starts ("Okay!" on the welcome alert).
    virtual void startPlaying();
    // Takes `sprite` out of every list of the mission (not out of atlas).
    virtual void takeOut(AtlasSprite* sprite);
    // The objects the clean-ups clear.
    virtual SpriteList clearedByCleanUp() const;
    // What else the autopilot must dodge or may shoot.
    virtual void describeHazards(PilotSight&) const {}
    static PilotSight::Thing thing(AtlasSprite* sprite, Point velocity);

    // --- steps the frame updates are made of ---
    // A sprite of the sheet's frame `name`, added to atlas.
    Ref<AtlasSprite> addSprite(const char* name, Point at);
    // Counts dt towards the next spawn; true when one is due (once a frame).
    bool spawnDue(float dt);
    Ref<AtlasSprite> spawnEnemy(float x);
    // An enemy spawned at a random column in a random colour.
    Ref<AtlasSprite> spawnTintedEnemy();
    // Moves an enemy down from `start`. One that started below the bottom
    // joins `removals`; any other touching `ship` is an explosion and the
    // loss. True when the ship was hit.
    bool enemyFalls(const Ref<AtlasSprite>& enemy, Point start, float dt, const Rect& ship,
                    SpriteList& removals);
    // Every player bullet overlapping `enemy` takes it: both join `removals`
    // and an explosion shows at `at`. `hit` (if any) hears of each and may
    // stop the walk by answering true; then this answers true.
    bool shootDown(const Ref<AtlasSprite>& enemy, Point at, SpriteList& removals,
                   const std::function<bool()>& hit = nullptr);
    // Moves the ship by the joystick, or the exhaust after the dragged ship.
    void steerShip(float dt);
    // Player bullets fly up; those above the top join `removals`.
    void moveBullets(float dt, SpriteList& removals);
    // Takes every object of `removals` out of the lists and the atlas.
    void removeAll(const SpriteList& removals);
    // This frame's removals, empty: one list kept for every frame, so that
    // removing allocates nothing.
    SpriteList& frameRemovals();
    void explodeAt(Point at);
    // The ending steps: play stopped, clean-up requested, the alert shown.
    void endWith(bool won);
    // Input, auto-fire and the frame's rules stopped.
    void stopPlay();
    // Places the ship (clamped to the playing area) and its exhaust.
    void placeShip(Point at);

    void tiltOn();
    // Play stops at once: during the fade out the mission could otherwise
    // still end and put its alert over the next screen.
    void goToMissions();
    void setStatus(const char* format, int value);
    void fire();

    const Rules rules_;
    // Until it is answered.
    Ref<platform::AlertView> welcome_;
    Ref<Autopilot> pilot_;
    bool pilotDrags_ = false; // read once: the pilot looks every frame
    SpriteList removals_;
};

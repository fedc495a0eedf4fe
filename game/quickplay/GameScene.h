#pragma once

#include "engine/Scene.h"
#include "engine/TouchDelegate.h"
#include "game/Autopilot.h"
#include "game/QBButtonNode.h"
#include "platform/Accelerometer.h"
#include "platform/ui/AlertView.h"
#include "render/AtlasSprite.h"
#include "support/ccArray.h"

#include <cstdint>
#include <memory>
#include <vector>

class AtlasSpriteManager;
class BitmapFontAtlas;
class GarbageSprite;
class Label;
class ParticleSystem;
class Sprite;

// Quick Play: the endless game. Enemy ships and asteroids come down the
// portrait screen, the ship near the bottom shoots up, power-ups fall now
// and then, until the last life is lost. The scene is its own only layer.
//
// Kinds of objects are told apart by tag: see the k*Tag constants.
class GameScene : public Scene,
                  public TargetedTouchDelegate,
                  public platform::AccelerometerDelegate,
                  public QBButtonDelegate,
                  public platform::AlertViewDelegate,
                  public PilotScreen {
public:
    static Ref<GameScene> scene();
    static Ref<GameScene> node();
    GameScene();
    ~GameScene() override;

    // Object tags. Asteroids use 1 to 50: the tag sets their sideways speed.
    static constexpr int kBadShipTag = 0;      // "ship-bad.png", in randomNew
    static constexpr int kCoinTag = 0;         // "coin.png", in downArray
    static constexpr int kBulletTag = 1;       // player bullet, in bullets
    static constexpr int kCrazyShipTag = 1;    // "ship-crazy.png", in randomNew
    static constexpr int kPlusTag = 1;         // "plus.png", in downArray
    static constexpr int kBombTag = 2;         // "bomb2.png", in downArray
    static constexpr int kShipTag = 3;         // "ship.png", in randomNew
    static constexpr int kEnemyShotTag = 4;    // enemy bullet, single shot
    static constexpr int kCrazyShotTag = 5;    // crazy ship's double shot

    // Difficulty parameters by level (0 Easy, 1 Medium, 2 Hard).
    struct Difficulty {
        const char* name;
        float randNumb;
        int whatRand;
        int most;
        int speedMax;
        float dif;
        double newed;
        int comebackSpeed; // speedMax of a new life, before the drag offset
    };
    static const Difficulty kDifficulties[3];

    void onEnter() override;
    void onExit() override;
    void vostel();

    // --- controls ---
    void accelerometer(platform::Accelerometer* accelerometer,
                       const platform::Acceleration& acceleration) override;
    bool ccTouchBegan(Touch* touch, Event* event) override;
    void ccTouchMoved(Touch* touch, Event* event) override;
    void ccTouchEnded(Touch* touch, Event* event) override;
    void ccTouchCancelled(Touch* touch, Event* event) override;
    void normalizeJoystick();
    void shoot(float dt);

    // --- the frame ---
    void updateBullets(float dt);

    // --- lives and the end of a game ---
    void returnFirst();
    void fix();
    void done();
    void animationDone();
    // The game-over alert's answer: 0 ("Try again") plays again, anything
    // else ("Quit") leaves.
    void didDismissWithButtonIndex(platform::AlertView* alert, int buttonIndex) override;
    void removeAllObjectsPlain();
    void removeAllObjects();
    std::vector<Ref<AtlasSprite>>& del();

    // --- back button ---
    void didPressButton() override;
    void didPressDown() override;
    void stoppedPressing() override;

    // --- autopilot ---
    void describe(PilotSight& sight) override;

    // --- state, read-only (tests and the autopilot's owner) ---
    int level() const { return level_; }
    int scoreInt() const { return scoreInt_; }
    int lastScore() const { return lastScore_; }
    int bestOfVisit() const { return bestOfVisit_; }
    int amountKilled() const { return amountKilled_; }
    int16_t lives() const { return lives_; }
    double newed() const { return newed_; }
    double timeSinceLastDrop() const { return timeSinceLastDrop_; }
    int speedMax() const { return speedMax_; }
    bool invert() const { return invert_; }
    bool canSound() const { return canSound_; }
    bool hasLeft() const { return hasLeft_; }
    bool hasTouch() const { return hasTouch_; }
    float quorl() const { return quorl_; }
    Point normalizedJoystick() const { return normalizedJoystick_; }
    GarbageSprite* firstDude() const { return firstDude_.get(); }
    ParticleSystem* rocketMain() const { return rocketMain_.get(); }
    ParticleSystem* hid() const { return hid_.get(); }
    AtlasSpriteManager* atlas() const { return atlas_.get(); }
    Sprite* cap() const { return cap_.get(); }
    Sprite* bottom() const { return bottom_.get(); }
    QBButtonNode* backButton() const { return backButton_.get(); }
    BitmapFontAtlas* scoreLabel() const { return scoreLabel_.get(); }
    BitmapFontAtlas* livesLabel() const { return livesLabel_.get(); }
    Label* label() const { return label_.get(); }
    Label* readyLabel() const { return readyLabel_.get(); }
    const std::vector<Ref<AtlasSprite>>& pool() const { return pool_; }
    const std::vector<Ref<AtlasSprite>>& bullets() const { return bullets_; }
    const std::vector<Ref<AtlasSprite>>& randomNew() const { return randomNew_; }
    const ccArray* downArray() const { return downArray_; }
    const ccArray* asteroidsArray() const { return asteroidsArray_; }
    Autopilot* pilot() const { return pilot_.get(); }

    // Puts an object in play, as spawning and firing do (tests set up
    // situations with them): an enemy ship by its tag, an asteroid, a falling
    // object (power-up or enemy bullet) by its tag.
    AtlasSprite* addEnemy(int tag, Point at);
    AtlasSprite* addAsteroid(int tag, Point at);
    AtlasSprite* addFalling(int tag, Point at);

    // For tests: the numbers as the frame uses them.
    void setNewed(double seconds) { newed_ = seconds; }
    void setTimeSinceLastDrop(double seconds) { timeSinceLastDrop_ = seconds; }
    void setScoreInt(int score) { scoreInt_ = score; }

    // Ship and field limits, joystick numbers.
    static constexpr float kMinX = 10, kMaxX = 310, kMinY = 30, kMaxY = 320;
    static constexpr float kJoystickReach = 65;
    static constexpr float kShotInterval = 1.0f / 3;

private:
    enum class Loss { EnemyShip, Asteroid, EnemyBullet };

    Ref<AtlasSprite> makeSprite(const char* name);
    void placeShip(Point p);
    void fireBullet();
    void startFiring();
    void enemyFires(AtlasSprite* enemy, const Rect& box);
    void spawn();
    void spawnPowerUp();
    void spawnEnemy();
    // True when the catch ends the frame (the bomb).
    bool collect(int tag);
    void showBanner(const char* text, float size);
    void loseLife(Loss how);
    // Counts the game into the visit's best, once, and tells the player of a
    // new best.
    void gameEnded();
    void showGameOver();
    void clearField(bool bomb);
    void removeFromArray(ccArray* array, std::size_t index);
    void addScore(int points);
    void countKill();
    void refreshScore();
    void refreshLives();
    void leave();
    void showBackImage(const char* file);
    void later(double seconds, void (GameScene::*operation)());

    std::vector<Ref<AtlasSprite>> pool_;
    std::vector<Ref<AtlasSprite>> bullets_;
    std::vector<Ref<AtlasSprite>> randomNew_;
    std::unique_ptr<std::vector<Ref<AtlasSprite>>> delR_;
    ccArray* downArray_ = nullptr;
    ccArray* asteroidsArray_ = nullptr;
    bool isShooting_ = false;
    bool hasTouch_ = false;
    Point center_{260, 100};
    Point lastTouchPoint_;
    Point normalizedJoystick_;
    float deadzone_ = 1.5f;
    Ref<Sprite> cap_;
    Ref<Sprite> bottom_;
    float quorl_ = 0;
    // Set when the player leaves (the back button or "Quit"), so that play
    // stops before the fade out ends, and again on exit.
    bool hasLeft_ = false;
    Ref<QBButtonNode> backButton_;
    bool invert_ = false;
    float randNumb_ = 0;
    bool hasShotBad_ = true;
    int level_ = 2;
    int most_ = 1;
    Ref<Label> label_;
    bool canSound_ = false;
    Ref<ParticleSystem> hid_;
    Ref<AtlasSpriteManager> atlas_;
    Ref<ParticleSystem> rocketMain_;
    int lastScore_ = 0;
    float dif_ = 1;
    int whatRand_ = 1;
    Ref<GarbageSprite> firstDude_;
    Ref<BitmapFontAtlas> scoreLabel_;
    int scoreInt_ = 0;
    double newed_ = 1.2;
    double timeSinceLastDrop_ = 0;
    Ref<Label> readyLabel_;
    int16_t lives_ = 3;
    Ref<BitmapFontAtlas> livesLabel_;
    bool hi_ = true;
    int speedMax_ = 0;
    int amountKilled_ = 0;

    // The best score of the games of this visit: what leaving compares with
    // the stored best, so a later lower game does not hide an earlier best.
    int bestOfVisit_ = 0;
    // The current game's score has been counted into bestOfVisit_.
    bool gameCounted_ = false;
    // Drag scheme: the ship follows a finger only for "d".
    bool shipFollowsFinger_ = false;
    Ref<Autopilot> pilot_;
};

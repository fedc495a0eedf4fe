#pragma once

#include "engine/Scene.h"
#include "engine/TouchDelegate.h"
#include "game/Autopilot.h"
#include "game/QBButtonNode.h"
#include "platform/Accelerometer.h"
#include "platform/ui/AlertView.h"
#include "render/AtlasSprite.h"
#include "render/AtlasSpriteManager.h"
#include "render/Label.h"

#include <cstdint>
#include <vector>

// A one-on-one duel: the player's ship at the bottom slides by tilt and
// fires upward by tapping, with ammunition that refills slowly; the enemy at
// the top wanders and fires at random. Hitting the enemy scores 25; being
// hit costs one of three lives, and the last one brings the game-over alert
// ("Back" or "Restart", which keeps the score). The best score is kept in
// "on" when the screen is left.
class SpaceShoot : public Scene,
                   public TargetedTouchDelegate,
                   public platform::AccelerometerDelegate,
                   public QBButtonDelegate,
                   public platform::AlertViewDelegate,
                   public PilotScreen {
public:
    static Ref<Scene> scene();
    SpaceShoot();

    void tickMain(float dt);
    void trisp(float dt); // the enemy may fire
    void quorl(float dt); // ammunition refill
    void MoveMan();
    void animationDone();
    void dddi();
    void fixed();
    void hasHitBad();
    void fixed2();

    void accelerometer(platform::Accelerometer* accelerometer,
                       const platform::Acceleration& acceleration) override;
    bool ccTouchBegan(Touch* touch, Event* event) override;
    // The game-over alert's answer: 0 "Back", 1 "Restart".
    void didDismissWithButtonIndex(platform::AlertView* alert, int buttonIndex) override;

    void didPressButton() override;
    void didPressDown() override;
    void stoppedPressing() override;

    void onEnter() override;
    void onExit() override;

    // What the autopilot sees: the enemy to shoot, its bullets to dodge.
    void describe(PilotSight& sight) override;
    Autopilot* pilot() const { return pilot_.get(); }

    // Shared by every duel: the round is between a hit and the next round.
    static bool isPaused;

    static constexpr Point kPlayerStart{160, 30};
    static constexpr Point kEnemyStart{160, 450};
    static constexpr int kPointsPerHit = 25;

    AtlasSprite* firstDude() const { return firstDude_.get(); }
    AtlasSprite* SecondDude() const { return SecondDude_.get(); }
    const std::vector<Ref<AtlasSprite>>& allBullets() const { return allBullets_; }
    AtlasSpriteManager* atlas() const { return atlas_.get(); }
    int16_t goodAmmo() const { return goodAmmo_; }
    int16_t badAmmo() const { return badAmmo_; }
    int16_t lives() const { return lives_; }
    int32_t score() const { return score_; }
    Label* good() const { return good_.get(); }
    Label* scoresLabel() const { return scoresLabel_.get(); }
    Label* livesLabel() const { return livesLabel_.get(); }
    Label* labelDude() const { return labelDude_.get(); }
    QBButtonNode* qbbutton() const { return qbbutton_.get(); }
    bool canShoot() const { return canShoot_; }

    static constexpr int kEnemyBullet = 1, kPlayerBullet = 2;

private:
    void addBullet(int tag, Point at);
    void explodeAt(AtlasSprite* ship);
    void playerHit();
    void enemyHit();
    void showMessage(const char* text);
    void startRound();
    void showGameOverAlert();
    void showAmmo();

    Ref<AtlasSpriteManager> atlas_;
    Ref<AtlasSprite> firstDude_;
    Ref<AtlasSprite> SecondDude_;
    std::vector<Ref<AtlasSprite>> allBullets_;
    std::vector<AtlasSprite*> removal_; // the bullets a frame takes away
    int16_t goodAmmo_ = 3;
    int16_t badAmmo_ = 1;
    int16_t lives_ = 3;
    int32_t score_ = 0;
    Ref<Label> good_;
    Ref<Label> scoresLabel_;
    Ref<Label> livesLabel_;
    Ref<Label> labelDude_;
    Ref<QBButtonNode> qbbutton_;
    bool canShoot_ = false;
    // Set by the back button: the duel stops at once, not when the fade out
    // ends, so no round resumes and no game-over alert lands on the next screen.
    bool leaving_ = false;
    float enemyGoal_ = kEnemyStart.x; // where the enemy is heading
    Ref<Autopilot> pilot_;
};

#pragma once

#include "game/missions/Mission.h"

// The second mission: stay alive for a minute while coloured enemies come
// faster and shoot back. Winning opens Mission Three.
class MissionTwo : public Mission {
public:
    static Ref<MissionTwo> scene();
    MissionTwo();

    void tickSter(float dt) override;
    // The clock: one second less, every second of play.
    void adlk(float dt);

    SpriteList badBuls; // the enemies' bullets
    bool hi = false;    // which gun fires next

    static constexpr float kEnemyBulletSpeed = 200; // points per second, down
    static constexpr float kEnemyBulletBottom = -3;
    // An enemy fires in a frame when random() % kFireOdds is below kFireChances.
    static constexpr long kFireOdds = 150;
    static constexpr long kFireChances = 2;

protected:
    explicit MissionTwo(const Rules& rules);

    bool& hiFlag() override { return hi; }
    void startPlaying() override;
    void takeOut(AtlasSprite* sprite) override;
    SpriteList clearedByCleanUp() const override;
    void describeHazards(PilotSight& sight) const override;

    // The frame's first step: true when the clock has run out and the
    // mission is won.
    bool timeIsUp();
    // Enemies move, fire (bullets `muzzle` points below them), hit the ship
    // or are shot. True when the ship was hit.
    bool moveEnemies(float dt, float muzzle, const Rect& ship, SpriteList& removals);
    // Enemy bullets hit the ship or fall. True when the ship was hit.
    bool moveEnemyBullets(float dt, const Rect& ship, SpriteList& removals);
};

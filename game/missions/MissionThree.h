#pragma once

#include "game/missions/MissionTwo.h"

// The third mission: Mission Two inside a field of drifting, spinning
// asteroids. The last one: winning opens nothing and writes nothing.
class MissionThree : public MissionTwo {
public:
    static Ref<MissionThree> scene();
    MissionThree();

    void tickSter(float dt) override;

    // Each asteroid's tag (1 to 50) sets its drift: above kLeftDrifting it
    // drifts left, else right.
    SpriteList asteroids;

    static constexpr int kPlayerBulletTag = 1;
    static constexpr int kLeftDrifting = 24;
    static constexpr float kAsteroidScale = 0.3f;
    static constexpr float kAsteroidStartY = 510;
    static constexpr float kAsteroidFall = 130;  // points per second
    static constexpr float kAsteroidTurn = 1.8f; // degrees per frame

protected:
    int bulletTag() const override { return kPlayerBulletTag; }
    void takeOut(AtlasSprite* sprite) override;
    void describeHazards(PilotSight& sight) const override;

private:
    // Sideways speed of an asteroid of this tag, points per second (< 0: left).
    static float drift(int tag) { return tag > kLeftDrifting ? -float(tag + 59) : float(tag + 58); }
    void spawnAsteroid();
    // True when an asteroid hit the ship.
    bool moveAsteroids(float dt, const Rect& ship, SpriteList& removals);
    // Player bullets shoot asteroids, then fly.
    void moveBulletsThroughAsteroids(float dt, SpriteList& removals);
};

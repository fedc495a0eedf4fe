#include "game/missions/MissionThree.h"

#include "game/GarbageSprite.h"
#include "platform/Random.h"
#include "render/AtlasSpriteManager.h"

#include <algorithm>

namespace {

constexpr float kMuzzle = 28;

} // namespace

Ref<MissionThree> MissionThree::scene() {
    return make<MissionThree>();
}

MissionThree::MissionThree()
    : MissionTwo({.number = 3,
                  .label = "Seconds Left: 60",
                  .shipsShot = 60,
                  .newed = 0.85f,
                  .tiltGainY = 16,
                  .tiltAtOnce = false,
                  .tiltInterval = 0.02,
                  .welcomeTitle = "Level Three",
                  .welcomeMessage = "You have drifted into a astroid field. Reinforcements are "
                                    "coming to your aid. Stay alive for a minute and wait for "
                                    "backup.",
                  .winMessage = "You have beaten Mission 3! More missions soon.="}) {}

void MissionThree::takeOut(AtlasSprite* sprite) {
    MissionTwo::takeOut(sprite);
    std::erase_if(asteroids, [&](const Ref<AtlasSprite>& s) { return s.get() == sprite; });
}

void MissionThree::describeHazards(PilotSight& sight) const {
    MissionTwo::describeHazards(sight);
    for (const Ref<AtlasSprite>& asteroid : asteroids) {
        PilotSight::Thing t = thing(asteroid.get(), Point(drift(asteroid->tag()), -kAsteroidFall));
        sight.threats.push_back(t);
        sight.targets.push_back(t);
    }
}

void MissionThree::spawnAsteroid() {
    int tag = int(platform::random() % 50 + 1);
    Ref<AtlasSprite> asteroid = addSprite("asteroid.png", Point());
    asteroid->setTag(tag);
    asteroid->setScale(kAsteroidScale);
    asteroid->setPosition(Point(float(platform::random() % 320), kAsteroidStartY));
    asteroids.push_back(asteroid);
}

bool MissionThree::moveAsteroids(float dt, const Rect& ship, SpriteList& removals) {
    for (const Ref<AtlasSprite>& asteroid : asteroids) {
        Point start = asteroid->position();
        if (asteroid->boundingBox().intersects(ship)) {
            removals.push_back(asteroid);
            explodeAt(start);
            endWith(false);
            return true;
        }
        asteroid->setRotation(asteroid->rotation() + kAsteroidTurn);
        float y = start.y - kAsteroidFall * dt;
        float x = start.x + drift(asteroid->tag()) * dt;
        if (asteroid->tag() > kLeftDrifting) {
            if (x < -31)
                x = 360;
            else if (x > 360)
                x = -31;
            asteroid->setPosition(Point(x, y));
        } else {
            // Right-drifting ones stop just below the bottom edge.
            if (x < -30)
                x = 360;
            else if (x > 360)
                x = -30;
            if (y >= kEnemyBottom) asteroid->setPosition(Point(x, y));
        }
    }
    return false;
}

void MissionThree::moveBulletsThroughAsteroids(float dt, SpriteList& removals) {
    for (const Ref<AtlasSprite>& bullet : allEvery) {
        Rect box = bullet->boundingBox();
        for (const Ref<AtlasSprite>& asteroid : asteroids) {
            if (!box.intersects(asteroid->boundingBox())) continue;
            removals.push_back(bullet);
            removals.push_back(asteroid);
            explodeAt(asteroid->position());
        }
    }
    moveBullets(dt, removals);
}

void MissionThree::tickSter(float dt) {
    if (timeIsUp()) return;
    Rect ship = firstDude->boundingBox();
    SpriteList& removals = frameRemovals();

    if (spawnDue(dt)) {
        spawnTintedEnemy();
        // Half the spawns bring an asteroid along; none comes alone.
        if (platform::random() % 20 <= 9) spawnAsteroid();
    }
    if (moveEnemies(dt, kMuzzle, ship, removals)) return;
    steerShip(dt);
    if (moveEnemyBullets(dt, ship, removals)) return;
    if (moveAsteroids(dt, ship, removals)) return;
    moveBulletsThroughAsteroids(dt, removals);
    removeAll(removals);
}

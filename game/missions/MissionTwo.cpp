#include "game/missions/MissionTwo.h"

#include "game/GarbageSprite.h"
#include "platform/Random.h"
#include "render/AtlasSpriteManager.h"

#include <algorithm>

namespace {

constexpr float kMuzzle = 22;

} // namespace

Ref<MissionTwo> MissionTwo::scene() {
    return make<MissionTwo>();
}

MissionTwo::MissionTwo()
    : MissionTwo({.number = 2,
                  .label = "Seconds Left: 60",
                  .shipsShot = 60,
                  .newed = 0.85f,
                  .tiltGainY = 16,
                  .tiltAtOnce = false,
                  .tiltInterval = 1.0 / 55,
                  .welcomeTitle = "Level Two",
                  .welcomeMessage = "You have a minute to stay alive and shoot as many enimies as "
                                    "you can down. Beware - the enemies now shoot back.",
                  .winMessage = "You have beaten Mission 2! You have now unclocked Mission 3!"}) {}

MissionTwo::MissionTwo(const Rules& rules) : Mission(rules) {}

void MissionTwo::startPlaying() {
    Mission::startPlaying();
    schedule(ccSelector(this, &MissionTwo::adlk), 1.0f);
    if (!isTouchMis && !isJoyStick) tiltOn();
}

void MissionTwo::adlk(float) {
    setStatus("Seconds Left: %d", --shipsShot);
}

void MissionTwo::takeOut(AtlasSprite* sprite) {
    Mission::takeOut(sprite);
    std::erase_if(badBuls, [&](const Ref<AtlasSprite>& s) { return s.get() == sprite; });
}

SpriteList MissionTwo::clearedByCleanUp() const {
    SpriteList all = Mission::clearedByCleanUp();
    all.insert(all.end(), badBuls.begin(), badBuls.end());
    return all;
}

void MissionTwo::describeHazards(PilotSight& sight) const {
    for (const Ref<AtlasSprite>& bullet : badBuls)
        sight.threats.push_back(thing(bullet.get(), Point(0, -kEnemyBulletSpeed)));
}

bool MissionTwo::timeIsUp() {
    if (shipsShot >= 0) return false;
    endWith(true);
    return true;
}

bool MissionTwo::moveEnemies(float dt, float muzzle, const Rect& ship, SpriteList& removals) {
    for (size_t i = 0; i < baddies.size(); ++i) {
        const Ref<AtlasSprite>& enemy = baddies[i];
        Point start = enemy->position();
        if (platform::random() % kFireOdds < kFireChances)
            badBuls.push_back(addSprite("bullet.png", Point(start.x, start.y - muzzle)));
        if (enemyFalls(enemy, start, dt, ship, removals)) return true;
        shootDown(enemy, start, removals); // nothing is counted
    }
    return false;
}

bool MissionTwo::moveEnemyBullets(float dt, const Rect& ship, SpriteList& removals) {
    for (const Ref<AtlasSprite>& bullet : badBuls) {
        Point start = bullet->position();
        if (bullet->boundingBox().intersects(ship)) {
            explodeAt(start);
            endWith(false);
            return true;
        }
        bullet->setPosition(Point(start.x, start.y - kEnemyBulletSpeed * dt));
        if (start.y < kEnemyBulletBottom) removals.push_back(bullet);
    }
    return false;
}

void MissionTwo::tickSter(float dt) {
    if (timeIsUp()) return;
    // Every ship test of the frame uses the box from before the ship moves.
    Rect ship = firstDude->boundingBox();
    SpriteList& removals = frameRemovals();

    if (spawnDue(dt)) spawnTintedEnemy();
    if (moveEnemies(dt, kMuzzle, ship, removals)) return;
    steerShip(dt);
    if (moveEnemyBullets(dt, ship, removals)) return;
    moveBullets(dt, removals);
    removeAll(removals);
}

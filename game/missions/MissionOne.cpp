#include "game/missions/MissionOne.h"

#include "game/GarbageSprite.h"
#include "platform/Random.h"
#include "render/AtlasSpriteManager.h"

bool MissionOne::hi = false;

namespace {

const char* const kWelcome =
    "Welcome cadet. Since it's your first mission, we will start out easy. You must destroy 15 "
    "of the oncoming enemies without being destroyed. Good luck cadet!";

} // namespace

Ref<MissionOne> MissionOne::scene() {
    return make<MissionOne>();
}

MissionOne::MissionOne()
    : Mission({.number = 1,
               .label = "Ships Destroyed: 0",
               .shipsShot = 0,
               .newed = 1.1f,
               .tiltGainY = 15,
               .tiltAtOnce = true,
               .tiltInterval = 1.0 / 55,
               .welcomeTitle = "Welcome",
               .welcomeMessage = kWelcome,
               .winMessage = "You have beaten Mission 1! You have now unclocked Mission 2!"}) {}

void MissionOne::tickSter(float dt) {
    SpriteList& removals = frameRemovals();

    if (spawnDue(dt)) spawnEnemy(float(platform::arc4random() % 300 + 10));

    Rect ship = firstDude->boundingBox();
    // By index: nothing joins or leaves the list before the frame ends.
    for (size_t i = 0; i < baddies.size(); ++i) {
        const Ref<AtlasSprite>& enemy = baddies[i];
        Point start = enemy->position();
        if (enemyFalls(enemy, start, dt, ship, removals)) return;
        bool won = shootDown(enemy, start, removals, [this] {
            setStatus("Ships Destroyed: %d", ++shipsShot);
            return shipsShot == kKillsToWin;
        });
        if (won) {
            endWith(true);
            return;
        }
    }

    steerShip(dt);
    moveBullets(dt, removals);
    removeAll(removals);
}

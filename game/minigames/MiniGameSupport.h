#pragma once

#include "engine/TouchDelegate.h"
#include "platform/SystemSound.h"
#include "support/Geometry.h"
#include "support/Ref.h"

#include <string>

class AtlasSprite;
class AtlasSpriteManager;
class Node;
class Scene;
class Sprite;

// Pieces the minigame screens share.
namespace minigames {

// Where a touch is, in scene coordinates.
Point touchLocation(Touch* touch);

// The sprite back arrow of the menu, Asteroid Avoid and DragShip, which
// their screens hit-test themselves: the arrow's content size, centred on
// its position in the world. Made from "back1.png" (aliased) at `at` and
// added to `parent` at z 0.
Ref<Sprite> addBackArrow(Node* parent, Point at);
// A touch began: on the arrow it shows "back2.png" and answers true (the
// screen claims the touch).
bool pressBackArrow(Sprite* arrow, Touch* touch);
// A claimed touch ended: "back1.png" again; true when it ended on the arrow
// (the screen leaves).
bool releaseBackArrow(Sprite* arrow, Touch* touch);

// Shows `image` on `sprite`, with aliased filtering.
void showImage(Sprite* sprite, const char* image);

// A sprite of the shared sheet, cut for `atlas` (not added to it).
Ref<AtlasSprite> sheetSprite(const char* name, AtlasSpriteManager* atlas);

// The explosion sound, loaded once, when the player wants sound effects;
// else 0 and `canSound` false.
platform::SystemSoundID explosionSound(bool& canSound);

// A score that grows by hundredths, as the label shows it ("%.2f").
std::string formatHundredths(float score);

// The burst where a ship is hit: a sun of `sunScale` for 0.28 s and a puff
// of `puffScale`.
void explodeAt(Node* parent, Point at, float sunScale, float puffScale);

// Keeps a survival time in `file` if it is a new best and tells the player.
void saveSurvivalBest(const char* file, float score);

// Replaces the running scene inside a fade of `seconds`.
void fadeTo(Scene* scene, float seconds);

} // namespace minigames

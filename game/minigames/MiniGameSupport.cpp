#include "game/minigames/MiniGameSupport.h"

#include "engine/Director.h"
#include "engine/TransitionScene.h"
#include "game/Explosion.h"
#include "game/RectManager.h"
#include "game/SavedGameData.h"
#include "render/AtlasSprite.h"
#include "render/Sprite.h"
#include "render/TextureMgr.h"
#include "screens/QNNotificationManager.h"

#include <cstdio>

namespace minigames {

Point touchLocation(Touch* touch) {
    return Director::sharedDirector().convertToGL(touch->locationInView(touch->view()));
}

namespace {
bool contains(Node* arrow, Point p) {
    Point centre = arrow->convertToWorldSpaceAR(Point(0, 0));
    Size s = arrow->contentSize();
    return Rect(centre.x - s.width / 2, centre.y - s.height / 2, s.width, s.height).contains(p);
}
} // namespace

Ref<Sprite> addBackArrow(Node* parent, Point at) {
    Ref<Sprite> arrow = Sprite::spriteWithFile("back1.png");
    arrow->setPosition(at);
    parent->addChild(arrow.get(), 0);
    if (Texture2D* texture = arrow->texture()) texture->setAliasTexParameters();
    return arrow;
}

bool pressBackArrow(Sprite* arrow, Touch* touch) {
    if (!contains(arrow, touchLocation(touch))) return false;
    showImage(arrow, "back2.png");
    return true;
}

bool releaseBackArrow(Sprite* arrow, Touch* touch) {
    showImage(arrow, "back1.png");
    return contains(arrow, touchLocation(touch));
}

void showImage(Sprite* sprite, const char* image) {
    Ref<Texture2D> texture = TextureMgr::sharedTextureMgr().addImage(image);
    if (!texture) return;
    sprite->setTexture(texture.get());
    texture->setAliasTexParameters();
}

Ref<AtlasSprite> sheetSprite(const char* name, AtlasSpriteManager* atlas) {
    return AtlasSprite::spriteWithRect(
        RectManager::sharedRectMgr().frameForSprite(name, "coordinates"), atlas);
}

platform::SystemSoundID explosionSound(bool& canSound) {
    canSound = saved::exists(saved::kWantsSound);
    return canSound ? platform::systemSoundWithResource("expl", "wav") : 0;
}

std::string formatHundredths(float score) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", double(score));
    return text;
}

void explodeAt(Node* parent, Point at, float sunScale, float puffScale) {
    Explosion boom;
    boom.sunDuration = 0.28f;
    boom.sunScale = sunScale;
    boom.puffDuration = 0.02f;
    boom.puffScale = puffScale;
    boom.showIn(parent, at);
}

void saveSurvivalBest(const char* file, float score) {
    if (saved::saveSurvivalBest(file, score)) postBanner("New best: " + formatHundredths(score));
}

void fadeTo(Scene* scene, float seconds) {
    Director::sharedDirector().replaceScene(
        FadeTransition::transitionWithDuration(seconds, scene).get());
}

} // namespace minigames

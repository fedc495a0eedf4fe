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

bool backButtonContains(Node* button, Point p) {
    Point centre = button->convertToWorldSpaceAR(Point(0, 0));
    Size s = button->contentSize();
    return Rect(centre.x - s.width / 2, centre.y - s.height / 2, s.width, s.height).contains(p);
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
    if (saved::saveSurvivalBest(file, score))
        postBanner("New best: " + formatHundredths(score));
}

void fadeTo(Scene* scene, float seconds) {
    Director::sharedDirector().replaceScene(
        FadeTransition::transitionWithDuration(seconds, scene).get());
}

} // namespace minigames

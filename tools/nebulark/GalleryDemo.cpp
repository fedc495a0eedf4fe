// The game's own art on the engine: the starfield, ships cut from the sprite
// sheet and batched in one atlas, bitmap-font read-outs, a system-font title
// and explosions with the compressed glow, all moving under actions.
#include "engine/Action.h"
#include "engine/InstantAction.h"
#include "engine/IntervalAction.h"
#include "engine/Layer.h"
#include "game/RectManager.h"
#include "platform/Random.h"
#include "render/AtlasSpriteManager.h"
#include "render/BitmapFontAtlas.h"
#include "render/Label.h"
#include "render/ParticleExamples.h"
#include "render/Sprite.h"
#include "render/TextureMgr.h"

#include <cstdio>

namespace {

Ref<AtlasSprite> cut(AtlasSpriteManager* sheet, const char* name) {
    auto sprite = AtlasSprite::spriteWithRect(
        RectManager::sharedRectMgr().frameForSprite(name, "coordinates"), sheet);
    sheet->addChild(sprite.get());
    return sprite;
}

void forever(Node* node, FiniteTimeAction* one, FiniteTimeAction* two) {
    node->runAction(RepeatForever::actionWithAction(Sequence::actionOne(one, two).get()).get());
}

class Gallery : public Scene {
public:
    Gallery() {
        auto stars = Sprite::spriteWithFile("stars.png");
        if (stars) {
            stars->setAnchorPoint(Point(0, 0));
            addChild(stars.get(), -1);
        }

        sheet_ = AtlasSpriteManager::spriteManagerWithFile("texture.png", 40);
        if (sheet_) {
            addChild(sheet_.get());
            auto player = cut(sheet_.get(), "Spaceship.png");
            player->setPosition(Point(160, 70));
            forever(player.get(), MoveBy::actionWithDuration(1.5f, Point(90, 0)).get(),
                    MoveBy::actionWithDuration(1.5f, Point(-90, 0)).get());
            const char* enemies[] = {"ship.png", "ship-bad.png", "ship-crazy.png"};
            const ccColor3B tints[] = {ccColor3BFromHSV(0.6f, 0.8f, 0.7f),
                                       ccColor3BFromHSV(0.1f, 0.7f, 0.6f), ccWHITE};
            for (int i = 0; i < 3; ++i) {
                auto e = cut(sheet_.get(), enemies[i]);
                e->setPosition(Point(70.0f + 90 * i, 330));
                e->setColor(tints[i]);
                e->setScale(0.6f);
                if (i == 0) e->setRotation(180);
                forever(e.get(), MoveBy::actionWithDuration(1.0f + 0.3f * i, Point(0, -60)).get(),
                        MoveBy::actionWithDuration(1.0f + 0.3f * i, Point(0, 60)).get());
            }
            auto rock = cut(sheet_.get(), "asteroid.png");
            rock->setScale(0.3f);
            rock->setPosition(Point(250, 220));
            rock->runAction(
                RepeatForever::actionWithAction(RotateBy::actionWithDuration(4, 360).get()).get());
            const char* powerUps[] = {"coin.png", "plus.png", "bomb2.png"};
            for (int i = 0; i < 3; ++i) cut(sheet_.get(), powerUps[i])->setPosition(Point(50.0f + 40 * i, 200));
        }

        auto title = Label::labelWithString("Nebulark Skirmage", "Marker Felt", 34);
        title->setPosition(Point(160, 440));
        title->setColor(ccc3(120, 170, 255));
        addChild(title.get());

        score_ = BitmapFontAtlas::bitmapFontAtlasWithString("Score: 0", "redFont3.fnt");
        score_->setPosition(Point(260, 405));
        addChild(score_.get());
        auto big = BitmapFontAtlas::bitmapFontAtlasWithString("0123", "greenFont.fnt");
        big->setPosition(Point(80, 405));
        addChild(big.get());

        schedule(ccSelector(this, &Gallery::explode), 0.8f);
        schedule(ccSelector(this, &Gallery::count), 0.1f);
    }

    void onExit() override {
        Scene::onExit();
        cleanup(); // a demo screen is not coming back
    }

    void explode(float) {
        Point at(float(40 + platform::random() % 240), float(150 + platform::random() % 200));
        auto glow = TextureMgr::sharedTextureMgr().addImage("output.pvr");
        auto sun = ParticleSun::node();
        sun->setTexture(glow.get());
        sun->setPosition(at);
        sun->setDuration(0.4f);
        sun->setAutoRemoveOnFinish(true);
        addChild(sun.get(), 1);
        auto smoke = ParticleSmoke::node();
        smoke->setPosition(Point(at.x + 7, at.y + 7));
        smoke->setDuration(0.4f);
        smoke->setAutoRemoveOnFinish(true);
        addChild(smoke.get(), 1);
    }

    void count(float) {
        char text[32];
        std::snprintf(text, sizeof text, "Score: %d", points_ += 10);
        score_->setString(text);
    }

private:
    Ref<AtlasSpriteManager> sheet_;
    Ref<BitmapFontAtlas> score_;
    int points_ = 0;
};

} // namespace

Ref<Scene> makeGalleryScene() { return make<Gallery>(); }

#include "game/minigames/miniGame.h"

#include "engine/Director.h"
#include "engine/TouchDispatcher.h"
#include "game/SavedGameData.h"
#include "game/minigames/MiniGameSupport.h"
#include "game/minigames/miniGameMenu.h"
#include "platform/Options.h"
#include "platform/Random.h"
#include "platform/RunLoop.h"
#include "render/TextureMgr.h"
#include "support/PointExtensions.h"

namespace {
constexpr double kReadyAfter = 1.2, kResumeAfter = 3.0;
constexpr float kGrabAbove = 10; // the ship jumps this far above a new finger

// [0, 1) from the C library's generator.
float unitRandom() {
    return float(double(platform::random()) / 2147483648.0);
}
} // namespace

Ref<Scene> miniGame::scene() {
    return make<miniGame>();
}

miniGame::miniGame() {
    struct Kind {
        Point start, base;
        float spin;
    };
    static constexpr Kind kinds[4] = {
        {Point(200, 400), Point(2.01f, 2.0f), 2.9f},
        {Point(120, 400), Point(2.2f, 2.7f), 3.9f},
        {Point(40, 400), Point(2.2f, 2.4f), 2.8f},
        {Point(280, 400), Point(2.09f, 2.04f), 2.99f},
    };
    for (int k = 0; k < 4; ++k) {
        float x = kinds[k].base.x + unitRandom();
        float y = kinds[k].base.y + unitRandom();
        asteroids_[k].velocity = Point(x, y);
        asteroids_[k].start = kinds[k].start;
        asteroids_[k].spin = kinds[k].spin;
    }
    i = 0;
    explo = minigames::explosionSound(canSound);

    hic_ = BitmapFontAtlas::bitmapFontAtlasWithString("0", "greenFont.fnt");
    if (hic_) {
        addChild(hic_.get());
        hic_->setPosition(Point(280, 440));
        if (Texture2D* texture = hic_->texture()) texture->setAliasTexParameters();
    }

    backButton_ = minigames::addBackArrow(this, Point(40, 460));

    TouchDispatcher::sharedDispatcher().addTargetedDelegate(this, 0, false);

    atlas_ = AtlasSpriteManager::spriteManagerWithFile("texture.png", 6);
    addChild(atlas_.get(), 10);
    testSprite_ = minigames::sheetSprite("Spaceship.png", atlas_.get());
    for (Asteroid& a : asteroids_) {
        a.sprite = minigames::sheetSprite("asteroid.png", atlas_.get());
        a.sprite->setScale(0.3f);
        a.sprite->setRotation(float(platform::arc4random() % 320));
        atlas_->addChild(a.sprite.get());
    }
    for (Asteroid& a : asteroids_)
        a.sprite->setPosition(a.start);
    testSprite_->setPosition(kShipStart);
    atlas_->addChild(testSprite_.get());

    hadDied_ = false;
    schedule(ccSelector(this, &miniGame::mainTwo));
    if (platform::options().autoplay) pilot_ = Autopilot::fly(this);
}

void miniGame::mainTwo(float) {
    for (Asteroid& a : asteroids_)
        a.sprite->setRotation(a.sprite->rotation() + a.spin);

    Rect ship = testSprite_->boundingBox();
    for (int which : {two, one, three, four})
        if (asteroids_[which].sprite->boundingBox().intersects(ship)) {
            hitBy(which);
            return;
        }

    for (Asteroid& a : asteroids_) {
        Point p = ccpAdd(a.sprite->position(), a.velocity);
        a.sprite->setPosition(p);
        // Left outside for this frame; the reversed component brings it back.
        if (p.x > 320 || p.x < 0) a.velocity.x = -a.velocity.x;
        if (p.y > 480 || p.y < 0) a.velocity.y = -a.velocity.y;
    }
    i += kScorePerFrame;
    if (hic_) hic_->setString(minigames::formatHundredths(i));
}

void miniGame::hitBy(int which) {
    if (which == four && canSound) platform::playSystemSound(explo);
    minigames::explodeAt(this, testSprite_->position(), 1.1f, 1.3f);

    minigames::saveSurvivalBest(saved::kDragShip, i);

    i = 0;
    if (hic_) hic_->setString("0.00");
    testSprite_->setPosition(kShipStart);
    hadDied_ = true;
    for (Asteroid& a : asteroids_)
        a.sprite->setPosition(a.start);

    readyLabelMini_ =
        Label::labelWithString("You got killed!", "Marker Felt", which == two ? 52 : 32);
    addChild(readyLabelMini_.get());
    readyLabelMini_->setPosition(which == four ? Point(160, 140) : Point(160, 240));

    Ref<miniGame> self(this);
    platform::RunLoop& loop = platform::RunLoop::main();
    loop.performAfterDelay(self, kReadyAfter, [this] { hadDied(); });
    loop.performAfterDelay(self, kResumeAfter, [this] { hasDied(); });
    unschedule("mainTwo");
}

void miniGame::hadDied() {
    if (readyLabelMini_) readyLabelMini_->setString("Ready?");
}

void miniGame::hasDied() {
    hadDied_ = false;
    if (readyLabelMini_) removeChild(readyLabelMini_.get(), true);
    // The call may come after the screen was left: a screen that is gone
    // starts nothing again (its timer would keep it alive for good).
    if (isRunning) schedule(ccSelector(this, &miniGame::mainTwo));
}

bool miniGame::ccTouchBegan(Touch* touch, Event*) {
    if (minigames::pressBackArrow(backButton_.get(), touch)) return true;
    if (hadDied_) return false;
    Point p = minigames::touchLocation(touch);
    testSprite_->setPosition(Point(p.x, p.y + kGrabAbove));
    return true;
}

void miniGame::ccTouchMoved(Touch* touch, Event*) {
    if (hadDied_) return;
    Point v = touch->locationInView(touch->view());
    testSprite_->setPosition(Point(v.x, 480 - v.y));
}

void miniGame::ccTouchEnded(Touch* touch, Event*) {
    if (minigames::releaseBackArrow(backButton_.get(), touch))
        minigames::fadeTo(miniGameMenu::scene().get(), 0.5f);
}

void miniGame::ccTouchCancelled(Touch*, Event*) {
    minigames::showImage(backButton_.get(), "back1.png");
}

bool miniGame::keyDown(const std::string& key) {
    if (key != "escape") return false;
    minigames::fadeTo(miniGameMenu::scene().get(), 0.5f);
    return true;
}

void miniGame::onEnter() {
    Scene::onEnter();
    platform::Keyboard::shared().addResponder(this);
}

void miniGame::onExit() {
    if (pilot_) pilot_->land();
    pilot_ = nullptr;
    TextureMgr::sharedTextureMgr().removeUnusedTextures();
    TouchDispatcher::sharedDispatcher().removeDelegate(this);
    platform::Keyboard::shared().removeResponder(this);
    Scene::onExit();
}

void miniGame::describe(PilotSight& sight) {
    sight.clearThings();
    sight.controls = PilotSight::Controls::Drag;
    sight.field = Rect(20, 240, 280, 0); // mid-screen: room above and below
    sight.shipActive = !hadDied_;
    sight.ship = testSprite_->position();
    sight.shipSize = testSprite_->boundingBox().size;
    sight.dragOffset = Point(0, 0); // a moving finger carries the ship under it
    constexpr float kFramesPerSecond = 60;
    for (const Asteroid& a : asteroids_) {
        Rect box = a.sprite->boundingBox();
        sight.threats.push_back(
            {Point(box.minX() + box.size.width / 2, box.minY() + box.size.height / 2),
             Point(a.velocity.x * kFramesPerSecond, a.velocity.y * kFramesPerSecond), box.size});
    }
}

#include "game/minigames/AsteroidAvoid.h"

#include "engine/Director.h"
#include "engine/TouchDispatcher.h"
#include "game/SavedGameData.h"
#include "game/minigames/MiniGameSupport.h"
#include "game/minigames/miniGameMenu.h"
#include "platform/Options.h"
#include "platform/Random.h"
#include "platform/RunLoop.h"

#include <algorithm>

namespace {
constexpr Point kShipStart(240, 30);
// Asteroids appear just above the picture, 59 times in 2000 frames.
constexpr float kAsteroidTop = 340;
constexpr uint32_t kSpawnChances = 2000, kSpawnBelow = 59;
constexpr uint32_t kAsteroidKinds = 55; // the tag: speed and spin
constexpr float kAsteroidScale = 0.3f;
constexpr float kBaseFallSpeed = 71;  // points per second, plus the tag
constexpr float kSpinPerFrame = 1.9f; // degrees, plus tag × dt
constexpr float kGoneBelow = -6;
constexpr double kPauseAfterHit = 2;
} // namespace

Ref<Scene> AsteroidAvoid::scene() {
    return make<AsteroidAvoid>();
}

AsteroidAvoid::AsteroidAvoid() {
    hasdied_ = false;
    i = 0;

    hic_ = BitmapFontAtlas::bitmapFontAtlasWithString("0", "greenFont.fnt");
    if (hic_) {
        addChild(hic_.get());
        hic_->setPosition(Point(420, 300));
        if (Texture2D* texture = hic_->texture()) texture->setAliasTexParameters();
    }

    atlas_ = AtlasSpriteManager::spriteManagerWithFile("texture.png", 6);
    addChild(atlas_.get(), 10);
    avoider_ = minigames::sheetSprite("Spaceship.png", atlas_.get());
    atlas_->addChild(avoider_.get());
    avoider_->setPosition(kShipStart);

    Director::sharedDirector().setDeviceOrientation(CCDeviceOrientationLandscapeLeft);

    TouchDispatcher::sharedDispatcher().addTargetedDelegate(this, 0, false);

    backButton_ = minigames::addBackArrow(this, Point(40, 300));

    main_.reserve(19);
    schedule(ccSelector(this, &AsteroidAvoid::tick));

    platform::Accelerometer& accelerometer = platform::Accelerometer::sharedAccelerometer();
    accelerometer.setDelegate(this);
    accelerometer.setUpdateInterval(1.0 / 60);

    explo = minigames::explosionSound(canSound);
    if (platform::options().autoplay) pilot_ = Autopilot::fly(this);
}

void AsteroidAvoid::accelerometer(platform::Accelerometer*, const platform::Acceleration& a) {
    if (hasdied_) return;
    Point p = avoider_->position();
    p.x = std::clamp(p.x - kTiltSpeed * float(a.y), kLeftmost, kRightmost);
    avoider_->setPosition(p);
}

void AsteroidAvoid::addAsteroid() {
    Ref<AtlasSprite> asteroid = minigames::sheetSprite("asteroid.png", atlas_.get());
    float x = float(platform::arc4random() % 480);
    asteroid->setPosition(Point(x, kAsteroidTop));
    asteroid->setTag(int(platform::arc4random() % kAsteroidKinds));
    main_.push_back(asteroid);
    asteroid->setScale(kAsteroidScale);
    atlas_->addChild(asteroid.get());
}

void AsteroidAvoid::tick(float dt) {
    std::vector<AtlasSprite*> removal;
    if (!hasdied_) {
        i += kScorePerFrame; // per frame, whatever the frame's length
        if (hic_) hic_->setString(minigames::formatHundredths(i));
        if (platform::arc4random() % kSpawnChances < kSpawnBelow) addAsteroid();
    }
    for (const Ref<AtlasSprite>& asteroid : main_) {
        if (hasdied_) {
            // Cleared while the game waits after a hit.
            asteroid->setPosition(Point(-100, -900));
            asteroid->setVisible(false);
            removal.push_back(asteroid.get());
        } else if (asteroid->boundingBox().intersects(avoider_->boundingBox())) {
            removal.push_back(asteroid.get());
            hit();
        }
        if (!hasdied_) {
            float k = float(asteroid->tag());
            asteroid->setRotation(asteroid->rotation() + k * dt + kSpinPerFrame);
            Point p = asteroid->position();
            p.y -= (k + kBaseFallSpeed) * dt;
            asteroid->setPosition(p);
            if (p.y < kGoneBelow) removal.push_back(asteroid.get());
        }
    }
    for (AtlasSprite* gone : removal) {
        Ref<AtlasSprite> keep(gone); // erasing from main_ may drop the last reference
        std::erase_if(main_, [gone](const Ref<AtlasSprite>& a) { return a.get() == gone; });
        atlas_->removeChild(gone, true);
    }
}

void AsteroidAvoid::hit() {
    minigames::explodeAt(this, avoider_->position(), 1.1f, 1.3f);

    avoider_->setPosition(kShipStart);
    hasdied_ = true;
    if (canSound) platform::playSystemSound(explo);
    minigames::saveSurvivalBest(saved::kAsteroidAvoid, i);
    i = 0;
    if (hic_) hic_->setString("0.00");
    Ref<AsteroidAvoid> self(this);
    platform::RunLoop::main().performAfterDelay(self, kPauseAfterHit, [this] { readydude(); });
}

void AsteroidAvoid::readydude() {
    hasdied_ = false;
}

bool AsteroidAvoid::ccTouchBegan(Touch* touch, Event*) {
    return minigames::pressBackArrow(backButton_.get(), touch);
}

void AsteroidAvoid::ccTouchEnded(Touch* touch, Event*) {
    if (minigames::releaseBackArrow(backButton_.get(), touch)) leave();
}

void AsteroidAvoid::ccTouchCancelled(Touch*, Event*) {
    minigames::showImage(backButton_.get(), "back1.png");
}

bool AsteroidAvoid::keyDown(const std::string& key) {
    if (key != "escape") return false;
    leave();
    return true;
}

void AsteroidAvoid::leave() {
    if (backButton_->parent() != this) return; // on the way out already
    Director::sharedDirector().setDeviceOrientation(CCDeviceOrientationPortrait);
    removeChild(backButton_.get(), true);
    minigames::fadeTo(miniGameMenu::scene().get(), 0.5f);
}

void AsteroidAvoid::onEnter() {
    Scene::onEnter();
    platform::Keyboard::shared().addResponder(this);
}

void AsteroidAvoid::onExit() {
    if (pilot_) pilot_->land();
    pilot_ = nullptr;
    platform::Accelerometer& accelerometer = platform::Accelerometer::sharedAccelerometer();
    if (accelerometer.delegate() == this) accelerometer.setDelegate(nullptr);
    TouchDispatcher::sharedDispatcher().removeDelegate(this);
    platform::Keyboard::shared().removeResponder(this);
    // Whatever way the screen is left, the rest of the game is portrait.
    Director::sharedDirector().setDeviceOrientation(CCDeviceOrientationPortrait);
    Scene::onExit();
}

void AsteroidAvoid::describe(PilotSight& sight) {
    sight.clearThings();
    sight.controls = PilotSight::Controls::Tilt;
    sight.field = Rect(kLeftmost, kShipStart.y, kRightmost - kLeftmost, 0);
    sight.shipActive = !hasdied_;
    sight.ship = avoider_->position();
    sight.shipSize = avoider_->boundingBox().size;
    // Tilt toward the picture's right moves the ship right.
    sight.tiltGain = Point(kTiltSpeed, 1);
    sight.tiltBias = Point(0, 0);
    sight.fireSpot = Point(240, 160); // nothing here answers a touch
    for (const Ref<AtlasSprite>& a : main_) {
        Rect box = a->boundingBox();
        sight.threats.push_back(
            {Point(box.minX() + box.size.width / 2, box.minY() + box.size.height / 2),
             Point(0, -(float(a->tag()) + kBaseFallSpeed)), box.size});
    }
}

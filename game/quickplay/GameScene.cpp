#include "game/quickplay/GameScene.h"

#include "audio/SimpleAudioEngine.h"
#include "engine/Director.h"
#include "engine/IntervalAction.h"
#include "engine/TouchDispatcher.h"
#include "engine/TransitionScene.h"
#include "game/Explosion.h"
#include "game/GarbageSprite.h"
#include "game/HelloWorld.h"
#include "game/RectManager.h"
#include "game/SavedGameData.h"
#include "game/ScreenFlags.h"
#include "platform/Random.h"
#include "platform/RunLoop.h"
#include "render/AtlasSpriteManager.h"
#include "render/BitmapFontAtlas.h"
#include "render/Label.h"
#include "render/ParticleExamples.h"
#include "render/Sprite.h"
#include "render/TextureMgr.h"
#include "screens/QNNotificationManager.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

namespace {

constexpr const char* kAtlasName = "coordinates";
constexpr const char* kGlow = "output.pvr";
constexpr const char* kShotSound = "buzzer.caf";
constexpr const char* kFont = "redFont3.fnt";
constexpr const char* kBannerFont = "Marker Felt";

// Speeds in points per second.
constexpr float kBulletSpeed = 1111;
constexpr float kEnemyShotSpeed = 285;
constexpr float kPowerUpSpeed = 235;
constexpr float kAsteroidFall = 130;
constexpr int kCrazyExtraSpeed = 36;
// Enemy speed while the ship is away between lives.
constexpr int kDeadSpeed = 210;

// The bursts of the screen (all "output.pvr", z 10, gone when done).
const Explosion kShipExplosion{.sunParticles = 150, .puff = false};
const Explosion kRammedExplosion{.sunParticles = 150, .puffParticles = 90};
const Explosion kKillExplosion{
    .sunParticles = 150, .sunScale = 1.2f, .puffParticles = 90, .puffScale = 1.2f};
const Explosion kAsteroidExplosion{.sunParticles = 150,
                                   .sunDuration = 0.28f,
                                   .sunScale = 1.2f,
                                   .puffParticles = 90,
                                   .puffScale = 1.2f};
// The preset's own number of particles.
const Explosion kShotDownExplosion{.sunDuration = 0.22f, .puff = false};
const Explosion kBombExplosion{
    .sunParticles = 200, .sunDuration = 0.21f, .sunScale = 1.2f, .puffParticles = 90, .puffZ = 20};

bool isPowerUp(int tag) { return tag >= GameScene::kCoinTag && tag <= GameScene::kBombTag; }

// u: a fresh random number in [0, 1).
float unit() { return float(double(platform::random()) / 2147483648.0); }

int saturatingAdd(int a, int b) {
    long long sum = (long long)a + b;
    return int(std::clamp<long long>(sum, INT_MIN, INT_MAX));
}

Point glLocation(Touch* touch) {
    return Director::sharedDirector().convertToGL(touch->locationInView(touch->view()));
}

void alias(Texture2D* texture) {
    if (texture) texture->setAliasTexParameters();
}

Ref<BitmapFontAtlas> hudLabel(const char* text, Point at) {
    Ref<BitmapFontAtlas> label = BitmapFontAtlas::bitmapFontAtlasWithString(text, kFont);
    if (!label) return nullptr;
    alias(label->texture());
    label->setPosition(at);
    return label;
}

void show(BitmapFontAtlas* label, const char* format, int value) {
    if (!label) return;
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    label->setString(text);
}

} // namespace

const GameScene::Difficulty GameScene::kDifficulties[3] = {
    {"Easy", 25, 407, 5100, 130, 0.9996f, 2.0, 130},
    {"Medium", 33, 355, 4800, 135, 0.9999f, 1.7, 135},
    {"Hard", 40, 270, 3600, 145, 0.9985f, 1.2, 140},
};

Ref<GameScene> GameScene::scene() { return node(); }

Ref<GameScene> GameScene::node() { return make<GameScene>(); }

GameScene::GameScene() {
    hasLeft_ = false;
    isShooting_ = false;

    amountKilled_ = saved::intValue(saved::value(saved::kKillScore));
    deadzone_ = 1.5f;

    Ref<Texture2D> glow = TextureMgr::sharedTextureMgr().addImage(kGlow);
    if (Ref<ParticleRain> rain = ParticleRain::particleWithTotalParticles(2400)) {
        hid_ = rain;
        hid_->setTexture(glow.get());
        addChild(hid_.get());
        hid_->setEmissionRate(40);
        hid_->setPosition(Point(160, 240));
        hid_->setPosVar(Point(160, 240));
        alias(glow.get());
    }

    level_ = saved::difficulty();
    const Difficulty& d = kDifficulties[level_];
    randNumb_ = d.randNumb;
    whatRand_ = d.whatRand;
    most_ = d.most;
    speedMax_ = d.speedMax;
    dif_ = d.dif;
    newed_ = d.newed;
    std::string difficultyText = std::string("Difficulty: ") + d.name;
    if (Ref<BitmapFontAtlas> difficulty = hudLabel(difficultyText.c_str(), Point(260, 430)))
        addChild(difficulty.get());

    hasShotBad_ = true;
    hi_ = true;

    lastScore_ = saved::bestQuickPlayScore(level_);

    atlas_ = AtlasSpriteManager::spriteManagerWithFile("texture.png", 10);
    addChild(atlas_.get(), 10);

    firstDude_ = GarbageSprite::spriteWithRect(
        RectManager::sharedRectMgr().frameForSprite("Spaceship.png", kAtlasName), atlas_.get());
    firstDude_->setPosition(Point(160, 120));
    atlas_->addChild(firstDude_.get());

    lives_ = 3;
    livesLabel_ = hudLabel("Lives: 3", Point(270, 450));
    scoreLabel_ = hudLabel("Score: 0", Point(270, 470));
    if (livesLabel_) addChild(livesLabel_.get());
    if (scoreLabel_) addChild(scoreLabel_.get());

    TouchDispatcher::sharedDispatcher().addTargetedDelegate(this, 0, false);

    hasDied = false;

    backButton_ = QBButtonNode::spriteWithFile("back1.png");
    backButton_->setPosition(Point(40, 460));
    alias(backButton_->texture());
    addChild(backButton_.get(), 0);
    backButton_->setDelegate(this);

    if (Ref<ParticleSparkles> exhaust = ParticleSparkles::particleWithTotalParticles(1300)) {
        rocketMain_ = exhaust;
        rocketMain_->setTexture(glow.get());
        rocketMain_->setPosition(Point(160, 100));
        rocketMain_->setDuration(kParticleDurationInfinity);
        rocketMain_->setEmissionRate(100);
        addChild(rocketMain_.get(), 10);
    }

    switch (saved::controlScheme()) {
    case saved::ControlScheme::Joystick:
        bottom_ = Sprite::spriteWithFile("joypad.png");
        cap_ = Sprite::spriteWithFile("joypadCap.png");
        center_ = Point(260, 100);
        addChild(bottom_.get(), 999);
        addChild(cap_.get(), 999);
        bottom_->setPosition(center_);
        cap_->setPosition(center_);
        isJoyStick = true;
        isTouch = false;
        break;
    case saved::ControlScheme::Drag:
        shipFollowsFinger_ = saved::value(saved::kControlScheme) == "d";
        offset = 20;
        speedMax_ += 20;
        isJoyStick = false;
        isTouch = true;
        break;
    case saved::ControlScheme::Tilt:
        platform::Accelerometer::sharedAccelerometer().setDelegate(this);
        platform::Accelerometer::sharedAccelerometer().setUpdateInterval(0.02);
        offset = 0;
        isTouch = false;
        isJoyStick = false;
        break;
    }

    schedule(ccSelector(this, &GameScene::updateBullets));

    invert_ = saved::exists(saved::kInvert);
    canSound_ = saved::exists(saved::kWantsSound);
    if (canSound_) SimpleAudioEngine::sharedEngine().preloadEffect(kShotSound);

    bullets_.reserve(10);
    randomNew_.reserve(10);
    pool_.reserve(10);
    asteroidsArray_ = ccArrayNew(20);
    downArray_ = ccArrayNew(25);
}

GameScene::~GameScene() {
    if (asteroidsArray_) ccArrayFree(asteroidsArray_);
    if (downArray_) ccArrayFree(downArray_);
}

void GameScene::onEnter() {
    Scene::onEnter();
    if (hid_)
        for (int i = 0; i < 50; ++i) hid_->step(1.0f / 30);
    later(0.8, &GameScene::vostel);
    if (Autopilot::wanted()) pilot_ = Autopilot::fly(this);
}

void GameScene::vostel() {
    if (!hid_) return;
    hid_->setPosition(Point(160, 480));
    hid_->setPosVar(Point(160, 0));
    hid_->setEmissionRate(50);
    hid_->setTotalParticles(1199);
}

void GameScene::later(double seconds, void (GameScene::*operation)()) {
    platform::RunLoop::main().performAfterDelay(Ref<Object>(this), seconds,
                                                [this, operation] { (this->*operation)(); });
}

// --- controls ---

void GameScene::placeShip(Point p) {
    firstDude_->setPosition(p);
    if (rocketMain_) rocketMain_->setPosition(Point(p.x, p.y - 20));
}

void GameScene::accelerometer(platform::Accelerometer*, const platform::Acceleration& a) {
    if (hasDied) return;
    Point p = firstDude_->position();
    double x = double(p.x) + a.x * 26;
    double y = invert_ ? double(p.y) - a.y * 16 : double(p.y) + (a.y + 0.4) * 16;
    x = std::clamp(x, double(kMinX), double(kMaxX));
    y = std::clamp(y, double(kMinY), double(kMaxY));
    placeShip(Point(float(x), float(y)));
}

bool GameScene::ccTouchBegan(Touch* touch, Event*) {
    if (isJoyStick && bottom_ && !hasTouch_) {
        hasTouch_ = true;
        Point local = bottom_->convertTouchToNodeSpace(touch);
        Size s = bottom_->contentSize();
        if (!Rect(0, 0, s.width + 20, s.height + 20).contains(local)) {
            hasTouch_ = false;
            return true;
        }
        lastTouchPoint_ = glLocation(touch);
        normalizeJoystick();
        // Holding the stick fires on its own, from the first interval on.
        schedule(ccSelector(this, &GameScene::shoot), kShotInterval);
        return true;
    }
    if (!hasDied) startFiring();
    return true;
}

void GameScene::startFiring() {
    schedule(ccSelector(this, &GameScene::shoot), kShotInterval);
    if (canSound_) SimpleAudioEngine::sharedEngine().playEffect(kShotSound, 1.0f, 0, 1.0f);
    fireBullet();
}

void GameScene::ccTouchMoved(Touch* touch, Event*) {
    if (!isJoyStick) return;
    lastTouchPoint_ = glLocation(touch);
    normalizeJoystick();
}

void GameScene::ccTouchEnded(Touch*, Event*) {
    unschedule("shoot");
    if (!isJoyStick) return;
    lastTouchPoint_ = center_;
    if (cap_) cap_->setPosition(center_);
    normalizedJoystick_ = Point(0, 0);
    hasTouch_ = false;
}

void GameScene::ccTouchCancelled(Touch* touch, Event* event) { ccTouchEnded(touch, event); }

void GameScene::normalizeJoystick() {
    double dx = double(lastTouchPoint_.x) - center_.x;
    double dy = double(lastTouchPoint_.y) - center_.y;
    if (std::fabs(dx) < deadzone_ && std::fabs(dy) < deadzone_) {
        normalizedJoystick_ = Point(0, 0);
        return;
    }
    double length = std::sqrt(dx * dx + dy * dy);
    normalizedJoystick_ = Point(float(dx / length), float(dy / length));
    quorl_ = float(std::min(length, double(kJoystickReach)));
    if (cap_)
        cap_->setPosition(Point(float(center_.x + normalizedJoystick_.x * double(quorl_)),
                                float(center_.y + normalizedJoystick_.y * double(quorl_))));
}

void GameScene::shoot(float) {
    if (hasDied) return;
    if (canSound_) SimpleAudioEngine::sharedEngine().playEffect(kShotSound, 1.0f, 0, 1.0f);
    fireBullet();
}

void GameScene::fireBullet() {
    if (hasDied) return;
    Point p = firstDude_->position();
    float x = hi_ ? p.x + 12 : p.x - 12;
    hi_ = !hi_;
    Ref<AtlasSprite> bullet;
    if (!pool_.empty()) {
        bullet = pool_.front();
        // A bullet can be pooled twice in one frame (two hits): take it once.
        std::erase(pool_, bullet);
    } else {
        bullet = makeSprite("bullet.png");
        bullet->setTag(kBulletTag);
    }
    bullet->setPosition(Point(x, p.y));
    bullets_.push_back(bullet);
    if (bullet->parent() != atlas_.get()) atlas_->addChild(bullet.get(), 0, kBulletTag);
}

Ref<AtlasSprite> GameScene::makeSprite(const char* name) {
    return AtlasSprite::spriteWithRect(
        RectManager::sharedRectMgr().frameForSprite(name, kAtlasName), atlas_.get());
}

// --- the frame ---

std::vector<Ref<AtlasSprite>>& GameScene::del() {
    if (!delR_) {
        delR_ = std::make_unique<std::vector<Ref<AtlasSprite>>>();
        delR_->reserve(1);
    }
    return *delR_;
}

void GameScene::updateBullets(float dt) {
    // Steering by the joystick; the drag scheme's ship moves itself.
    if (!hasDied) {
        if (hasTouch_ && isJoyStick) {
            double s = (double(quorl_) + 2) * (double(dt) * 3.1);
            Point p = firstDude_->position();
            double x = std::clamp(p.x + s * normalizedJoystick_.x, double(kMinX), double(kMaxX));
            double y = std::clamp(p.y + s * normalizedJoystick_.y, double(kMinY), double(kMaxY));
            placeShip(Point(float(x), float(y)));
        } else if (isTouch) {
            placeShip(firstDude_->position());
        }
    }

    const Rect shipBox = firstDude_->boundingBox();
    std::vector<Ref<AtlasSprite>>& removals = del();

    // Enemy ships fire and fall. The list is not changed during the walk.
    for (size_t i = 0; i < randomNew_.size(); ++i) {
        AtlasSprite* enemy = randomNew_[i].get();
        const int t = enemy->tag();
        const Point p = enemy->position();
        const Rect box = enemy->boundingBox();
        if (platform::random() % most_ <= 18) enemyFires(enemy, box);
        const float speed = float(t == kCrazyShipTag ? speedMax_ + kCrazyExtraSpeed : speedMax_);
        const float y = p.y - speed * dt;
        enemy->setPosition(Point(p.x, y));
        if (y < -10) {
            removals.push_back(enemy);
        } else if (y < 360 && !hasDied && box.intersects(shipBox)) {
            kRammedExplosion.showIn(this, Point(p.x, y));
            removals.push_back(enemy);
            loseLife(Loss::EnemyShip);
            return;
        }
    }

    // Player bullets fly up; one bullet may take out several overlapping ships.
    for (size_t i = 0; i < bullets_.size(); ++i) {
        AtlasSprite* bullet = bullets_[i].get();
        const Point p = bullet->position();
        const float y = p.y + dt * kBulletSpeed;
        bullet->setPosition(Point(p.x, y));
        if (y > 483) {
            pool_.push_back(bullet);
            removals.push_back(bullet);
            continue;
        }
        const Rect box = bullet->boundingBox();
        for (size_t j = 0; j < randomNew_.size(); ++j) {
            AtlasSprite* enemy = randomNew_[j].get();
            if (!box.intersects(enemy->boundingBox())) continue;
            kKillExplosion.showIn(this, enemy->position());
            pool_.push_back(bullet);
            removals.push_back(bullet);
            removals.push_back(enemy);
            addScore(enemy->tag() == kShipTag || enemy->tag() == kCrazyShipTag ? 20 : 10);
            countKill();
            refreshScore();
        }
    }

    // At most one spawn a frame; a long frame leaves the rest for the next.
    timeSinceLastDrop_ += dt;
    if (timeSinceLastDrop_ > newed_) {
        timeSinceLastDrop_ -= newed_;
        if (!hasDied) {
            spawnPowerUp();
            spawnEnemy();
            if (newed_ > 0.8) newed_ *= dif_;
        }
    }

    // Asteroids. Removal moves the last one into the slot, which is looked
    // at next: every asteroid is seen once.
    for (size_t i = 0; i < asteroidsArray_->count;) {
        AtlasSprite* asteroid = asteroidsArray_->at<AtlasSprite>(i);
        if (hasDied) {
            removeFromArray(asteroidsArray_, i);
            continue;
        }
        const Point p = asteroid->position();
        const Rect box = asteroid->boundingBox();
        const int t = asteroid->tag();
        if (p.y < 350 && box.intersects(shipBox)) {
            kShipExplosion.showIn(this, p);
            removeFromArray(asteroidsArray_, i);
            loseLife(Loss::Asteroid);
            return;
        }
        bool shot = false;
        for (auto& bullet : bullets_) {
            if (!box.intersects(bullet->boundingBox())) continue;
            kAsteroidExplosion.showIn(this, p);
            pool_.push_back(bullet);
            removals.push_back(bullet);
            removeFromArray(asteroidsArray_, i);
            addScore(20);
            countKill();
            refreshScore();
            shot = true;
            break;
        }
        if (shot) continue;
        asteroid->setRotation(asteroid->rotation() + 1.8f);
        const float y = p.y - kAsteroidFall * dt;
        float x;
        if (t > 24) {
            x = p.x - float(t + 59) * dt;
            if (x < -31) x = 360;
            if (x > 360) x = -31;
        } else {
            x = p.x + float(t + 58) * dt;
            if (x < -30) x = 360;
            if (x > 360) x = -30;
        }
        if (y < -15) {
            removeFromArray(asteroidsArray_, i);
            continue;
        }
        asteroid->setPosition(Point(x, y));
        ++i;
    }

    // Enemy bullets and power-ups fall.
    for (size_t i = 0; i < downArray_->count;) {
        AtlasSprite* object = downArray_->at<AtlasSprite>(i);
        const int t = object->tag();
        const Point p = object->position();
        if (t == kEnemyShotTag || t == kCrazyShotTag) {
            const float y = p.y - kEnemyShotSpeed * dt;
            object->setPosition(Point(p.x, y));
            if (y < 0) {
                removeFromArray(downArray_, i);
                continue;
            }
            if (y < 320 && !hasDied && object->boundingBox().intersects(shipBox)) {
                kShotDownExplosion.showIn(this, firstDude_->position());
                removeFromArray(downArray_, i);
                loseLife(Loss::EnemyBullet);
                return;
            }
        } else if (isPowerUp(t)) {
            const float y = p.y - kPowerUpSpeed * dt;
            object->setPosition(Point(p.x, y));
            // Caught even while the ship is away.
            if (object->boundingBox().intersects(shipBox)) {
                removeFromArray(downArray_, i);
                if (collect(t)) return;
                continue;
            }
            if (y < 0) {
                canPowerUp = true;
                removeFromArray(downArray_, i);
                continue;
            }
        }
        ++i;
    }

    if (removals.empty()) return;
    for (const Ref<AtlasSprite>& object : removals) {
        std::erase(randomNew_, object);
        std::erase(bullets_, object);
        atlas_->removeChild(object.get(), true);
    }
    removals.clear();
}

void GameScene::enemyFires(AtlasSprite* enemy, const Rect& box) {
    const int t = enemy->tag();
    const float x = enemy->position().x;
    auto shot = [&](Point at, int tag) {
        AtlasSprite* bullet = addFalling(tag, at);
        bullet->setColor(ccc3(255, 0, 0));
        return bullet;
    };
    if (t == kBadShipTag) {
        shot(Point(x, box.minY()), kEnemyShotTag);
    } else if (t == kCrazyShipTag) {
        // Two shots whose sides come from one toggle, which ends as it began.
        for (float side : {22.0f, 29.0f}) {
            float sx = hasShotBad_ ? x + side : x - side;
            hasShotBad_ = !hasShotBad_;
            shot(Point(sx, box.minY() + 6), kCrazyShotTag)->setScale(1.29f);
        }
    } else {
        float sx = platform::random() % 10 <= 3 ? x + 12 : x - 12;
        shot(Point(sx, box.minY()), kEnemyShotTag);
    }
}

void GameScene::spawnPowerUp() {
    if (!canPowerUp || platform::random() % 60 > 16) return;
    canPowerUp = false;
    const int k = int(platform::random() % 3);
    AtlasSprite* powerUp = addFalling(k, Point(float(platform::random() % 300 + 10), 490));
    if (k == kPlusTag) powerUp->setScale(0.6f);
    if (k == kBombTag) powerUp->setScale(0.5f);
}

void GameScene::spawnEnemy() {
    // Placed last: the random numbers are drawn in this order.
    AtlasSprite* enemy;
    if (float(platform::random() % 101) < randNumb_) {
        enemy = addEnemy(kCrazyShipTag, Point());
        enemy->setScale(0.58f + 0.5f * unit());
        if (platform::random() % whatRand_ > 20) {
            const int tag = int(platform::random() % 50) + 1;
            addAsteroid(tag, Point(float(platform::random() % 320), 510));
        }
    } else if (platform::random() % 10 > 4) {
        enemy = addEnemy(kShipTag, Point());
        enemy->setColor(ccColor3BFromHSV(unit(), 0.8f, 0.7f));
        enemy->setRotation(180);
    } else {
        enemy = addEnemy(kBadShipTag, Point());
        enemy->setColor(ccColor3BFromHSV(unit(), 0.7f, 0.6f));
        enemy->setScale(0.55f + 0.5f * unit());
    }
    enemy->setPosition(Point(float(platform::random() % 300 + 10), 520));
}

AtlasSprite* GameScene::addEnemy(int tag, Point at) {
    static constexpr const char* names[] = {"ship-bad.png", "ship-crazy.png", "ship.png",
                                            "ship.png"};
    Ref<AtlasSprite> enemy = makeSprite(names[std::clamp(tag, 0, 3)]);
    enemy->setPosition(at);
    randomNew_.push_back(enemy);
    atlas_->addChild(enemy.get(), 0, tag);
    return enemy.get();
}

AtlasSprite* GameScene::addAsteroid(int tag, Point at) {
    Ref<AtlasSprite> asteroid = makeSprite("asteroid.png");
    atlas_->addChild(asteroid.get(), 0, tag);
    asteroid->setScale(0.3f);
    asteroid->setPosition(at);
    ccArrayAppendObjectWithResize(asteroidsArray_, asteroid.get());
    return asteroid.get();
}

AtlasSprite* GameScene::addFalling(int tag, Point at) {
    static constexpr const char* names[] = {"coin.png", "plus.png", "bomb2.png", "bullet2.png",
                                            "bullet2.png", "bullet2.png"};
    Ref<AtlasSprite> object = makeSprite(names[std::clamp(tag, 0, 5)]);
    object->setPosition(at);
    atlas_->addChild(object.get(), 10, tag);
    ccArrayAppendObjectWithResize(downArray_, object.get());
    return object.get();
}

void GameScene::removeFromArray(ccArray* array, std::size_t index) {
    atlas_->removeChild(array->at<AtlasSprite>(index), true);
    ccArrayFastRemoveObjectAtIndex(array, index);
}

bool GameScene::collect(int tag) {
    switch (tag) {
    case kCoinTag:
        showBanner("BONUS Points!", 58);
        addScore(15);
        refreshScore();
        break;
    case kPlusTag:
        showBanner("EXTRA LIFE!!", 64);
        if (lives_ < INT16_MAX) ++lives_;
        refreshLives();
        break;
    default:
        showBanner("BOOM!!!", 64);
        refreshLives();
        later(1.0, &GameScene::animationDone);
        removeAllObjects();
        return true;
    }
    later(1.0, &GameScene::animationDone);
    return false;
}

void GameScene::showBanner(const char* text, float size) {
    // Only one power-up is announced at a time; never leave one behind.
    if (label_) removeChild(label_.get(), true);
    label_ = Label::labelWithString(text, kBannerFont, size);
    label_->setPosition(Point(160, 240));
    addChild(label_.get());
}

void GameScene::animationDone() {
    canPowerUp = true;
    if (label_) {
        removeChild(label_.get(), true);
        label_ = nullptr;
    }
}

void GameScene::addScore(int points) { scoreInt_ = saturatingAdd(scoreInt_, points); }

void GameScene::countKill() { amountKilled_ = saturatingAdd(amountKilled_, 1); }

void GameScene::refreshScore() { show(scoreLabel_.get(), "Score: %d", scoreInt_); }

void GameScene::refreshLives() { show(livesLabel_.get(), "Lives: %d", lives_); }

// --- lives and the end of a game ---

void GameScene::loseLife(Loss how) {
    hasDied = true;
    --lives_;
    firstDude_->setVisible(false);
    speedMax_ = kDeadSpeed;
    if (rocketMain_) {
        rocketMain_->setVisible(false);
        rocketMain_->setPosition(Point(400, 500));
    }
    if (lives_ <= 0) {
        gameEnded();
        showGameOver();
        unschedule("updateBullets");
    } else {
        later(1.5, &GameScene::returnFirst);
        // A ram leaves the frame running: what is left keeps falling.
        if (how != Loss::EnemyShip) unschedule("updateBullets");
    }
    removeAllObjectsPlain();
    refreshLives();
    if (rocketMain_) rocketMain_->setEmissionRate(0);
}

void GameScene::gameEnded() {
    if (gameCounted_) return;
    gameCounted_ = true;
    const int previousBest = std::max(lastScore_, bestOfVisit_);
    bestOfVisit_ = std::max(bestOfVisit_, scoreInt_);
    if (scoreInt_ > 0 && scoreInt_ > previousBest)
        postBanner("New best: " + std::to_string(scoreInt_));
}

void GameScene::showGameOver() {
    // The alert holds the screen while it is up.
    platform::AlertView::make("You lost!", "What would you like to do?\n", this, "Try again",
                              {"Quit"})
        ->show();
}

void GameScene::returnFirst() {
    if (readyLabel_) removeChild(readyLabel_.get(), true);
    char text[48];
    std::snprintf(text, sizeof text, "Ready? Lives Left: %d", int(lives_));
    readyLabel_ = Label::labelWithString(text, kBannerFont, 35);
    readyLabel_->setPosition(Point(160, 240));
    addChild(readyLabel_.get());
    later(3.0, &GameScene::fix);
}

void GameScene::fix() {
    // A screen that has been left brings no ship back: its timers would tie
    // it up for good, and the flags it would reset belong to the next screen.
    if (hasLeft_) return;
    firstDude_->setVisible(true);
    placeShip(Point(160, 120));
    speedMax_ = offset + kDifficulties[level_].comebackSpeed;
    firstDude_->runAction(Blink::actionWithDuration(1.0f, 3).get());
    if (readyLabel_) {
        removeChild(readyLabel_.get(), true);
        readyLabel_ = nullptr;
    }
    later(0.7, &GameScene::done);
    removeAllObjectsPlain();
}

void GameScene::done() {
    if (hasLeft_) return;
    hasDied = false;
    if (rocketMain_) {
        rocketMain_->setVisible(true);
        rocketMain_->setEmissionRate(100);
    }
    schedule(ccSelector(this, &GameScene::updateBullets));
}

void GameScene::didDismissWithButtonIndex(platform::AlertView*, int buttonIndex) {
    if (buttonIndex != 0) {
        leave();
        return;
    }
    newed_ = kDifficulties[level_].newed;
    lives_ = 3;
    scoreInt_ = 0;
    gameCounted_ = false;
    refreshLives();
    returnFirst();
    refreshScore();
    lastScore_ = saved::bestQuickPlayScore(level_);
}

void GameScene::removeAllObjectsPlain() { clearField(false); }

void GameScene::removeAllObjects() { clearField(true); }

void GameScene::clearField(bool bomb) {
    std::vector<Ref<AtlasSprite>> doomed;
    doomed.reserve(bullets_.size() + randomNew_.size());
    for (const Ref<AtlasSprite>& bullet : bullets_) {
        pool_.push_back(bullet);
        doomed.push_back(bullet);
    }
    for (const Ref<AtlasSprite>& enemy : randomNew_) {
        if (bomb) {
            kBombExplosion.showIn(this, enemy->position());
            addScore(15);
        }
        doomed.push_back(enemy);
    }
    if (!hasLeft_) {
        for (ccArray* array : {asteroidsArray_, downArray_})
            while (array->count > 0) {
                // A power-up swept away uncaught frees the slot for the next.
                if (array == downArray_ && isPowerUp(array->at<Node>(0)->tag())) canPowerUp = true;
                removeFromArray(array, 0);
            }
    }
    for (const Ref<AtlasSprite>& object : doomed) {
        std::erase(bullets_, object);
        std::erase(randomNew_, object);
        atlas_->removeChild(object.get(), true);
    }
    if (bomb) refreshScore();
}

// --- leaving ---

void GameScene::leave() {
    // Play ends when the player leaves, not when the fade out ends: until
    // then a lost life or the game-over alert would land on the next screen.
    hasLeft_ = true;
    unschedule("updateBullets");
    TouchDispatcher::sharedDispatcher().removeDelegate(this);
    auto& accelerometer = platform::Accelerometer::sharedAccelerometer();
    if (accelerometer.delegate() == this) accelerometer.setDelegate(nullptr);
    Director::sharedDirector().replaceScene(
        FadeTransition::transitionWithDuration(0.5f, HelloWorld::scene().get()).get());
}

void GameScene::didPressButton() { leave(); }

void GameScene::didPressDown() { showBackImage("back1.png"); }

void GameScene::stoppedPressing() { showBackImage("back2.png"); }

void GameScene::showBackImage(const char* file) {
    if (Ref<Texture2D> texture = TextureMgr::sharedTextureMgr().addImage(file))
        backButton_->setTexture(texture.get());
}

void GameScene::onExit() {
    unschedule("updateBullets");
    hasLeft_ = true;
    if (pilot_) {
        pilot_->land();
        pilot_ = nullptr;
    }
    // A power-up still falling would otherwise keep the next one away for
    // the rest of the run.
    if (downArray_) {
        for (size_t i = 0; i < downArray_->count; ++i)
            if (isPowerUp(downArray_->at<Node>(i)->tag())) canPowerUp = true;
        ccArrayFree(downArray_);
        downArray_ = nullptr;
    }
    if (asteroidsArray_) {
        ccArrayFree(asteroidsArray_);
        asteroidsArray_ = nullptr;
    }
    TouchDispatcher::sharedDispatcher().removeDelegate(this);
    platform::Accelerometer::sharedAccelerometer().setDelegate(nullptr);
    gameEnded();
    saved::saveQuickPlayResult(level_, bestOfVisit_, lastScore_, amountKilled_);
    Scene::onExit();
}

// --- autopilot ---

void GameScene::describe(PilotSight& sight) {
    using Controls = PilotSight::Controls;
    sight.clearThings();
    if (isJoyStick)
        sight.controls = Controls::Joystick;
    else if (isTouch)
        sight.controls = shipFollowsFinger_ ? Controls::Drag : Controls::None;
    else
        sight.controls = Controls::Tilt;
    sight.field = Rect(kMinX, kMinY, kMaxX - kMinX, kMaxY - kMinY);
    sight.shipActive = !hasDied && !hasLeft_;
    sight.ship = firstDude_->position();
    sight.shipSize = firstDude_->boundingBox().size;
    sight.topSpeed = isJoyStick ? (kJoystickReach + 2) * 3.1f : 0;
    sight.shotSpeed = kBulletSpeed;
    sight.tiltGain = Point(26, invert_ ? -16 : 16);
    sight.tiltBias = Point(0, invert_ ? 0 : 0.4f);
    sight.dragOffset = Point(0, GarbageSprite::kRideAbove);
    sight.joystickCenter = center_;
    sight.joystickReach = kJoystickReach;
    sight.fireSpot = Point(160, 300);
    if (hasLeft_) return;

    auto thing = [](AtlasSprite* s, Point velocity, bool shootable) {
        Rect box = s->boundingBox();
        return PilotSight::Thing{
            Point(box.minX() + box.size.width / 2, box.minY() + box.size.height / 2), velocity,
            box.size, shootable};
    };
    for (const Ref<AtlasSprite>& enemy : randomNew_) {
        float speed = float(enemy->tag() == kCrazyShipTag ? speedMax_ + kCrazyExtraSpeed
                                                          : speedMax_);
        PilotSight::Thing t = thing(enemy.get(), Point(0, -speed), true);
        sight.threats.push_back(t);
        sight.targets.push_back(t);
    }
    for (size_t i = 0; i < asteroidsArray_->count; ++i) {
        AtlasSprite* a = asteroidsArray_->at<AtlasSprite>(i);
        int tag = a->tag();
        float vx = tag > 24 ? -float(tag + 59) : float(tag + 58);
        PilotSight::Thing t = thing(a, Point(vx, -kAsteroidFall), true);
        sight.threats.push_back(t);
        sight.targets.push_back(t);
    }
    for (size_t i = 0; i < downArray_->count; ++i) {
        AtlasSprite* o = downArray_->at<AtlasSprite>(i);
        if (isPowerUp(o->tag()))
            sight.pickups.push_back(thing(o, Point(0, -kPowerUpSpeed), false));
        else
            sight.threats.push_back(thing(o, Point(0, -kEnemyShotSpeed), false));
    }
}

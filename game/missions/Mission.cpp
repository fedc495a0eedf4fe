#include "game/missions/Mission.h"

#include "audio/SimpleAudioEngine.h"
#include "engine/Director.h"
#include "engine/TouchDispatcher.h"
#include "engine/TransitionScene.h"
#include "game/Explosion.h"
#include "game/GarbageSprite.h"
#include "game/RectManager.h"
#include "game/SavedGameData.h"
#include "game/missions/Missions.h"
#include "platform/Random.h"
#include "platform/RunLoop.h"
#include "render/AtlasSpriteManager.h"
#include "render/BitmapFontAtlas.h"
#include "render/ParticleExamples.h"
#include "render/Sprite.h"
#include "render/TextureMgr.h"
#include "screens/QNNotificationManager.h"
#include "support/PointExtensions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr float kFadeSeconds = 0.5f;
constexpr const char* kShotSound = "buzzer.caf";
constexpr float kGunOffset = 12;
constexpr float kExhaustBelow = 20;
constexpr float kJoystickMargin = 20;
// Where the ship may go.
constexpr float kLeft = 10, kRight = 310, kLow = 30, kHigh = 320;

Point glLocation(Touch* touch) {
    return Director::sharedDirector().convertToGL(touch->locationInView(touch->view()));
}

const char* missionName(int number) {
    return number == 2 ? "Two" : "Three";
}

} // namespace

Mission::Mission(const Rules& rules) : rules_(rules) {
    backButton = addBackButton(this, this);

    shipsKilled = BitmapFontAtlas::bitmapFontAtlasWithString(rules.label, "redFont3.fnt");
    if (shipsKilled) {
        if (Texture2D* t = shipsKilled->texture()) t->setAliasTexParameters();
        shipsKilled->setPosition(Point(250, 470));
        addChild(shipsKilled.get());
    }

    newed = rules.newed;
    deadzone = 1.5f;
    shipsShot = rules.shipsShot;

    atlas = AtlasSpriteManager::spriteManagerWithFile("texture.png", 10);
    addChild(atlas.get(), 10);
    firstDude = GarbageSprite::spriteWithRect(
        RectManager::sharedRectMgr().frameForSprite("Spaceship.png", "coordinates"), atlas.get());
    firstDude->setPosition(Point(160, 70));
    atlas->addChild(firstDude.get());

    invert = saved::exists(saved::kInvert);
    canSound = saved::exists(saved::kWantsSound);
    if (canSound) SimpleAudioEngine::sharedEngine().preloadEffect(kShotSound);

    TouchDispatcher::sharedDispatcher().addTargetedDelegate(this, 0, false);

    switch (saved::controlScheme()) {
    case saved::ControlScheme::Joystick:
        deadzone = 0.5f;
        cap = Sprite::spriteWithFile("joypadCap.png");
        bottom = Sprite::spriteWithFile("joypad.png");
        center = Point(260, 60);
        addChild(bottom.get(), 999);
        addChild(cap.get(), 999);
        bottom->setPosition(center);
        cap->setPosition(center);
        lastTouchPoint = center;
        isJoyStick = true;
        isTouchMis = false;
        break;
    case saved::ControlScheme::Drag:
        // The ship follows the finger by itself.
        isTouchMis = true;
        isJoyStick = false;
        break;
    case saved::ControlScheme::Tilt:
        isTouchMis = isJoyStick = false;
        if (rules.tiltAtOnce) tiltOn();
        break;
    }

    rocketMain = ParticleSparkles::node();
    if (rocketMain) {
        rocketMain->setTexture(TextureMgr::sharedTextureMgr().addImage("output.pvr").get());
        Point ship = firstDude->position();
        rocketMain->setPosition(Point(ship.x, ship.y - kExhaustBelow));
        rocketMain->setDuration(-1);
        rocketMain->setTotalParticles(1000);
        rocketMain->setEmissionRate(108);
        addChild(rocketMain.get(), 10);
        if (Texture2D* t = rocketMain->texture()) t->setAliasTexParameters();
    }

    // Nothing runs until the player has read this and answered "Okay!".
    welcome_ = platform::AlertView::make(rules.welcomeTitle, rules.welcomeMessage, this, "Okay!",
                                         {"Back"});
    welcome_->setTag(kWelcomeTag);
    welcome_->show();
}

Mission::~Mission() {
    // The accelerometer does not hold its delegate.
    auto& accelerometer = platform::Accelerometer::sharedAccelerometer();
    if (accelerometer.delegate() == this) accelerometer.setDelegate(nullptr);
}

// --- controls ---

void Mission::tiltOn() {
    auto& accelerometer = platform::Accelerometer::sharedAccelerometer();
    accelerometer.setDelegate(this);
    accelerometer.setUpdateInterval(rules_.tiltInterval);
}

void Mission::placeShip(Point at) {
    at.x = std::clamp(at.x, kLeft, kRight);
    at.y = std::clamp(at.y, kLow, kHigh);
    firstDude->setPosition(at);
    if (rocketMain) rocketMain->setPosition(Point(at.x, at.y - kExhaustBelow));
}

void Mission::accelerometer(platform::Accelerometer*, const platform::Acceleration& a) {
    Point ship = firstDude->position();
    double x = ship.x + kTiltGainX * a.x;
    double y =
        invert ? ship.y - rules_.tiltGainY * a.y : ship.y + rules_.tiltGainY * (a.y + kTiltBiasY);
    placeShip(Point(float(x), float(y)));
}

void Mission::normalizeJoystick() {
    Point d = ccpSub(lastTouchPoint, center);
    if (std::fabs(d.x) < deadzone && std::fabs(d.y) < deadzone)
        normalizedJoystick = Point(0, 0);
    else
        normalizedJoystick = ccpNormalize(d);
    quorl = std::min(ccpLength(d), kJoystickReach);
    if (cap) cap->setPosition(ccpAdd(center, ccpMult(normalizedJoystick, quorl)));
}

bool Mission::ccTouchBegan(Touch* touch, Event*) {
    if (!isJoyStick) {
        fire();
        return true;
    }
    if (hasTouch) return true; // a second finger: claimed, otherwise ignored
    hasTouch = true;
    Point p = bottom->convertTouchToNodeSpace(touch);
    Size s = bottom->contentSize();
    if (Rect(0, 0, s.width + kJoystickMargin, s.height + kJoystickMargin).contains(p)) {
        lastTouchPoint = glLocation(touch);
        normalizeJoystick();
        // Holding the stick fires, but not at once.
        schedule(ccSelector(this, &Mission::shoot), kAutoFireInterval);
    } else {
        fire();
    }
    return true;
}

void Mission::ccTouchMoved(Touch* touch, Event*) {
    if (!isJoyStick) return;
    lastTouchPoint = glLocation(touch);
    normalizeJoystick();
}

void Mission::ccTouchEnded(Touch* touch, Event* event) {
    unschedule("shoot");
    ccTouchCancelled(touch, event);
}

void Mission::ccTouchCancelled(Touch*, Event*) {
    if (!isJoyStick) return;
    lastTouchPoint = center;
    if (cap) cap->setPosition(center);
    normalizedJoystick = Point(0, 0);
    hasTouch = false;
}

// --- firing ---

void Mission::fire() {
    schedule(ccSelector(this, &Mission::shoot), kAutoFireInterval);
    shoot(0);
}

void Mission::shoot(float) {
    if (canSound) SimpleAudioEngine::sharedEngine().playEffect(kShotSound);
    Point ship = firstDude->position();
    bool& hi = hiFlag();
    float x = hi ? ship.x + kGunOffset : ship.x - kGunOffset;
    hi = !hi;
    Ref<AtlasSprite> bullet = addSprite("bullet.png", Point(x, ship.y));
    bullet->setTag(bulletTag());
    allEvery.push_back(bullet);
}

// --- frame steps ---

Ref<AtlasSprite> Mission::addSprite(const char* name, Point at) {
    Ref<AtlasSprite> sprite = AtlasSprite::spriteWithRect(
        RectManager::sharedRectMgr().frameForSprite(name, "coordinates"), atlas.get());
    sprite->setPosition(at);
    atlas->addChild(sprite.get());
    return sprite;
}

bool Mission::spawnDue(float dt) {
    timeSinceLastDrop += dt;
    if (timeSinceLastDrop <= newed) return false;
    timeSinceLastDrop -= newed;
    return true;
}

Ref<AtlasSprite> Mission::spawnEnemy(float x) {
    Ref<AtlasSprite> enemy = addSprite("ship-bad.png", Point(x, kEnemyStartY));
    baddies.push_back(enemy);
    return enemy;
}

Ref<AtlasSprite> Mission::spawnTintedEnemy() {
    float x = float(platform::random() % 300 + 10);
    Ref<AtlasSprite> enemy = spawnEnemy(x);
    float hue = float(double(platform::random()) / 2147483648.0);
    enemy->setColor(ccColor3BFromHSV(hue, 0.7f, 0.6f));
    return enemy;
}

bool Mission::enemyFalls(const Ref<AtlasSprite>& enemy, Point start, float dt, const Rect& ship,
                         SpriteList& removals) {
    enemy->setPosition(Point(start.x, start.y - kEnemySpeed * dt));
    if (start.y < kEnemyBottom) {
        removals.push_back(enemy);
    } else if (enemy->boundingBox().intersects(ship)) {
        explodeAt(start);
        endWith(false);
        return true;
    }
    return false;
}

bool Mission::shootDown(const Ref<AtlasSprite>& enemy, Point at, SpriteList& removals,
                        const std::function<bool()>& hit) {
    // Also an enemy already leaving: a bullet may still take it.
    Rect box = enemy->boundingBox();
    for (const Ref<AtlasSprite>& bullet : allEvery) {
        if (!bullet->boundingBox().intersects(box)) continue;
        removals.push_back(bullet);
        removals.push_back(enemy);
        explodeAt(at);
        if (hit && hit()) return true;
    }
    return false;
}

void Mission::steerShip(float dt) {
    if (isJoyStick && hasTouch) {
        float step = quorl * dt * kJoystickSpeed;
        placeShip(ccpAdd(firstDude->position(), ccpMult(normalizedJoystick, step)));
    } else if (isTouchMis && rocketMain) {
        Point ship = firstDude->position();
        rocketMain->setPosition(Point(ship.x, ship.y - kExhaustBelow));
    }
}

void Mission::moveBullets(float dt, SpriteList& removals) {
    for (const Ref<AtlasSprite>& bullet : allEvery) {
        Point p = bullet->position();
        p.y += kBulletSpeed * dt;
        bullet->setPosition(p);
        if (p.y > kBulletTop) removals.push_back(bullet);
    }
}

void Mission::takeOut(AtlasSprite* sprite) {
    for (SpriteList* list : {&allEvery, &baddies})
        std::erase_if(*list, [&](const Ref<AtlasSprite>& s) { return s.get() == sprite; });
}

SpriteList& Mission::frameRemovals() {
    removals_.clear();
    return removals_;
}

void Mission::removeAll(const SpriteList& removals) {
    for (const Ref<AtlasSprite>& sprite : removals) {
        takeOut(sprite.get());
        atlas->removeChild(sprite.get(), true); // a no-op the second time
    }
}

void Mission::explodeAt(Point at) {
    Explosion{}.showIn(this, at);
}

void Mission::setStatus(const char* format, int value) {
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    if (shipsKilled) shipsKilled->setString(text);
}

// --- endings ---

void Mission::stopPlay() {
    TouchDispatcher::sharedDispatcher().removeDelegate(this);
    auto& accelerometer = platform::Accelerometer::sharedAccelerometer();
    if (accelerometer.delegate() == this) accelerometer.setDelegate(nullptr);
    firstDude->removeTouch();
    unschedule("shoot");
    unschedule("tickSter");
    unschedule("adlk");
}

void Mission::endWith(bool won) {
    stopPlay();
    platform::RunLoop::main().performAfterDelay(Ref<Object>(this), kCleanUpDelay, [this, won] {
        if (won)
            dond();
        else
            dond2();
    });
    auto alert =
        won ? platform::AlertView::make("You Win!", rules_.winMessage, this, "Pick A New Mission")
            : platform::AlertView::make("You Got Destoyed!", "You have been destroyed.", this,
                                        "Pick A New Mission");
    alert->setTag(won ? kWonTag : kLostTag);
    alert->show();
}

SpriteList Mission::clearedByCleanUp() const {
    SpriteList all = baddies;
    all.insert(all.end(), allEvery.begin(), allEvery.end());
    return all;
}

void Mission::dond2() {
    if (rocketMain) rocketMain->setPosition(firstDude->position());
    removeAll(clearedByCleanUp());
    if (rocketMain) rocketMain->setPosition(firstDude->position());
}

void Mission::dond() {
    dond2();
    if (saved::missionWon(rules_.number))
        postBanner(std::string("Mission ") + missionName(rules_.number + 1) + " unlocked!");
}

// --- alerts and leaving ---

void Mission::startPlaying() {
    schedule(ccSelector(this, &Mission::tickSter));
}

void Mission::didDismissWithButtonIndex(platform::AlertView* alert, int buttonIndex) {
    alertAnswered(alert->tag(), buttonIndex);
}

void Mission::alertAnswered(int tag, int buttonIndex) {
    switch (tag) {
    case kLostTag:
        goToMissions();
        break;
    case kWonTag:
        dond(); // whatever is left, and the unlock again
        goToMissions();
        break;
    case kWelcomeTag:
        welcome_ = nullptr;
        if (buttonIndex == 0)
            startPlaying();
        else
            goToMissions();
        break;
    default:
        break;
    }
}

void Mission::goToMissions() {
    stopPlay();
    Director::sharedDirector().replaceScene(
        FadeTransition::transitionWithDuration(kFadeSeconds, Missions::scene().get()).get());
}

void Mission::didPressButton() {
    goToMissions();
}

void Mission::didPressDown() {
    showBackImage(backButton.get(), "back1.png");
}

void Mission::stoppedPressing() {
    showBackImage(backButton.get(), "back2.png");
}

void Mission::onEnter() {
    Scene::onEnter();
    if (Autopilot::wanted() && !pilot_) {
        pilotDrags_ = saved::controlSegment() == 1;
        pilot_ = Autopilot::fly(this);
    }
}

void Mission::onEnterTransitionDidFinish() {
    Scene::onEnterTransitionDidFinish();
    if (Autopilot::wanted() && welcome_) welcome_->dismissWithClickedButtonIndex(0, false);
}

void Mission::onExit() {
    welcome_ = nullptr; // it holds this mission while it is up
    if (pilot_) {
        pilot_->land();
        pilot_ = nullptr;
    }
    TouchDispatcher::sharedDispatcher().removeDelegate(this);
    auto& accelerometer = platform::Accelerometer::sharedAccelerometer();
    if (accelerometer.delegate() == this) accelerometer.setDelegate(nullptr);
    Scene::onExit();
}

// --- autopilot ---

PilotSight::Thing Mission::thing(AtlasSprite* sprite, Point velocity) {
    Rect box = sprite->boundingBox();
    return {Point(box.minX() + box.size.width / 2, box.minY() + box.size.height / 2), velocity,
            box.size};
}

void Mission::describe(PilotSight& sight) {
    using Controls = PilotSight::Controls;
    sight.clearThings();
    sight.controls = isJoyStick   ? Controls::Joystick
                     : isTouchMis ? (pilotDrags_ ? Controls::Drag : Controls::None)
                                  : Controls::Tilt;
    sight.field = Rect(kLeft, kLow, kRight - kLeft, kHigh - kLow);
    sight.shipActive = playing();
    sight.ship = firstDude->position();
    sight.shipSize = firstDude->boundingBox().size;
    sight.topSpeed = isJoyStick ? kJoystickReach * kJoystickSpeed : 0;
    sight.shotSpeed = kBulletSpeed;
    sight.tiltGain = Point(kTiltGainX, invert ? -rules_.tiltGainY : rules_.tiltGainY);
    sight.tiltBias = Point(0, invert ? 0 : kTiltBiasY);
    sight.dragOffset = Point(0, GarbageSprite::kRideAbove);
    sight.joystickCenter = center;
    sight.joystickReach = kJoystickReach;
    sight.fireSpot = Point(160, 300);
    for (const Ref<AtlasSprite>& enemy : baddies) {
        PilotSight::Thing t = thing(enemy.get(), Point(0, -kEnemySpeed));
        sight.threats.push_back(t);
        sight.targets.push_back(t);
    }
    describeHazards(sight);
}

#include "game/minigames/SpaceShoot.h"

#include "engine/InstantAction.h"
#include "engine/IntervalAction.h"
#include "engine/TouchDispatcher.h"
#include "game/SavedGameData.h"
#include "game/minigames/MiniGameSupport.h"
#include "game/minigames/miniGameMenu.h"
#include "platform/Random.h"
#include "platform/RunLoop.h"
#include "screens/QNNotificationManager.h"

#include <algorithm>
#include <cmath>
#include <string>

bool SpaceShoot::isPaused = false;

namespace {
constexpr const char* kFont = "Marker Felt";
constexpr float kLabelSize = 20, kMessageSize = 35;
constexpr float kEnemyBulletSpeed = 800, kPlayerBulletSpeed = 890; // points per second
constexpr float kBulletOffset = 12;                                // from the ship's centre
constexpr float kEnemySpeed = 130;                                 // points per second
constexpr float kTiltSpeed = 27;                                   // points per g per sample
constexpr float kLeftmost = 10, kRightmost = 310;
constexpr double kRoundPause = 2.5;
constexpr float kLeaveFade = 1.0f;

std::string counted(const char* what, int value) {
    return what + std::to_string(value);
}
} // namespace

Ref<Scene> SpaceShoot::scene() {
    return make<SpaceShoot>();
}

SpaceShoot::SpaceShoot() {
    isPaused = false;

    qbbutton_ = QBButtonNode::spriteWithFile("back2.png");
    qbbutton_->setPosition(Point(40, 460));
    qbbutton_->setDelegate(this);
    if (Texture2D* texture = qbbutton_->texture()) texture->setAliasTexParameters();
    addChild(qbbutton_.get(), 10);

    good_ = Label::labelWithString("Ammo: 3", kFont, kLabelSize);
    good_->setPosition(Point(280, 20));
    addChild(good_.get());

    platform::Accelerometer& accelerometer = platform::Accelerometer::sharedAccelerometer();
    accelerometer.setDelegate(this);
    accelerometer.setUpdateInterval(1.0 / 60);

    TouchDispatcher::sharedDispatcher().addTargetedDelegate(this, 0, false);

    badAmmo_ = 1;
    goodAmmo_ = 3;
    lives_ = 3;
    score_ = 0;
    scoresLabel_ = Label::labelWithString(counted("Score: ", score_), kFont, kLabelSize);
    scoresLabel_->setPosition(Point(280, 70));
    addChild(scoresLabel_.get());
    livesLabel_ = Label::labelWithString(counted("Lives: ", lives_), kFont, kLabelSize);
    livesLabel_->setPosition(Point(280, 45));
    addChild(livesLabel_.get());

    atlas_ = AtlasSpriteManager::spriteManagerWithFile("texture.png", 10);
    addChild(atlas_.get(), 10);
    firstDude_ = minigames::sheetSprite("Spaceship.png", atlas_.get());
    firstDude_->setPosition(kPlayerStart);
    SecondDude_ = minigames::sheetSprite("Spaceship.png", atlas_.get());
    SecondDude_->setPosition(kEnemyStart);
    SecondDude_->setRotation(180);
    atlas_->addChild(firstDude_.get());
    atlas_->addChild(SecondDude_.get());

    allBullets_.reserve(10);
    removal_.reserve(10);
    schedule(ccSelector(this, &SpaceShoot::tickMain));
    schedule(ccSelector(this, &SpaceShoot::trisp), 0.9f);
    schedule(ccSelector(this, &SpaceShoot::quorl), 1.9f);
    MoveMan();
}

void SpaceShoot::MoveMan() {
    if (isPaused) return;
    Point from = SecondDude_->position();
    float x = float(platform::arc4random() % 300 + 10);
    enemyGoal_ = x;
    float seconds = std::fabs(from.x - x) / kEnemySpeed;
    SecondDude_->runAction(
        Sequence::actions(
            {MoveTo::actionWithDuration(seconds, Point(x, from.y)),
             CallFunc::actionWithTarget(this, ccSelector(this, &SpaceShoot::animationDone))})
            .get());
}

void SpaceShoot::animationDone() {
    MoveMan();
}

void SpaceShoot::showAmmo() {
    good_->setString(counted("Ammo: ", goodAmmo_));
}

void SpaceShoot::quorl(float) {
    if (isPaused) return;
    ++goodAmmo_;
    ++badAmmo_;
    showAmmo();
}

void SpaceShoot::addBullet(int tag, Point at) {
    Ref<AtlasSprite> bullet = minigames::sheetSprite("bullet.png", atlas_.get());
    bullet->setTag(tag);
    bullet->setPosition(at);
    atlas_->addChild(bullet.get());
    allBullets_.push_back(bullet);
}

void SpaceShoot::trisp(float) {
    if (isPaused) return;
    if (platform::arc4random() % 10 < 5) return;
    if (badAmmo_ < 1) return;
    --badAmmo_;
    Point enemy = SecondDude_->position();
    addBullet(kEnemyBullet, Point(enemy.x, enemy.y - kBulletOffset));
}

bool SpaceShoot::ccTouchBegan(Touch*, Event*) {
    if (!canShoot_ || goodAmmo_ <= 0) return false;
    --goodAmmo_;
    Point ship = firstDude_->position();
    addBullet(kPlayerBullet, Point(ship.x, ship.y + kBulletOffset));
    showAmmo();
    return false;
}

void SpaceShoot::accelerometer(platform::Accelerometer*, const platform::Acceleration& a) {
    if (isPaused) return;
    Point p = firstDude_->position();
    p.x = std::clamp(p.x + kTiltSpeed * float(a.x), kLeftmost, kRightmost);
    firstDude_->setPosition(p);
}

void SpaceShoot::tickMain(float dt) {
    // removal_ keeps its room between frames, so that a bullet leaving
    // allocates nothing; it is emptied after use.
    for (const Ref<AtlasSprite>& bullet : allBullets_) {
        Point p = bullet->position();
        bool hit = false;
        if (bullet->tag() == kEnemyBullet) {
            p.y -= kEnemyBulletSpeed * dt;
            bullet->setPosition(p);
            if (p.y < 0) removal_.push_back(bullet.get());
            if (bullet->boundingBox().intersects(firstDude_->boundingBox())) {
                removal_.push_back(bullet.get());
                playerHit();
                hit = true;
            }
        } else if (bullet->tag() == kPlayerBullet) {
            p.y += kPlayerBulletSpeed * dt;
            bullet->setPosition(p);
            if (p.y > 480) removal_.push_back(bullet.get());
            if (bullet->boundingBox().intersects(SecondDude_->boundingBox())) {
                enemyHit();
                removal_.push_back(bullet.get());
                hit = true;
            }
        }
        // A hit ends the round: a second hit in the same frame would start a
        // second round over the first (two messages, one left for good).
        if (hit) break;
    }
    for (AtlasSprite* gone : removal_) {
        Ref<AtlasSprite> keep(gone);
        std::erase_if(allBullets_, [gone](const Ref<AtlasSprite>& b) { return b.get() == gone; });
        atlas_->removeChild(gone, true);
    }
    removal_.clear();
}

void SpaceShoot::explodeAt(AtlasSprite* ship) {
    minigames::explodeAt(this, ship->position(), 1.2f, 1);
}

void SpaceShoot::playerHit() {
    goodAmmo_ = 3;
    --lives_;
    livesLabel_->setString(counted("Lives: ", lives_));
    showAmmo();
    explodeAt(firstDude_.get());
    firstDude_->setPosition(kPlayerStart);
    unschedule("tickMain");
    firstDude_->setVisible(false);
    isPaused = true;
    if (lives_ < 1)
        showGameOverAlert();
    else
        dddi();
}

void SpaceShoot::showGameOverAlert() {
    platform::AlertView::make("Oh-No!", "You are out of lives!", this, "Back", {"Restart"})->show();
}

void SpaceShoot::enemyHit() {
    score_ += kPointsPerHit;
    scoresLabel_->setString(counted("Score: ", score_));
    explodeAt(SecondDude_.get());
    SecondDude_->setVisible(false);
    hasHitBad();
    unschedule("tickMain");
    // Its current move goes on.
    SecondDude_->setPosition(kEnemyStart);
    isPaused = true;
    firstDude_->setPosition(kPlayerStart);
}

void SpaceShoot::showMessage(const char* text) {
    labelDude_ = Label::labelWithString(text, kFont, kMessageSize);
    labelDude_->setPosition(Point(160, 240));
    addChild(labelDude_.get());
}

void SpaceShoot::dddi() {
    showMessage("You got shot. Ready?");
    Ref<SpaceShoot> self(this);
    platform::RunLoop::main().performAfterDelay(self, kRoundPause, [this] { fixed(); });
    for (const Ref<AtlasSprite>& bullet : allBullets_)
        bullet->setVisible(false);
}

void SpaceShoot::hasHitBad() {
    showMessage("Good job!");
    Ref<SpaceShoot> self(this);
    platform::RunLoop::main().performAfterDelay(self, kRoundPause, [this] { fixed2(); });
    for (const Ref<AtlasSprite>& bullet : allBullets_)
        bullet->setVisible(false);
    SecondDude_->setPosition(kEnemyStart);
}

void SpaceShoot::startRound() {
    isPaused = false;
    for (const Ref<AtlasSprite>& bullet : allBullets_)
        atlas_->removeChild(bullet.get(), true);
    allBullets_.clear();
    if (labelDude_) removeChild(labelDude_.get(), true);
    schedule(ccSelector(this, &SpaceShoot::tickMain));
}

void SpaceShoot::fixed() {
    // The call may come after the screen was left: a duel that is gone
    // must not resume the next one's (the pause is shared).
    if (!isRunning || leaving_) return;
    startRound();
    SecondDude_->setPosition(kEnemyStart);
    firstDude_->setVisible(true);
    MoveMan();
}

void SpaceShoot::fixed2() {
    if (!isRunning || leaving_) return;
    startRound();
    SecondDude_->setVisible(true);
    MoveMan();
}

void SpaceShoot::didDismissWithButtonIndex(platform::AlertView*, int buttonIndex) {
    if (buttonIndex == 0) {
        minigames::fadeTo(miniGameMenu::scene().get(), kLeaveFade);
        return;
    }
    if (buttonIndex != 1) return;
    lives_ = 3;
    livesLabel_->setString(counted("Lives: ", lives_));
    schedule(ccSelector(this, &SpaceShoot::tickMain));
    firstDude_->setVisible(true);
    isPaused = false;
    MoveMan();
}

void SpaceShoot::didPressDown() {
    minigames::showImage(qbbutton_.get(), "back1.png");
    canShoot_ = false;
}

void SpaceShoot::stoppedPressing() {
    minigames::showImage(qbbutton_.get(), "back2.png");
    canShoot_ = true;
}

void SpaceShoot::didPressButton() {
    canShoot_ = true;
    leaving_ = true;
    unschedule("tickMain");
    minigames::fadeTo(miniGameMenu::scene().get(), kLeaveFade);
}

void SpaceShoot::onEnter() {
    Scene::onEnter();
    if (Autopilot::wanted() && !pilot_) pilot_ = Autopilot::fly(this);
}

void SpaceShoot::describe(PilotSight& sight) {
    sight.clearThings();
    sight.controls = PilotSight::Controls::Tilt;
    sight.field = Rect(kLeftmost, kPlayerStart.y, kRightmost - kLeftmost, 0);
    sight.shipActive = !isPaused && firstDude_->visible();
    sight.ship = firstDude_->position();
    sight.shipSize = firstDude_->boundingBox().size;
    sight.tiltGain = Point(kTiltSpeed, 1);
    sight.tiltBias = Point(0, 0);
    sight.shotSpeed = kPlayerBulletSpeed;
    sight.fireSpot = Point(160, 240);
    sight.firesByTapping = true;
    sight.leaveButton = 0; // "Back"
    auto thing = [](AtlasSprite* sprite, Point velocity) {
        Rect box = sprite->boundingBox();
        return PilotSight::Thing{
            Point(box.minX() + box.size.width / 2, box.minY() + box.size.height / 2), velocity,
            box.size};
    };
    if (SecondDude_->visible()) {
        float heading = enemyGoal_ - SecondDude_->position().x;
        float vx = std::fabs(heading) < 1 ? 0 : std::copysign(kEnemySpeed, heading);
        sight.targets.push_back(thing(SecondDude_.get(), Point(vx, 0)));
    }
    for (const Ref<AtlasSprite>& bullet : allBullets_)
        if (bullet->tag() == kEnemyBullet && bullet->visible())
            sight.threats.push_back(thing(bullet.get(), Point(0, -kEnemyBulletSpeed)));
}

void SpaceShoot::onExit() {
    if (pilot_) pilot_->land();
    pilot_ = nullptr;
    TouchDispatcher::sharedDispatcher().removeDelegate(this);
    platform::Accelerometer& accelerometer = platform::Accelerometer::sharedAccelerometer();
    if (accelerometer.delegate() == this) accelerometer.setDelegate(nullptr);
    if (saved::saveSpaceShootBest(score_) && score_ > 0) postBanner(counted("New best: ", score_));
    Scene::onExit();
}

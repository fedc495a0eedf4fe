#include "screens/QNNotificationManager.h"

#include "engine/InstantAction.h"
#include "engine/IntervalAction.h"
#include "game/RectManager.h"
#include "render/AtlasSpriteManager.h"
#include "screens/StarboardNotification.h"

namespace {

Shared<QNNotificationManager> shared;

constexpr float kSlideIn = 0.45f, kHold = 2.3f, kSlideOut = 0.6f;

// The player's ship cut from the sprite sheet, as a node whose content is
// just the ship (so that anchoring and scaling act on the picture).
Ref<Node> shipIcon() {
    Rect frame = RectManager::sharedRectMgr().frameForSprite("Spaceship.png", "coordinates");
    if (isRectNull(frame)) return nullptr;
    Ref<AtlasSpriteManager> sheet = AtlasSpriteManager::spriteManagerWithFile("texture.png", 1);
    if (!sheet) return nullptr;
    Ref<AtlasSprite> ship = sheet->createSpriteWithRect(frame);
    ship->setPosition(Point(frame.size.width / 2, frame.size.height / 2));
    sheet->addChild(ship.get());
    sheet->setContentSize(frame.size);
    return sheet;
}

} // namespace

QNNotificationManager& QNNotificationManager::sharedMgr() { return shared.get(); }

void QNNotificationManager::purgeSharedMgr() {
    if (QNNotificationManager* mgr = shared.peek()) {
        mgr->notificationQueue_.clear();
        mgr->clearNotification();
    }
    shared.purge();
}

QNNotificationManager::QNNotificationManager() { notificationQueue_.reserve(2); }

QNNotificationManager::~QNNotificationManager() = default;

void QNNotificationManager::addNotification(Node* notification) {
    if (!notification) return;
    notificationQueue_.insert(notificationQueue_.begin(), Ref<Node>(notification));
    pumpNotifications();
}

void QNNotificationManager::pumpNotifications() {
    if (notificationOnScreen_ || notificationQueue_.empty()) return;
    notificationNode_ = std::move(notificationQueue_.back());
    notificationQueue_.pop_back();
    Node* node = notificationNode_.get();
    // Entered by hand: its actions run although it is in no scene.
    node->onEnter();
    float h = node->contentSize().height;
    node->setPosition(Point(0, -h));
    node->runAction(Sequence::actions(
                        {MoveTo::actionWithDuration(kSlideIn, Point(0, 0)),
                         DelayTime::actionWithDuration(kHold),
                         MoveBy::actionWithDuration(kSlideOut, Point(0, -h)),
                         CallFunc::actionWithTarget(
                             this, ccSelector(this, &QNNotificationManager::clearNotification))})
                        .get());
    notificationOnScreen_ = true;
}

void QNNotificationManager::clearNotification() {
    if (!notificationNode_) return;
    notificationOnScreen_ = false;
    Ref<Node> node = std::move(notificationNode_);
    node->onExit();
    // A banner cut short still has its slide running: the action manager
    // would keep it (and its textures) for ever.
    node->cleanup();
    pumpNotifications();
}

void QNNotificationManager::visit() {
    if (Ref<Node> node = notificationNode_) node->visit();
}

void postBanner(const std::string& message) {
    Ref<Node> icon = shipIcon();
    QNNotificationManager::sharedMgr().addNotification(
        StarboardNotification::notificationWithMessage(message, icon.get()).get());
}

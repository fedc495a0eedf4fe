#pragma once

#include "engine/Node.h"
#include "support/Ref.h"
#include "support/Singleton.h"

#include <string>
#include <vector>

// The in-game banner service. Banners are shown one at a time, oldest
// first: each slides up from below the bottom edge (0.45 s), stays (2.3 s)
// and slides back down (0.6 s), then the next one starts. A banner lives
// outside the scene tree, so it survives scene changes; the application
// draws it over the running scene each frame (Director's draw-after-scene
// hook calls visit()).
//
// To tell the player something from game code, one call does it:
//
//     postBanner("New best: 123");
//
// or, with a picture of your own on the left (any node, shown at 0.75):
//
//     QNNotificationManager::sharedMgr().addNotification(
//         StarboardNotification::notificationWithMessage("Mission 2 unlocked", icon).get());
class QNNotificationManager : public Object {
public:
    static QNNotificationManager& sharedMgr();
    // Drops the shared manager and what it holds (between tests).
    static void purgeSharedMgr();

    QNNotificationManager();
    ~QNNotificationManager() override;

    // Holds `notification` and queues it behind the ones already waiting.
    void addNotification(Node* notification);
    // Shows the next waiting banner, unless one is on screen.
    void pumpNotifications();
    // Ends the banner on screen at once, if any, and shows the next one.
    void clearNotification();
    // Draws the banner on screen, if any.
    void visit();

    bool notificationOnScreen() const { return notificationOnScreen_; }
    Node* notificationNode() const { return notificationNode_.get(); }
    // Waiting banners, the newest first.
    const std::vector<Ref<Node>>& notificationQueue() const { return notificationQueue_; }

private:
    bool notificationOnScreen_ = false;
    std::vector<Ref<Node>> notificationQueue_;
    Ref<Node> notificationNode_;
    SingletonGuard<QNNotificationManager> guard_;
};

// Queues a banner of `message` with the game's ship as its icon.
void postBanner(const std::string& message);

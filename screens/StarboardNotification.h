#pragma once

#include "engine/Node.h"

#include <string>

// A banner for QNNotificationManager: a tinted strip 160 × 62 points
// (anchored at its bottom-left corner), an icon on the left and the message,
// wrapped, beside it.
class StarboardNotification : public Node {
public:
    static Ref<StarboardNotification> notificationWithMessage(const std::string& message,
                                                              Node* icon);
    // `icon` may be null: the banner then has text only.
    StarboardNotification(const std::string& message, Node* icon);

    static constexpr float kTextWidth = 250, kTextHeight = 400;
};

#include "screens/StarboardNotification.h"

#include "platform/ui/Graphics.h"
#include "render/Label.h"
#include "render/Sprite.h"

#include <algorithm>

Ref<StarboardNotification> StarboardNotification::notificationWithMessage(
    const std::string& message, Node* icon) {
    return make<StarboardNotification>(message, icon);
}

StarboardNotification::StarboardNotification(const std::string& message, Node* icon) {
    setContentSize(Size(160, 62));
    setAnchorPoint(Point(0, 0));

    Ref<Sprite> background = Sprite::spriteWithFile("StarboardNotificationBackground.png");
    background->setPosition(Point(160, 0));
    addChild(background.get());
    background->setAnchorPoint(Point(0.5f, 0));
    background->setColor(ccc3(100, 142, 236));

    if (icon) {
        icon->setScale(0.75f);
        icon->setAnchorPoint(Point(0.5f, 0.5f));
        icon->setPosition(Point(29, 23));
        addChild(icon);
    }
    if (Texture2D* texture = background->texture()) texture->setAliasTexParameters();

    platform::TextStyle style;
    style.font = platform::Font{"Helvetica", 14, false};
    Size box = platform::measureText(message, style, kTextWidth);
    box.height = std::min(box.height, kTextHeight);
    Ref<Label> text = Label::labelWithString(message, box, kTextAlignmentLeft, "Helvetica", 14);
    text->setAnchorPoint(Point(0, 0.5f));
    text->setPosition(Point(57, 25));
    addChild(text.get());
}

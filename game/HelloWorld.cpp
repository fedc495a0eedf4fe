#include "game/HelloWorld.h"

#include "engine/Director.h"
#include "engine/TransitionScene.h"
#include "game/ComingSoon.h"
#include "game/GameNotifications.h"
#include "game/minigames/miniGameMenu.h"
#include "game/missions/Missions.h"
#include "game/quickplay/GameScene.h"
#include "platform/NotificationCenter.h"
#include "platform/ui/AlertView.h"
#include "render/Label.h"
#include "render/Menu.h"
#include "render/Sprite.h"
#include "screens/QNNotificationManager.h"
#include "support/PointExtensions.h"

namespace {

constexpr float kFadeSeconds = 0.5f;

void fadeTo(Scene* scene) {
    Director::sharedDirector().replaceScene(
        FadeTransition::transitionWithDuration(kFadeSeconds, scene).get());
}

void openPlatformScreen(const char* notification) {
    // A banner would otherwise play on over the platform screen.
    QNNotificationManager::sharedMgr().clearNotification();
    platform::NotificationCenter::defaultCenter().postNotificationName(notification);
}

} // namespace

Ref<Scene> HelloWorld::scene() {
    Ref<Scene> scene = Scene::node();
    scene->addChild(node().get());
    return scene;
}

Ref<HelloWorld> HelloWorld::node() { return make<HelloWorld>(); }

HelloWorld::HelloWorld() {
    Ref<Sprite> background = Sprite::spriteWithFile("stars.png");
    background->setPosition(Point(0, 0));
    background->setAnchorPoint(Point(0, 0));
    addChild(background.get(), 0);

    std::vector<Ref<Label>> labels;
    auto item = [&](const char* text, MenuSelector action) -> Ref<MenuItem> {
        Ref<Label> label = Label::labelWithString(text, "Marker Felt", 50);
        labels.push_back(label);
        return MenuItemLabel::itemWithLabel(label.get(), this, std::move(action));
    };
    // "High Scores" opens the high-score screen, which otherwise nothing on
    // the menu reaches.
    std::vector<Ref<MenuItem>> items = {
        item("Missions", ccSelector(this, &HelloWorld::missionSelector)),
        item("Quick Play", ccSelector(this, &HelloWorld::fun)),
        item("Minigames", ccSelector(this, &HelloWorld::miniGameSelector)),
        item("High Scores", ccSelector(this, &HelloWorld::High2)),
        item("Settings", ccSelector(this, &HelloWorld::settingsSelector)),
        item("Help", ccSelector(this, &HelloWorld::helpSelector)),
    };
    Ref<Menu> menu = Menu::menuWithItems(items);
    menu->alignItemsVerticallyWithPadding(2);
    menu->setPosition(ccpAdd(menu->position(), Point(0, 30)));
    addChild(menu.get());
    for (auto& label : labels) label->setColor(ccc3(1, 0, 210));
}

void HelloWorld::missionSelector(Object*) { fadeTo(Missions::scene().get()); }

void HelloWorld::fun(Object*) { fadeTo(GameScene::scene().get()); }

void HelloWorld::miniGameSelector(Object*) { fadeTo(miniGameMenu::scene().get()); }

void HelloWorld::settingsSelector(Object*) { openPlatformScreen(kSettingsNotification); }

void HelloWorld::High2(Object*) { openPlatformScreen(kHighScoresNotification); }

void HelloWorld::helpSelector(Object*) {
    platform::AlertView::make("Help", kHelpText, nullptr, "Okay!")->show();
}

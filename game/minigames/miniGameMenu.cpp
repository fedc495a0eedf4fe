#include "game/minigames/miniGameMenu.h"

#include "engine/Director.h"
#include "engine/TouchDispatcher.h"
#include "engine/TransitionScene.h"
#include "game/HelloWorld.h"
#include "game/minigames/AsteroidAvoid.h"
#include "game/minigames/MiniGameSupport.h"
#include "game/minigames/SpaceShoot.h"
#include "game/minigames/miniGame.h"
#include "render/Label.h"
#include "render/Menu.h"

namespace {
constexpr float kFadeSeconds = 0.5f;
constexpr float kSlideSeconds = 0.5f;
} // namespace

Ref<Scene> miniGameMenu::scene() {
    return make<miniGameMenu>();
}

miniGameMenu::miniGameMenu() {
    Ref<Sprite> background = Sprite::spriteWithFile("stars.png");
    background->setAnchorPoint(Point(0, 0));
    background->setPosition(Point(0, 0));
    addChild(background.get(), 0);

    TouchDispatcher::sharedDispatcher().addTargetedDelegate(this, 0, false);

    backButton_ = minigames::addBackArrow(this, Point(40, 460));

    auto label = [](const char* text) {
        Ref<Label> label = Label::labelWithString(text, "Marker Felt", 50);
        label->setColor(ccc3(1, 0, 210));
        return label;
    };
    Ref<Label> dragShip = label("DragShip");
    Ref<Label> asteroidAvoid = label("Asteroid Avoid");
    Ref<Label> spaceShoot = label("SpaceShoot");
    Ref<Menu> menu = Menu::menuWithItems({
        MenuItemLabel::itemWithLabel(asteroidAvoid.get(), this,
                                     ccSelector(this, &miniGameMenu::fun2)),
        MenuItemLabel::itemWithLabel(dragShip.get(), this, ccSelector(this, &miniGameMenu::fun)),
        MenuItemLabel::itemWithLabel(spaceShoot.get(), this, ccSelector(this, &miniGameMenu::fun3)),
    });
    menu->alignItemsVerticallyWithPadding(30);
    addChild(menu.get());
}

void miniGameMenu::fun(Object*) {
    minigames::fadeTo(miniGame::scene().get(), kFadeSeconds);
}

void miniGameMenu::fun2(Object*) {
    minigames::fadeTo(AsteroidAvoid::scene().get(), kFadeSeconds);
}

void miniGameMenu::fun3(Object*) {
    minigames::fadeTo(SpaceShoot::scene().get(), kFadeSeconds);
}

bool miniGameMenu::ccTouchBegan(Touch* touch, Event*) {
    return minigames::pressBackArrow(backButton_.get(), touch);
}

void miniGameMenu::ccTouchEnded(Touch* touch, Event*) {
    if (minigames::releaseBackArrow(backButton_.get(), touch)) goBack();
}

void miniGameMenu::ccTouchCancelled(Touch*, Event*) {
    minigames::showImage(backButton_.get(), "back1.png");
}

bool miniGameMenu::keyDown(const std::string& key) {
    if (key != "escape") return false;
    goBack();
    return true;
}

void miniGameMenu::goBack() {
    Director::sharedDirector().replaceScene(
        SlideInLTransition::transitionWithDuration(kSlideSeconds, HelloWorld::scene().get()).get());
}

void miniGameMenu::onEnter() {
    Scene::onEnter();
    platform::Keyboard::shared().addResponder(this);
}

void miniGameMenu::onExit() {
    TouchDispatcher::sharedDispatcher().removeDelegate(this);
    platform::Keyboard::shared().removeResponder(this);
    Scene::onExit();
}

#include "game/missions/Missions.h"

#include "engine/Director.h"
#include "engine/TransitionScene.h"
#include "game/HelloWorld.h"
#include "game/SavedGameData.h"
#include "game/missions/MissionOne.h"
#include "game/missions/MissionThree.h"
#include "game/missions/MissionTwo.h"
#include "platform/ui/AlertView.h"
#include "render/Label.h"
#include "render/Menu.h"
#include "render/TextureMgr.h"

#include <vector>

namespace {

constexpr float kFadeSeconds = 0.5f;

void fadeTo(Scene* scene) {
    Director::sharedDirector().replaceScene(
        FadeTransition::transitionWithDuration(kFadeSeconds, scene).get());
}

} // namespace

Ref<QBButtonNode> addBackButton(Node* screen, QBButtonDelegate* delegate) {
    Ref<QBButtonNode> button = QBButtonNode::spriteWithFile("back1.png");
    button->setPosition(Point(40, 460));
    if (Texture2D* t = button->texture()) t->setAliasTexParameters();
    screen->addChild(button.get(), 0);
    button->setDelegate(delegate);
    return button;
}

void showBackImage(QBButtonNode* button, const char* image) {
    if (Ref<Texture2D> texture = TextureMgr::sharedTextureMgr().addImage(image))
        button->setTexture(texture.get());
}

Ref<Missions> Missions::scene() {
    return make<Missions>();
}

Missions::Missions() {
    backButton = addBackButton(this, this);

    Ref<Label> one = Label::labelWithString("Mission One", "Marker Felt", 58);
    Ref<Label> two = Label::labelWithString("Mission Two", "Marker Felt", 58);
    Ref<Label> three = Label::labelWithString("Mission Three", "Marker Felt", 58);
    std::vector<Ref<MenuItem>> items = {
        MenuItemLabel::itemWithLabel(one.get(), this,
                                     ccSelector(this, &Missions::settingsSelector)),
        MenuItemLabel::itemWithLabel(two.get(), this, ccSelector(this, &Missions::helpSelector)),
        MenuItemLabel::itemWithLabel(three.get(), this, ccSelector(this, &Missions::threeMain)),
    };
    Ref<Menu> menu = Menu::menuWithItems(items);
    menu->alignItemsVerticallyWithPadding(5);
    addChild(menu.get());

    for (Label* label : {one.get(), two.get(), three.get()})
        label->setColor(ccc3(1, 0, 210));
    three->setOpacity(kLockedOpacity);
    two->setOpacity(kLockedOpacity);

    isThree = isTwo = false;
    int open = saved::openMissions();
    if (open < 2) return;
    // An existing file opens Mission Two whatever it holds.
    two->setOpacity(255);
    isTwo = true;
    if (open == 3) {
        three->setOpacity(255);
        isThree = true;
    }
}

void Missions::showLocked() {
    platform::AlertView::make("Not Unlocked",
                              "You have not unlocked this mission yet, complete the mission "
                              "before this to unlock this mission.",
                              nullptr, "Okay!")
        ->show();
}

void Missions::settingsSelector(Object*) {
    fadeTo(MissionOne::scene().get());
}

void Missions::helpSelector(Object*) {
    if (isTwo)
        fadeTo(MissionTwo::scene().get());
    else
        showLocked();
}

void Missions::threeMain(Object*) {
    if (isThree)
        fadeTo(MissionThree::scene().get());
    else
        showLocked();
}

void Missions::didPressButton() {
    fadeTo(HelloWorld::scene().get());
}

void Missions::didPressDown() {
    showBackImage(backButton.get(), "back1.png");
}

void Missions::stoppedPressing() {
    showBackImage(backButton.get(), "back2.png");
}

#pragma once

#include "engine/Scene.h"
#include "engine/TouchDelegate.h"
#include "platform/Keyboard.h"
#include "render/Sprite.h"

// The screen the three minigames start from: Asteroid Avoid, DragShip and
// SpaceShoot, and a back arrow (a plain sprite this screen hit-tests itself,
// or Escape) that slides back to the main menu.
class miniGameMenu : public Scene, public TargetedTouchDelegate, public platform::KeyResponder {
public:
    static Ref<Scene> scene();
    miniGameMenu();

    void fun(Object* sender);  // DragShip
    void fun2(Object* sender); // Asteroid Avoid
    void fun3(Object* sender); // SpaceShoot

    bool ccTouchBegan(Touch* touch, Event* event) override;
    void ccTouchEnded(Touch* touch, Event* event) override;
    void ccTouchCancelled(Touch* touch, Event* event) override;
    bool keyDown(const std::string& key) override;

    void onEnter() override;
    void onExit() override;

    Sprite* backButton() const { return backButton_.get(); }

private:
    void goBack();

    Ref<Sprite> backButton_;
};

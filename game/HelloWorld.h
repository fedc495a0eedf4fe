#pragma once

#include "engine/Layer.h"
#include "engine/Scene.h"

// The main menu, the hub every screen returns to: the star field and a
// column of items (Missions, Quick Play, Minigames, High Scores, Settings,
// Help).
class HelloWorld : public Layer {
public:
    // A scene holding a new main menu: what screens go back to, e.g.
    //   Director::sharedDirector().replaceScene(
    //       FadeTransition::transitionWithDuration(0.5f, HelloWorld::scene().get()).get());
    static Ref<Scene> scene();
    static Ref<HelloWorld> node();
    HelloWorld();

    // Menu actions; the sending item is ignored.
    void missionSelector(Object* sender);
    void fun(Object* sender);
    void miniGameSelector(Object* sender);
    void settingsSelector(Object* sender);
    void helpSelector(Object* sender);
    void High2(Object* sender);

    static constexpr const char* kHelpText =
        "Nebulark Skirmage is an advanced space shooter. On the main menu you are presented "
        "with 4 options: 'Play', 'Minigames', 'Highscores', and 'Help'. When you select Play, "
        "the Main game screen come up. To control the ship, tilt your device up and down and "
        "back and forth. To shoot, tap the screen. The point of the game is to destory all the "
        "enemy ships and the oncoming asteroids. If you get shot you lose a life, you start out "
        "with three lives. You can get extra lifes with one of the many power ups. When you "
        "shoot an asteroid or an enemy ship, you get points. To leave the main game screen, tap "
        "the big arrow in the top left. For more fun, press minigames on the main menu. This "
        "brings up two minigames: 'Asteroid Avoid', and 'DragShip'. To exit the minigame menu "
        "press the big arrow on the top left. On the main menu, you can also tap settings, which "
        "opens a view with a bunch of settings. From here you can change the accelerometer "
        "configuration, sound, and difficutly.";
};

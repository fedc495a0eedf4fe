#include "game/StartScreens.h"

#include "game/GameNotifications.h"
#include "game/HelloWorld.h"
#include "game/minigames/AsteroidAvoid.h"
#include "game/minigames/SpaceShoot.h"
#include "game/minigames/miniGame.h"
#include "game/minigames/miniGameMenu.h"
#include "game/missions/MissionOne.h"
#include "game/missions/MissionThree.h"
#include "game/missions/MissionTwo.h"
#include "game/missions/Missions.h"
#include "game/quickplay/GameScene.h"

// One line per screen.
const std::vector<StartScreen>& startScreens() {
    static const std::vector<StartScreen> screens = {
        {"menu", &HelloWorld::scene},
        {"quickplay", [] { return Ref<Scene>(GameScene::scene()); }},
        {"missions", [] { return Ref<Scene>(Missions::scene()); }},
        {"mission1", [] { return Ref<Scene>(MissionOne::scene()); }},
        {"mission2", [] { return Ref<Scene>(MissionTwo::scene()); }},
        {"mission3", [] { return Ref<Scene>(MissionThree::scene()); }},
        {"highscores", &HelloWorld::scene, kHighScoresNotification},
        {"settings", &HelloWorld::scene, kSettingsNotification},
        {"minigames", &miniGameMenu::scene},
        {"asteroidavoid", &AsteroidAvoid::scene},
        {"dragship", &miniGame::scene},
        {"spaceshoot", &SpaceShoot::scene},
    };
    return screens;
}

const StartScreen* findStartScreen(const std::string& name) {
    for (const StartScreen& s : startScreens())
        if (name == s.name) return &s;
    return nullptr;
}

std::string startScreenNames() {
    std::string names;
    for (const StartScreen& s : startScreens()) {
        if (!names.empty()) names += ", ";
        names += s.name;
    }
    return names;
}

#pragma once

#include "engine/Scene.h"

#include <string>
#include <vector>

// Screens the program can open right after start-up (--start NAME), for
// players and tests, without the splash.
struct StartScreen {
    const char* name;
    // Makes the scene to run first.
    Ref<Scene> (*make)();
    // Posted once it runs, for the platform screens (null: none).
    const char* notification = nullptr;
};

const std::vector<StartScreen>& startScreens();
// Null when there is no screen of that name.
const StartScreen* findStartScreen(const std::string& name);
// The names, comma-separated, in table order.
std::string startScreenNames();

#pragma once

#include "engine/Scene.h"

#include <string>

// A stand-in for a game screen that is not built yet: its title, a line
// saying it is coming, and the back arrow to the main menu.
Ref<Scene> comingSoonScene(const std::string& title);

#pragma once

#include "engine/Scene.h"
#include "platform/Application.h"
#include "platform/Window.h"

#include <functional>

// Runs a scene on the engine the way the game does: the window, the
// display-synchronised director, the GL view, and the lifecycle answers.
class EngineDemoDelegate : public platform::ApplicationDelegate {
public:
    explicit EngineDemoDelegate(std::function<Ref<Scene>()> makeScene)
        : makeScene_(std::move(makeScene)) {}

    void applicationDidFinishLaunching() override;
    void applicationWillResignActive() override;
    void applicationDidBecomeActive() override;
    void applicationWillTerminate() override;
    void applicationSignificantTimeChange() override;

private:
    std::function<Ref<Scene>()> makeScene_;
    Ref<platform::Window> window_;
};

// Coloured layers whose children turn and pulse under scheduled timers.
Ref<Scene> makeSpineScene();

// Squares moving under every easing, and the other interval actions.
Ref<Scene> makeActionsScene();

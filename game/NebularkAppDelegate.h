#pragma once

#include "engine/Scene.h"
#include "game/HelloWorld.h"
#include "platform/Application.h"
#include "platform/NotificationCenter.h"
#include "platform/Window.h"

#include <functional>
#include <string>

// The application: builds the window and the director at launch, shows the
// launch picture at once, runs the main menu under the splash, turns the
// platform's lifecycle events into director calls, and switches between the
// GL screens and the platform screens (settings, high scores) when they are
// asked for by name (GameNotifications.h).
class NebularkAppDelegate : public Object, public platform::ApplicationDelegate {
public:
    // `window`: the window to use; without one, launch makes it.
    explicit NebularkAppDelegate(Ref<platform::Window> window = nullptr);
    ~NebularkAppDelegate() override;

    // Runs this screen instead of the main menu and the splash.
    void setStartScreen(std::function<Ref<Scene>()> makeScene) {
        startScreen_ = std::move(makeScene);
    }

    void applicationDidFinishLaunching() override;
    void applicationWillResignActive() override;
    void applicationDidBecomeActive() override;
    void applicationDidReceiveMemoryWarning() override;
    void applicationWillTerminate() override;
    void applicationSignificantTimeChange() override;
    // For a full-screen overlay shown above the game.
    void dashboardWillAppear();
    void dashboardDidDisappear();

    // The main menu made at launch (made on first call), kept for good.
    HelloWorld* mainScene();

    // Every notification of the default center comes here.
    void trackNotifications(platform::Notification* notification);

    platform::Window* window() const { return window_.get(); }
    void setWindow(Ref<platform::Window> window) { window_ = std::move(window); }
    // True from the moment a platform screen starts to show until it starts
    // to hide.
    bool canOpenNotif() const { return canOpenNotif_; }
    void setCanOpenNotif(bool on) { canOpenNotif_ = on; }
    // False while the settings screen is up (it is opened once).
    bool canOpenNewWindow() const { return canOpenNewWindow_; }
    void setCanOpenNewWindow(bool on) { canOpenNewWindow_ = on; }
    platform::NotificationCenter* notifyCenter() const { return notifyCenter_; }

private:
    Ref<platform::Window> window_;
    bool canOpenNotif_ = false;
    bool canOpenNewWindow_ = true;
    platform::NotificationCenter* notifyCenter_ = nullptr;
    Ref<HelloWorld> mainScene_;
    std::function<Ref<Scene>()> startScreen_;
};

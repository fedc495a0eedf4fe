#pragma once

#include "engine/Scene.h"
#include "game/HelloWorld.h"
#include "game/StartScreens.h"
#include "platform/Application.h"
#include "platform/NotificationCenter.h"
#include "platform/Window.h"
#include "platform/ui/ViewController.h"
#include "screens/High.h"
#include "screens/Settings.h"

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

    // Runs this screen (one of the table's) instead of the main menu and
    // the splash.
    void setStartScreen(const StartScreen* screen) { startScreen_ = screen; }

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
    // Flips a platform screen in over the GL view, or out of it (0.5 s).
    void showUIViewController(platform::ViewController* controller);
    void hideUIViewController(platform::ViewController* controller);
    // The end of either flip.
    void animDone(const std::string& animationID, bool finished, void* context);

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
    // The high-score and settings screens while they are up.
    High* high12() const { return high12_.get(); }
    void setHigh12(Ref<High> c) { high12_ = std::move(c); }
    Settings* set() const { return set_.get(); }
    void setSet(Ref<Settings> c) { set_ = std::move(c); }

    static constexpr double kFlipSeconds = 0.5;

private:
    // Takes a screen down and lands on a new main menu.
    void leave(platform::ViewController* screen);
    // Opens a view animation turning the GL view over from the left.
    void beginFlip(const char* animationID, bool cache);

    Ref<platform::Window> window_;
    Ref<High> high12_;
    Ref<Settings> set_;
    bool canOpenNotif_ = false;
    bool canOpenNewWindow_ = true;
    platform::NotificationCenter* notifyCenter_ = nullptr;
    Ref<HelloWorld> mainScene_;
    const StartScreen* startScreen_ = nullptr;
};

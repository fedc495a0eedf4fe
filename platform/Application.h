#pragma once

#include "platform/Clock.h"
#include "platform/Options.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace platform {

class Script;
class TouchInput;

// The program's lifecycle callbacks, all on the main thread.
class ApplicationDelegate {
public:
    virtual ~ApplicationDelegate() = default;
    virtual void applicationDidFinishLaunching() {}
    // The window lost the focus, and got it back.
    virtual void applicationWillResignActive() {}
    virtual void applicationDidBecomeActive() {}
    // The window was closed or the process was asked to stop (SIGINT,
    // SIGTERM, --frames reached, a script's quit).
    virtual void applicationWillTerminate() {}
    // SIGUSR1.
    virtual void applicationDidReceiveMemoryWarning() {}
    // The wall clock jumped by more than a second against the monotonic one.
    virtual void applicationSignificantTimeChange() {}
};

// Runs the program: sets up the platform from the options, launches the
// delegate, runs the main loop until termination.
class Application {
public:
    static Application& shared();

    // Returns the process exit code.
    int run(const Options& options, ApplicationDelegate& delegate);
    // Ends the run after the delegate's applicationWillTerminate; the
    // process then exits with `exitCode`.
    void terminate(int exitCode = 0);
    bool isActive() const { return active_; }
    ApplicationDelegate* delegate() const { return delegate_; }

    // The player's own presses (a key or controller button, a click or a
    // finger going down, scripted ones too) are shown to this observer before
    // they are delivered; when it returns true the press is taken: it is not
    // delivered, nor is the rest of a taken touch. Null: none.
    void setUserInputObserver(std::function<bool()> observer);

    // Used by the event source.
    void setActive(bool active);
    // True when a press, or a touch's phase, is taken and not to be delivered.
    bool takesPress();
    bool takesTouch(int64_t finger, bool began, bool ends);
    void checkClockJump();
    void playScript(uint64_t frame);
    TouchInput* touchInput();

private:
    Application() = default;
    void frameDone(uint64_t frame);
    void writeScreenshot(const std::string& path);

    ApplicationDelegate* delegate_ = nullptr;
    bool active_ = true;
    bool terminating_ = false;
    int exitCode_ = 0;
    double startMonotonic_ = 0;
    // Real time (not the game's clock) at the start of run() and when the
    // delegate had launched; the first frame's time is printed once.
    double runStarted_ = 0, launched_ = 0;
    bool timingsShown_ = false;
    ClockJumpDetector clockJumps_;
    std::unique_ptr<Script> script_;
    std::unique_ptr<TouchInput> touchInput_;
    std::vector<std::string> pendingScreenshots_;
    std::function<bool()> userInputObserver_;
    std::set<int64_t> takenFingers_;
};

} // namespace platform

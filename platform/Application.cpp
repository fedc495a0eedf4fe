#include "platform/Application.h"

#include "platform/Accelerometer.h"
#include "platform/AppNotifications.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/NotificationCenter.h"
#include "platform/Random.h"
#include "platform/RunLoop.h"
#include "platform/Script.h"
#include "platform/TouchInput.h"
#include "platform/Window.h"
#include "platform/sdl/SdlEvents.h"
#include "platform/ui/Animator.h"
#include "support/Log.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <unistd.h>

namespace platform {

Application& Application::shared() {
    static Application app;
    return app;
}

namespace {

// Seconds of real time, whatever clock the game runs on.
double realSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
// When the program was loaded (its static objects made, before main).
const double programLoaded = realSeconds();

// Every frame of a --fixed-dt run advances this clock by exactly dt.
ManualClock fixedClock;

bool prepareDocuments(std::string& error) {
    std::string dir = documentsDirectory();
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::is_directory(dir) || ::access(dir.c_str(), W_OK) != 0) {
        error = "the Documents directory '" + dir + "' cannot be created or written";
        return false;
    }
    // A run killed while saving leaves the temporary file of that write.
    removeUnfinishedWrites(dir);
    return true;
}

} // namespace

TouchInput* Application::touchInput() {
    Window* window = Window::main();
    if (!window) return nullptr;
    if (!touchInput_ || touchInput_->root() != window)
        touchInput_ = std::make_unique<TouchInput>(window);
    return touchInput_.get();
}

int Application::run(const Options& opts, ApplicationDelegate& delegate) {
    Options resolved = opts;
    if (noDisplay()) resolved.headless = true;
    setOptions(resolved);
    if (!resolved.documents.empty()) setDocumentsDirectory(resolved.documents);
    if (!resolved.resources.empty()) setResourceDirectory(resolved.resources);

    std::string error;
    if (!prepareDocuments(error)) {
        std::fprintf(stderr, "nebulark: %s\n", error.c_str());
        return 2;
    }
    if (!resolved.script.empty()) {
        auto script = Script::load(resolved.script, error);
        if (!script) {
            std::fprintf(stderr, "nebulark: %s\n", error.c_str());
            return 2;
        }
        script_ = std::make_unique<Script>(std::move(*script));
    }

    uint32_t seed = resolved.seed ? *resolved.seed : uint32_t(std::time(nullptr));
    srandom(seed);
    seedArc4random(seed);

    RunLoop& loop = RunLoop::main();
    if (resolved.fixedDt > 0) {
        fixedClock = ManualClock(double(std::time(nullptr)));
        setClock(&fixedClock);
        loop.setVirtualClock(&fixedClock);
        loop.setRefreshPeriod(resolved.fixedDt);
    }

    SdlEventSource events;
    loop.setEventSource(&events);
    delegate_ = &delegate;
    active_ = true;
    terminating_ = false;
    exitCode_ = 0;
    startMonotonic_ = clock().monotonic();
    clockJumps_.reset(clock());

    runStarted_ = realSeconds();
    timingsShown_ = false;
    delegate.applicationDidFinishLaunching();
    launched_ = realSeconds();
    if (Window* w = Window::main())
        w->setPresentObserver([this](uint64_t frame) { frameDone(frame); });
    else if (!terminating_) {
        std::fprintf(stderr, "nebulark: no window could be opened\n");
        exitCode_ = 1;
        terminating_ = true;
    }
    if (!terminating_) loop.run();

    // A view animation still running (a screen flipping in as the window
    // closes) would keep what its completion holds, the delegate among
    // them, until the process exits, when what they use is gone.
    Animator::shared().reset();
    loop.setEventSource(nullptr);
    loop.setVirtualClock(nullptr);
    if (clock().monotonic() == fixedClock.monotonic()) setClock(nullptr);
    touchInput_.reset();
    takenFingers_.clear();
    delegate_ = nullptr;
    return exitCode_;
}

void Application::terminate(int exitCode) {
    if (terminating_) return;
    terminating_ = true;
    if (exitCode) exitCode_ = exitCode;
    if (!options().screenshot.empty()) writeScreenshot(options().screenshot);
    if (touchInput_) touchInput_->cancelAll();
    if (delegate_) delegate_->applicationWillTerminate();
    NotificationCenter::defaultCenter().postNotificationName(kApplicationWillTerminateNotification);
    RunLoop::main().stop();
}

void Application::setActive(bool active) {
    if (active == active_) return;
    active_ = active;
    auto& center = NotificationCenter::defaultCenter();
    if (active) {
        if (delegate_) delegate_->applicationDidBecomeActive();
        center.postNotificationName(kApplicationDidBecomeActiveNotification);
    } else {
        if (delegate_) delegate_->applicationWillResignActive();
        center.postNotificationName(kApplicationWillResignActiveNotification);
    }
}

void Application::setUserInputObserver(std::function<bool()> observer) {
    userInputObserver_ = std::move(observer);
}

bool Application::takesPress() {
    return userInputObserver_ && userInputObserver_();
}

bool Application::takesTouch(int64_t finger, bool began, bool ends) {
    if (began) {
        if (!takesPress()) return false;
        takenFingers_.insert(finger);
        return true;
    }
    if (!takenFingers_.count(finger)) return false;
    if (ends) takenFingers_.erase(finger);
    return true;
}

void Application::checkClockJump() {
    if (clockJumps_.check(clock()) && delegate_) delegate_->applicationSignificantTimeChange();
}

void Application::playScript(uint64_t frame) {
    if (!script_) return;
    for (const ScriptEvent& e : script_->due(frame, clock().monotonic() - startMonotonic_)) {
        TouchInput* touches = touchInput();
        Point p(e.x, e.y);
        const int64_t finger = 1000 + e.touchId;
        switch (e.kind) {
        case ScriptEvent::Kind::TouchDown:
            if (touches && !takesTouch(finger, true, false)) touches->began(finger, p);
            break;
        case ScriptEvent::Kind::TouchMove:
            if (touches && !takesTouch(finger, false, false)) touches->moved(finger, p);
            break;
        case ScriptEvent::Kind::TouchUp:
            if (touches && !takesTouch(finger, false, true)) touches->ended(finger, p);
            break;
        case ScriptEvent::Kind::TouchCancel:
            if (touches && !takesTouch(finger, false, true)) touches->cancelled(finger);
            break;
        case ScriptEvent::Kind::Tilt: {
            Acceleration a;
            a.x = e.x;
            a.y = e.y;
            a.z = e.hasZ ? e.z : -std::sqrt(std::max(0.0, 1.0 - a.x * a.x - a.y * a.y));
            Accelerometer::sharedAccelerometer().setScriptedTilt(a);
            break;
        }
        case ScriptEvent::Kind::TiltOff:
            Accelerometer::sharedAccelerometer().setScriptedTilt(std::nullopt);
            break;
        case ScriptEvent::Kind::Key:
            if (!e.keyDown || !takesPress()) SdlEventSource::handleKey(e.key, e.keyDown);
            break;
        case ScriptEvent::Kind::Screenshot:
            // The picture of the frame drawn next.
            pendingScreenshots_.push_back(e.path);
            break;
        case ScriptEvent::Kind::Quit:
            terminate();
            break;
        }
    }
}

void Application::frameDone(uint64_t frame) {
    if (options().timings && !timingsShown_) {
        // The first frame the running scene drew (the launch picture the
        // delegate may show comes before the observer is set).
        timingsShown_ = true;
        const double now = realSeconds();
        std::printf("timings: first frame %.1f ms after the program was loaded "
                    "(to run %.1f ms, launching %.1f ms, first frame %.1f ms)\n",
                    (now - programLoaded) * 1000, (runStarted_ - programLoaded) * 1000,
                    (launched_ - runStarted_) * 1000, (now - launched_) * 1000);
        std::fflush(stdout);
    }
    for (const std::string& path : std::exchange(pendingScreenshots_, {}))
        writeScreenshot(path);
    // Not from inside the frame that is being presented: at the loop's next
    // turn, after the drawing code has returned.
    if (options().frames > 0 && int64_t(frame) >= options().frames)
        RunLoop::main().performOnMainThread([this] { terminate(); }, false);
}

void Application::writeScreenshot(const std::string& path) {
    Window* window = Window::main();
    Image image = window ? window->lastFrame() : Image();
    if (image.rgba.empty()) {
        ccLog("screenshot: no frame was drawn, nothing written to %s", path.c_str());
        return;
    }
    std::error_code ec;
    auto parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    if (writePng(path, image))
        std::printf("screenshot: %s (%d x %d)\n", path.c_str(), image.width, image.height);
    else
        ccLog("screenshot: cannot write %s", path.c_str());
}

} // namespace platform

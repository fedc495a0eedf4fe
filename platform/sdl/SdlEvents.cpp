#include "platform/sdl/SdlEvents.h"

#include "platform/Accelerometer.h"
#include "platform/Application.h"
#include "platform/Keyboard.h"
#include "platform/Options.h"
#include "platform/TouchInput.h"
#include "platform/Window.h"
#include "platform/sdl/SdlWindow.h"

#include <algorithm>
#include <cctype>
#include <csignal>

namespace platform {

namespace {

volatile std::sig_atomic_t terminateSignal = 0;
volatile std::sig_atomic_t memorySignal = 0;

extern "C" void onTerminateSignal(int) {
    terminateSignal = 1;
}
extern "C" void onMemorySignal(int) {
    memorySignal = 1;
}

// The mouse is one finger; real fingers are numbered from 1.
constexpr int64_t kMouseFinger = 0;

int64_t fingerKey(SDL_TouchID device, SDL_FingerID finger) {
    return 1 + ((int64_t(device) & 0xffff) << 32) + (int64_t(finger) & 0xffffffff);
}

std::string keyName(SDL_Keycode key) {
    switch (key) {
    case SDLK_LEFT:
        return "left";
    case SDLK_RIGHT:
        return "right";
    case SDLK_UP:
        return "up";
    case SDLK_DOWN:
        return "down";
    case SDLK_F11:
        return "f11";
    case SDLK_KP_ENTER:
        return "return";
    default: {
        std::string name = SDL_GetKeyName(key);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        return name;
    }
    }
}

} // namespace

SdlEventSource::SdlEventSource() {
    std::signal(SIGINT, onTerminateSignal);
    std::signal(SIGTERM, onTerminateSignal);
    std::signal(SIGUSR1, onMemorySignal);
    wakeEvent_ = SDL_RegisterEvents(1);
    if (!options().headless && SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0) {
        for (int i = 0; i < SDL_NumJoysticks() && !controller_; ++i)
            if (SDL_IsGameController(i)) controller_ = SDL_GameControllerOpen(i);
    }
}

SdlEventSource::~SdlEventSource() {
    if (controller_) SDL_GameControllerClose(controller_);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGUSR1, SIG_DFL);
}

void SdlEventSource::handleKey(const std::string& name, bool down) {
    Accelerometer& acc = Accelerometer::sharedAccelerometer();
    if (name == "left") acc.setKeyHeld(TiltKey::Left, down);
    if (name == "right") acc.setKeyHeld(TiltKey::Right, down);
    if (name == "up") acc.setKeyHeld(TiltKey::Up, down);
    if (name == "down") acc.setKeyHeld(TiltKey::Down, down);
    if (name == "f11" && down) {
        if (Window* w = Window::main()) w->setFullscreen(!w->fullscreen());
        return;
    }
    if (down) Keyboard::shared().keyDown(name);
}

bool SdlEventSource::handleSignals() {
    bool handled = false;
    if (memorySignal) {
        memorySignal = 0;
        if (auto* d = Application::shared().delegate()) d->applicationDidReceiveMemoryWarning();
        handled = true;
    }
    if (terminateSignal) {
        terminateSignal = 0;
        Application::shared().terminate();
        handled = true;
    }
    return handled;
}

bool SdlEventSource::handle(const SDL_Event& e) {
    Window* window = Window::main();
    TouchInput* touches = Application::shared().touchInput();
    switch (e.type) {
    case SDL_QUIT:
        Application::shared().terminate();
        return true;
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) Application::shared().setActive(true);
        if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) Application::shared().setActive(false);
        if (e.window.event == SDL_WINDOWEVENT_DISPLAY_CHANGED)
            if (auto* w = dynamic_cast<SdlWindow*>(window)) w->matchSwapToDisplay();
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEMOTION: {
        if (!window || !touches) return true;
        if ((e.type == SDL_MOUSEMOTION ? e.motion.which : e.button.which) == SDL_TOUCH_MOUSEID)
            return true; // the finger events carry these touches already
        if (e.type == SDL_MOUSEMOTION) {
            touches->moved(kMouseFinger,
                           window->pointFromPixel(float(e.motion.x), float(e.motion.y)));
        } else if (e.button.button == SDL_BUTTON_LEFT) {
            Point p = window->pointFromPixel(float(e.button.x), float(e.button.y));
            if (e.type == SDL_MOUSEBUTTONDOWN)
                touches->began(kMouseFinger, p);
            else
                touches->ended(kMouseFinger, p);
        }
        return true;
    }
    case SDL_MOUSEWHEEL: {
        if (!window || !touches || e.wheel.which == SDL_TOUCH_MOUSEID) return true;
        float flip = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1.0f : 1.0f;
        Point p = window->pointFromPixel(float(e.wheel.mouseX), float(e.wheel.mouseY));
        touches->wheel(p, e.wheel.preciseX * flip, e.wheel.preciseY * flip);
        return true;
    }
    case SDL_FINGERDOWN:
    case SDL_FINGERMOTION:
    case SDL_FINGERUP: {
        if (!window || !touches) return true;
        int w = 0, h = 0;
        if (auto* sw = SDL_GetWindowFromID(e.tfinger.windowID)) SDL_GetWindowSize(sw, &w, &h);
        Point p = window->pointFromPixel(e.tfinger.x * float(w), e.tfinger.y * float(h));
        int64_t finger = fingerKey(e.tfinger.touchId, e.tfinger.fingerId);
        if (e.type == SDL_FINGERDOWN) touches->began(finger, p);
        if (e.type == SDL_FINGERMOTION) touches->moved(finger, p);
        if (e.type == SDL_FINGERUP) touches->ended(finger, p);
        return true;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (e.key.repeat) return true;
        handleKey(keyName(e.key.keysym.sym), e.type == SDL_KEYDOWN);
        return true;
    case SDL_CONTROLLERDEVICEADDED:
        if (!controller_) controller_ = SDL_GameControllerOpen(e.cdevice.which);
        if (controller_ && SDL_GameControllerHasSensor(controller_, SDL_SENSOR_ACCEL))
            SDL_GameControllerSetSensorEnabled(controller_, SDL_SENSOR_ACCEL, SDL_TRUE);
        return true;
    case SDL_CONTROLLERDEVICEREMOVED:
        if (controller_ &&
            e.cdevice.which == SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller_))) {
            SDL_GameControllerClose(controller_);
            controller_ = nullptr;
            Accelerometer::sharedAccelerometer().setControllerStick(0, 0);
            Accelerometer::sharedAccelerometer().setControllerGravity(std::nullopt);
        }
        return true;
    case SDL_CONTROLLERAXISMOTION: {
        if (!controller_) return true;
        auto axis = [&](SDL_GameControllerAxis a) {
            double v = SDL_GameControllerGetAxis(controller_, a) / 32767.0;
            return std::fabs(v) < 0.15 ? 0.0 : v; // dead zone
        };
        Accelerometer::sharedAccelerometer().setControllerStick(axis(SDL_CONTROLLER_AXIS_LEFTX),
                                                                axis(SDL_CONTROLLER_AXIS_LEFTY));
        return true;
    }
    case SDL_CONTROLLERSENSORUPDATE:
        if (e.csensor.sensor == SDL_SENSOR_ACCEL) {
            // m/s² in the controller's frame, to g in the screen's frame.
            Acceleration a;
            a.x = e.csensor.data[0] / SDL_STANDARD_GRAVITY;
            a.y = -e.csensor.data[2] / SDL_STANDARD_GRAVITY;
            a.z = -e.csensor.data[1] / SDL_STANDARD_GRAVITY;
            Accelerometer::sharedAccelerometer().setControllerGravity(a);
        }
        return true;
    default:
        return e.type == wakeEvent_;
    }
}

bool SdlEventSource::pollEvents() {
    bool handled = handleSignals();
    SDL_Event e;
    while (SDL_PollEvent(&e))
        if (handle(e)) handled = true;
    Application& app = Application::shared();
    app.checkClockJump();
    if (Window* w = Window::main()) app.playScript(w->presentedFrames());
    return handled;
}

void SdlEventSource::waitEvents(double seconds) {
    int ms = int(std::clamp(seconds * 1000.0, 0.0, 100.0));
    if (ms <= 0) return;
    SDL_WaitEventTimeout(nullptr, ms);
}

void SdlEventSource::wake() {
    SDL_Event e{};
    e.type = wakeEvent_;
    SDL_PushEvent(&e);
}

} // namespace platform

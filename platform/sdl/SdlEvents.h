#pragma once

#include "platform/RunLoop.h"

#include <SDL.h>
#include <string>

namespace platform {

// The run loop's source of outside events: the window system's queue (or
// the offscreen driver's), process signals, clock jumps and scripted input.
class SdlEventSource final : public EventSource {
public:
    SdlEventSource();
    ~SdlEventSource() override;
    bool pollEvents() override;
    void waitEvents(double seconds) override;
    void wake() override;

    // Arrow keys tilt, F11 toggles full screen. Names as in scripts.
    static void handleKey(const std::string& name, bool down);

private:
    bool handle(const SDL_Event& event);
    bool handleSignals();
    Uint32 wakeEvent_ = 0;
    SDL_GameController* controller_ = nullptr;
};

} // namespace platform

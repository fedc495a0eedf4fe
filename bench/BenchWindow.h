#pragma once

// The headless window (and GL context) a drawing benchmark runs in, made on
// first use and kept for the whole program.

#include "platform/Options.h"
#include "platform/Window.h"

inline platform::Window* benchWindow() {
    static platform::Window* w = [] {
        platform::Options o;
        o.headless = true;
        platform::setOptions(o);
        return platform::Window::create(Rect(0, 0, 320, 480)).detach();
    }();
    if (w) w->context()->makeCurrent();
    return w;
}

#pragma once

#include "platform/Window.h"
#include "platform/sdl/SdlGL.h"

#include <SDL.h>

namespace platform {

class SdlWindow final : public Window {
public:
    static Ref<Window> create(Rect frame);
    ~SdlWindow() override;

    void makeKeyAndVisible() override;
    GLContext* context() override { return context_.get(); }
    void present(View* view, const GLSurface& surface) override;
    Image lastFrame() override;
    float scale() const override;
    void setFullscreen(bool on) override;
    bool fullscreen() const override { return fullscreen_; }
    Point pointFromPixel(float x, float y) const override;

    SDL_Window* sdlWindow() const { return window_; }
    // A destroyed surface must not be read back any more.
    void forgetSurface(const GLSurface* surface);

private:
    SdlWindow(Rect frame, SDL_Window* window, void* context, float scale);
    // Where the root view lands in the drawable, in pixels (origin top-left).
    void contentRect(int drawableW, int drawableH, float& x, float& y, float& w, float& h) const;

    SDL_Window* window_;
    Ref<SdlGLContext> context_;
    float baseScale_;
    bool fullscreen_ = false;
    const GLSurface* lastSurface_ = nullptr;
};

} // namespace platform

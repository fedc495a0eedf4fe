#pragma once

#include "platform/Window.h"
#include "platform/sdl/Compositor.h"
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
    void composite() override;
    Ref<Object> snapshot(View* view) override;
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
    // Puts the GL view's last surface and the views above it on screen.
    void show();
    // Draws `texture` (a GL picture, top row last) over the drawable's
    // pixels (x0, y0)-(x1, y1), y up.
    void blit(GLuint texture, float x0, float y0, float x1, float y1, bool crisp);

    SDL_Window* window_;
    Ref<SdlGLContext> context_;
    float baseScale_;
    bool fullscreen_ = false;
    const GLSurface* lastSurface_ = nullptr;
    const View* lastSurfaceView_ = nullptr;
    std::unique_ptr<Compositor> compositor_;
    bool composedLast_ = false; // the last frame went through the compositor
};

} // namespace platform

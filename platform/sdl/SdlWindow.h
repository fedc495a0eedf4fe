#pragma once

#include "platform/Window.h"
#include "platform/sdl/Compositor.h"
#include "platform/sdl/SdlGL.h"

#include <SDL.h>

namespace platform {

// Whether presenting waits for the display's refresh (1) or not (0), for a
// display refreshing `refreshHz` times a second (0: unknown).
inline constexpr int kMinimumSyncedRefresh = 60;
int swapIntervalFor(int refreshHz, bool headless);

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
    // Turns the window when the interface turned between portrait and
    // landscape.
    void followOrientation();
    // Sets the swap interval for the display the window is on (at creation
    // and when it moves to another display).
    void matchSwapToDisplay();
    // A destroyed surface must not be read back any more.
    void forgetSurface(const GLSurface* surface);

private:
    SdlWindow(Rect frame, SDL_Window* window, void* context, float scale);
    // Where the root view lands in the drawable, in pixels (origin top-left),
    // shown for the interface `orientation`.
    void contentRect(int drawableW, int drawableH, int orientation, float& x, float& y, float& w,
                     float& h) const;
    // The size of the picture the player sees.
    Size shownSize(int orientation) const;
    // Gives the window the picture's shape.
    void fitWindowToPicture();
    Image portraitFrame();
    // Puts the GL view's last surface and the views above it on screen.
    void show();
    // Draws `texture` (a GL picture, top row last) where `rect` (window
    // points) is shown: the content at (cx, cy) drawable pixels from the
    // top-left, `k` pixels per point, in a drawable `dh` pixels high.
    void blit(GLuint texture, Rect rect, float cx, float cy, float k, int dh, bool crisp);

    SDL_Window* window_;
    Ref<SdlGLContext> context_;
    float baseScale_;
    bool fullscreen_ = false;
    const GLSurface* lastSurface_ = nullptr;
    const View* lastSurfaceView_ = nullptr;
    std::unique_ptr<Compositor> compositor_;
    bool composedLast_ = false; // the last frame went through the compositor
    int windowOrientation_ = 1; // what the window is sized for
    int shownOrientation_ = 1;  // the orientation of the last presented frame
};

} // namespace platform

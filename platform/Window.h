#pragma once

#include "platform/GL.h"
#include "platform/RunLoop.h"
#include "platform/View.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {

// An RGBA picture, rows from top to bottom.
struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
};

// Writes `image` as a PNG file; false when it cannot.
bool writePng(const std::string& path, const Image& image);

// The application's window: the root view, a frame of 320 × 480 points (or
// what it was created with), shown scaled on the desktop. It owns the main
// GL context and puts the GL view's surface on screen.
class Window : public View {
public:
    // The one window; it exists once create() has succeeded.
    static Window* main();
    // Creates the window with the platform's options (headless or not,
    // scale). Null with a log line when the window system cannot.
    static Ref<Window> create(Rect frame);
    // Stops the window system once the window is gone, so that the GL
    // driver's threads end before the process does.
    static void shutdownWindowSystem();
    ~Window() override;

    virtual void makeKeyAndVisible() = 0;
    virtual GLContext* context() = 0;

    // Shows `surface` in `view`'s place, with the views above it, and puts
    // the frame on screen.
    virtual void present(View* view, const GLSurface& surface) = 0;
    // The views changed: the window composes a new picture at the next
    // display refresh unless the GL view presents one first.
    void setNeedsComposite();
    bool needsComposite() const { return needsComposite_; }
    // Composes and shows a picture now, with the GL view's last surface.
    virtual void composite() = 0;
    // A picture of `view` and its subviews as they are now (for view
    // transitions); null when it cannot be made.
    virtual Ref<Object> snapshot(View* view) = 0;
    uint64_t presentedFrames() const { return presentedFrames_; }
    // The last presented frame as the player saw it (at the window's scale),
    // or an empty image before the first present.
    virtual Image lastFrame() = 0;

    // Integer scale of points to window pixels (fractional when resized).
    virtual float scale() const = 0;
    virtual void setFullscreen(bool on) = 0;
    virtual bool fullscreen() const = 0;

    // Turns a window pixel into a point of the root view (letterbox aware).
    virtual Point pointFromPixel(float x, float y) const = 0;

    // A modal view takes every touch while it is up: touches go to the
    // deepest view under them inside the newest modal view, or to the modal
    // view itself, never to what lies beneath. Held until endModal.
    void beginModal(View* view);
    void endModal(View* view);
    View* modalView() const;
    void endAllModals() { modal_.clear(); }
    View* hitTest(Point point) override;

    // Called after every present (frame counting, scripted screenshots).
    void setPresentObserver(std::function<void(uint64_t frame)> observer) {
        presentObserver_ = std::move(observer);
    }

protected:
    explicit Window(Rect frame);
    void didPresent();
    void didComposite() { needsComposite_ = false; }
    // Before the window goes: no more refresh calls.
    void stopRefreshing();

private:
    void refresh();

    uint64_t presentedFrames_ = 0;
    uint64_t presentedAtLastRefresh_ = 0;
    std::function<void(uint64_t)> presentObserver_;
    std::vector<Ref<View>> modal_;
    Ref<RunLoopTimer> refreshLink_;
    bool needsComposite_ = false;
};

} // namespace platform

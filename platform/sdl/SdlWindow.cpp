#include "platform/sdl/SdlWindow.h"

#include "platform/InterfaceOrientation.h"
#include "platform/Options.h"
#include "platform/System.h"
#include "platform/ui/Animator.h"
#include "support/Log.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <link.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace platform {

namespace {
Window* mainWindow = nullptr;

// The GL driver (Mesa's llvmpipe) frees a few hundred kilobytes at the top
// of the heap and takes them back at each change of texture between draws.
// With the C library's default trim threshold (128 KB) each such free went
// back to the system and the next draw faulted it in again: separate draws
// alternating four textures ran about a third slower. Up to 16 MB of free
// heap is kept instead (bench_draw_paths: sprites4, each4).
void keepFreedHeapForTheDriver() {
#if defined(__GLIBC__)
    static bool done = (mallopt(M_TRIM_THRESHOLD, 16 << 20), true);
    (void)done;
#endif
}

bool initVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
    keepFreedHeapForTheDriver();
    if (options().headless) SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    SDL_SetHint(SDL_HINT_MOUSE_TOUCH_EVENTS, "0");
    SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        ccLog("Window: cannot start the video system: %s", SDL_GetError());
        return false;
    }
    static bool quitAtExit = (std::atexit(SDL_Quit), true);
    (void)quitAtExit;
    return true;
}

// Under the leak checker, GL driver libraries must stay loaded until the
// process ends: once unloaded, the caches they keep for the whole process
// can no longer be told apart from our own leaks.
void pinDriverLibraries() {
#if defined(__SANITIZE_ADDRESS__)
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            const char* name = info->dlpi_name;
            if (name && (std::strstr(name, "_dri") || std::strstr(name, "mesa") ||
                         std::strstr(name, "LLVM") || std::strstr(name, "gallium") ||
                         std::strstr(name, "libEGL") || std::strstr(name, "libGLES")))
                dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
#endif
}

float chooseScale(Rect frame) {
    if (options().scale > 0) return options().scale;
    if (options().headless) return 1;
    SDL_Rect usable{};
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0 || frame.size.width <= 0 ||
        frame.size.height <= 0)
        return 1;
    float fit = std::min(usable.w * 0.9f / frame.size.width, usable.h * 0.9f / frame.size.height);
    return std::max(1.0f, std::floor(fit));
}

// The picture as the player sees it: turned upright in a landscape interface.
Image turnedUpright(Image portrait, int orientation) {
    if (!isLandscapeInterface(orientation)) return portrait;
    Size from(float(portrait.width), float(portrait.height));
    Image upright;
    upright.width = portrait.height;
    upright.height = portrait.width;
    upright.rgba.resize(portrait.rgba.size());
    for (int y = 0; y < upright.height; ++y)
        for (int x = 0; x < upright.width; ++x) {
            Point p = portraitPointFromUpright(Point(x + 0.5f, y + 0.5f), from, orientation);
            size_t src = (size_t(p.y) * size_t(portrait.width) + size_t(p.x)) * 4;
            size_t dst = (size_t(y) * size_t(upright.width) + size_t(x)) * 4;
            std::copy_n(portrait.rgba.begin() + long(src), 4, upright.rgba.begin() + long(dst));
        }
    return upright;
}
} // namespace

Window* Window::main() {
    return mainWindow;
}

Window::Window(Rect frame) : View(frame) {}

Window::~Window() {
    if (mainWindow == this) mainWindow = nullptr;
}

void Window::didPresent() {
    ++presentedFrames_;
    if (presentObserver_) presentObserver_(presentedFrames_);
}

Ref<Window> Window::create(Rect frame) {
    return SdlWindow::create(frame);
}

void Window::shutdownWindowSystem() {
    if (mainWindow) return; // still in use
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

Ref<Window> SdlWindow::create(Rect frame) {
    if (mainWindow) {
        ccLog("Window: the application has a window already");
        return nullptr;
    }
    if (!initVideo()) return nullptr;
    float scale = chooseScale(frame);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (!options().headless) flags |= SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
    int w = int(std::lround(frame.size.width * scale));
    int h = int(std::lround(frame.size.height * scale));
    SDL_Window* window = SDL_CreateWindow("Nebulark Skirmage", SDL_WINDOWPOS_CENTERED,
                                          SDL_WINDOWPOS_CENTERED, w, h, flags);
    if (!window) {
        ccLog("Window: cannot create the window: %s", SDL_GetError());
        return nullptr;
    }
    SDL_SetWindowMinimumSize(window, int(frame.size.width / 2), int(frame.size.height / 2));
    void* context = SDL_GL_CreateContext(window);
    if (!context) {
        ccLog("Window: cannot create an OpenGL ES 1.1 context: %s", SDL_GetError());
        SDL_DestroyWindow(window);
        return nullptr;
    }
    pinDriverLibraries();
    Ref<SdlWindow> made = Ref<SdlWindow>::adopt(new SdlWindow(frame, window, context, scale));
    if (!made->context_->makeCurrent() || !loadFramebufferFunctions()) {
        ccLog("Window: the GL driver has no framebuffer objects");
        return nullptr;
    }
    made->matchSwapToDisplay();
    mainWindow = made.get();
    made->followOrientation();
    StatusBar::setOrientationObserver([](int) {
        if (auto* w = dynamic_cast<SdlWindow*>(mainWindow)) w->followOrientation();
    });
    return made;
}

SdlWindow::SdlWindow(Rect frame, SDL_Window* window, void* context, float scale)
    : Window(frame), window_(window), context_(make<SdlGLContext>(window, context, true)),
      baseScale_(scale) {}

SdlWindow::~SdlWindow() {
    if (mainWindow == this) {
        mainWindow = nullptr;
        StatusBar::setOrientationObserver(nullptr);
    }
    stopRefreshing();
    // Views that draw with the window's context let go of it first.
    while (!subviews().empty())
        subviews().back()->removeFromSuperview();
    endAllModals();
    if (context_->makeCurrent()) compositor_.reset();
    context_ = nullptr;
    GLContext::clearCurrent();
    SDL_DestroyWindow(window_);
}

int swapIntervalFor(int refreshHz, bool headless) {
    // Frames are paced by the run loop at 60 a second. Waiting for the
    // display's refresh only avoids tearing when the display is at least as
    // fast: a slower one would slow the game down (its per-frame rules
    // with it). Headless there is no display to wait for; an unknown rate
    // is taken to be a usual one.
    if (headless) return 0;
    return refreshHz == 0 || refreshHz >= kMinimumSyncedRefresh ? 1 : 0;
}

void SdlWindow::matchSwapToDisplay() {
    SDL_DisplayMode mode{};
    int hz = SDL_GetWindowDisplayMode(window_, &mode) == 0 ? mode.refresh_rate : 0;
    SDL_GL_SetSwapInterval(swapIntervalFor(hz, options().headless));
}

void SdlWindow::makeKeyAndVisible() {
    SDL_ShowWindow(window_);
    if (options().fullscreen) setFullscreen(true);
}

Size SdlWindow::shownSize(int orientation) const {
    return uprightSize(frame().size, orientation);
}

void SdlWindow::followOrientation() {
    int now = StatusBar::orientation();
    bool turned = isLandscapeInterface(now) != isLandscapeInterface(windowOrientation_);
    windowOrientation_ = now;
    if (!turned) return;
    // Turned: the window turns with the picture (in full screen the picture
    // is letterboxed instead).
    Size s = shownSize(windowOrientation_);
    SDL_SetWindowMinimumSize(window_, int(s.width / 2), int(s.height / 2));
    if (!fullscreen_) fitWindowToPicture();
}

void SdlWindow::fitWindowToPicture() {
    // The long side stays as long as it was.
    int w = 0, h = 0;
    SDL_GetWindowSize(window_, &w, &h);
    Size s = shownSize(windowOrientation_);
    float k = float(std::max(w, h)) / std::max(s.width, s.height);
    SDL_SetWindowSize(window_, int(std::lround(s.width * k)), int(std::lround(s.height * k)));
}

float SdlWindow::scale() const {
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window_, &w, &h);
    Size s = shownSize(windowOrientation_);
    if (s.width <= 0 || s.height <= 0 || w <= 0 || h <= 0) return baseScale_;
    return std::min(w / s.width, h / s.height);
}

void SdlWindow::setFullscreen(bool on) {
    if (SDL_SetWindowFullscreen(window_, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) return;
    fullscreen_ = on;
    // The interface may have turned while in full screen.
    if (!on) fitWindowToPicture();
}

void SdlWindow::contentRect(int dw, int dh, int orientation, float& x, float& y, float& w,
                            float& h) const {
    Size s = shownSize(orientation);
    float k = std::min(dw / s.width, dh / s.height);
    // Whole multiples keep pixels crisp; the rest of the window stays black.
    if (k >= 1) k = std::floor(k + 1e-4f);
    w = s.width * k;
    h = s.height * k;
    x = std::floor((dw - w) / 2);
    y = std::floor((dh - h) / 2);
}

Point SdlWindow::pointFromPixel(float px, float py) const {
    int ww = 0, wh = 0, dw = 0, dh = 0;
    SDL_GetWindowSize(window_, &ww, &wh);
    SDL_GL_GetDrawableSize(window_, &dw, &dh);
    // Mouse positions come in window coordinates, which differ from drawable
    // pixels on high-density screens.
    if (ww > 0 && wh > 0) {
        px *= float(dw) / float(ww);
        py *= float(dh) / float(wh);
    }
    float x, y, w, h;
    contentRect(dw, dh, windowOrientation_, x, y, w, h);
    Size s = shownSize(windowOrientation_);
    Point upright((px - x) * s.width / w, (py - y) * s.height / h);
    return portraitPointFromUpright(upright, frame().size, windowOrientation_);
}

void SdlWindow::forgetSurface(const GLSurface* surface) {
    if (lastSurface_ != surface) return;
    lastSurface_ = nullptr;
    lastSurfaceView_ = nullptr;
}

namespace {

// What the frame's drawing relies on, put back after the window drew: the
// composition must be invisible to it.
class SavedGLState {
public:
    SavedGLState() {
        framebuffer_ = boundFramebuffer();
        glGetIntegerv(GL_VIEWPORT, viewport_);
        glGetIntegerv(GL_SCISSOR_BOX, scissor_);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture_);
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer_);
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envMode_);
        glGetIntegerv(GL_BLEND_SRC, &blendSrc_);
        glGetIntegerv(GL_BLEND_DST, &blendDst_);
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColor_);
        glGetFloatv(GL_CURRENT_COLOR, color_);
        for (size_t i = 0; i < std::size(kCaps); ++i)
            capOn_[i] = glIsEnabled(kCaps[i]);
        for (size_t i = 0; i < std::size(kArrays); ++i)
            arrayOn_[i] = glIsEnabled(kArrays[i]);
        for (GLenum c : kCaps)
            glDisable(c);
        for (GLenum a : kArrays)
            glDisableClientState(a);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        for (GLenum mode : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW}) {
            glMatrixMode(mode);
            glPushMatrix();
            glLoadIdentity();
        }
    }
    ~SavedGLState() {
        for (GLenum mode : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW}) {
            glMatrixMode(mode);
            glPopMatrix();
        }
        for (size_t i = 0; i < std::size(kCaps); ++i)
            capOn_[i] ? glEnable(kCaps[i]) : glDisable(kCaps[i]);
        for (size_t i = 0; i < std::size(kArrays); ++i)
            arrayOn_[i] ? glEnableClientState(kArrays[i]) : glDisableClientState(kArrays[i]);
        glColor4f(color_[0], color_[1], color_[2], color_[3]);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, envMode_);
        glBlendFunc(GLenum(blendSrc_), GLenum(blendDst_));
        glBindTexture(GL_TEXTURE_2D, GLuint(texture_));
        glBindBuffer(GL_ARRAY_BUFFER, GLuint(arrayBuffer_));
        glClearColor(clearColor_[0], clearColor_[1], clearColor_[2], clearColor_[3]);
        glScissor(scissor_[0], scissor_[1], scissor_[2], scissor_[3]);
        glViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
        bindFramebuffer(framebuffer_);
        // Not everything the drawing code's state cache keeps is saved here
        // (point sprites, the element buffer): it forgets what it knew.
        GLState::current().invalidate();
    }
    SavedGLState(const SavedGLState&) = delete;
    SavedGLState& operator=(const SavedGLState&) = delete;

private:
    static constexpr GLenum kCaps[] = {GL_TEXTURE_2D, GL_BLEND,    GL_DEPTH_TEST, GL_SCISSOR_TEST,
                                       GL_ALPHA_TEST, GL_LIGHTING, GL_CULL_FACE,  GL_FOG};
    static constexpr GLenum kArrays[] = {GL_VERTEX_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_COLOR_ARRAY,
                                         GL_NORMAL_ARRAY, GL_POINT_SIZE_ARRAY_OES};
    GLuint framebuffer_ = 0;
    GLint viewport_[4] = {}, scissor_[4] = {};
    GLint texture_ = 0, arrayBuffer_ = 0, envMode_ = 0, blendSrc_ = 0, blendDst_ = 0;
    GLfloat clearColor_[4] = {}, color_[4] = {};
    GLboolean capOn_[std::size(kCaps)] = {};
    GLboolean arrayOn_[std::size(kArrays)] = {};
};

} // namespace

void SdlWindow::present(View* view, const GLSurface& surface) {
    lastSurface_ = &surface;
    lastSurfaceView_ = view;
    shownOrientation_ = windowOrientation_;
    show();
}

void SdlWindow::composite() {
    show();
}

void SdlWindow::blit(GLuint texture, Rect rect, float cx, float cy, float k, int dh, bool crisp) {
    // The rectangle's corners in drawable pixels, GL orientation (y up), in
    // the order bottom-left, bottom-right, top-left, top-right of the
    // picture; turned as the player sees it.
    const Point corners[] = {Point(rect.minX(), rect.maxY()), Point(rect.maxX(), rect.maxY()),
                             Point(rect.minX(), rect.minY()), Point(rect.maxX(), rect.minY())};
    GLfloat vertices[8];
    for (int i = 0; i < 4; ++i) {
        Point u = uprightPointFromPortrait(corners[i], frame().size, shownOrientation_);
        vertices[2 * i] = cx + u.x * k;
        vertices[2 * i + 1] = float(dh) - (cy + u.y * k);
    }
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, crisp ? GL_NEAREST : GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, crisp ? GL_NEAREST : GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glColor4f(1, 1, 1, 1);
    const GLfloat texCoords[] = {0, 0, 1, 0, 0, 1, 1, 1};
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, vertices);
    glTexCoordPointer(2, GL_FLOAT, 0, texCoords);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

void SdlWindow::show() {
    context_->makeCurrent();
    {
        SavedGLState saved;
        int dw = 0, dh = 0;
        SDL_GL_GetDrawableSize(window_, &dw, &dh);
        float cx, cy, cw, ch;
        contentRect(dw, dh, shownOrientation_, cx, cy, cw, ch);
        float k = cw / shownSize(shownOrientation_).width;
        bool crisp = std::fabs(k - std::round(k)) < 1e-4f;
        // The window's portrait picture, in pixels.
        Size s = frame().size;
        int pw = int(std::lround(s.width * k)), ph = int(std::lround(s.height * k));

        // Without views to show, the GL picture goes straight to the screen.
        const GLSurface* picture = nullptr;
        composedLast_ = !lastSurface_ || !Compositor::showsOnlyGLView(this, lastSurfaceView_);
        if (composedLast_) {
            if (!compositor_) compositor_ = std::make_unique<Compositor>();
            picture = compositor_->compose(this, lastSurfaceView_, lastSurface_, pw, ph, k);
        }

        bindWindowFramebuffer();
        glViewport(0, 0, dw, dh);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrthof(0, float(dw), 0, float(dh), -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        if (picture) {
            blit(picture->colorBuffer(), Rect(Point(), s), cx, cy, k, dh, true);
        } else if (lastSurface_) {
            Point origin = lastSurfaceView_ ? lastSurfaceView_->originInWindow() : Point();
            Size size(float(lastSurface_->width()), float(lastSurface_->height()));
            blit(lastSurface_->colorBuffer(), Rect(origin, size), cx, cy, k, dh, crisp);
        }
        SDL_GL_SwapWindow(window_);
    }
    didComposite();
    didPresent();
    Animator::shared().deliverFinished();
}

Ref<Object> SdlWindow::snapshot(View* view) {
    if (!view || view->window() != this) return nullptr;
    context_->makeCurrent();
    SavedGLState saved;
    if (!compositor_) compositor_ = std::make_unique<Compositor>();
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(window_, &dw, &dh);
    float cx, cy, cw, ch;
    contentRect(dw, dh, shownOrientation_, cx, cy, cw, ch);
    return compositor_->snapshot(view, lastSurfaceView_, lastSurface_,
                                 cw / shownSize(shownOrientation_).width);
}

Image SdlWindow::lastFrame() {
    return turnedUpright(portraitFrame(), shownOrientation_);
}

Image SdlWindow::portraitFrame() {
    Image image;
    if (composedLast_ && compositor_ && compositor_->picture()) {
        context_->makeCurrent();
        const GLSurface* picture = compositor_->picture();
        image.width = picture->width();
        image.height = picture->height();
        image.rgba = picture->readPixels();
        for (size_t i = 3; i < image.rgba.size(); i += 4)
            image.rgba[i] = 255;
        return image;
    }
    if (!lastSurface_) return image;
    context_->makeCurrent();
    std::vector<uint8_t> pixels = lastSurface_->readPixels();
    int k = std::max(1, int(std::lround(baseScale_)));
    int sw = lastSurface_->width(), sh = lastSurface_->height();
    image.width = sw * k;
    image.height = sh * k;
    image.rgba.resize(size_t(image.width) * size_t(image.height) * 4);
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* src = pixels.data() + size_t(y / k) * size_t(sw) * 4;
        uint8_t* dst = image.rgba.data() + size_t(y) * size_t(image.width) * 4;
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = src + size_t(x / k) * 4;
            dst[x * 4 + 0] = p[0];
            dst[x * 4 + 1] = p[1];
            dst[x * 4 + 2] = p[2];
            // The surface is opaque on screen, whatever its alpha says.
            dst[x * 4 + 3] = 255;
        }
    }
    return image;
}

void forgetPresentedSurface(const GLSurface* surface) {
    if (auto* w = dynamic_cast<SdlWindow*>(Window::main())) w->forgetSurface(surface);
}

} // namespace platform

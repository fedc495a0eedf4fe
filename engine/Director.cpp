#include "engine/Director.h"

#include "engine/ActionManager.h"
#include "engine/Camera.h"
#include "engine/Scene.h"
#include "engine/Scheduler.h"
#include "engine/TouchDispatcher.h"
#include "engine/TransitionScene.h"
#include "platform/GL.h"
#include "platform/System.h"
#include "support/Error.h"
#include "support/Log.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <sstream>

namespace {

constexpr const char* kNonNil = "Argument must be non-nil";
constexpr double kPausedInterval = 0.25;

std::mutex& directorMutex() {
    static std::mutex m;
    return m;
}

Ref<Director>& sharedSlot() {
    static Ref<Director> d;
    return d;
}

std::function<Ref<Node>()>& fpsLabelFactory() {
    static std::function<Ref<Node>()> f;
    return f;
}

std::function<void()>& drawAfterSceneHook() {
    static std::function<void()> hook;
    return hook;
}

std::vector<std::function<void()>>& endHooks() {
    static std::vector<std::function<void()>> hooks;
    return hooks;
}

// "3.1.2" against "3.1", component by component, numerically.
bool versionAtLeast(const std::string& version, const std::string& minimum) {
    auto parts = [](const std::string& s) {
        std::vector<long> out;
        std::stringstream ss(s);
        std::string piece;
        while (std::getline(ss, piece, '.')) out.push_back(std::strtol(piece.c_str(), nullptr, 10));
        return out;
    };
    std::vector<long> a = parts(version), b = parts(minimum);
    size_t n = std::max(a.size(), b.size());
    a.resize(n, 0);
    b.resize(n, 0);
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return a[i] > b[i];
    return true;
}

// Sleeps on the program's clock: a virtual clock just moves on.
void sleepFor(double seconds) {
    platform::RunLoop::main().sleep(seconds);
}

void perspective(float fovyDegrees, float aspect, float zNear, float zFar) {
    float ymax = zNear * std::tan(fovyDegrees * 3.14159265f / 360.0f);
    float ymin = -ymax;
    glFrustumf(ymin * aspect, ymax * aspect, ymin, ymax, zNear, zFar);
}

} // namespace

// --- creation ---

bool Director::setDirectorType(int type) {
    std::lock_guard lock(directorMutex());
    ccAssert(!sharedSlot(),
             "A Director was alloced. setDirectorType must be the first call to Director");
    Ref<Director> made;
    switch (type) {
    case CCDirectorTypeNSTimer:
        made = make<TimerDirector>();
        break;
    case CCDirectorTypeMainLoop:
        made = make<FastDirector>();
        break;
    case CCDirectorTypeThreadMainLoop:
        made = make<ThreadedFastDirector>();
        break;
    case CCDirectorTypeDisplayLink:
        if (!versionAtLeast(platform::systemVersion(), "3.1")) return false;
        made = make<DisplayLinkDirector>();
        break;
    default:
        ccAssertionFailed("Unknown director type");
    }
    sharedSlot() = std::move(made);
    return true;
}

void Director::useFastDirector() {
    std::lock_guard lock(directorMutex());
    ccAssert(!sharedSlot(),
             "A Director was alloced. To use Fast Director this must be the first call to Director");
    sharedSlot() = make<FastDirector>();
}

Director& Director::sharedDirector() {
    std::lock_guard lock(directorMutex());
    if (!sharedSlot()) sharedSlot() = make<TimerDirector>();
    return *sharedSlot();
}

Director* Director::existingDirector() { return sharedSlot().get(); }

void Director::purgeSharedDirector() {
    Ref<Director> old;
    {
        std::lock_guard lock(directorMutex());
        old = std::move(sharedSlot());
    }
    if (old) old->stopAnimation();
}

void Director::setFPSLabelFactory(std::function<Ref<Node>()> factory) {
    fpsLabelFactory() = std::move(factory);
}

void Director::addEndHook(std::function<void()> hook) { endHooks().push_back(std::move(hook)); }

void Director::setDrawAfterSceneHook(std::function<void()> hook) {
    drawAfterSceneHook() = std::move(hook);
}

Director::Director() {
    scenesStack_.reserve(10);
    platform::clock().timeOfDay(lastUpdate);
}

Director::~Director() = default;

// --- configuration ---

void Director::setPixelFormat(int format) {
    if (isOpenGLAttached())
        ccRaise("DirectorAlreadyInitialized",
                "Can't change the pixel format after the director was initialized");
    pixelFormat_ = format;
}

void Director::setDepthBufferFormat(int format) {
    if (isOpenGLAttached())
        ccRaise("DirectorAlreadyInitialized",
                "Can't change the depth buffer format after the director was initialized");
    depthBufferFormat_ = format;
}

void Director::setDeviceOrientation(int orientation) {
    if (orientation == deviceOrientation_) return;
    deviceOrientation_ = orientation;
    switch (orientation) {
    case CCDeviceOrientationPortrait:
    case CCDeviceOrientationPortraitUpsideDown:
        platform::StatusBar::setOrientation(1, false);
        break;
    case CCDeviceOrientationLandscapeLeft:
        platform::StatusBar::setOrientation(3, false);
        break;
    case CCDeviceOrientationLandscapeRight:
        platform::StatusBar::setOrientation(4, false);
        break;
    default:
        ccLog("Director: Unknown device orientation");
    }
}

void Director::setLandscape(bool on) {
    setDeviceOrientation(on ? CCDeviceOrientationLandscapeLeft : CCDeviceOrientationPortrait);
}

void Director::setProjection(int projection) {
    Size size = displaySize();
    switch (projection) {
    case 0:
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrthof(0, size.width, 0, size.height, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        break;
    case 1:
        glViewport(0, 0, GLsizei(size.width), GLsizei(size.height));
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        perspective(60, size.width / size.height, 0.5f, 1500.0f);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        sceneView();
        break;
    default:
        break;
    }
    projection_ = projection;
}

void Director::sceneView() const {
    Size size = displaySize();
    ccLookAt(size.width / 2, size.height / 2, size.height / 1.1566f, size.width / 2,
             size.height / 2, 0, 0, 1, 0);
}

void Director::loadSceneMatrix() {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (projection_ == 1) sceneView();
    applyOrientation();
}

void Director::setAnimationInterval(double interval) { animationInterval_ = interval; }

void Director::setAlphaBlending(bool on) {
    if (on) {
        glEnable(GL_BLEND);
        platform::GLState::current().setBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_BLEND);
    }
}

void Director::setDepthTest(bool on) {
    if (on) {
        glEnable(GL_DEPTH_TEST);
        glClearDepthf(1.0f);
        glDepthFunc(GL_LEQUAL);
        glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
}

void Director::setTexture2D(bool on) {
    platform::GLState::current().setTexturing(on);
}

void Director::initGLDefaultValues() {
    ccAssert(openGLView_, "openGLView_ must be initialized");
    setAlphaBlending(true);
    setDepthTest(true);
    setProjection(1);
    glClearColor(0, 0, 0, 1);
    if (!FPSLabel_ && fpsLabelFactory()) FPSLabel_ = fpsLabelFactory()();
}

// --- view ---

bool Director::attachInView(platform::View* view) {
    return attachInView(view, view ? view->bounds() : Rect());
}

bool Director::attachInWindow(platform::View* window) { return attachInView(window); }

bool Director::attachInView(platform::View* view, Rect frame) {
    ccAssert(view != nullptr, kNonNil);
    if (isOpenGLAttached())
        ccRaise("kccException_OpenGLViewAlreadyAttached",
                "Can't re-attach the OpenGL View, because it is already attached. Detach it first.");
    if (openGLView_) {
        openGLView_->setFrame(frame);
    } else {
        auto color = pixelFormat_ == 1 ? platform::ColorFormat::RGBA8 : platform::ColorFormat::RGB565;
        auto depth = depthBufferFormat_ == 1   ? platform::DepthFormat::Depth16
                     : depthBufferFormat_ == 2 ? platform::DepthFormat::Depth24
                                               : platform::DepthFormat::None;
        openGLView_ = EAGLView::viewWithFrame(frame, color, depth, false);
        if (!openGLView_)
            ccRaise("kccException_OpenGLViewCantInit", "Could not alloc and init the OpenGL View.");
        openGLView_->setAutoresizesSurface(true);
    }
    TouchDispatcher& dispatcher = TouchDispatcher::sharedDispatcher();
    openGLView_->touchDelegate = &dispatcher;
    openGLView_->setUserInteractionEnabled(view->userInteractionEnabled());
    dispatcher.setDispatchEvents(view->userInteractionEnabled());
    openGLView_->setMultipleTouchEnabled(view->multipleTouchEnabled());
    view->addSubview(openGLView_.get());
    if (!isOpenGLAttached())
        ccRaise("kccException_OpenGLViewCantAttach", "Can't attach the OpenGL View.");
    initGLDefaultValues();
    return true;
}

bool Director::detach() {
    if (!isOpenGLAttached())
        ccRaise("kccException_OpenGLViewNotAttached",
                "Can't detach the OpenGL View, because it is not attached. Attach it first.");
    openGLView_->removeFromSuperview();
    if (isOpenGLAttached())
        ccRaise("kccException_OpenGLViewCantDetach",
                "Can't detach the OpenGL View, it is still attached to the superview.");
    return true;
}

bool Director::isOpenGLAttached() const { return openGLView_ && openGLView_->superview(); }

// --- scenes ---

void Director::runWithScene(Scene* scene) {
    ccAssert(scene != nullptr, kNonNil);
    ccAssert(!runningScene_,
             "You can't run an scene if another Scene is running. Use replaceScene or pushScene "
             "instead");
    pushScene(scene);
    startAnimation();
}

void Director::pushScene(Scene* scene) {
    ccAssert(scene != nullptr, kNonNil);
    scenesStack_.emplace_back(scene);
    nextScene_ = scene;
}

void Director::replaceScene(Scene* scene) {
    ccAssert(scene != nullptr, kNonNil);
    if (scenesStack_.empty())
        ccRaise("DirectorNoSceneToReplace", "replaceScene: the scene stack is empty");
    scenesStack_.back() = Ref<Scene>(scene);
    nextScene_ = scene;
}

void Director::popScene() {
    ccAssert(runningScene_, "A running Scene is needed");
    scenesStack_.pop_back();
    if (!scenesStack_.empty())
        nextScene_ = scenesStack_.back().get();
    else
        end();
}

bool Director::isSceneInStack(const Scene* scene) const {
    for (auto& s : scenesStack_)
        if (s.get() == scene) return true;
    return false;
}

void Director::setNextScene() {
    // A transition replaced before its hand-over by anything but its own
    // incoming scene was superseded: it hands over at once, and the scene it
    // brought in is the one being replaced.
    auto* superseded = dynamic_cast<TransitionScene*>(runningScene_.get());
    if (superseded && nextScene_ != superseded && nextScene_ != superseded->inScene()) {
        Ref<Scene> arrived(superseded->inScene());
        for (auto& scene : scenesStack_)
            if (scene == superseded) scene = arrived;
        superseded->supersede();
        runningScene_ = arrived;
        // A transition that follows turns touches on at its own hand-over.
        if (!nextScene_->isTransitionScene())
            TouchDispatcher::sharedDispatcher().setDispatchEvents(true);
    }
    bool runningIsTransition = runningScene_ && runningScene_->isTransitionScene();
    bool nextIsTransition = nextScene_->isTransitionScene();
    if (!nextIsTransition && runningScene_) runningScene_->onExit();
    Ref<Scene> previous = std::move(runningScene_);
    runningScene_ = Ref<Scene>(nextScene_);
    nextScene_ = nullptr;
    if (!runningIsTransition) {
        runningScene_->onEnter();
        runningScene_->onEnterTransitionDidFinish();
    }
    // A scene that left the stack is done with: its timers and actions
    // would otherwise keep it alive for ever. A scene a transition is still
    // drawing is the transition's to clean up when it hands over.
    if (previous && !nextIsTransition && !isSceneInStack(previous.get())) previous->cleanup();
}

void Director::end() {
    Ref<Director> keep(this);
    if (runningScene_) {
        runningScene_->onExit();
        runningScene_->cleanup();
        runningScene_ = nullptr;
    }
    nextScene_ = nullptr;
    // Scenes waiting in the stack never ran; their timers would keep them
    // alive for ever.
    for (auto& scene : scenesStack_) scene->cleanup();
    scenesStack_.clear();
    TouchDispatcher::sharedDispatcher().removeAllDelegates();
    // A transition ended midway never handed over: touches come back on for
    // whatever runs next.
    TouchDispatcher::sharedDispatcher().setDispatchEvents(true);
    stopAnimation();
    // Ending without a view (a headless test, a second end) has nothing to
    // detach.
    if (isOpenGLAttached()) detach();
    FPSLabel_ = nullptr;
    ActionManager::purgeSharedManager();
    Scheduler::purgeSharedScheduler();
    for (auto& hook : endHooks()) hook();
    openGLView_ = nullptr;
}

// --- loop ---

void Director::markLastUpdate() {
    if (!platform::clock().timeOfDay(lastUpdate)) lastUpdate = platform::TimeOfDay();
}

void Director::pause() {
    if (isPaused_) return;
    oldAnimationInterval = animationInterval_;
    setAnimationInterval(kPausedInterval);
    isPaused_ = true;
}

void Director::resume() {
    if (!isPaused_) return;
    setAnimationInterval(oldAnimationInterval);
    markLastUpdate();
    isPaused_ = false;
    dt_ = 0;
}

void Director::mainLoop() {
    // Whatever ran between frames (the window's composition, views, tests)
    // may have set GL state without the cache: start the frame from nothing
    // known. Repeating a call that changes nothing is cheap.
    platform::GLState::current().invalidate();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    platform::TimeOfDay now;
    if (!platform::clock().timeOfDay(now)) {
        dt_ = 0;
        return;
    }
    if (nextDeltaTimeZero_) {
        dt_ = 0;
        nextDeltaTimeZero_ = false;
    } else {
        dt_ = float(now.seconds - lastUpdate.seconds) +
              float(now.microseconds - lastUpdate.microseconds) / 1000000.0f;
        if (dt_ < 0) dt_ = 0;
    }
    lastUpdate = now;

    // Whatever runs below may end the director: keep it alive to the end of
    // the frame.
    Ref<Director> keep(this);
    if (!isPaused_) Scheduler::sharedScheduler().tick(dt_);
    if (nextScene_) setNextScene();

    glPushMatrix();
    applyOrientation();
    if (runningScene_) {
        Ref<Scene> scene = runningScene_;
        scene->visit();
    }
    if (drawAfterSceneHook()) drawAfterSceneHook()();
    platform::GLState::current().restoreDefaults();
    glPopMatrix();

    if (openGLView_) openGLView_->swapBuffers();
}

void Director::applyOrientation() {
    switch (deviceOrientation_) {
    case CCDeviceOrientationPortraitUpsideDown:
        glTranslatef(160, 240, 0);
        glRotatef(180, 0, 0, 1);
        glTranslatef(-160, -240, 0);
        break;
    case CCDeviceOrientationLandscapeLeft:
        glTranslatef(160, 240, 0);
        glRotatef(-90, 0, 0, 1);
        glTranslatef(-240, -160, 0);
        break;
    case CCDeviceOrientationLandscapeRight:
        glTranslatef(160, 240, 0);
        glRotatef(90, 0, 0, 1);
        glTranslatef(-240, -160, 0);
        break;
    default:
        break;
    }
}

// --- geometry ---

Size Director::displaySize() const {
    // Before a view is attached the scene still has the screen's size.
    return openGLView_ ? openGLView_->frame().size : Size(320, 480);
}

Size Director::winSize() const {
    Size s = displaySize();
    if (deviceOrientation_ == CCDeviceOrientationLandscapeLeft ||
        deviceOrientation_ == CCDeviceOrientationLandscapeRight)
        return Size(s.height, s.width);
    return s;
}

Point Director::convertToGL(Point p) const {
    Size s = displaySize();
    switch (deviceOrientation_) {
    case CCDeviceOrientationPortrait:
        return Point(p.x, s.height - p.y);
    case CCDeviceOrientationPortraitUpsideDown:
        return Point(s.width - p.x, p.y);
    case CCDeviceOrientationLandscapeLeft:
        return Point(p.y, p.x);
    case CCDeviceOrientationLandscapeRight:
        return Point(s.height - p.y, s.width - p.x);
    default:
        // Orientations outside 1..4 are not defined: treat as portrait.
        return Point(p.x, s.height - p.y);
    }
}

Point Director::convertToUI(Point p) const {
    Size s = displaySize();
    switch (deviceOrientation_) {
    case CCDeviceOrientationPortraitUpsideDown:
        return Point(s.width - p.x, p.y);
    case CCDeviceOrientationLandscapeLeft:
        return Point(p.y, p.x);
    case CCDeviceOrientationLandscapeRight:
        return Point(s.width - p.y, s.height - p.x);
    default:
        return Point(p.x, s.height - p.y);
    }
}

// --- TimerDirector ---

TimerDirector::~TimerDirector() {
    if (animationTimer) animationTimer->invalidate();
}

void TimerDirector::startAnimation() {
    ccAssert(!animationTimer, "animationTimer must be nil. Calling startAnimation twice?");
    markLastUpdate();
    animationTimer =
        platform::RunLoop::main().scheduleTimer(animationInterval_, true, [this] { mainLoop(); });
}

void TimerDirector::stopAnimation() {
    if (animationTimer) animationTimer->invalidate();
    animationTimer = nullptr;
}

void TimerDirector::setAnimationInterval(double interval) {
    animationInterval_ = interval;
    if (animationTimer) {
        stopAnimation();
        startAnimation();
    }
}

// --- FastDirector ---

void FastDirector::startAnimation() {
    markLastUpdate();
    isRunning = true;
    Ref<Director> keep(this);
    platform::RunLoop::main().performOnMainThread([keep, this] { loop(); }, false);
}

void FastDirector::stopAnimation() { isRunning = false; }

void FastDirector::loop() {
    platform::RunLoop& runLoop = platform::RunLoop::main();
    while (isRunning && !runLoop.isStopped()) {
        while (runLoop.runEventSlice(0.004) && !runLoop.isStopped()) {
        }
        if (!isRunning || runLoop.isStopped()) break;
        if (isPaused_) sleepFor(kPausedInterval);
        mainLoop();
        while (runLoop.runEventSlice(0.004) && !runLoop.isStopped()) {
        }
    }
}

// --- ThreadedFastDirector ---

ThreadedFastDirector::~ThreadedFastDirector() { cancelThread(); }

void ThreadedFastDirector::startAnimation() {
    markLastUpdate();
    isRunning = true;
    if (thread_.joinable()) return;
    cancelled_ = false;
    finished_ = false;
    thread_ = std::thread([this] { threadLoop(); });
}

void ThreadedFastDirector::stopAnimation() { isRunning = false; }

void ThreadedFastDirector::setAnimationInterval(double) {
    ccLog("FastDirectory doesn't support setAnimationInterval, yet");
}

void ThreadedFastDirector::threadLoop() {
    platform::RunLoop& runLoop = platform::RunLoop::main();
    while (!cancelled_) {
        if (isRunning) {
            runLoop.performOnMainThread(
                [this] {
                    if (!cancelled_) mainLoop();
                },
                true);
            if (isPaused_) std::this_thread::sleep_for(std::chrono::milliseconds(650));
        } else {
            // Stopped: nothing to draw, but the thread lives on until it is
            // cancelled.
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    finished_ = true;
}

void ThreadedFastDirector::cancelThread() {
    if (!thread_.joinable()) return;
    cancelled_ = true;
    // The thread may be waiting for the main thread to run a frame.
    platform::RunLoop& runLoop = platform::RunLoop::main();
    while (!finished_) runLoop.runPosted();
    thread_.join();
}

// --- DisplayLinkDirector ---

DisplayLinkDirector::~DisplayLinkDirector() {
    if (displayLink) displayLink->invalidate();
}

void DisplayLinkDirector::startAnimation() {
    markLastUpdate();
    int frameInterval = int(std::floor(animationInterval_ * 60 + 1e-9));
    displayLink = platform::RunLoop::main().addDisplayLink(frameInterval, [this] { mainLoop(); });
}

void DisplayLinkDirector::stopAnimation() {
    if (displayLink) displayLink->invalidate();
    displayLink = nullptr;
}

void DisplayLinkDirector::setAnimationInterval(double interval) {
    animationInterval_ = interval;
    if (displayLink) {
        stopAnimation();
        startAnimation();
    }
}

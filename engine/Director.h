#pragma once

#include "engine/EAGLView.h"
#include "engine/Node.h"
#include "platform/Clock.h"
#include "platform/RunLoop.h"
#include "support/Singleton.h"

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

class Scene;

enum DirectorType {
    CCDirectorTypeNSTimer = 0,
    CCDirectorTypeMainLoop = 1,
    CCDirectorTypeThreadMainLoop = 2,
    CCDirectorTypeDisplayLink = 3,
};

enum ccDeviceOrientation {
    CCDeviceOrientationPortrait = 1,
    CCDeviceOrientationPortraitUpsideDown = 2,
    CCDeviceOrientationLandscapeLeft = 3,
    CCDeviceOrientationLandscapeRight = 4,
};

// Owns the GL view, the scene stack and the main loop. Each frame clears
// the surface, measures dt, ticks the scheduler, switches to a pending scene,
// applies the device orientation, visits the running scene and presents.
// The variants differ only in what drives mainLoop.
class Director : public Object {
public:
    // Must come before anything else asks for the director. Type 3 needs a
    // system version of at least 3.1: otherwise false and nothing is made.
    static bool setDirectorType(int type);
    static void useFastDirector();
    // The shared director; a TimerDirector unless a type was set.
    static Director& sharedDirector();
    // The shared director if one exists.
    static Director* existingDirector();
    // Forgets the shared director so that a new type can be chosen (tests).
    static void purgeSharedDirector();

    // Made by render/ so the engine needs no label class of its own.
    static void setFPSLabelFactory(std::function<Ref<Node>()> factory);
    // Called by end() after the scheduler and action manager are released,
    // to release caches kept by other libraries (the texture cache).
    static void addEndHook(std::function<void()> hook);
    // Draws something that lives outside the scene tree (an in-game banner)
    // over the running scene, every frame, in scene coordinates. One hook;
    // a new one replaces the old, null removes it.
    static void setDrawAfterSceneHook(std::function<void()> hook);

    ~Director() override;

    // --- configuration ---
    int pixelFormat() const { return pixelFormat_; }
    void setPixelFormat(int format);
    int depthBufferFormat() const { return depthBufferFormat_; }
    void setDepthBufferFormat(int format);
    int deviceOrientation() const { return deviceOrientation_; }
    void setDeviceOrientation(int orientation);
    bool landscape() const { return deviceOrientation_ == CCDeviceOrientationLandscapeLeft; }
    void setLandscape(bool on);
    int projection() const { return projection_; }
    void setProjection(int projection);
    void set2Dprojection() { setProjection(0); }
    void set3Dprojection() { setProjection(1); }
    void setDefaultProjection() { setProjection(1); }
    double animationInterval() const { return animationInterval_; }
    virtual void setAnimationInterval(double interval);
    bool displayFPS() const { return displayFPS_; }
    void setDisplayFPS(bool on) { displayFPS_ = on; }
    void setNextDeltaTimeZero(bool on) { nextDeltaTimeZero_ = on; }
    bool nextDeltaTimeZero() const { return nextDeltaTimeZero_; }
    // Loads the model-view matrix the running scene is drawn under (the 3D
    // projection's view and the device orientation): what draws in scene
    // space from within the tree (grid effects) starts from it.
    void loadSceneMatrix();
    void setAlphaBlending(bool on);
    void setDepthTest(bool on);
    void setTexture2D(bool on);

    // --- view ---
    bool attachInView(platform::View* view);
    bool attachInWindow(platform::View* window);
    bool attachInView(platform::View* view, Rect frame);
    bool detach();
    bool isOpenGLAttached() const;
    EAGLView* openGLView() const { return openGLView_.get(); }
    Node* FPSLabel() const { return FPSLabel_.get(); }

    // --- scenes ---
    void runWithScene(Scene* scene);
    void replaceScene(Scene* scene);
    void pushScene(Scene* scene);
    void popScene();
    void end();
    Scene* runningScene() const { return runningScene_.get(); }
    Scene* nextScene() const { return nextScene_; }
    size_t sceneCount() const { return scenesStack_.size(); }
    bool isSceneInStack(const Scene* scene) const;

    // --- loop ---
    virtual void startAnimation() = 0;
    virtual void stopAnimation() = 0;
    void pause();
    void resume();
    bool isPaused() const { return isPaused_; }
    void mainLoop();
    float dt() const { return dt_; }

    // --- geometry ---
    Size winSize() const;
    Size displaySize() const;
    Point convertToGL(Point viewPoint) const;
    Point convertCoordinate(Point viewPoint) const { return convertToGL(viewPoint); }
    Point convertToUI(Point glPoint) const;

protected:
    Director();
    void initGLDefaultValues();
    void applyOrientation();
    // The 3D projection's look-at.
    void sceneView() const;
    void setNextScene();
    void markLastUpdate();

    Ref<EAGLView> openGLView_;
    double animationInterval_ = 1.0 / 60;
    double oldAnimationInterval = 1.0 / 60;
    int pixelFormat_ = 1;
    int depthBufferFormat_ = 0;
    bool landscape_ = false;
    int deviceOrientation_ = CCDeviceOrientationPortrait;
    bool displayFPS_ = false;
    int frames = 0;
    float accumDt = 0;
    float frameRate = 0;
    Ref<Node> FPSLabel_;
    std::atomic<bool> isPaused_{false};
    Ref<Scene> runningScene_;
    Scene* nextScene_ = nullptr;
    std::vector<Ref<Scene>> scenesStack_;
    platform::TimeOfDay lastUpdate;
    float dt_ = 0;
    bool nextDeltaTimeZero_ = false;
    int projection_ = 0;

private:
    SingletonGuard<Director> guard_;
};

// Frames from a repeating run-loop timer.
class TimerDirector : public Director {
public:
    TimerDirector() = default;
    ~TimerDirector() override;
    void startAnimation() override;
    void stopAnimation() override;
    void setAnimationInterval(double interval) override;

private:
    Ref<platform::RunLoopTimer> animationTimer;
};

// Frames as fast as the main thread can draw them, with short slices of
// event handling in between.
class FastDirector : public Director {
public:
    FastDirector() = default;
    void startAnimation() override;
    void stopAnimation() override;
    void setAnimationInterval(double) override {}

private:
    void loop();
    bool isRunning = false;
};

// A helper thread asks the main thread for each frame and waits for it.
class ThreadedFastDirector : public Director {
public:
    ThreadedFastDirector() = default;
    ~ThreadedFastDirector() override;
    void startAnimation() override;
    void stopAnimation() override;
    void setAnimationInterval(double interval) override;

private:
    void threadLoop();
    void cancelThread();
    std::atomic<bool> isRunning{false};
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> finished_{true};
    std::thread thread_;
};

// Frames on the display's refresh, every floor(interval × 60) refreshes.
class DisplayLinkDirector : public Director {
public:
    DisplayLinkDirector() = default;
    ~DisplayLinkDirector() override;
    void startAnimation() override;
    void stopAnimation() override;
    void setAnimationInterval(double interval) override;

private:
    Ref<platform::RunLoopTimer> displayLink;
};

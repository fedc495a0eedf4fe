#pragma once

#include "engine/Director.h"
#include "platform/Files.h"
#include "platform/Random.h"
#include "platform/RunLoop.h"
#include "platform/TouchInput.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Animator.h"
#include "render/Sprite.h"
#include "render/TextureMgr.h"
#include "screens/QNNotificationManager.h"
#include "tests/engine/EngineTestSupport.h"

#include <string>

namespace test {

// A minigame screen running on the director in the headless window, with
// fresh saved data and seeded random sources.
class MiniGameTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        platform::setDocumentsDirectory(documents_.path().string());
        platform::srandom(7);
        platform::seedArc4random(7);
        attach();
    }
    void TearDown() override {
        platform::AlertView::resetAll();
        platform::Animator::shared().reset();
        EngineTest::TearDown();
        QNNotificationManager::purgeSharedMgr();
        TextureMgr::purgeSharedTextureMgr();
        platform::setDocumentsDirectory("");
    }

    Director& director() { return Director::sharedDirector(); }
    template <class T>
    T* start(Ref<Scene> scene) {
        director().runWithScene(scene.get());
        step();
        return dynamic_cast<T*>(director().runningScene());
    }
    template <class T>
    T* running() {
        return dynamic_cast<T*>(director().runningScene());
    }
    // One frame of `dt` seconds, drawn and presented.
    void step(double dt = 1.0 / 60) {
        clock_.advance(dt);
        director().mainLoop();
    }
    // The run loop for `seconds`: frames, timers, delayed calls.
    void runFor(double seconds) {
        double end = clock_.monotonic() + seconds;
        while (clock_.monotonic() < end - 1e-9)
            platform::RunLoop::main().runEventSlice(end - clock_.monotonic());
    }

    // Fingers on the window, in window points (the portrait root view's).
    void down(Point p, int64_t finger = 1) { input_.began(finger, p); }
    void move(Point p, int64_t finger = 1) { input_.moved(finger, p); }
    void up(Point p, int64_t finger = 1) { input_.ended(finger, p); }
    // A tap at a point of a portrait scene (origin bottom-left).
    void tap(Point scene) {
        Point p(scene.x, 480 - scene.y);
        down(p);
        up(p);
    }

    std::string saved(const std::string& file) { return readText(documents_.file(file)); }
    bool savedExists(const std::string& file) {
        return platform::fileExists(documents_.file(file));
    }

    TempDir documents_;
    platform::TouchInput input_{sharedWindow()};
};

// True when `sprite` shows the cached picture `image`.
inline bool shows(Sprite* sprite, const char* image) {
    Ref<Texture2D> texture = TextureMgr::sharedTextureMgr().textureForKey(image);
    return texture && sprite->texture() == texture.get();
}

} // namespace test

#pragma once

#include "game/GarbageSprite.h"
#include "game/SavedGameData.h"
#include "game/ScreenFlags.h"
#include "game/quickplay/GameScene.h"
#include "platform/Files.h"
#include "platform/Random.h"
#include "platform/TouchInput.h"
#include "render/TextureMgr.h"
#include "screens/QNNotificationManager.h"
#include "tests/engine/EngineTestSupport.h"

namespace test {

// A Quick Play screen on a fresh engine with its own Documents directory.
// The screen is entered by hand and its frames are called directly, so a
// test sets up exactly the situation it means; delayed calls come from
// running the loop.
class QuickPlayTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        platform::setDocumentsDirectory(docs.path().string());
        sharedWindow()->setMultipleTouchEnabled(true); // as the game's window is
        attach();
        platform::srandom(7);
        hasDied = false;
        isJoyStick = isTouch = false;
        offset = 0;
        canPowerUp = true;
    }
    void TearDown() override {
        if (scene) {
            if (entered) scene->onExit();
            scene->cleanup();
            scene = nullptr;
        }
        platform::AlertView::resetAll();
        QNNotificationManager::purgeSharedMgr();
        TextureMgr::purgeSharedTextureMgr();
        platform::setDocumentsDirectory("");
        sharedWindow()->setMultipleTouchEnabled(false);
        EngineTest::TearDown();
    }

    GameScene* start() {
        scene = GameScene::node();
        scene->onEnter();
        entered = true;
        return scene.get();
    }
    void leave() {
        scene->onExit();
        entered = false;
    }
    // Runs the loop (delayed calls, timers) for `seconds`.
    void runFor(double seconds) {
        double end = clock_.monotonic() + seconds;
        while (clock_.monotonic() < end - 1e-9)
            platform::RunLoop::main().runEventSlice(end - clock_.monotonic());
    }
    // Touches in scene points (the window's y runs down).
    static Point window(Point scenePoint) { return Point(scenePoint.x, 480 - scenePoint.y); }
    void touchDown(int finger, Point at) { input.began(finger, window(at)); }
    void touchMove(int finger, Point at) { input.moved(finger, window(at)); }
    void touchUp(int finger, Point at) { input.ended(finger, window(at)); }

    Point shipAt() const { return scene->firstDude()->position(); }
    Rect shipBox() const { return scene->firstDude()->boundingBox(); }

    TempDir docs;
    Ref<GameScene> scene;
    bool entered = false;
    platform::TouchInput input{sharedWindow()};
};

} // namespace test

#pragma once

#include "game/GarbageSprite.h"
#include "game/SavedGameData.h"
#include "game/ScreenFlags.h"
#include "game/quickplay/GameScene.h"
#include "platform/Files.h"
#include "platform/Random.h"
#include "platform/TouchInput.h"
#include "tests/game/AppTestSupport.h"

namespace test {

// A Quick Play screen beside the application (not launched), with its own
// Documents directory.
// The screen is entered by hand and its frames are called directly, so a
// test sets up exactly the situation it means; delayed calls come from
// running the loop.
class QuickPlayTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
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
        platform::setDocumentsDirectory("");
        sharedWindow()->setMultipleTouchEnabled(false);
        AppTest::TearDown();
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
    // Touches in scene points (the window's y runs down).
    static Point window(Point scenePoint) { return Point(scenePoint.x, 480 - scenePoint.y); }
    void touchDown(int finger, Point at) { input.began(finger, window(at)); }
    void touchMove(int finger, Point at) { input.moved(finger, window(at)); }
    void touchUp(int finger, Point at) { input.ended(finger, window(at)); }

    Point shipAt() const { return scene->firstDude()->position(); }

    TempDir docs;
    Ref<GameScene> scene;
    bool entered = false;
    platform::TouchInput input{sharedWindow()};
};

} // namespace test

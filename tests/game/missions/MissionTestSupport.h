#pragma once

#include "engine/Director.h"
#include "game/GarbageSprite.h"
#include "game/NebularkAppDelegate.h"
#include "game/RectManager.h"
#include "game/SavedGameData.h"
#include "game/StartScreens.h"
#include "game/missions/MissionOne.h"
#include "game/missions/MissionThree.h"
#include "game/missions/MissionTwo.h"
#include "game/missions/Missions.h"
#include "platform/Files.h"
#include "platform/Random.h"
#include "platform/TouchInput.h"
#include "platform/ui/AlertView.h"
#include "render/AtlasSpriteManager.h"
#include "render/BitmapFontAtlas.h"
#include "render/Label.h"
#include "render/Menu.h"
#include "render/ParticleExamples.h"
#include "render/TextureMgr.h"
#include "screens/QNNotificationManager.h"
#include "tests/game/AppTestSupport.h"

#include <string>

namespace missiontest {

// The game launched on one screen, on a manual clock, with saved data in a
// fresh directory and both random sources seeded.
class MissionTest : public test::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        platform::setDocumentsDirectory(docs_.path().string());
        platform::srandom(7);
        platform::seedArc4random(7);
        MissionOne::hi = false;
    }
    void TearDown() override {
        AppTest::TearDown();
        platform::setDocumentsDirectory("");
    }

    // Launches the game on `S` and runs its first frame.
    template <class S>
    S* launch() {
        static const StartScreen start{"test", [] { return Ref<Scene>(S::scene()); }};
        app->setStartScreen(&start);
        app->applicationDidFinishLaunching();
        runFor(1.0 / 60);
        return screen<S>();
    }
    // The running screen if it is an `S`.
    template <class S>
    S* screen() {
        return dynamic_cast<S*>(Director::sharedDirector().runningScene());
    }
    static platform::AlertView* alert() { return platform::AlertView::visibleAlert(); }
    static void answer(int buttonIndex) {
        ASSERT_NE(alert(), nullptr);
        alert()->dismissWithClickedButtonIndex(buttonIndex, false);
    }

    // Fingers on the window, at scene points (origin bottom-left).
    void touchDown(int finger, Point p) { input_.began(finger, Point(p.x, 480 - p.y)); }
    void touchMove(int finger, Point p) { input_.moved(finger, Point(p.x, 480 - p.y)); }
    void touchUp(int finger, Point p) { input_.ended(finger, Point(p.x, 480 - p.y)); }

    // A sprite of the sheet in the mission's batch, not in any list.
    static Ref<AtlasSprite> sprite(Mission* m, const char* name, Point at) {
        Ref<AtlasSprite> s = AtlasSprite::spriteWithRect(
            RectManager::sharedRectMgr().frameForSprite(name, "coordinates"), m->atlas.get());
        s->setPosition(at);
        m->atlas->addChild(s.get());
        return s;
    }
    static Ref<AtlasSprite> enemy(Mission* m, Point at) {
        Ref<AtlasSprite> e = sprite(m, "ship-bad.png", at);
        m->baddies.push_back(e);
        return e;
    }
    static Ref<AtlasSprite> bullet(Mission* m, Point at) {
        Ref<AtlasSprite> b = sprite(m, "bullet.png", at);
        m->allEvery.push_back(b);
        return b;
    }

    // The selection screen's entry `index` (0 to 2).
    static MenuItemLabel* entry(Missions* screen, size_t index) {
        for (const Ref<Node>& child : screen->children())
            if (auto* menu = dynamic_cast<Menu*>(child.get()))
                return dynamic_cast<MenuItemLabel*>(menu->children().at(index).get());
        return nullptr;
    }

    // The text of the banner on screen, if any.
    static std::string bannerText() {
        Node* banner = QNNotificationManager::sharedMgr().notificationNode();
        return banner ? labelText(banner) : std::string();
    }
    static std::string labelText(Node* node) {
        if (auto* label = dynamic_cast<Label*>(node)) return label->string();
        for (const Ref<Node>& child : node->children())
            if (std::string text = labelText(child.get()); !text.empty()) return text;
        return {};
    }

    test::TempDir docs_;
    platform::TouchInput input_{test::sharedWindow()};
};

} // namespace missiontest

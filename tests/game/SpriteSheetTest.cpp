#include "engine/ActionManager.h"
#include "engine/Director.h"
#include "engine/Scheduler.h"
#include "engine/TouchDispatcher.h"
#include "game/GarbageSprite.h"
#include "game/RectManager.h"
#include "game/SavedGameData.h"
#include "platform/Files.h"
#include "render/AtlasSpriteManager.h"
#include "render/TextureMgr.h"
#include "tests/common/TestSupport.h"

#include <climits>
#include <cmath>
#include <limits>

namespace {

std::string frameEntry(const std::string& name, const std::string& body) {
    return "<key>" + name + "</key><dict>" + body + "</dict>";
}

std::string plist(const std::string& dictBody) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>" + dictBody +
           "</dict></plist>";
}

} // namespace

TEST(RectManager, ReadsBothSizeSpellingsWithOrWithoutAFramesKey) {
    test::TempDir dir;
    std::string entries =
        frameEntry("short.png", "<key>x</key><integer>1</integer><key>y</key><string>2</string>"
                                "<key>w</key><integer>3</integer><key>h</key><integer>4</integer>") +
        frameEntry("long.png", "<key>x</key><integer>1</integer><key>y</key><integer>2</integer>"
                               "<key>width</key><integer>3</integer><key>height</key>"
                               "<integer>4</integer>") +
        frameEntry("both.png", "<key>x</key><integer>1</integer><key>y</key><integer>2</integer>"
                               "<key>w</key><integer>3</integer><key>width</key><integer>30</integer>"
                               "<key>h</key><integer>4</integer>") +
        frameEntry("partial.png", "<key>x</key><integer>1</integer><key>y</key><integer>2</integer>"
                                  "<key>w</key><integer>3</integer>");
    test::writeText(dir.file("framed.plist"), plist("<key>frames</key><dict>" + entries + "</dict>"));
    test::writeText(dir.file("bare.plist"), plist(entries));

    RectManager& m = RectManager::sharedRectMgr();
    for (const char* atlas : {"framed", "bare"}) {
        m.loadFramesForAtlasNamed(atlas, dir.file(std::string(atlas) + ".plist"));
        EXPECT_EQ(m.frameForSprite("short.png", atlas), Rect(1, 2, 3, 4)) << atlas;
        EXPECT_EQ(m.frameForSprite("long.png", atlas), Rect(1, 2, 3, 4)) << atlas;
        EXPECT_EQ(m.frameForSprite("both.png", atlas), Rect(1, 2, 3, 4)) << atlas;
        EXPECT_TRUE(isRectNull(m.frameForSprite("partial.png", atlas))) << atlas;
        EXPECT_TRUE(isRectNull(m.frameForSprite("absent.png", atlas))) << atlas;
    }
    EXPECT_TRUE(isRectNull(m.frameForSprite("short.png", "no-such-atlas")));
}

TEST(RectManager, NumbersOutsideTheIntegerRangeSaturateAndNaNIsMissing) {
    struct Case {
        const char* value;
        float expected; // NaN: the entry is unusable
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {"<real>7.9</real>", 7},
        {"<real>-7.9</real>", -7},
        {"<real>nan</real>", nan},
        {"<real>+infinity</real>", float(INT_MAX)},
        {"<real>-1e300</real>", float(INT_MIN)},
        {"<integer>9223372036854775807</integer>", float(INT_MAX)},
        {"<integer>-9223372036854775808</integer>", float(INT_MIN)},
        {"<string>99999999999999999999</string>", float(INT_MAX)},
    };
    test::TempDir dir;
    std::string entries;
    for (size_t i = 0; i < std::size(cases); ++i)
        entries += frameEntry(std::to_string(i),
                              "<key>x</key>" + std::string(cases[i].value) +
                                  "<key>y</key><integer>2</integer><key>w</key>"
                                  "<integer>3</integer><key>h</key><integer>4</integer>");
    test::writeText(dir.file("odd.plist"), plist(entries));
    RectManager& m = RectManager::sharedRectMgr();
    m.loadFramesForAtlasNamed("odd", dir.file("odd.plist"));
    for (size_t i = 0; i < std::size(cases); ++i) {
        Rect r = m.frameForSprite(std::to_string(i), "odd");
        if (std::isnan(cases[i].expected))
            EXPECT_TRUE(isRectNull(r)) << cases[i].value;
        else
            EXPECT_EQ(r, Rect(cases[i].expected, 2, 3, 4)) << cases[i].value;
    }
}

TEST(RectManager, EveryGameSpriteIsInTheShippedSheet) {
    for (const char* name : {"Spaceship.png", "bullet.png", "bullet2.png", "ship.png",
                             "ship-bad.png", "ship-crazy.png", "asteroid.png", "coin.png",
                             "plus.png", "bomb2.png"}) {
        Rect r = RectManager::sharedRectMgr().frameForSprite(name, "coordinates");
        EXPECT_FALSE(isRectNull(r)) << name;
        EXPECT_GT(r.size.width, 0) << name;
    }
}

namespace {

class GarbageSpriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(test::sharedWindow(), nullptr);
        platform::setDocumentsDirectory(docs_.path().string());
        manager_ = AtlasSpriteManager::spriteManagerWithFile("texture.png");
        ASSERT_TRUE(manager_);
        Rect frame = RectManager::sharedRectMgr().frameForSprite("Spaceship.png", "coordinates");
        ship_ = GarbageSprite::spriteWithRect(frame, manager_.get());
        ship_->setPosition(Point(160, 60));
        manager_->addChild(ship_.get());
    }
    void TearDown() override {
        manager_->onExit();
        manager_->cleanup();
        TouchDispatcher::sharedDispatcher().removeAllDelegates();
        ActionManager::purgeSharedManager();
        Scheduler::purgeSharedScheduler();
        TextureMgr::purgeSharedTextureMgr();
        Director::purgeSharedDirector();
        platform::setDocumentsDirectory("");
    }
    // A touch at a scene point (the view's y runs down).
    Ref<Touch> touchAt(Point scene) {
        auto t = make<Touch>();
        t->update(platform::TouchPhase::Began, Point(scene.x, 480 - scene.y), 0);
        return t;
    }
    test::TempDir docs_;
    Ref<AtlasSpriteManager> manager_;
    Ref<GarbageSprite> ship_;
};

} // namespace

TEST_F(GarbageSpriteTest, ListensOnlyInTheDragScheme) {
    manager_->onEnter();
    EXPECT_TRUE(TouchDispatcher::sharedDispatcher().handlers().empty());
    manager_->onExit();
    saved::writeControlSegment(1); // drag
    manager_->onEnter();
    EXPECT_EQ(TouchDispatcher::sharedDispatcher().handlers().size(), 1u);
    ship_->removeTouch();
    EXPECT_TRUE(TouchDispatcher::sharedDispatcher().handlers().empty());
}

TEST_F(GarbageSpriteTest, GrabAreaReachesFurtherRightAndUp) {
    float half = ship_->contentSize().width / 2;
    // 80 points beyond the right edge still grabs; 20 points left of the
    // left edge does not.
    EXPECT_TRUE(ship_->ccTouchBegan(touchAt(Point(160 + half + 80, 60)).get(), nullptr));
    EXPECT_FALSE(ship_->ccTouchBegan(touchAt(Point(160 - half - 20, 60)).get(), nullptr));
    EXPECT_TRUE(ship_->ccTouchBegan(touchAt(Point(160, 60 + 70)).get(), nullptr));
    EXPECT_FALSE(ship_->ccTouchBegan(touchAt(Point(160, 60 - 40)).get(), nullptr));
}

TEST_F(GarbageSpriteTest, DraggingRidesAboveTheFingerAndStopsAt320) {
    ship_->ccTouchMoved(touchAt(Point(40, 100)).get(), nullptr);
    EXPECT_TRUE(ship_->isTracking());
    EXPECT_EQ(ship_->position(), Point(40, 129));
    ship_->ccTouchMoved(touchAt(Point(-500, 470)).get(), nullptr);
    EXPECT_EQ(ship_->position(), Point(-500, 320)); // sideways is not limited
    ship_->ccTouchEnded(touchAt(Point(0, 0)).get(), nullptr);
    EXPECT_FALSE(ship_->isTracking());
}

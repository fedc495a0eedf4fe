// Grid effects, grid transitions and cameras drawn by the director into the
// headless window and read back.
#include "engine/Scene.h"
#include "render/GridEffects.h"
#include "render/GridTransitions.h"
#include "render/TileEffects.h"
#include "tests/engine/EngineTestSupport.h"

#include <functional>

using test::at;
using test::near;

namespace {

constexpr ccColor4B kRed{255, 0, 0, 255}, kBlue{0, 0, 255, 255}, kWhite{255, 255, 255, 255};

class GridPictureTest : public test::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        attach();
    }
    // Frames of `dt` seconds.
    platform::Image frames(int n, float dt = 0.25f) {
        for (int i = 0; i < n; ++i) {
            clock_.advance(dt);
            Director::sharedDirector().mainLoop();
        }
        return frame();
    }
    // The scene drawn once with `action` running on `node` at progress t.
    platform::Image drawAt(Scene* scene, Node* node, IntervalAction* action, float t) {
        Director::sharedDirector().runWithScene(scene);
        frames(1);
        node->runAction(action);
        action->update(t);
        Director::sharedDirector().pause();
        return frames(1);
    }
    static Ref<ColorLayer> layer(ccColor4B color, float x, float y, float w, float h) {
        auto l = ColorLayer::layerWithColor(color, w, h);
        l->setPosition(Point(x, y));
        return l;
    }
    // Rows of the picture run top down; these take scene coordinates.
    static const uint8_t* px(const platform::Image& img, int x, int y) {
        return at(img, x, img.height - 1 - y);
    }
};

#define EXPECT_COLOR(img, x, y, r, g, b)                                                           \
    EXPECT_TRUE(near(px(img, x, y), r, g, b, 3))                                                   \
        << "at (" << (x) << ", " << (y) << "): " << int(px(img, x, y)[0]) << ", "                  \
        << int(px(img, x, y)[1]) << ", " << int(px(img, x, y)[2])

} // namespace

TEST_F(GridPictureTest, ALensEnlargesTheMiddleAndLeavesTheRestInPlace) {
    auto scene = Scene::node();
    // The grid is on a node placed inside the scene: its picture must come
    // out where the node is.
    auto holder = Node::node();
    holder->setPosition(Point(100, 100));
    holder->addChild(layer(kWhite, 50, 130, 20, 20).get()); // 150..170 x 230..250
    holder->addChild(layer(kRed, -90, -90, 40, 40).get());  // 10..50 x 10..50
    scene->addChild(holder.get());
    auto lens = Lens3D::actionWithPosition(Point(160, 240), 60, ccg(32, 48), 1);
    platform::Image img = drawAt(scene.get(), holder.get(), lens.get(), 0.5f);
    EXPECT_COLOR(img, 178, 240, 255, 255, 255); // 18 out shows 3 out: white
    EXPECT_COLOR(img, 160, 222, 255, 255, 255);
    EXPECT_COLOR(img, 205, 240, 0, 0, 0); // 45 out shows 30 out
    EXPECT_COLOR(img, 30, 30, 255, 0, 0); // outside the lens: as it was
    EXPECT_COLOR(img, 30, 450, 0, 0, 0);
}

TEST_F(GridPictureTest, SplitColumnsAtHalfTimeStopGridAndReuseGrid) {
    auto scene = Scene::node();
    auto red = layer(kRed, 0, 0, 320, 480);
    scene->addChild(red.get());
    auto split = SplitCols::actionWithCols(2, 1);
    platform::Image img = drawAt(scene.get(), red.get(), split.get(), 0.5f);
    // The left column has gone up by half the height, the right one down.
    EXPECT_COLOR(img, 80, 100, 0, 0, 0);
    EXPECT_COLOR(img, 80, 300, 255, 0, 0);
    EXPECT_COLOR(img, 240, 100, 255, 0, 0);
    EXPECT_COLOR(img, 240, 300, 0, 0, 0);

    // A reused grid goes on from where the columns are.
    auto reuse = ReuseGrid::actionWithTimes(1);
    red->runAction(reuse.get());
    auto again = SplitCols::actionWithCols(2, 1);
    red->runAction(again.get());
    again->update(0);
    img = frames(1);
    EXPECT_COLOR(img, 80, 100, 0, 0, 0);
    EXPECT_COLOR(img, 80, 300, 255, 0, 0);

    red->runAction(StopGrid::action().get());
    img = frames(1);
    EXPECT_COLOR(img, 80, 100, 255, 0, 0);
    EXPECT_COLOR(img, 240, 300, 255, 0, 0);
}

TEST_F(GridPictureTest, ACameraTurnsTheDrawingAboutItsCentre) {
    auto scene = Scene::node();
    scene->addChild(layer(kRed, 0, 0, 40, 40).get());
    Camera* camera = scene->camera();
    Director::sharedDirector().runWithScene(scene.get());
    platform::Image img = frames(1);
    EXPECT_COLOR(img, 20, 20, 255, 0, 0); // the default camera changes nothing

    // Looking at the screen's centre upside down.
    camera->setCenter(160, 240, 0);
    camera->setEye(160, 240, Camera::getZEye());
    camera->setUp(0, -1, 0);
    img = frames(1);
    EXPECT_COLOR(img, 20, 20, 0, 0, 0);
    EXPECT_COLOR(img, 300, 460, 255, 0, 0);
}

TEST_F(GridPictureTest, GridTransitionsUncoverTheIncomingSceneWhereTheyBegin) {
    struct Case {
        const char* name;
        std::function<Ref<TransitionScene>(Scene*)> make;
        Point in, out; // where the incoming scene shows at half time, and the outgoing
    };
    const Case cases[] = {
        {"FadeTR",
         [](Scene* s) { return FadeTRTransition::transitionWithDuration(1, s); },
         {10, 10},
         {310, 470}},
        {"FadeBL",
         [](Scene* s) { return FadeBLTransition::transitionWithDuration(1, s); },
         {310, 470},
         {10, 10}},
        {"FadeUp",
         [](Scene* s) { return FadeUpTransition::transitionWithDuration(1, s); },
         {160, 10},
         {160, 470}},
        {"FadeDown",
         [](Scene* s) { return FadeDownTransition::transitionWithDuration(1, s); },
         {160, 470},
         {160, 10}},
        {"PageTurn",
         [](Scene* s) { return PageTurnTransition::transitionWithDuration(1, s); },
         {310, 10},
         {10, 470}},
        {"PageTurn backwards",
         [](Scene* s) { return PageTurnTransition::transitionWithDuration(1, s, true); },
         {10, 470},
         {310, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        auto out = Scene::node(), in = Scene::node();
        out->addChild(layer(kRed, 0, 0, 320, 480).get());
        in->addChild(layer(kBlue, 0, 0, 320, 480).get());
        Director& d = Director::sharedDirector();
        d.runWithScene(out.get());
        frames(1);
        d.replaceScene(c.make(in.get()).get());
        // Entered, first step (t = 0), then two quarters.
        platform::Image img = frames(4);
        EXPECT_COLOR(img, int(c.in.x), int(c.in.y), 0, 0, 255);
        EXPECT_COLOR(img, int(c.out.x), int(c.out.y), 255, 0, 0);
        frames(3);
        EXPECT_EQ(d.runningScene(), in.get());
        EXPECT_COLOR(frame(), int(c.out.x), int(c.out.y), 0, 0, 255);
    }
}

TEST_F(GridPictureTest, TurnOffTilesAndSplitsShowTheirHalfWayPicture) {
    auto out = Scene::node(), in = Scene::node();
    out->addChild(layer(kRed, 0, 0, 320, 480).get());
    in->addChild(layer(kBlue, 0, 0, 320, 480).get());
    Director& d = Director::sharedDirector();
    d.runWithScene(out.get());
    frames(1);
    d.replaceScene(TurnOffTilesTransition::transitionWithDuration(1, in.get()).get());
    platform::Image img = frames(4);
    // 8 x 12 tiles of 40 points: half of them are off.
    int blue = 0;
    for (int x = 0; x < 8; ++x)
        for (int y = 0; y < 12; ++y)
            blue += px(img, x * 40 + 20, y * 40 + 20)[2] > 128;
    EXPECT_EQ(blue, 48);

    // Columns: a quarter of the way, the outgoing scene's columns are half
    // way out (eased) over black; the incoming one is not shown yet.
    frames(4);
    d.replaceScene(SplitColsTransition::transitionWithDuration(1, out.get()).get());
    img = frames(3);
    EXPECT_COLOR(img, 50, 100, 0, 0, 0); // first column gone up
    EXPECT_COLOR(img, 50, 300, 0, 0, 255);
    EXPECT_COLOR(img, 160, 100, 0, 0, 255); // second one down
    EXPECT_COLOR(img, 160, 300, 0, 0, 0);
}

// Frames drawn by the director into the headless window, read back.
#include "platform/InterfaceOrientation.h"
#include "platform/System.h"
#include "tests/engine/EngineTestSupport.h"

using test::at;
using test::near;

namespace {

class PictureTest : public test::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        attach();
    }
    // Runs `scene` for one frame and returns the picture.
    platform::Image draw(Scene* scene) {
        Director& d = Director::sharedDirector();
        d.runWithScene(scene);
        clock_.advance(1.0 / 60);
        d.mainLoop();
        return frame();
    }
};

} // namespace

TEST_F(PictureTest, ColorLayersFillTheirRectangleAndBlendWhenTranslucent) {
    auto scene = Scene::node();
    auto red = ColorLayer::layerWithColor(ccc4(255, 0, 0, 255), 100, 100);
    auto green = ColorLayer::layerWithColor(ccc4(0, 255, 0, 128), 100, 100);
    green->setPosition(Point(50, 0));
    scene->addChild(red.get());
    scene->addChild(green.get());
    platform::Image img = draw(scene.get());
    ASSERT_EQ(img.width, 320);
    // Rows run top to bottom: scene y 20 is row 460.
    EXPECT_TRUE(near(at(img, 20, 460), 255, 0, 0)) << int(at(img, 20, 460)[1]);
    EXPECT_TRUE(near(at(img, 75, 460), 127, 128, 0, 3)) << int(at(img, 75, 460)[0]);
    EXPECT_TRUE(near(at(img, 125, 460), 0, 128, 0, 3)) << int(at(img, 125, 460)[1]);
    EXPECT_TRUE(near(at(img, 200, 460), 0, 0, 0));
    EXPECT_TRUE(near(at(img, 20, 300), 0, 0, 0));
}

TEST_F(PictureTest, ARotatedScaledChildLandsWhereTheTransformSays) {
    auto scene = Scene::node();
    auto arm = Node::node();
    arm->setPosition(Point(160, 240));
    arm->setRotation(90); // clockwise
    arm->setScale(2);
    auto box = ColorLayer::layerWithColor(ccc4(0, 0, 255, 255), 20, 10);
    arm->addChild(box.get());
    scene->addChild(arm.get());
    platform::Image img = draw(scene.get());
    // The 20 × 10 box, doubled and turned clockwise about (160, 240), covers
    // x 160..180 and y 200..240 in the scene: rows 240..280.
    EXPECT_TRUE(near(at(img, 170, 260), 0, 0, 255));
    EXPECT_TRUE(near(at(img, 170, 220), 0, 0, 0));
    EXPECT_TRUE(near(at(img, 150, 260), 0, 0, 0));
    EXPECT_TRUE(near(at(img, 190, 260), 0, 0, 0));
    // The affine path agrees with the picture.
    Point corner = box->convertToWorldSpace(Point(20, 10));
    EXPECT_NEAR(corner.x, 180, 1e-3);
    EXPECT_NEAR(corner.y, 200, 1e-3);
}

TEST_F(PictureTest, LandscapeTurnsThePicture) {
    Director::sharedDirector().setDeviceOrientation(CCDeviceOrientationLandscapeLeft);
    auto scene = Scene::node();
    EXPECT_EQ(scene->contentSize(), Size(480, 320));
    auto bar = ColorLayer::layerWithColor(ccc4(255, 255, 0, 255), 100, 50);
    scene->addChild(bar.get());
    platform::Image img = draw(scene.get());
    // The window shows the turned picture upright, 480 x 320: scene point
    // (x, y) at (x, 320 - y) from the top-left.
    ASSERT_EQ(img.width, 480);
    EXPECT_TRUE(near(at(img, 60, 295), 255, 255, 0));
    EXPECT_TRUE(near(at(img, 25, 245), 0, 0, 0));
    EXPECT_TRUE(near(at(img, 150, 295), 0, 0, 0));
    Director::sharedDirector().setDeviceOrientation(CCDeviceOrientationPortrait);
}

TEST_F(PictureTest, UpsideDownAndLandscapeRightMapTouchesToWhatIsDrawnThere) {
    // A view point, the scene point it converts to, and a marker drawn
    // around that scene point shows at that view point (and not where
    // another orientation would put it).
    struct Case {
        int orientation;
        Point view, scene, elsewhere;
    } cases[] = {
        {CCDeviceOrientationPortraitUpsideDown, {270, 35}, {50, 35}, {50, 445}},
        {CCDeviceOrientationLandscapeRight, {270, 35}, {445, 50}, {50, 445}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.orientation);
        Director& d = Director::sharedDirector();
        d.setDeviceOrientation(c.orientation);
        EXPECT_EQ(d.convertToGL(c.view), c.scene);
        auto scene = Scene::node();
        auto marker = ColorLayer::layerWithColor(ccc4(255, 255, 0, 255), 20, 10);
        marker->setPosition(Point(c.scene.x - 10, c.scene.y - 5));
        scene->addChild(marker.get());
        platform::Image img = draw(scene.get());
        // Where the window shows a view point (turned upright in landscape).
        auto seen = [&](Point view) {
            Point p = platform::uprightPointFromPortrait(view, Size(320, 480),
                                                         platform::StatusBar::orientation());
            return at(img, int(p.x), int(p.y));
        };
        EXPECT_TRUE(near(seen(c.view), 255, 255, 0));
        EXPECT_TRUE(near(seen(c.elsewhere), 0, 0, 0));
        d.end();
        attach();
    }
    Director::sharedDirector().setDeviceOrientation(CCDeviceOrientationPortrait);
}

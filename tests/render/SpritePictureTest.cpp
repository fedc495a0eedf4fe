// Sprites and atlas sprites drawn into an offscreen surface and read back.
// Probes sit inside uniform areas; channels are compared within 3 levels.
#include "engine/ActionManager.h"
#include "engine/Director.h"
#include "engine/Scene.h"
#include "engine/TouchDispatcher.h"
#include "platform/RunLoop.h"
#include "platform/System.h"
#include "render/AtlasSpriteManager.h"
#include "render/Sprite.h"
#include "tests/render/RenderTestSupport.h"

#include <cstdlib>

using namespace rendertest;

namespace {

const uint8_t kBlack[4] = {0, 0, 0, 255};
constexpr int kTolerance = 3;

using Rgba = std::array<uint8_t, 4>;
constexpr Rgba kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255},
    kWhite{255, 255, 255, 255}, kClear{0, 0, 0, 0};

class SpritePictureTest : public NodeGLTest {
protected:
    // Keeps the picture for a person to look at when asked to.
    static void keep(const platform::GLSurface& surface, const char* name) {
        if (const char* dir = std::getenv("NEBULARK_PICTURES")) {
            Pixels px = Pixels::of(surface);
            platform::Image image{px.width, px.height, px.rgba};
            platform::writePng(std::string(dir) + "/" + name, image);
        }
    }
};

#define EXPECT_PIXEL(px, x, y, ...)                                                                \
    EXPECT_TRUE(near((px).at(x, y), {__VA_ARGS__}, kTolerance))                                    \
        << "at (" << (x) << ", " << (y) << ")"

} // namespace

TEST_F(SpritePictureTest, APngSpriteIsPlacedByPositionAnchorRotationAndScale) {
    test::TempDir dir;
    // 20 x 10: left half red, right half blue.
    writePng(dir.file("pair.png"), 20, 10, [](int x, int) { return x < 10 ? kRed : kBlue; });

    auto turned = Sprite::spriteWithFile(dir.file("pair.png"));
    ASSERT_TRUE(turned->texture());
    turned->setPosition(Point(60, 60)); // centred there
    turned->setRotation(90);            // clockwise: the left half goes up
    turned->setScale(2);                // 40 x 20, then 20 wide and 40 high

    auto cornered = Sprite::spriteWithFile(dir.file("pair.png"));
    cornered->setAnchorPoint(Point(1, 1)); // top-right corner at the position
    cornered->setPosition(Point(110, 110));

    auto faded = Sprite::spriteWithFile(dir.file("pair.png"));
    faded->setAnchorPoint(Point(0, 0));
    faded->setPosition(Point(5, 5));
    faded->setOpacity(128); // premultiplied: the colour darkens with it

    auto surface = surface2D(120, 120, kBlack);
    ASSERT_TRUE(surface);
    turned->visit();
    cornered->visit();
    faded->visit();
    endDrawing();
    keep(*surface, "sprite.png");
    Pixels px = Pixels::of(*surface);

    EXPECT_PIXEL(px, 60, 72, 255, 0, 0);
    EXPECT_PIXEL(px, 60, 48, 0, 0, 255);
    EXPECT_PIXEL(px, 52, 78, 255, 0, 0);
    EXPECT_PIXEL(px, 67, 42, 0, 0, 255);
    EXPECT_PIXEL(px, 47, 60, 0, 0, 0);
    EXPECT_PIXEL(px, 73, 60, 0, 0, 0);
    EXPECT_PIXEL(px, 60, 83, 0, 0, 0);
    EXPECT_PIXEL(px, 60, 37, 0, 0, 0);

    EXPECT_PIXEL(px, 95, 105, 255, 0, 0);
    EXPECT_PIXEL(px, 105, 105, 0, 0, 255);
    EXPECT_PIXEL(px, 95, 97, 0, 0, 0);
    EXPECT_PIXEL(px, 87, 105, 0, 0, 0);
    EXPECT_PIXEL(px, 112, 105, 0, 0, 0);

    EXPECT_PIXEL(px, 10, 10, 128, 0, 0);
    EXPECT_PIXEL(px, 20, 10, 0, 0, 128);
    EXPECT_PIXEL(px, 10, 17, 0, 0, 0);
}

TEST_F(SpritePictureTest, AnAtlasDrawsFramesFlipsAndColoursInOneBatch) {
    test::TempDir dir;
    // Four 16 x 16 cells: red | green halves; blue over white; white; clear.
    writePng(dir.file("sheet.png"), 64, 16, [](int x, int y) {
        switch (x / 16) {
        case 0:
            return x % 16 < 8 ? kRed : kGreen;
        case 1:
            return y < 8 ? kBlue : kWhite;
        case 2:
            return kWhite;
        default:
            return kClear;
        }
    });
    auto m = AtlasSpriteManager::spriteManagerWithFile(dir.file("sheet.png"), 4);
    ASSERT_TRUE(m);
    ASSERT_TRUE(m->texture());
    const Rect halves(0, 0, 16, 16), stacked(16, 0, 16, 16), white(32, 0, 16, 16);
    auto add = [&](Rect r, Point at, int z = 0) {
        auto s = m->createSpriteWithRect(r);
        s->setPosition(at);
        m->addChild(s.get(), z);
        return s;
    };
    add(halves, Point(20, 20));
    add(halves, Point(60, 20))->setFlipX(true);
    add(stacked, Point(20, 60));
    add(stacked, Point(60, 60))->setFlipY(true);
    add(white, Point(100, 20))->setColor(ccc3(255, 128, 0));
    add(white, Point(100, 60))->setOpacity(128);
    add(halves, Point(140, 20))->setRotation(90);
    add(white, Point(140, 60))->setScale(0.5f);
    add(halves, Point(180, 20))->setVisible(false);
    // Added later but lower: drawn first, so the blue one covers it.
    add(white, Point(180, 60), 1)->setColor(ccc3(0, 0, 255));
    add(white, Point(184, 60), 0)->setColor(ccc3(255, 0, 0));
    add(Rect(48, 0, 16, 16), Point(220, 20));      // transparent cell
    EXPECT_EQ(m->textureAtlas()->capacity(), 13u); // 4, 6, 9, 13

    auto surface = surface2D(240, 80, kBlack);
    ASSERT_TRUE(surface);
    m->visit();
    endDrawing();
    keep(*surface, "atlas.png");
    Pixels px = Pixels::of(*surface);

    EXPECT_PIXEL(px, 16, 20, 255, 0, 0);
    EXPECT_PIXEL(px, 24, 20, 0, 255, 0);
    EXPECT_PIXEL(px, 56, 20, 0, 255, 0); // flipped across
    EXPECT_PIXEL(px, 64, 20, 255, 0, 0);
    EXPECT_PIXEL(px, 20, 64, 0, 0, 255);
    EXPECT_PIXEL(px, 20, 56, 255, 255, 255);
    EXPECT_PIXEL(px, 60, 64, 255, 255, 255); // flipped upside down
    EXPECT_PIXEL(px, 60, 56, 0, 0, 255);
    EXPECT_PIXEL(px, 100, 20, 255, 128, 0);
    EXPECT_PIXEL(px, 100, 60, 128, 128, 128);
    EXPECT_PIXEL(px, 140, 24, 255, 0, 0); // turned: the left half on top
    EXPECT_PIXEL(px, 140, 16, 0, 255, 0);
    EXPECT_PIXEL(px, 138, 60, 255, 255, 255);
    EXPECT_PIXEL(px, 133, 60, 0, 0, 0); // half size
    EXPECT_PIXEL(px, 180, 20, 0, 0, 0); // hidden
    EXPECT_PIXEL(px, 174, 60, 0, 0, 255);
    EXPECT_PIXEL(px, 182, 60, 0, 0, 255);
    EXPECT_PIXEL(px, 190, 60, 255, 0, 0);
    EXPECT_PIXEL(px, 220, 20, 0, 0, 0);
    EXPECT_PIXEL(px, 40, 40, 0, 0, 0);

    // The manager's own placement moves the whole batch; a hidden manager
    // draws nothing.
    m->setPosition(Point(0, -40));
    auto moved = surface2D(240, 80, kBlack);
    m->visit();
    endDrawing();
    Pixels px2 = Pixels::of(*moved);
    EXPECT_PIXEL(px2, 20, 24, 0, 0, 255);
    EXPECT_PIXEL(px2, 20, 16, 255, 255, 255);
    m->setVisible(false);
    auto hidden = surface2D(240, 80, kBlack);
    m->visit();
    endDrawing();
    EXPECT_PIXEL(Pixels::of(*hidden), 20, 24, 0, 0, 0);
}

// The same nodes in a frame of the director: its 3D projection, depth test
// and drawing defaults.
TEST_F(SpritePictureTest, SpritesAndAnAtlasInADirectorFrame) {
    platform::RunLoop::main().reset();
    platform::RunLoop::main().setVirtualClock(&clock_);
    platform::setSystemVersion("3.1");
    Director& director = Director::sharedDirector();
    ASSERT_TRUE(director.attachInView(window_));

    test::TempDir dir;
    writePng(dir.file("pair.png"), 20, 10, [](int x, int) { return x < 10 ? kRed : kBlue; });
    auto scene = Scene::node();
    auto sprite = Sprite::spriteWithFile(dir.file("pair.png"));
    sprite->setPosition(Point(100, 400));
    sprite->setScale(2);
    scene->addChild(sprite.get());
    auto m = AtlasSpriteManager::spriteManagerWithFile(dir.file("pair.png"));
    auto left = m->createSpriteWithRect(Rect(0, 0, 10, 10));
    left->setPosition(Point(200, 100));
    left->setScale(3);
    m->addChild(left.get());
    auto right = m->createSpriteWithRect(Rect(10, 0, 10, 10));
    right->setPosition(Point(240, 100));
    right->setFlipX(true);
    right->setColor(ccc3(0, 255, 255)); // blue stays blue under cyan
    m->addChild(right.get());
    scene->addChild(m.get(), 1);

    director.runWithScene(scene.get());
    clock_.advance(1.0 / 60);
    director.mainLoop();
    platform::Image img = window_->lastFrame();
    ASSERT_EQ(img.width, 320);
    // Rows run top to bottom: scene y is row 479 - y.
    auto at = [&](int x, int y) {
        return img.rgba.data() + (size_t(479 - y) * size_t(img.width) + size_t(x)) * 4;
    };
    EXPECT_TRUE(near(at(90, 400), {255, 0, 0}, kTolerance));
    EXPECT_TRUE(near(at(110, 400), {0, 0, 255}, kTolerance));
    EXPECT_TRUE(near(at(78, 400), {0, 0, 0}, kTolerance));
    EXPECT_TRUE(near(at(100, 412), {0, 0, 0}, kTolerance));
    EXPECT_TRUE(near(at(188, 90), {255, 0, 0}, kTolerance));
    EXPECT_TRUE(near(at(212, 110), {255, 0, 0}, kTolerance));
    EXPECT_TRUE(near(at(240, 100), {0, 0, 255}, kTolerance));
    EXPECT_TRUE(near(at(240, 107), {0, 0, 0}, kTolerance));

    director.end();
    Director::purgeSharedDirector();
    TouchDispatcher::sharedDispatcher().removeAllDelegates();
    platform::RunLoop::main().reset();
    platform::RunLoop::main().setVirtualClock(nullptr);
}

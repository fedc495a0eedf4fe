// The scrolling sprite draws its texture shifted by texOffset / 512.
#include "game/ScrollerSprite.h"
#include "render/TextureMgr.h"
#include "tests/engine/EngineTestSupport.h"

namespace {

class ScrollerSpriteTest : public test::EngineTest {
protected:
    void TearDown() override {
        TextureMgr::purgeSharedTextureMgr();
        EngineTest::TearDown();
    }
};

} // namespace

TEST_F(ScrollerSpriteTest, AnOffsetOfHalfOf512RollsARepeatingTextureByHalf) {
    attach();
    // 4 × 4: the first two rows (the top of the picture) red, the others green.
    std::vector<uint8_t> rgba;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            bool red = y < 2;
            rgba.insert(rgba.end(), {uint8_t(red ? 255 : 0), uint8_t(red ? 0 : 255), 0, 255});
        }
    Ref<Texture2D> texture =
        Texture2D::textureWithData(rgba.data(), PixelFormat::RGBA8888, 4, 4, Size(4, 4));
    texture->setTexParameters({GL_NEAREST, GL_NEAREST, GL_REPEAT, GL_REPEAT});
    auto scroller = make<ScrollerSprite>(texture.get());
    scroller->setAnchorPoint(Point(0, 0));
    scroller->setScale(40); // 160 × 160 points from the bottom-left corner
    Ref<Scene> scene = Scene::node();
    scene->addChild(scroller.get());
    Director& director = Director::sharedDirector();
    director.runWithScene(scene.get());

    struct Case {
        float offset;
        bool redOnTop;
    } cases[] = {{0, true}, {256, false}, {512, true}};
    for (const Case& c : cases) {
        scroller->setTexOffset(c.offset);
        clock_.advance(1.0 / 60);
        director.mainLoop();
        platform::Image img = frame();
        // Window rows run down: the picture covers rows 320..479.
        const uint8_t* top = test::at(img, 80, 360);
        const uint8_t* bottom = test::at(img, 80, 440);
        EXPECT_TRUE(test::near(top, c.redOnTop ? 255 : 0, c.redOnTop ? 0 : 255, 0)) << c.offset;
        EXPECT_TRUE(test::near(bottom, c.redOnTop ? 0 : 255, c.redOnTop ? 255 : 0, 0)) << c.offset;
    }
}

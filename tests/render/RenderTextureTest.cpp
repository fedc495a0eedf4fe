// Drawing into textures: the picture's orientation as a texture and as a
// PNG, keeping what was drawn, and showing it as a sprite.
#include "render/RenderTexture.h"
#include "platform/ImageDecoder.h"
#include "tests/render/RenderTestSupport.h"

using namespace rendertest;

namespace {

using Rgba = std::array<uint8_t, 4>;
constexpr Rgba kRed{255, 0, 0, 255}, kBlue{0, 0, 255, 255}, kHalfGreen{0, 128, 0, 128};
const uint8_t kBlack[4] = {0, 0, 0, 255};

class RenderTextureTest : public NodeGLTest {
protected:
    void SetUp() override {
        NodeGLTest::SetUp();
        // The director's drawing defaults.
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    }
    void TearDown() override {
        glDisable(GL_BLEND);
        NodeGLTest::TearDown();
    }
};

const uint8_t* pixel(const platform::Image& img, int x, int y) {
    return img.rgba.data() + (size_t(y) * size_t(img.width) + size_t(x)) * 4;
}

// 40 x 20: the top half red, the bottom half blue but for a translucent
// green square in the bottom-left corner (premultiplied).
Ref<Sprite> redOverBlue() {
    auto sprite = Sprite::spriteWithTexture(textureOf(40, 20, [](int x, int y) {
                                                if (y < 10) return kRed;
                                                return x < 5 && y >= 15 ? kHalfGreen : kBlue;
                                            }).get());
    sprite->setAnchorPoint(Point(0, 0));
    return sprite;
}

} // namespace

TEST_F(RenderTextureTest, DrawsUprightKeepsWhatWasDrawnAndSavesStraightAlpha) {
    auto rt = RenderTexture::renderTextureWithWidthAndHeight(50, 30);
    ASSERT_TRUE(rt);
    rt->clear(1, 1, 1, 1);
    auto sprite = redOverBlue();
    sprite->setPosition(Point(10, 0)); // rows 10..29 of the picture, columns 10..49
    rt->begin();
    sprite->visit();
    rt->end();

    platform::Image img = rt->getImage();
    ASSERT_EQ(img.width, 50);
    ASSERT_EQ(img.height, 30);
    EXPECT_TRUE(near(pixel(img, 5, 5), {255, 255, 255, 255})); // cleared, not drawn over
    EXPECT_TRUE(near(pixel(img, 30, 12), {255, 0, 0, 255}));   // top of the sprite
    EXPECT_TRUE(near(pixel(img, 30, 25), {0, 0, 255, 255}));   // bottom
    // Translucent green over white: 128 of green plus half the white.
    EXPECT_TRUE(near(pixel(img, 11, 28), {127, 255, 127, 255}, 3));

    // Over transparency a translucent colour is written back straight.
    auto clear = RenderTexture::renderTextureWithWidthAndHeight(40, 20);
    ASSERT_TRUE(clear);
    clear->begin();
    redOverBlue()->visit();
    clear->end();
    test::TempDir dir;
    ASSERT_TRUE(clear->saveBuffer(dir.file("picture.png")));
    auto saved = platform::DecodedImage::imageWithContentsOfFile(dir.file("picture.png"));
    ASSERT_TRUE(saved);
    platform::Image straight = clear->getImage();
    EXPECT_TRUE(near(pixel(straight, 2, 18), {0, 255, 0, 128}, 3));
    EXPECT_TRUE(near(pixel(straight, 20, 5), {255, 0, 0, 255}));
    // The decoder premultiplies again.
    const uint8_t* p = saved->pixels().data() + (18 * 40 + 2) * 4;
    EXPECT_TRUE(near(p, {0, 128, 0, 128}, 3));
    EXPECT_FALSE(clear->saveBuffer(dir.file("missing/picture.png")));
}

TEST_F(RenderTextureTest, ShowsItsPictureAsASpriteWhereverItWasDrawnFrom) {
    auto surface = surface2D(100, 100, kBlack);
    ASSERT_TRUE(surface);
    // Drawn into while the surface is the target: it must come back.
    auto rt = RenderTexture::renderTextureWithWidthAndHeight(40, 20);
    ASSERT_TRUE(rt);
    rt->begin();
    redOverBlue()->visit();
    rt->end();
    rt->setPosition(Point(50, 50)); // centred, like a sprite
    rt->visit();
    endDrawing();
    Pixels px = Pixels::of(*surface);
    EXPECT_TRUE(near(px.at(50, 55), {255, 0, 0, 255}));
    EXPECT_TRUE(near(px.at(50, 45), {0, 0, 255, 255}));
    EXPECT_TRUE(near(px.at(50, 65), {0, 0, 0, 255}));
    EXPECT_TRUE(near(px.at(75, 50), {0, 0, 0, 255}));
}

TEST_F(RenderTextureTest, RefusesSizesItCannotDrawInto) {
    for (auto [w, h] : {std::pair{0, 10}, {10, -1}, {1 << 20, 4}, {4, 70000}})
        EXPECT_FALSE(RenderTexture::renderTextureWithWidthAndHeight(w, h)) << w << " x " << h;
}

// System-font labels, character-map labels and the director's frame-rate
// label.
#include "render/Label.h"
#include "engine/Director.h"
#include "engine/TouchDispatcher.h"
#include "platform/Files.h"
#include "platform/RunLoop.h"
#include "platform/System.h"
#include "render/LabelAtlas.h"
#include "render/RenderHooks.h"
#include "render/TextureMgr.h"
#include "tests/render/RenderTestSupport.h"

#include <cstdlib>

using namespace rendertest;

namespace {

const uint8_t kBlack[4] = {0, 0, 0, 255};

class LabelTest : public NodeGLTest {
protected:
    // Ten 16 x 24 cells side by side, cell i of grey level 20 * (i + 1).
    std::string writeDigits() {
        std::string path = dir.file("digits.png");
        writePng(path, 160, 24, [](int x, int) -> std::array<uint8_t, 4> {
            auto v = uint8_t(20 * (x / 16 + 1));
            return {v, v, v, 255};
        });
        return path;
    }
    test::TempDir dir;
};

} // namespace

TEST_F(LabelTest, ChangingTheTextMakesANewUncachedTextureAndSize) {
    auto label = Label::labelWithString("Hi", "Marker Felt", 24);
    ASSERT_TRUE(label->texture());
    Texture2D* first = label->texture();
    Size small = label->contentSize();
    EXPECT_GT(small.width, 10);
    EXPECT_GT(small.height, 10);
    EXPECT_EQ(small, first->contentSize());
    EXPECT_EQ(label->anchorPoint(), Point(0.5f, 0.5f));

    label->setString("Hi there, a longer text");
    ASSERT_TRUE(label->texture());
    EXPECT_NE(label->texture(), first);
    EXPECT_GT(label->contentSize().width, small.width * 3);
    EXPECT_EQ(label->contentSize().height, small.height);
    EXPECT_EQ(label->string(), "Hi there, a longer text");
    EXPECT_EQ(TextureMgr::sharedTextureMgr().textureCount(), 0u);

    label->setString("");
    EXPECT_EQ(label->contentSize().width, 0);
}

TEST_F(LabelTest, AFixedBoxKeepsItsSize) {
    auto label = Label::labelWithString("A text that is too long for the box", Size(100, 40),
                                        kTextAlignmentLeft, "Marker Felt", 16);
    EXPECT_EQ(label->contentSize(), Size(100, 40));
    label->setString("x");
    EXPECT_EQ(label->contentSize(), Size(100, 40));
    EXPECT_EQ(label->alignment(), kTextAlignmentLeft);
    EXPECT_EQ(label->fontSize(), 16);
    EXPECT_CC_ERROR(make<Label>(), "LabelInit",
                    "Use initWithString:dimensions:aligment:fontName:font instead");
}

TEST_F(LabelTest, PictureOfASystemFontLabel) {
    auto label = Label::labelWithString("Hello", "Marker Felt", 32);
    label->setColor(ccc3(255, 0, 0));
    label->setAnchorPoint(Point(0, 0));
    label->setPosition(Point(10, 10));
    Size s = label->contentSize();
    ASSERT_LT(s.width + 20, 200);

    auto surface = surface2D(200, 80, kBlack);
    ASSERT_TRUE(surface);
    label->visit();
    endDrawing();
    Pixels px = Pixels::of(*surface);
    if (const char* keep = std::getenv("NEBULARK_PICTURES")) {
        platform::Image image{px.width, px.height, px.rgba};
        platform::writePng(std::string(keep) + "/system_font.png", image);
    }
    // The glyphs are red coverage inside the label's box, nothing outside.
    int lit = 0, strayOutside = 0, notRed = 0;
    for (int y = 0; y < px.height; ++y)
        for (int x = 0; x < px.width; ++x) {
            const uint8_t* p = px.at(x, y);
            bool inside =
                x >= 10 && x < 10 + int(s.width) + 1 && y >= 10 && y < 10 + int(s.height) + 1;
            if (p[0] > 0 && !inside) ++strayOutside;
            if (p[1] > 2 || p[2] > 2) ++notRed;
            if (inside && p[0] > 200) ++lit;
        }
    EXPECT_EQ(strayOutside, 0);
    EXPECT_EQ(notRed, 0);
    // Five letters of 32 pixels cover a good part of their box.
    EXPECT_GT(lit, int(s.width * s.height) / 20);
}

TEST_F(LabelTest, ACharacterMapLabelMakesOneQuadPerByte) {
    auto label = LabelAtlas::labelAtlasWithString("307", writeDigits(), 16, 24, '0');
    ASSERT_TRUE(label);
    ASSERT_TRUE(label->texture());
    EXPECT_EQ(label->contentSize(), Size(48, 24));
    EXPECT_EQ(label->itemsPerRow(), 10);
    // The 160 x 24 picture sits in a 256 x 32 texture.
    const float stepX = 16.0f / 256, stepY = 24.0f / 32;
    const ccV3F_C4B_T2F_Quad* q = label->textureAtlas()->quads();
    EXPECT_EQ(q[0].tl.texCoords.u, 3 * stepX);
    EXPECT_EQ(q[0].br.texCoords.u, 4 * stepX);
    EXPECT_EQ(q[0].br.texCoords.v, stepY);
    EXPECT_EQ(q[1].tl.texCoords.u, 0);
    EXPECT_EQ(q[2].tl.texCoords.u, 7 * stepX);
    EXPECT_EQ(q[2].tl.vertices.x, 32);
    EXPECT_EQ(q[2].tl.vertices.y, 24);
    EXPECT_EQ(q[2].br.vertices.x, 48);
    EXPECT_EQ(q[2].br.vertices.y, 0);

    // A longer text grows the atlas; a character before the map wraps to
    // a cell past its end (drawn empty, not read out of bounds).
    label->setString("12345/");
    EXPECT_EQ(label->textureAtlas()->capacity(), 6u);
    EXPECT_EQ(label->contentSize(), Size(96, 24));
    q = label->textureAtlas()->quads();
    EXPECT_EQ(q[5].tl.texCoords.u, float(255 % 10) * stepX);
    EXPECT_EQ(q[5].tl.texCoords.v, float(255 / 10) * stepY);

    label->setString("90");
    auto surface = surface2D(100, 30, kBlack);
    ASSERT_TRUE(surface);
    label->visit(); // anchor (0, 0): from the origin
    endDrawing();
    Pixels px = Pixels::of(*surface);
    EXPECT_TRUE(near(px.at(8, 12), {200, 200, 200}, 3));
    EXPECT_TRUE(near(px.at(24, 12), {20, 20, 20}, 3));
    // Only two quads are drawn although six are in the atlas.
    EXPECT_TRUE(near(px.at(40, 12), {0, 0, 0}, 3));
}

TEST_F(LabelTest, PicturesSmallerThanACellDrawEmptyCells) {
    std::string path = dir.file("tiny.png");
    writePng(path, 4, 4, [](int, int) -> std::array<uint8_t, 4> { return {255, 255, 255, 255}; });
    auto label = LabelAtlas::labelAtlasWithString("abc", path, 16, 24, 'a');
    ASSERT_TRUE(label);
    EXPECT_EQ(label->itemsPerRow(), 0);
    EXPECT_EQ(label->contentSize(), Size(48, 24));

    test::LogCapture log;
    auto missing = LabelAtlas::labelAtlasWithString("12", dir.file("none.png"), 16, 24, '0');
    ASSERT_TRUE(missing);
    EXPECT_FALSE(missing->texture());
    auto surface = surface2D(50, 30, kBlack);
    label->visit();
    missing->visit();
    endDrawing();
}

TEST_F(LabelTest, TheDirectorMakesItsFrameRateLabelFromTheHook) {
    std::string previous = platform::resourceDirectory();
    platform::setResourceDirectory(dir.path().string());
    writePng(dir.file("fps_images.png"), 192, 24, [](int, int) -> std::array<uint8_t, 4> {
        return {255, 255, 255, 255};
    });
    platform::RunLoop::main().reset();
    platform::RunLoop::main().setVirtualClock(&clock_);
    platform::setSystemVersion("3.1");

    registerRenderHooks();
    Director& director = Director::sharedDirector();
    ASSERT_TRUE(director.attachInView(window_));
    auto* fps = dynamic_cast<LabelAtlas*>(director.FPSLabel());
    ASSERT_NE(fps, nullptr);
    EXPECT_EQ(fps->string(), "00.0");
    EXPECT_EQ(fps->contentSize(), Size(64, 24));
    EXPECT_EQ(fps->startCharMap(), '.');
    EXPECT_TRUE(fps->texture());

    director.end();
    Director::purgeSharedDirector();
    Director::setFPSLabelFactory(nullptr);
    TouchDispatcher::sharedDispatcher().removeAllDelegates();
    platform::RunLoop::main().reset();
    platform::RunLoop::main().setVirtualClock(nullptr);
    platform::setResourceDirectory(previous);
}

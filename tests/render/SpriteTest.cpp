// Whole-texture sprites: texture, colour rules, animations.
#include "render/Sprite.h"
#include "engine/IntervalAction.h"
#include "render/TextureMgr.h"
#include "tests/render/RenderTestSupport.h"

using namespace rendertest;

namespace {

const uint8_t kBlack[4] = {0, 0, 0, 255};

std::array<uint8_t, 4> opaque(int, int) {
    return {200, 100, 50, 255};
}

class SpriteTest : public NodeGLTest {};

} // namespace

TEST_F(SpriteTest, TheTextureDecidesSizeBlendAndOpacityRule) {
    auto premultiplied = textureOf(30, 20, opaque);
    auto sprite = Sprite::spriteWithTexture(premultiplied.get());
    EXPECT_EQ(sprite->contentSize(), Size(30, 20));
    EXPECT_EQ(sprite->anchorPoint(), Point(0.5f, 0.5f));
    EXPECT_EQ(sprite->transformAnchor(), Point(15, 10));
    EXPECT_EQ(sprite->blendFunc(), kBlendPremultiplied);
    EXPECT_TRUE(sprite->doesOpacityModifyRGB());
    sprite->setRGB(10, 20, 30);
    sprite->setOpacity(100);
    EXPECT_EQ(sprite->color(), ccc3(100, 100, 100)); // the colour is lost
    EXPECT_EQ(sprite->opacity(), 100);

    auto straight = textureOf(8, 8, opaque, platform::ImageAlpha::Straight);
    sprite->setTexture(straight.get());
    EXPECT_EQ(sprite->contentSize(), Size(8, 8));
    EXPECT_EQ(sprite->blendFunc(), kBlendStraightAlpha);
    EXPECT_FALSE(sprite->doesOpacityModifyRGB());
    sprite->setRGB(10, 20, 30);
    sprite->setOpacity(50);
    EXPECT_EQ(sprite->color(), ccc3(10, 20, 30));
    // A premultiplied texture leaves the blend as it was.
    sprite->setTexture(premultiplied.get());
    EXPECT_EQ(sprite->blendFunc(), kBlendStraightAlpha);
    EXPECT_TRUE(sprite->doesOpacityModifyRGB());
}

TEST_F(SpriteTest, FilesAndImagesGoThroughTheTextureCache) {
    test::TempDir dir;
    writePng(dir.file("ship.png"), 12, 6, opaque);
    auto a = Sprite::spriteWithFile(dir.file("ship.png"));
    auto b = Sprite::spriteWithFile(dir.file("ship.png"));
    ASSERT_TRUE(a->texture());
    EXPECT_EQ(a->texture(), b->texture());
    EXPECT_EQ(a->contentSize(), Size(12, 6));

    auto image = platform::DecodedImage::imageWithRGBA(4, 2, rgbaOf(4, 2, opaque),
                                                       platform::ImageAlpha::None);
    auto c = Sprite::spriteWithCGImage(image.get());
    auto d = Sprite::spriteWithCGImage(image.get());
    ASSERT_TRUE(c->texture());
    EXPECT_EQ(c->texture(), d->texture());
    EXPECT_EQ(c->contentSize(), Size(4, 2));

    // A file that cannot be loaded: a sprite without a picture that draws
    // nothing.
    test::LogCapture log;
    auto missing = Sprite::spriteWithFile(dir.file("none.png"));
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->texture(), nullptr);
    EXPECT_EQ(missing->contentSize(), Size(0, 0));
    auto surface = surface2D(8, 8, kBlack);
    missing->setPosition(Point(4, 4));
    missing->visit();
    endDrawing();
    EXPECT_TRUE(near(Pixels::of(*surface).at(4, 4), {0, 0, 0, 255}));
}

TEST_F(SpriteTest, AnimationsNameTheirTexturesAndAnimateShowsThem) {
    test::TempDir dir;
    writePng(dir.file("a.png"), 2, 2, opaque);
    writePng(dir.file("b.png"), 4, 4, opaque);
    auto base = textureOf(6, 6, opaque);
    auto third = textureOf(8, 8, opaque);

    test::LogCapture log;
    auto fromFiles = Animation::animationWithName(
        "files", 0.1f,
        std::vector<std::string>{dir.file("a.png"), dir.file("gone.png"), dir.file("b.png")});
    ASSERT_EQ(fromFiles->frames().size(), 2u); // the missing file is left out
    auto fromTextures = Animation::animationWithName("textures", 0.5f, {third, base});
    EXPECT_EQ(fromTextures->frames().size(), 2u);
    auto added = Animation::animationWithName("added", 0.2f);
    added->addFrameWithTexture(third.get());
    added->addFrameWithFilename(dir.file("a.png"));
    EXPECT_EQ(added->frameCount(), 2u);
    EXPECT_EQ(added->frameAtIndex(1), fromFiles->frames()[0].get());

    auto sprite = Sprite::spriteWithTexture(base.get());
    sprite->addAnimation(fromFiles.get());
    EXPECT_EQ(sprite->animationByName("files"), fromFiles.get());
    EXPECT_EQ(sprite->animationByName("other"), nullptr);
    sprite->setDisplayFrame("files", 1);
    EXPECT_EQ(sprite->contentSize(), Size(4, 4));
    EXPECT_TRUE(sprite->isFrameDisplayed(fromFiles->frames()[1].get()));
    EXPECT_CC_ASSERT(sprite->setDisplayFrame("files", 2), "Sprite#setDisplayFrame. Invalid frame");
    EXPECT_CC_ASSERT(sprite->setDisplayFrame("other", 0), "Sprite#setDisplayFrame. Invalid frame");
    sprite->setDisplayFrame(base.get());
    EXPECT_EQ(sprite->displayFrame().get(), base.get());

    sprite->onEnter();
    sprite->runAction(Animate::actionWithAnimation(fromFiles.get()).get());
    tick(0);
    EXPECT_EQ(sprite->texture(), fromFiles->frames()[0].get());
    EXPECT_EQ(sprite->contentSize(), Size(2, 2));
    tick(0.15f);
    EXPECT_EQ(sprite->texture(), fromFiles->frames()[1].get());
    tick(0.1f);
    EXPECT_EQ(sprite->numberOfRunningActions(), 0);
    EXPECT_EQ(sprite->texture(), base.get()); // the original frame is back

    sprite->runAction(FadeTo::actionWithDuration(0.1f, 64).get());
    tick(0);
    tick(0.2f);
    EXPECT_EQ(sprite->opacity(), 64);
    EXPECT_EQ(sprite->color(), ccc3(64, 64, 64));
    sprite->onExit();
    sprite->cleanup();
}

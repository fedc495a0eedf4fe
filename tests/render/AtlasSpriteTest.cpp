// Atlas sprites on their own: texture coordinates, corners, colour and
// frames.
#include "engine/IntervalAction.h"
#include "render/AtlasSpriteManager.h"
#include "tests/render/RenderTestSupport.h"

#include <regex>

using namespace rendertest;

namespace {

class AtlasSpriteTest : public NodeGLTest {
protected:
    void SetUp() override {
        NodeGLTest::SetUp();
        // A 64 x 32 sheet: texture coordinates are plain fractions.
        sheet = textureOf(64, 32, [](int x, int y) {
            return std::array<uint8_t, 4>{uint8_t(x * 4), uint8_t(y * 8), 0, 255};
        });
        ASSERT_TRUE(sheet);
        manager = AtlasSpriteManager::spriteManagerWithTexture(sheet.get(), 4);
        ASSERT_TRUE(manager);
    }

    Ref<Texture2D> sheet;
    Ref<AtlasSpriteManager> manager;
};

void expectCorner(const ccV3F_C4B_T2F& v, float x, float y, float z = 0) {
    EXPECT_NEAR(v.vertices.x, x, 1e-4);
    EXPECT_NEAR(v.vertices.y, y, 1e-4);
    EXPECT_FLOAT_EQ(v.vertices.z, z);
}

void expectTex(const ccV3F_C4B_T2F& v, float u, float t) {
    EXPECT_FLOAT_EQ(v.texCoords.u, u);
    EXPECT_FLOAT_EQ(v.texCoords.v, t);
}

void expectColors(const ccV3F_C4B_T2F_Quad& q, ccColor4B c) {
    for (const ccV3F_C4B_T2F* v : {&q.tl, &q.bl, &q.tr, &q.br})
        EXPECT_EQ(v->colors, c);
}

} // namespace

TEST_F(AtlasSpriteTest, StartsOutsideTheAtlasWithTheRectangleAsItsSize) {
    auto sprite = manager->createSpriteWithRect(Rect(16, 8, 16, 8));
    EXPECT_EQ(sprite->atlasIndex(), AtlasSprite::kIndexNotInAtlas);
    EXPECT_TRUE(sprite->dirty());
    EXPECT_EQ(sprite->contentSize(), Size(16, 8));
    EXPECT_EQ(sprite->transformAnchor(), Point(8, 4));
    EXPECT_TRUE(sprite->doesOpacityModifyRGB());
    expectColors(sprite->quad(), {255, 255, 255, 255});
    EXPECT_EQ(manager->textureAtlas()->totalQuads(), 0u); // not added by creation
    EXPECT_CC_ASSERT(sprite->addChild(Node::node().get()), "AtlasSprite can't have children");
    EXPECT_TRUE(std::regex_match(
        sprite->description(),
        std::regex(
            "<AtlasSprite = [0-9A-F]{8,} \\| Rect = \\(16.00,8.00,16.00,8.00\\) \\| tag = -1>")))
        << sprite->description();
}

TEST_F(AtlasSpriteTest, TextureCoordinatesFollowTheRectangleAndTheFlips) {
    auto sprite = manager->createSpriteWithRect(Rect(16, 8, 16, 8));
    const ccV3F_C4B_T2F_Quad& q = sprite->quad();
    expectTex(q.tl, 0.25f, 0.25f);
    expectTex(q.bl, 0.25f, 0.5f);
    expectTex(q.tr, 0.5f, 0.25f);
    expectTex(q.br, 0.5f, 0.5f);
    const ccV3F_C4B_T2F_Quad plain = q;

    sprite->setFlipX(true);
    expectTex(q.tl, 0.5f, 0.25f);
    expectTex(q.br, 0.25f, 0.5f);
    const ccV3F_C4B_T2F_Quad flipped = q;
    sprite->setFlipX(true); // unchanged: nothing happens
    EXPECT_EQ(q, flipped);
    sprite->setFlipY(true);
    expectTex(q.tl, 0.5f, 0.5f);
    expectTex(q.br, 0.25f, 0.25f);
    sprite->setFlipX(false);
    sprite->setFlipY(false);
    EXPECT_EQ(q, plain);

    // A new rectangle keeps the flips and changes the size.
    sprite->setFlipY(true);
    sprite->setTextureRect(Rect(0, 0, 32, 32));
    expectTex(q.tl, 0, 1);
    expectTex(q.br, 0.5f, 0);
    EXPECT_EQ(sprite->contentSize(), Size(32, 32));
    EXPECT_EQ(sprite->transformAnchor(), Point(16, 16));
}

TEST_F(AtlasSpriteTest, CornersForEachPlacement) {
    auto sprite = manager->createSpriteWithRect(Rect(0, 0, 20, 10));
    const ccV3F_C4B_T2F_Quad& q = sprite->quad();

    // Neither turned nor scaled: the rectangle around the anchor.
    sprite->setPosition(Point(100, 100));
    sprite->setVertexZ(3);
    EXPECT_TRUE(sprite->dirty());
    sprite->updatePosition();
    EXPECT_FALSE(sprite->dirty());
    expectCorner(q.tl, 90, 105, 3);
    expectCorner(q.bl, 90, 95, 3);
    expectCorner(q.tr, 110, 105, 3);
    expectCorner(q.br, 110, 95, 3);

    // Scaled about the anchor.
    sprite->setVertexZ(0);
    sprite->setScaleX(2);
    sprite->setScaleY(0.5f);
    sprite->setAnchorPoint(Point(0, 1));
    sprite->updatePosition();
    expectCorner(q.tl, 100, 100);
    expectCorner(q.bl, 100, 95);
    expectCorner(q.br, 140, 95);

    // Turned 90 degrees clockwise about the centre.
    sprite->setScale(1);
    sprite->setAnchorPoint(Point(0.5f, 0.5f));
    sprite->setRotation(90);
    sprite->updatePosition();
    expectCorner(q.tl, 105, 110);
    expectCorner(q.bl, 95, 110);
    expectCorner(q.tr, 105, 90);
    expectCorner(q.br, 95, 90);

    // Turned and scaled.
    sprite->setScale(2);
    sprite->setRotation(180);
    sprite->updatePosition();
    expectCorner(q.tl, 120, 90);
    expectCorner(q.br, 80, 110);

    // The anchor is always relative: asking otherwise changes nothing.
    sprite->setRelativeAnchorPoint(false);
    EXPECT_TRUE(sprite->relativeAnchorPoint());

    // Invisible: every corner collapses to the origin.
    sprite->setVisible(false);
    EXPECT_TRUE(sprite->dirty());
    sprite->updatePosition();
    expectCorner(q.tl, 0, 0);
    expectCorner(q.br, 0, 0);
    expectTex(q.tl, 0, 0); // texture coordinates and colours stay
    expectColors(q, {255, 255, 255, 255});
}

TEST_F(AtlasSpriteTest, OpacityOverwritesTheColourOnPremultipliedTextures) {
    auto sprite = manager->createSpriteWithRect(Rect(0, 0, 8, 8));
    manager->addChild(sprite.get());
    sprite->setColor(ccc3(10, 20, 30));
    expectColors(sprite->quad(), {10, 20, 30, 255});
    // In the atlas the colour is written at once, without a draw.
    expectColors(manager->textureAtlas()->quads()[0], {10, 20, 30, 255});
    sprite->setOpacity(128);
    EXPECT_EQ(sprite->color(), ccc3(128, 128, 128));
    expectColors(manager->textureAtlas()->quads()[0], {128, 128, 128, 128});

    // Straight alpha keeps the colour and changes only the alpha.
    auto straight = textureOf(
        8, 8,
        [](int, int) {
            return std::array<uint8_t, 4>{9, 9, 9, 200};
        },
        platform::ImageAlpha::Straight);
    auto straightManager = AtlasSpriteManager::spriteManagerWithTexture(straight.get(), 2);
    EXPECT_EQ(straightManager->blendFunc(), kBlendStraightAlpha);
    auto other = straightManager->createSpriteWithRect(Rect(0, 0, 8, 8));
    EXPECT_FALSE(other->doesOpacityModifyRGB());
    other->setRGB(10, 20, 30);
    other->setOpacity(128);
    EXPECT_EQ(other->color(), ccc3(10, 20, 30));
    expectColors(other->quad(), {10, 20, 30, 128});
}

TEST_F(AtlasSpriteTest, FramesAndAnimationsChangeTheRectangle) {
    auto sprite = manager->createSpriteWithRect(Rect(0, 0, 16, 16));
    manager->addChild(sprite.get());
    auto walk = AtlasAnimation::animationWithName("walk", 0.1f);
    walk->addFrameWithRect(Rect(16, 0, 16, 16));
    walk->addFrameWithRect(Rect(32, 0, 16, 16));
    walk->addFrameWithRect(Rect(48, 16, 16, 16));
    sprite->addAnimation(walk.get());
    EXPECT_EQ(sprite->animationByName("walk"), walk.get());
    EXPECT_EQ(sprite->animationByName("run"), nullptr);

    sprite->setDisplayFrame("walk", 2);
    EXPECT_EQ(sprite->textureRect(), Rect(48, 16, 16, 16));
    expectTex(manager->textureAtlas()->quads()[0].tl, 0.75f, 0.5f); // written at once
    EXPECT_CC_ASSERT(sprite->setDisplayFrame("walk", 3),
                     "AtlasSprite#setDisplayFrame. Invalid frame");
    EXPECT_CC_ASSERT(sprite->setDisplayFrame("run", 0),
                     "AtlasSprite#setDisplayFrame. Invalid frame");

    auto shown = ref_cast<AtlasSpriteFrame>(sprite->displayFrame());
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->rect(), Rect(48, 16, 16, 16));
    EXPECT_TRUE(sprite->isFrameDisplayed(shown.get()));
    EXPECT_FALSE(sprite->isFrameDisplayed(walk->frames()[0].get()));
    EXPECT_TRUE(std::regex_match(
        shown->description(),
        std::regex("<AtlasSpriteFrame = [0-9A-F]{8,} \\| Rect = \\(48.00,16.00,16.00,16.00\\)>")));

    auto listed = AtlasAnimation::animationWithName(
        "list", 0.2f, {AtlasSpriteFrame::frameWithRect(Rect(0, 0, 1, 1)), nullptr});
    EXPECT_EQ(listed->frames().size(), 1u);
}

TEST_F(AtlasSpriteTest, AnimateStepsThroughTheFramesAndRestoresTheFirst) {
    auto sprite = manager->createSpriteWithRect(Rect(0, 0, 16, 16));
    manager->addChild(sprite.get());
    manager->onEnter();
    auto anim = AtlasAnimation::animationWithName("blink", 0.1f);
    anim->addFrameWithRect(Rect(16, 0, 16, 16));
    anim->addFrameWithRect(Rect(32, 0, 16, 16));
    sprite->runAction(Animate::actionWithAnimation(anim.get()).get());
    tick(0);
    EXPECT_EQ(sprite->textureRect(), Rect(16, 0, 16, 16));
    tick(0.12f);
    EXPECT_EQ(sprite->textureRect(), Rect(32, 0, 16, 16));
    expectTex(manager->textureAtlas()->quads()[0].tl, 0.5f, 0);
    tick(0.12f);
    EXPECT_EQ(sprite->numberOfRunningActions(), 0);
    EXPECT_EQ(sprite->textureRect(), Rect(0, 0, 16, 16));

    // Fades and tints reach the quad through the colour interface.
    sprite->runAction(TintTo::actionWithDuration(0.1f, 255, 0, 0).get());
    tick(0);
    tick(0.2f);
    expectColors(manager->textureAtlas()->quads()[0], {255, 0, 0, 255});
    sprite->runAction(FadeTo::actionWithDuration(0.1f, 0).get());
    tick(0);
    tick(0.2f);
    expectColors(manager->textureAtlas()->quads()[0], {0, 0, 0, 0});
    manager->onExit();
    manager->cleanup();
}

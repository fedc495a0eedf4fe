// The tile-grid atlas node base: grid measures, colour rules and drawing.
#include "render/AtlasNode.h"
#include "tests/render/RenderTestSupport.h"

using namespace rendertest;

namespace {

const uint8_t kBlack[4] = {0, 0, 0, 255};

// Shows tiles 0, 1, ... of the grid side by side, one per quad.
class TileRow : public AtlasNode {
public:
    unsigned count = 0;
    void updateAtlasValues() override {
        for (unsigned i = 0; i < count; ++i) {
            float left = float(int(i) % itemsPerRow_) * texStepX_;
            float top = float(int(i) / itemsPerRow_) * texStepY_;
            float x = float(i) * float(itemWidth_), w = float(itemWidth_), h = float(itemHeight_);
            ccV3F_C4B_T2F_Quad q;
            q.tl = {{x, h, 0}, {}, {left, top}};
            q.bl = {{x, 0, 0}, {}, {left, top + texStepY_}};
            q.tr = {{x + w, h, 0}, {}, {left + texStepX_, top}};
            q.br = {{x + w, 0, 0}, {}, {left + texStepX_, top + texStepY_}};
            textureAtlas_->updateQuad(q, i);
        }
    }
    static Ref<TileRow> with(const std::string& file, unsigned count) {
        auto row = make<TileRow>();
        if (!row->initWithTileFile(file, 10, 10, count)) return nullptr;
        row->count = count;
        row->updateAtlasValues();
        return row;
    }
};

class AtlasNodeTest : public NodeGLTest {
protected:
    void SetUp() override {
        NodeGLTest::SetUp();
        // 40 x 20 in tiles of 10: white, green, blue, clear; then grey.
        writePng(dir.file("tiles.png"), 40, 20, [](int x, int y) -> std::array<uint8_t, 4> {
            if (y >= 10) return {128, 128, 128, 255};
            switch (x / 10) {
            case 0:
                return {255, 255, 255, 255};
            case 1:
                return {0, 255, 0, 255};
            case 2:
                return {0, 0, 255, 255};
            default:
                return {0, 0, 0, 0};
            }
        });
    }
    test::TempDir dir;
};

} // namespace

TEST_F(AtlasNodeTest, TheGridIsMeasuredFromTheTexture) {
    auto node = AtlasNode::atlasWithTileFile(dir.file("tiles.png"), 10, 10, 3);
    ASSERT_TRUE(node);
    EXPECT_EQ(node->itemsPerRow(), 4);
    EXPECT_EQ(node->itemsPerColumn(), 2);
    EXPECT_FLOAT_EQ(node->texStepX(), 10.0f / 64); // texture pixels, not picture pixels
    EXPECT_FLOAT_EQ(node->texStepY(), 10.0f / 32);
    EXPECT_EQ(node->textureAtlas()->capacity(), 3u);
    EXPECT_EQ(node->opacity(), 255);
    EXPECT_EQ(node->color(), ccWHITE);
    EXPECT_TRUE(node->doesOpacityModifyRGB());
    EXPECT_EQ(node->blendFunc(), kBlendPremultiplied);
    EXPECT_CC_ERROR(node->updateAtlasValues(), "AtlasNode:Abstract",
                    "updateAtlasValue not overriden");
    EXPECT_CC_ASSERT(AtlasNode::atlasWithTileFile(dir.file("tiles.png"), 0, 10, 3),
                     "AtlasNode: tile sizes must be positive");

    node->setRGB(1, 2, 3);
    node->setOpacity(90);
    EXPECT_EQ(node->color(), ccc3(90, 90, 90));

    auto straight = textureOf(
        8, 8,
        [](int, int) {
            return std::array<uint8_t, 4>{1, 2, 3, 4};
        },
        platform::ImageAlpha::Straight);
    node->setTexture(straight.get());
    EXPECT_EQ(node->texture(), straight.get());
    EXPECT_EQ(node->blendFunc(), kBlendStraightAlpha);
    EXPECT_FALSE(node->doesOpacityModifyRGB());
    node->setRGB(1, 2, 3);
    node->setOpacity(90);
    EXPECT_EQ(node->color(), ccc3(1, 2, 3));
}

TEST_F(AtlasNodeTest, DrawsItsQuadsTintedByItsColour) {
    auto row = TileRow::with(dir.file("tiles.png"), 3);
    ASSERT_TRUE(row);
    row->setPosition(Point(5, 5));
    auto tinted = TileRow::with(dir.file("tiles.png"), 2);
    tinted->setPosition(Point(5, 25));
    tinted->setColor(ccc3(255, 0, 0));

    auto surface = surface2D(40, 40, kBlack);
    row->visit();
    tinted->visit();
    endDrawing();
    Pixels px = Pixels::of(*surface);
    EXPECT_TRUE(near(px.at(10, 10), {255, 255, 255}, 3));
    EXPECT_TRUE(near(px.at(20, 10), {0, 255, 0}, 3));
    EXPECT_TRUE(near(px.at(30, 10), {0, 0, 255}, 3));
    EXPECT_TRUE(near(px.at(37, 10), {0, 0, 0}, 3));
    EXPECT_TRUE(near(px.at(10, 30), {255, 0, 0}, 3));
    EXPECT_TRUE(near(px.at(20, 30), {0, 0, 0}, 3)); // green under a red tint
}

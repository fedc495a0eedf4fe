// The quad array bookkeeping of the texture atlas; no drawing.
#include "render/TextureAtlas.h"
#include "tests/common/TestSupport.h"

#include <regex>

namespace {

// A quad recognisable by `id` in every corner.
ccV3F_C4B_T2F_Quad quad(float id) {
    ccV3F_C4B_T2F_Quad q;
    for (ccV3F_C4B_T2F* v : {&q.tl, &q.bl, &q.tr, &q.br}) {
        v->vertices = {id, id + 0.25f, 0};
        v->colors = {uint8_t(id), 1, 2, 3};
        v->texCoords = {id, 1};
    }
    return q;
}

// The ids of the quads in use, in order.
std::vector<float> ids(const TextureAtlas& atlas) {
    std::vector<float> out;
    for (unsigned i = 0; i < atlas.totalQuads(); ++i)
        out.push_back(atlas.quads()[i].tl.vertices.x);
    return out;
}

Ref<TextureAtlas> atlasOf(std::initializer_list<float> quadIds, unsigned capacity) {
    auto atlas = TextureAtlas::textureAtlasWithTexture(nullptr, capacity);
    unsigned i = 0;
    for (float id : quadIds)
        atlas->updateQuad(quad(id), i++);
    return atlas;
}

} // namespace

TEST(TextureAtlasTest, QuadsAreSeparateTrianglePairsOf16BitIndices) {
    auto atlas = TextureAtlas::textureAtlasWithTexture(nullptr, 3);
    ASSERT_TRUE(atlas);
    EXPECT_EQ(atlas->capacity(), 3u);
    EXPECT_EQ(atlas->totalQuads(), 0u);
    std::vector<GLushort> expected = {0, 1, 2, 3, 2, 1, 4, 5, 6, 7, 6, 5, 8, 9, 10, 11, 10, 9};
    EXPECT_EQ(std::vector<GLushort>(atlas->indices(), atlas->indices() + 18), expected);

    // The largest atlas still addresses its last vertex.
    auto largest = TextureAtlas::textureAtlasWithTexture(nullptr, TextureAtlas::kMaxQuads);
    ASSERT_TRUE(largest);
    EXPECT_EQ(largest->indices()[TextureAtlas::kMaxQuads * 6 - 3], 65535);

    // One more quad than the indices reach is refused like a failed
    // allocation.
    test::LogCapture log;
    EXPECT_FALSE(TextureAtlas::textureAtlasWithTexture(nullptr, TextureAtlas::kMaxQuads + 1));
    EXPECT_TRUE(log.contains("TextureAtlas: not enough memory"));
}

TEST(TextureAtlasTest, UpdateInsertMoveAndRemoveKeepTheOrder) {
    auto atlas = atlasOf({1, 2, 3}, 6);
    EXPECT_EQ(ids(*atlas), (std::vector<float>{1, 2, 3}));

    atlas->insertQuad(quad(9), 1);
    EXPECT_EQ(ids(*atlas), (std::vector<float>{1, 9, 2, 3}));
    atlas->insertQuad(quad(8), 4); // at the end
    EXPECT_EQ(ids(*atlas), (std::vector<float>{1, 9, 2, 3, 8}));
    EXPECT_EQ(atlas->quads()[1], quad(9)); // whole quads move, not just one field

    atlas->insertQuadFromIndex(0, 3); // forward: the ones between move down
    EXPECT_EQ(ids(*atlas), (std::vector<float>{9, 2, 3, 1, 8}));
    atlas->insertQuadFromIndex(4, 1); // backward: the ones between move up
    EXPECT_EQ(ids(*atlas), (std::vector<float>{9, 8, 2, 3, 1}));
    atlas->insertQuadFromIndex(2, 2);
    EXPECT_EQ(ids(*atlas), (std::vector<float>{9, 8, 2, 3, 1}));

    atlas->removeQuadAtIndex(0);
    atlas->removeQuadAtIndex(3); // the last one
    EXPECT_EQ(ids(*atlas), (std::vector<float>{8, 2, 3}));

    // Writing past the end extends the quads in use.
    atlas->updateQuad(quad(7), 5);
    EXPECT_EQ(atlas->totalQuads(), 6u);
    atlas->updateQuad(quad(6), 0);
    EXPECT_EQ(atlas->totalQuads(), 6u);
    // In a new atlas the gap holds empty quads that draw nothing.
    auto fresh = atlasOf({}, 3);
    fresh->updateQuad(quad(7), 2);
    EXPECT_EQ(fresh->quads()[1], ccV3F_C4B_T2F_Quad{});

    atlas->removeAllQuads();
    EXPECT_EQ(atlas->totalQuads(), 0u);
    EXPECT_EQ(atlas->capacity(), 6u);

    ccV3F_C4B_T2F_Quad two[] = {quad(4), quad(5)};
    atlas->setQuads(two, 2);
    EXPECT_EQ(ids(*atlas), (std::vector<float>{4, 5}));
}

TEST(TextureAtlasTest, OutOfRangeIndicesAreRefusedBeforeAnyMemoryMoves) {
    auto atlas = atlasOf({1, 2}, 4);
    EXPECT_CC_ASSERT(atlas->updateQuad(quad(0), 4), "updateQuadWithTexture: Invalid index");
    EXPECT_CC_ASSERT(atlas->insertQuad(quad(0), 4), "insertQuadWithTexture: Invalid index");
    // Past the quads in use the move would run backwards over the array.
    EXPECT_CC_ASSERT(atlas->insertQuad(quad(0), 3), "insertQuadWithTexture: Invalid index");
    EXPECT_CC_ASSERT(atlas->insertQuadFromIndex(2, 0),
                     "insertQuadFromIndex:atIndex: Invalid index");
    EXPECT_CC_ASSERT(atlas->insertQuadFromIndex(0, 2),
                     "insertQuadFromIndex:atIndex: Invalid index");
    EXPECT_CC_ASSERT(atlas->removeQuadAtIndex(2), "removeQuadAtIndex: Invalid index");
    atlas->insertQuad(quad(3), 0);
    atlas->insertQuad(quad(4), 3);
    // Full: another insertion would write past the array.
    EXPECT_CC_ASSERT(atlas->insertQuad(quad(5), 1), "insertQuadWithTexture: atlas is full");
    EXPECT_EQ(ids(*atlas), (std::vector<float>{3, 1, 2, 4}));
    EXPECT_CC_ASSERT(atlas->setQuads(nullptr, 5), "setQuads: more quads than the capacity");
}

TEST(TextureAtlasTest, ResizingKeepsTheQuadsAndRefillsTheIndices) {
    auto atlas = atlasOf({1, 2, 3, 4}, 4);
    ASSERT_TRUE(atlas->resizeCapacity(4)); // same capacity: nothing to do
    ASSERT_TRUE(atlas->resizeCapacity(10));
    EXPECT_EQ(atlas->capacity(), 10u);
    EXPECT_EQ(ids(*atlas), (std::vector<float>{1, 2, 3, 4}));
    EXPECT_EQ(atlas->indices()[9 * 6 + 3], 39);
    atlas->insertQuad(quad(5), 4);
    EXPECT_EQ(ids(*atlas), (std::vector<float>{1, 2, 3, 4, 5}));

    // Shrinking cuts the quads in use.
    ASSERT_TRUE(atlas->resizeCapacity(2));
    EXPECT_EQ(atlas->totalQuads(), 2u);
    EXPECT_EQ(ids(*atlas), (std::vector<float>{1, 2}));

    // A refused size is logged and loses nothing.
    test::LogCapture log;
    EXPECT_FALSE(atlas->resizeCapacity(TextureAtlas::kMaxQuads + 1));
    EXPECT_TRUE(log.contains("TextureAtlas: not enough memory"));
    EXPECT_EQ(atlas->capacity(), 2u);
    EXPECT_EQ(ids(*atlas), (std::vector<float>{1, 2}));
}

TEST(TextureAtlasTest, DescriptionNamesTheQuadCount) {
    auto atlas = atlasOf({1, 2}, 3);
    EXPECT_TRUE(std::regex_match(atlas->description(),
                                 std::regex("<TextureAtlas = [0-9A-F]{8,} \\| totalQuads = 2>")))
        << atlas->description();
}

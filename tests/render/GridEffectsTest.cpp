// The arithmetic of the grid effects that is ours to define.
#include "render/GridEffects.h"
#include "render/TileEffects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

TEST(GridEffectsTest, AShuffleDependsOnlyOnItsSeed) {
    EXPECT_EQ(ccShuffledOrder(10, 42), (std::vector<unsigned>{1, 3, 9, 7, 6, 0, 8, 4, 5, 2}));
    EXPECT_EQ(ccShuffledOrder(10, 42), ccShuffledOrder(10, 42));
    EXPECT_NE(ccShuffledOrder(10, 42), ccShuffledOrder(10, 43));
    for (unsigned count : {0u, 1u, 2u, 96u}) {
        auto order = ccShuffledOrder(count, 7);
        std::sort(order.begin(), order.end());
        std::vector<unsigned> all(count);
        std::iota(all.begin(), all.end(), 0u);
        EXPECT_EQ(order, all) << count;
    }
}

TEST(GridEffectsTest, APageTurnRollsPointsRoundTheCylinderThenFlatOnTheBack) {
    const Size page(300, 200); // radius 200 / 6
    struct Case {
        Point p;
        float t;
        ccVertex3F expected;
    };
    // At t = 0.25 the fold crosses the bottom edge at about x = 179 (it
    // leans 20 degrees); past it a point goes round the cylinder, and more
    // than half its circumference past it lies flat on the back.
    const Case cases[] = {
        {{0, 200}, 0.25f, {0, 200, 0}},               // before the fold
        {{250, 0}, 0.25f, {215.69f, 12.49f, 47.30f}}, // round the cylinder
        {{300, 0}, 0.25f, {184.63f, 41.99f, 66.67f}}, // flat on the back
        {{300, 0}, 0, {300, 0, 0}},                   // nothing turned yet
    };
    for (const Case& c : cases) {
        ccVertex3F v = PageTurn3D::turn(c.p, page, c.t);
        EXPECT_NEAR(v.x, c.expected.x, 0.05f) << c.p.x << ", " << c.p.y;
        EXPECT_NEAR(v.y, c.expected.y, 0.05f) << c.p.x << ", " << c.p.y;
        EXPECT_NEAR(v.z, c.expected.z, 0.05f) << c.p.x << ", " << c.p.y;
    }
    // At the end every corner lies on the back, left of the whole page.
    for (Point corner : {Point(0, 0), Point(300, 0), Point(0, 200), Point(300, 200)}) {
        ccVertex3F v = PageTurn3D::turn(corner, page, 1);
        EXPECT_NEAR(v.z, 200.0f / 3, 0.01f);
        EXPECT_LE(v.x * 0.9397f - v.y * 0.3420f, -68.4f + 0.1f);
    }
}

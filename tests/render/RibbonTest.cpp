// Motion streaks lay points as their node travels and let them fade.
#include "render/Ribbon.h"
#include "tests/render/RenderTestSupport.h"

using namespace rendertest;

class RibbonTest : public NodeGLTest {};

TEST_F(RibbonTest, AStreakAddsAPointEveryMinSegAndDropsThemWhenFaded) {
    test::TempDir dir;
    writeSolidPng(dir.file("streak.png"), 32, 8, {255, 255, 255, 255});
    auto streak = MotionStreak::streakWithFade(1, 10, dir.file("streak.png"), 8, 32,
                                               ccc4(255, 255, 255, 255));
    ASSERT_TRUE(streak);
    Ribbon* ribbon = streak->ribbon();
    streak->onEnter();
    tick(0);
    tick(0);
    EXPECT_EQ(ribbon->pointCount(), 1u);
    streak->setPosition(Point(5, 0)); // under minSeg
    tick(0.1f);
    EXPECT_EQ(ribbon->pointCount(), 1u);
    streak->setPosition(Point(12, 0));
    tick(0.1f);
    EXPECT_EQ(ribbon->pointCount(), 2u);
    tick(0.85f); // the first point is 1.05 s old, the second 0.85 s
    EXPECT_EQ(ribbon->pointCount(), 1u);
    tick(0.2f);
    EXPECT_EQ(ribbon->pointCount(), 0u);
    streak->onExit();
    streak->cleanup();
    EXPECT_FALSE(
        MotionStreak::streakWithFade(1, 10, dir.file("none.png"), 8, 32, ccc4(255, 255, 255, 255)));
}

// Children of a parallax node scroll at their ratios of its position.
#include "engine/ParallaxNode.h"
#include "engine/Scene.h"
#include "tests/engine/EngineTestSupport.h"

using test::at;
using test::near;

namespace {

class ParallaxNodeTest : public test::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        attach();
    }
    platform::Image frameAt(Point position) {
        parallax_->setPosition(position);
        clock_.advance(1.0 / 60);
        Director::sharedDirector().mainLoop();
        return frame();
    }
    Ref<ParallaxNode> parallax_ = ParallaxNode::node();
};

} // namespace

TEST_F(ParallaxNodeTest, ChildrenMoveAtTheirRatiosOfTheNodesOffset) {
    auto scene = Scene::node();
    auto slow = ColorLayer::layerWithColor(ccc4(255, 0, 0, 255), 100, 480);
    auto fast = ColorLayer::layerWithColor(ccc4(0, 0, 255, 255), 40, 480);
    parallax_->addChild(slow.get(), 0, Point(0.5f, 1), Point(0, 0));
    parallax_->addChild(fast.get(), 1, Point(2, 1), Point(250, 0));
    scene->addChild(parallax_.get());
    Director::sharedDirector().runWithScene(scene.get());

    // At -100 the slow layer is 50 to the left (x -50..50), the fast one
    // 200 (x 50..90).
    platform::Image img = frameAt(Point(-100, 0));
    EXPECT_TRUE(near(at(img, 25, 240), 255, 0, 0));
    EXPECT_TRUE(near(at(img, 60, 240), 0, 0, 255));
    EXPECT_TRUE(near(at(img, 95, 240), 0, 0, 0));

    img = frameAt(Point(-150, 0)); // -75..25 and -50..-10
    EXPECT_TRUE(near(at(img, 20, 240), 255, 0, 0));
    EXPECT_TRUE(near(at(img, 40, 240), 0, 0, 0));

    parallax_->removeChild(fast.get(), true);
    img = frameAt(Point(0, 0));
    EXPECT_TRUE(near(at(img, 75, 240), 255, 0, 0));
    EXPECT_TRUE(near(at(img, 260, 240), 0, 0, 0));
}

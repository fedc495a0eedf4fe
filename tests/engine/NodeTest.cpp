#include "tests/engine/EngineTestSupport.h"

#include "platform/GL.h"

using test::JournalNode;

namespace {

class NodeTest : public test::EngineTest {
protected:
    Ref<JournalNode> journal(const std::string& name) { return make<JournalNode>(name, &log_); }
    std::vector<std::string> log_;
};

std::vector<int> zOrders(Node* n) {
    std::vector<int> out;
    for (auto& c : n->children()) out.push_back(c->zOrder());
    return out;
}

} // namespace

TEST_F(NodeTest, ChildrenSortByZWithLaterInsertionsAfterEquals) {
    auto parent = journal("p");
    auto a = journal("a"), b = journal("b"), c = journal("c"), d = journal("d");
    parent->addChild(a.get(), 0);
    parent->addChild(b.get(), 0);
    parent->addChild(c.get(), -1);
    parent->addChild(d.get(), 0, 7);
    ASSERT_EQ(zOrders(parent.get()), (std::vector<int>{-1, 0, 0, 0}));
    EXPECT_EQ(parent->children()[0], c);
    EXPECT_EQ(parent->children()[1], a);
    EXPECT_EQ(parent->children()[3], d);
    EXPECT_EQ(parent->getChildByTag(7), d.get());
    EXPECT_EQ(d->parent(), parent.get());

    // Reordering to the same z moves the child after its equals.
    parent->reorderChild(a.get(), 0);
    EXPECT_EQ(parent->children()[3], a);

    parent->visit();
    EXPECT_EQ(log_, (std::vector<std::string>{"draw c", "draw p", "draw b", "draw d", "draw a"}));
}

TEST_F(NodeTest, VisitDrawsEveryNonNegativeChildOnceAndSkipsInvisibleSubtrees) {
    auto parent = journal("p");
    auto neg = journal("neg"), zero = journal("zero"), pos = journal("pos"), hidden = journal("h");
    auto grandchild = journal("g");
    parent->addChild(pos.get(), 5);
    parent->addChild(zero.get(), 0);
    parent->addChild(neg.get(), -3);
    parent->addChild(hidden.get(), 1);
    hidden->addChild(grandchild.get());
    hidden->setVisible(false);
    parent->visit();
    EXPECT_EQ(log_, (std::vector<std::string>{"draw neg", "draw p", "draw zero", "draw pos"}));
}

TEST_F(NodeTest, ChildrenEnterBeforeAndExitAfterTheirParent) {
    auto root = journal("root");
    auto child = journal("child");
    auto grandchild = journal("grand");
    child->addChild(grandchild.get());
    root->addChild(child.get());
    root->onEnter();
    EXPECT_EQ(log_, (std::vector<std::string>{"enter grand", "enter child", "enter root"}));
    log_.clear();
    root->onExit();
    EXPECT_EQ(log_, (std::vector<std::string>{"exit root", "exit child", "exit grand"}));

    // Adding to a running parent enters at once; to a stopped one, not.
    log_.clear();
    root->onEnter();
    auto late = journal("late");
    root->addChild(late.get());
    EXPECT_TRUE(late->running());
    log_.clear();
    root->removeChild(late.get(), false);
    EXPECT_EQ(log_, (std::vector<std::string>{"exit late"}));
    EXPECT_EQ(late->parent(), nullptr);
    root->onExit();
}

TEST_F(NodeTest, TimersTickOnlyWhileRunningAndKeepTheFirstInterval) {
    auto node = journal("n");
    node->schedule(ccSelector(node.get(), &JournalNode::tick), 0);
    node->schedule(ccSelector(node.get(), &JournalNode::tick), 5); // ignored: already there
    Scheduler::sharedScheduler().tick(0.1f);
    EXPECT_TRUE(log_.empty());

    node->onEnter();
    Scheduler::sharedScheduler().tick(0.1f); // activated: first call gets 0
    Scheduler::sharedScheduler().tick(0.25f);
    EXPECT_EQ(log_, (std::vector<std::string>{"enter n", "n tick 0.000000", "n tick 0.250000"}));

    node->onExit();
    log_.clear();
    Scheduler::sharedScheduler().tick(0.1f);
    EXPECT_EQ(log_, (std::vector<std::string>{}));
    node->onEnter(); // the same timer comes back, with its elapsed time
    Scheduler::sharedScheduler().tick(0.5f);
    EXPECT_EQ(log_.back(), "n tick 0.500000");

    node->unschedule(ccSelector(node.get(), &JournalNode::tick));
    node->unschedule(std::string("neverScheduled"));
    log_.clear();
    Scheduler::sharedScheduler().tick(0.5f);
    EXPECT_TRUE(log_.empty());
    node->onExit();
}

TEST_F(NodeTest, ATimerKeepsItsNodeAliveUntilCleanup) {
    struct Counted : Node {
        int* deaths;
        explicit Counted(int* d) : deaths(d) {}
        ~Counted() override { ++*deaths; }
        void tick(float) {}
    };
    int deaths = 0;
    auto parent = Node::node();
    Counted* kept;
    {
        auto child = make<Counted>(&deaths);
        kept = child.get();
        child->schedule(ccSelector(child.get(), &Counted::tick));
        parent->addChild(child.get(), 0, 3);
    }
    parent->removeChildByTag(3, false);
    EXPECT_EQ(deaths, 0); // its timer still holds it
    kept->cleanup();      // drops the timer, and with it the last reference
    EXPECT_EQ(deaths, 1);

    {
        auto other = make<Counted>(&deaths);
        other->schedule(ccSelector(other.get(), &Counted::tick));
        parent->addChild(other.get(), 0, 4);
    }
    parent->removeChildByTag(4, true);
    EXPECT_EQ(deaths, 2);
}

TEST_F(NodeTest, AffineTransformTruncatesPositionsAndAnchors) {
    auto node = Node::node();
    node->setContentSize(Size(10, 10));
    node->setPosition(Point(10.7f, 20.2f));
    EXPECT_EQ(node->boundingBox(), Rect(10, 20, 10, 10));

    // Relative anchor: the anchor sits at the position.
    node->setAnchorPoint(Point(0.5f, 0.5f));
    node->setPosition(Point(100, 100));
    EXPECT_EQ(node->boundingBox(), Rect(95, 95, 10, 10));
    // Without it the origin sits at the position and the anchor is only the
    // centre of rotation.
    node->setRelativeAnchorPoint(false);
    EXPECT_EQ(node->boundingBox(), Rect(100, 100, 10, 10));
    node->setRotation(90);
    Rect r = node->boundingBox();
    EXPECT_NEAR(r.origin.x, 100, 1e-4);
    EXPECT_NEAR(r.origin.y, 100, 1e-4);

    // A non-integral anchor is truncated in this path only.
    auto a = Node::node();
    a->setContentSize(Size(5, 5));
    a->setAnchorPoint(Point(0.5f, 0.5f)); // transform anchor (2.5, 2.5) -> 2
    a->setPosition(Point(50, 50));
    EXPECT_EQ(a->boundingBox(), Rect(48, 48, 5, 5));
}

TEST_F(NodeTest, WorldConversionsComposeAncestorsAndInvert) {
    auto root = Node::node();
    auto child = Node::node();
    root->addChild(child.get());
    root->setPosition(Point(100, 50));
    root->setScale(2);
    child->setPosition(Point(10, 5));
    child->setRotation(90); // clockwise on screen
    Point world = child->convertToWorldSpace(Point(1, 0));
    EXPECT_NEAR(world.x, 120, 1e-4);
    EXPECT_NEAR(world.y, 58, 1e-4);
    Point back = child->convertToNodeSpace(world);
    EXPECT_NEAR(back.x, 1, 1e-4);
    EXPECT_NEAR(back.y, 0, 1e-4);

    // The cached inverse follows later changes.
    child->parentToNodeTransform();
    child->setPosition(Point(0, 0));
    Point p = child->parentToNodeTransform().apply(Point(0, 3));
    EXPECT_NEAR(p.x, -3, 1e-4);
    EXPECT_NEAR(p.y, 0, 1e-4);

    child->setContentSize(Size(4, 4));
    child->setAnchorPoint(Point(0.5f, 0.5f));
    Point ar = child->convertToNodeSpaceAR(child->convertToWorldSpaceAR(Point(1, 1)));
    EXPECT_NEAR(ar.x, 1, 1e-4);
    EXPECT_NEAR(ar.y, 1, 1e-4);
}

TEST_F(NodeTest, GLTransformFollowsTheAnchorRules) {
    auto modelview = [] {
        GLfloat m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        return std::vector<float>(m, m + 16);
    };
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    // At the origin with no anchor: no translation, whatever vertexZ says.
    auto n = Node::node();
    n->setVertexZ(5);
    n->transform();
    EXPECT_EQ(modelview()[14], 0);

    // Relative anchor: content centred on the position.
    glLoadIdentity();
    auto c = Node::node();
    c->setContentSize(Size(10, 10));
    c->setAnchorPoint(Point(0.5f, 0.5f));
    c->setPosition(Point(100.5f, 100));
    c->transform();
    auto m = modelview();
    EXPECT_FLOAT_EQ(m[12], 95.5f); // unrounded in the GL path
    EXPECT_FLOAT_EQ(m[13], 95);

    glLoadIdentity();
    c->setRelativeAnchorPoint(false);
    c->transform();
    m = modelview();
    EXPECT_FLOAT_EQ(m[12], 100.5f);
    EXPECT_FLOAT_EQ(m[13], 100);
    glLoadIdentity();
}

TEST_F(NodeTest, MisuseIsRefusedWithItsMessage) {
    auto n = Node::node();
    auto child = Node::node();
    EXPECT_CC_ASSERT(n->addChild(nullptr), "Argument must be non-nil");
    n->addChild(child.get());
    EXPECT_CC_ASSERT(Node::node()->addChild(child.get()),
                     "child already added. It can't be added again");
    EXPECT_CC_ASSERT(n->reorderChild(nullptr, 1), "Child must be non-nil");
    EXPECT_CC_ASSERT(n->getChildByTag(-1), "Invalid tag");
    EXPECT_CC_ASSERT(n->removeChildByTag(-1, true), "Invalid tag");
    EXPECT_CC_ASSERT(n->stopActionByTag(-1), "Invalid tag");
    EXPECT_CC_ASSERT(n->getActionByTag(-1), "Invalid tag");
    EXPECT_CC_ASSERT(n->runAction(nullptr), "Argument must be non-nil");
    EXPECT_CC_ASSERT(n->schedule(UpdateSelector()), "Argument must be non-nil");
    EXPECT_CC_ASSERT(n->schedule(UpdateSelector("x", [](float) {}), -1),
                     "Arguemnt must be positive");
    n->setScaleX(2);
    EXPECT_CC_ASSERT(n->scale(), "Node#scale. ScaleX != ScaleY. Don't know which one to return");
    // Silently ignored.
    n->removeChild(Node::node().get(), true);
    n->removeChild(nullptr, true);

    std::string d = n->description();
    EXPECT_EQ(d.rfind("<Node = ", 0), 0u) << d;
    EXPECT_NE(d.find(" | Tag = -1>"), std::string::npos) << d;
}

TEST_F(NodeTest, RemoveAllChildrenExitsCleansAndUnlinksEach) {
    auto root = journal("root");
    auto a = journal("a"), b = journal("b");
    root->addChild(a.get());
    root->addChild(b.get());
    a->schedule(ccSelector(a.get(), &JournalNode::tick));
    root->onEnter();
    log_.clear();
    root->removeAllChildrenWithCleanup(true);
    EXPECT_EQ(log_, (std::vector<std::string>{"exit a", "exit b"}));
    EXPECT_TRUE(root->children().empty());
    EXPECT_EQ(a->parent(), nullptr);
    EXPECT_FALSE(a->isScheduled("tick"));
    root->onExit();
}

// A child that takes its siblings out of the tree when it exits, ending the
// last one (a walk inside the walk).
class SiblingRemover : public JournalNode {
public:
    using JournalNode::JournalNode;
    void onExit() override {
        JournalNode::onExit();
        Ref<Node> self(this);
        Node* parent = this->parent();
        while (parent->children().size() > 1)
            parent->removeChild(parent->children().back().get(), true);
    }
};

TEST_F(NodeTest, AWalkReachesTheChildrenItBeganWithWhateverTheHooksChange) {
    auto root = journal("root");
    auto remover = make<SiblingRemover>("remover", &log_);
    auto b = journal("b"), c = journal("c"), grand = journal("grand");
    c->addChild(grand.get());
    root->addChild(remover.get());
    root->addChild(b.get());
    root->addChild(c.get());
    root->onEnter();
    b = nullptr;
    c = nullptr; // held only by the tree, then by the walk
    log_.clear();
    root->onExit();
    EXPECT_EQ(log_, (std::vector<std::string>{"exit root", "exit remover", "exit b", "exit c",
                                              "exit grand"}));
    EXPECT_EQ(root->children().size(), 1u);
    // Walks go on working after walks nested inside walks.
    log_.clear();
    root->onEnter();
    EXPECT_EQ(log_, (std::vector<std::string>{"enter remover", "enter root"}));
    root->onExit();
}

TEST_F(NodeTest, LayersAndScenesCoverTheScreenCentred) {
    auto layer = Layer::node();
    EXPECT_FALSE(layer->relativeAnchorPoint());
    EXPECT_EQ(layer->contentSize(), Size(320, 480));
    EXPECT_EQ(layer->transformAnchor(), Point(160, 240));
    auto scene = Scene::node();
    EXPECT_EQ(scene->anchorPoint(), Point(0.5f, 0.5f));
    EXPECT_CC_ERROR(make<ColorLayer>(), "ColorLayerInit", "Use ColorLayer initWithColor instead");
    EXPECT_CC_ASSERT(layer->ccTouchBegan(nullptr, nullptr), "Layer#ccTouchBegan override me");

    auto c = ColorLayer::layerWithColor(ccc4(1, 2, 3, 4), 20, 30);
    EXPECT_EQ(c->contentSize(), Size(20, 30));
    c->changeWidth(50);
    EXPECT_EQ(c->contentSize(), Size(50, 30));
    EXPECT_EQ(c->opacity(), 4);

    auto l0 = Layer::node(), l1 = Layer::node();
    auto multi = MultiplexLayer::layerWithLayers({l0, l1});
    EXPECT_EQ(l0->parent(), multi.get());
    multi->switchTo(1);
    EXPECT_EQ(l0->parent(), nullptr);
    EXPECT_EQ(l1->parent(), multi.get());
    EXPECT_CC_ASSERT(multi->switchTo(2), "Invalid index in MultiplexLayer switchTo message");
}

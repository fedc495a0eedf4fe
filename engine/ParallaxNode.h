#pragma once

#include "engine/Node.h"

#include <vector>

// A node whose children move at their own ratios of its position, for
// layered scrolling: scroll by moving the parallax node, and a child added
// with ratio (0.5, 1) and offset o shows at o + (0.5 x, 1 y) of the node's
// position (x, y) in the parent's space, so it scrolls at half the speed
// sideways. Ratios above 1 move faster than the node (near layers), 0 keeps
// the child still. Only the node's own position counts, not its ancestors'.
class ParallaxNode : public Node {
public:
    static Ref<ParallaxNode> node() { return make<ParallaxNode>(); }

    // The only way to add a child; the others fail an assertion.
    void addChild(Node* child, int z, Point ratio, Point offset);
    using Node::addChild;
    Node* addChild(Node* child, int z, int tag) override;
    void removeChild(Node* child, bool cleanup) override;
    void removeAllChildrenWithCleanup(bool cleanup) override;

    // Places the children for the node's position, then draws as a node.
    void visit() override;

private:
    struct PointObject {
        Node* child; // held by the children list
        Point ratio, offset;
    };
    std::vector<PointObject> parallaxArray_;
    Point lastPosition_{-1e9f, -1e9f};
};

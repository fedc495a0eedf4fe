#include "engine/ParallaxNode.h"

#include "support/Error.h"

#include <algorithm>

void ParallaxNode::addChild(Node* child, int z, Point ratio, Point offset) {
    ccAssert(child != nullptr, "Argument must be non-nil");
    parallaxArray_.push_back({child, ratio, offset});
    child->setPosition(
        Point(offset.x + position_.x * (ratio.x - 1), offset.y + position_.y * (ratio.y - 1)));
    Node::addChild(child, z, child->tag());
}

Node* ParallaxNode::addChild(Node*, int, int) {
    ccAssertionFailed("ParallaxNode: use addChild:z:parallaxRatio:positionOffset instead");
}

void ParallaxNode::removeChild(Node* child, bool cleanup) {
    std::erase_if(parallaxArray_, [child](const PointObject& p) { return p.child == child; });
    Node::removeChild(child, cleanup);
}

void ParallaxNode::removeAllChildrenWithCleanup(bool cleanup) {
    parallaxArray_.clear();
    Node::removeAllChildrenWithCleanup(cleanup);
}

void ParallaxNode::visit() {
    if (position_ != lastPosition_) {
        // The node's own translation already moves every child by its
        // position: each child makes up the rest of its ratio.
        for (const PointObject& p : parallaxArray_)
            p.child->setPosition(Point(p.offset.x + position_.x * (p.ratio.x - 1),
                                       p.offset.y + position_.y * (p.ratio.y - 1)));
        lastPosition_ = position_;
    }
    Node::visit();
}

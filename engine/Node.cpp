#include "engine/Node.h"

#include "engine/ActionManager.h"
#include "engine/Director.h"
#include "platform/GL.h"
#include "platform/Touch.h"
#include "support/ClassName.h"
#include "support/Error.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>

namespace {
constexpr const char* kNonNil = "Argument must be non-nil";
constexpr const char* kInvalidTag = "Invalid tag";

// The children as they were when a walk over them began (the calls made
// may add or remove some). The lists are kept, one per level of walks
// nested in walks, so that only a tree deeper or wider than any before
// allocates.
class ChildrenSnapshot {
public:
    explicit ChildrenSnapshot(const std::vector<Ref<Node>>& children) {
        if (Pool* pool = Pool::get()) {
            if (pool->depth == pool->lists.size()) pool->lists.emplace_back();
            list_ = &pool->lists[pool->depth++];
        }
        list_->assign(children.begin(), children.end());
    }
    ~ChildrenSnapshot() {
        // Letting go may end nodes, whose own walks take the next level.
        list_->clear();
        if (list_ != &own_) --Pool::get()->depth; // a walk ends before its thread
    }
    ChildrenSnapshot(const ChildrenSnapshot&) = delete;
    ChildrenSnapshot& operator=(const ChildrenSnapshot&) = delete;

    auto begin() const { return list_->begin(); }
    auto end() const { return list_->end(); }

private:
    struct Pool {
        std::deque<std::vector<Ref<Node>>> lists; // stays put as it grows
        size_t depth = 0;
        ~Pool() { gone() = true; }
        // Null once the thread's pool went (nodes ended by later exit
        // handlers make their own lists).
        static Pool* get() {
            if (gone()) return nullptr;
            thread_local Pool pool;
            return &pool;
        }
        static bool& gone() {
            thread_local bool gone = false;
            return gone;
        }
    };
    std::vector<Ref<Node>> own_;
    std::vector<Ref<Node>>* list_ = &own_;
};
} // namespace

Ref<Node> Node::node() { return make<Node>(); }

Node::Node() = default;

Node::~Node() {
    // Children outlive their parent only if something else holds them.
    for (auto& child : children_) {
        child->parent_ = nullptr;
        child->cleanup();
    }
}

// --- placement ---

void Node::setRotation(float degrees) {
    rotation_ = degrees;
    markTransformDirty();
}

void Node::setScaleX(float s) {
    scaleX_ = s;
    markTransformDirty();
}

void Node::setScaleY(float s) {
    scaleY_ = s;
    markTransformDirty();
}

float Node::scale() const {
    ccAssert(scaleX_ == scaleY_, "Node#scale. ScaleX != ScaleY. Don't know which one to return");
    return scaleX_;
}

void Node::setScale(float s) {
    scaleX_ = scaleY_ = s;
    markTransformDirty();
}

void Node::setPosition(Point p) {
    position_ = p;
    markTransformDirty();
}

void Node::setAnchorPoint(Point p) {
    if (p == anchorPoint_) return;
    anchorPoint_ = p;
    setTransformAnchor(
        Point(contentSize_.width * anchorPoint_.x, contentSize_.height * anchorPoint_.y));
}

void Node::setTransformAnchor(Point p) {
    transformAnchor_ = p;
    markTransformDirty();
}

void Node::setContentSize(Size s) {
    if (s == contentSize_) return;
    contentSize_ = s;
    setTransformAnchor(
        Point(contentSize_.width * anchorPoint_.x, contentSize_.height * anchorPoint_.y));
}

void Node::setRelativeAnchorPoint(bool on) {
    relativeAnchorPoint_ = on;
    markTransformDirty();
}

// --- tree ---

void Node::insertChild(Node* child, int z) {
    if (children_.empty()) children_.reserve(4);
    // Most children go last: skip the walk then.
    if (children_.empty() || children_.back()->zOrder_ <= z) {
        children_.emplace_back(child);
    } else {
        auto at = std::find_if(children_.begin(), children_.end(),
                               [z](const Ref<Node>& c) { return c->zOrder_ > z; });
        children_.insert(at, Ref<Node>(child));
    }
    child->zOrder_ = z;
}

Node* Node::addChild(Node* child, int z, int tag) {
    ccAssert(child != nullptr, kNonNil);
    ccAssert(child->parent_ == nullptr, "child already added. It can't be added again");
    insertChild(child, z);
    child->tag_ = tag;
    child->parent_ = this;
    if (isRunning) child->onEnter();
    return this;
}

Node* Node::addChild(Node* child, int z) {
    ccAssert(child != nullptr, kNonNil);
    return addChild(child, z, child->tag_);
}

Node* Node::addChild(Node* child) {
    ccAssert(child != nullptr, kNonNil);
    return addChild(child, child->zOrder_, child->tag_);
}

void Node::removeChild(Node* child, bool doCleanup) {
    if (!child) return;
    auto it = std::find_if(children_.begin(), children_.end(),
                           [child](const Ref<Node>& c) { return c.get() == child; });
    if (it == children_.end()) return;
    detachChild(child, doCleanup);
}

void Node::detachChild(Node* child, bool doCleanup) {
    Ref<Node> keep(child);
    if (isRunning) child->onExit();
    if (doCleanup) child->cleanup();
    child->parent_ = nullptr;
    auto it = std::find_if(children_.begin(), children_.end(),
                           [child](const Ref<Node>& c) { return c.get() == child; });
    if (it != children_.end()) children_.erase(it);
}

void Node::removeChildByTag(int tag, bool doCleanup) {
    ccAssert(tag != kCCNodeTagInvalid, kInvalidTag);
    if (Node* child = getChildByTag(tag)) removeChild(child, doCleanup);
}

void Node::removeAllChildrenWithCleanup(bool doCleanup) {
    // The list is walked as it stands; hooks that change it affect only the
    // copy they see.
    ChildrenSnapshot all(children_);
    for (auto& child : all) {
        if (isRunning) child->onExit();
        if (doCleanup) child->cleanup();
        child->parent_ = nullptr;
    }
    children_.clear();
}

Node* Node::getChildByTag(int tag) const {
    ccAssert(tag != kCCNodeTagInvalid, kInvalidTag);
    for (auto& child : children_)
        if (child->tag_ == tag) return child.get();
    return nullptr;
}

void Node::reorderChild(Node* child, int z) {
    ccAssert(child != nullptr, "Child must be non-nil");
    auto it = std::find_if(children_.begin(), children_.end(),
                           [child](const Ref<Node>& c) { return c.get() == child; });
    if (it == children_.end()) return;
    Ref<Node> keep = *it;
    children_.erase(it);
    insertChild(child, z);
}

void Node::cleanup() {
    // Dropping the timers and actions may drop the last references to this
    // node: keep it until the end.
    Ref<Node> keep(this);
    stopAllActions();
    // Timers are dropped without telling the scheduler: a running node's
    // timers are unscheduled by onExit, which comes before cleanup.
    scheduledSelectors.clear();
    ChildrenSnapshot all(children_);
    for (auto& child : all) child->cleanup();
}

// --- lifecycle ---

void Node::onEnter() {
    ChildrenSnapshot all(children_);
    for (auto& child : all) child->onEnter();
    activateTimers();
    if (ActionManager* m = ActionManager::existingManager()) m->resumeAllActionsForTarget(this);
    isRunning = true;
}

void Node::onEnterTransitionDidFinish() {
    ChildrenSnapshot all(children_);
    for (auto& child : all) child->onEnterTransitionDidFinish();
}

void Node::onExit() {
    deactivateTimers();
    if (ActionManager* m = ActionManager::existingManager()) m->pauseAllActionsForTarget(this);
    isRunning = false;
    ChildrenSnapshot all(children_);
    for (auto& child : all) child->onExit();
}

void Node::activateTimers() {
    for (auto& [name, timer] : scheduledSelectors) Scheduler::sharedScheduler().scheduleTimer(timer.get());
}

void Node::deactivateTimers() {
    for (auto& [name, timer] : scheduledSelectors)
        Scheduler::sharedScheduler().unscheduleTimer(timer.get());
}

// --- scheduling ---

void Node::schedule(UpdateSelector selector) { schedule(std::move(selector), 0); }

void Node::schedule(UpdateSelector selector, float interval) {
    ccAssert(static_cast<bool>(selector), kNonNil);
    ccAssert(interval >= 0, "Arguemnt must be positive");
    if (isScheduled(selector.name())) return;
    if (scheduledSelectors.empty()) scheduledSelectors.reserve(2);
    auto timer = Timer::timerWithTarget(this, selector, interval);
    if (isRunning) Scheduler::sharedScheduler().scheduleTimer(timer.get());
    scheduledSelectors.emplace_back(selector.name(), std::move(timer));
}

void Node::unschedule(const UpdateSelector& selector) {
    if (!selector) return;
    unschedule(selector.name());
}

void Node::unschedule(const std::string& name) {
    auto it = std::find_if(scheduledSelectors.begin(), scheduledSelectors.end(),
                           [&](const auto& entry) { return entry.first == name; });
    if (it == scheduledSelectors.end()) return;
    Ref<Timer> timer = std::move(it->second);
    scheduledSelectors.erase(it);
    if (isRunning) Scheduler::sharedScheduler().unscheduleTimer(timer.get());
}

bool Node::isScheduled(const std::string& name) const {
    return std::any_of(scheduledSelectors.begin(), scheduledSelectors.end(),
                       [&](const auto& entry) { return entry.first == name; });
}

// --- actions ---

Action* Node::runAction(Action* action) {
    ccAssert(action != nullptr, kNonNil);
    ActionManager::sharedManager().addAction(action, this, !isRunning);
    return action;
}

void Node::stopAllActions() {
    if (ActionManager* m = ActionManager::existingManager()) m->removeAllActionsFromTarget(this);
}

void Node::stopAction(Action* action) { ActionManager::sharedManager().removeAction(action); }

void Node::stopActionByTag(int tag) {
    ccAssert(tag != kCCNodeTagInvalid, kInvalidTag);
    ActionManager::sharedManager().removeActionByTag(tag, this);
}

Action* Node::getActionByTag(int tag) {
    ccAssert(tag != kCCNodeTagInvalid, kInvalidTag);
    return ActionManager::sharedManager().getActionByTag(tag, this);
}

int Node::numberOfRunningActions() {
    return ActionManager::sharedManager().numberOfRunningActionsInTarget(this);
}

// --- drawing ---

Camera* Node::camera() {
    if (!camera_) camera_ = Camera::camera();
    return camera_.get();
}

void Node::visit() {
    if (!visible_) return;
    glPushMatrix();
    // The effect draws in scene space: it asks for the ancestors' placement
    // again once it has set its picture up.
    Ref<GridEffect> grid = grid_ && grid_->active() ? grid_ : nullptr;
    if (grid) {
        grid->beforeDraw();
        transformAncestors();
    }
    transform();
    // A child may take itself out of the tree while it is drawn: hold it.
    size_t i = 0;
    for (; i < children_.size() && children_[i]->zOrder_ < 0; ++i) {
        Ref<Node> child = children_[i];
        child->visit();
    }
    draw();
    for (; i < children_.size(); ++i) {
        Ref<Node> child = children_[i];
        child->visit();
    }
    if (grid) grid->afterDraw(camera_.get());
    glPopMatrix();
}

void Node::transform() {
    if (camera_ && !(grid_ && grid_->active())) camera_->locate();
    const Point t = transformAnchor_;
    const bool anchored = t.x != 0 || t.y != 0;
    if (relativeAnchorPoint_ && anchored) glTranslatef(-t.x, -t.y, vertexZ_);
    if (anchored)
        glTranslatef(position_.x + t.x, position_.y + t.y, vertexZ_);
    else if (position_.x != 0 || position_.y != 0)
        glTranslatef(position_.x, position_.y, vertexZ_);
    if (rotation_ != 0) glRotatef(-rotation_, 0, 0, 1);
    if (scaleX_ != 1 || scaleY_ != 1) glScalef(scaleX_, scaleY_, 1);
    if (anchored) glTranslatef(-t.x, -t.y, vertexZ_);
}

void Node::transformAncestors() {
    if (!parent_) return;
    parent_->transformAncestors();
    parent_->transform();
}

// --- geometry ---

AffineTransform Node::nodeToParentTransform() {
    if (isTransformDirty_) {
        // This path works in whole points: positions and anchors are
        // truncated toward zero.
        const float tx = std::trunc(transformAnchor_.x), ty = std::trunc(transformAnchor_.y);
        AffineTransform t = AffineTransform::identity();
        if (!relativeAnchorPoint_) t = AffineTransform::translate(t, tx, ty);
        t = AffineTransform::translate(t, std::trunc(position_.x), std::trunc(position_.y));
        t = AffineTransform::rotate(t, rotation_ / 180.0f * -3.1415927f);
        t = AffineTransform::scale(t, scaleX_, scaleY_);
        t = AffineTransform::translate(t, -tx, -ty);
        transform_ = t;
        isTransformDirty_ = false;
    }
    return transform_;
}

AffineTransform Node::parentToNodeTransform() {
    if (isInverseDirty_) {
        inverse_ = AffineTransform::invert(nodeToParentTransform());
        isInverseDirty_ = false;
    }
    return inverse_;
}

AffineTransform Node::nodeToWorldTransform() {
    AffineTransform t = nodeToParentTransform();
    for (Node* p = parent_; p; p = p->parent_)
        t = AffineTransform::concat(t, p->nodeToParentTransform());
    return t;
}

AffineTransform Node::worldToNodeTransform() {
    return AffineTransform::invert(nodeToWorldTransform());
}

Point Node::convertToNodeSpace(Point worldPoint) { return worldToNodeTransform().apply(worldPoint); }

Point Node::convertToWorldSpace(Point nodePoint) { return nodeToWorldTransform().apply(nodePoint); }

Point Node::convertToNodeSpaceAR(Point worldPoint) {
    Point p = convertToNodeSpace(worldPoint);
    return Point(p.x - transformAnchor_.x, p.y - transformAnchor_.y);
}

Point Node::convertToWorldSpaceAR(Point nodePoint) {
    return convertToWorldSpace(
        Point(nodePoint.x + transformAnchor_.x, nodePoint.y + transformAnchor_.y));
}

Point Node::convertTouchToNodeSpace(platform::Touch* touch) {
    Point p = Director::sharedDirector().convertToGL(touch->locationInView(touch->view()));
    return convertToNodeSpace(p);
}

Point Node::convertTouchToNodeSpaceAR(platform::Touch* touch) {
    Point p = Director::sharedDirector().convertToGL(touch->locationInView(touch->view()));
    return convertToNodeSpaceAR(p);
}

Rect Node::boundingBox() {
    return nodeToParentTransform().apply(Rect(0, 0, contentSize_.width, contentSize_.height));
}

std::string Node::description() const {
    char buf[160];
    std::snprintf(buf, sizeof buf, "<%s = %08lX | Tag = %i>", className(*this).c_str(),
                  static_cast<unsigned long>(reinterpret_cast<uintptr_t>(this)), tag_);
    return buf;
}

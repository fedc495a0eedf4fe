#pragma once

#include "engine/Camera.h"
#include "engine/GridEffect.h"
#include "engine/Scheduler.h"
#include "support/AffineTransform.h"
#include "support/Geometry.h"
#include "support/Ref.h"

#include <string>
#include <utility>
#include <vector>

namespace platform {
class Touch;
}

class Action;

inline constexpr int kCCNodeTagInvalid = -1;

// The element of the scene graph: a placement (position, rotation, scale,
// anchor) relative to the parent, z-ordered children, a tag, scheduled
// timers and running actions. A node is running between onEnter and onExit;
// only a running node's timers tick and its actions advance.
class Node : public Object {
public:
    static Ref<Node> node();
    Node();
    ~Node() override;

    // --- placement ---
    float rotation() const { return rotation_; }
    virtual void setRotation(float degrees);
    float scaleX() const { return scaleX_; }
    virtual void setScaleX(float s);
    float scaleY() const { return scaleY_; }
    virtual void setScaleY(float s);
    // Reading requires scaleX == scaleY.
    float scale() const;
    virtual void setScale(float s);
    Point position() const { return position_; }
    virtual void setPosition(Point p);
    Point anchorPoint() const { return anchorPoint_; }
    virtual void setAnchorPoint(Point p);
    Point transformAnchor() const { return transformAnchor_; }
    virtual void setTransformAnchor(Point p);
    Size contentSize() const { return contentSize_; }
    virtual void setContentSize(Size s);
    bool relativeAnchorPoint() const { return relativeAnchorPoint_; }
    virtual void setRelativeAnchorPoint(bool on);
    float vertexZ() const { return vertexZ_; }
    virtual void setVertexZ(float z) { vertexZ_ = z; }
    bool visible() const { return visible_; }
    virtual void setVisible(bool v) { visible_ = v; }
    int zOrder() const { return zOrder_; }
    int tag() const { return tag_; }
    void setTag(int t) { tag_ = t; }
    Node* parent() const { return parent_; }
    void setParent(Node* p) { parent_ = p; }
    void* userData() const { return userData_; }
    void setUserData(void* d) { userData_ = d; }
    const std::vector<Ref<Node>>& children() const { return children_; }
    // Made on first read; transform() applies it while no grid effect is
    // active (an active one applies it to its picture instead).
    Camera* camera();
    bool hasCamera() const { return bool(camera_); }
    GridEffect* grid() const { return grid_.get(); }
    void setGrid(GridEffect* grid) { grid_ = grid; }

    // --- tree ---
    // Virtual so that batching parents (the atlas sprite manager) keep their
    // bookkeeping whichever pointer type the call goes through.
    virtual Node* addChild(Node* child, int z, int tag);
    Node* addChild(Node* child, int z);
    Node* addChild(Node* child);
    virtual void removeChild(Node* child, bool cleanup);
    void removeChildByTag(int tag, bool cleanup);
    virtual void removeAllChildrenWithCleanup(bool cleanup);
    Node* getChildByTag(int tag) const;
    virtual void reorderChild(Node* child, int z);
    // Stops the node's actions and drops its timers, then its children's.
    virtual void cleanup();

    // --- lifecycle ---
    virtual void onEnter();
    virtual void onEnterTransitionDidFinish();
    virtual void onExit();

    // --- scheduling ---
    void schedule(UpdateSelector selector);
    void schedule(UpdateSelector selector, float interval);
    void unschedule(const UpdateSelector& selector);
    void unschedule(const std::string& name);
    bool isScheduled(const std::string& name) const;

    // --- actions ---
    Action* runAction(Action* action);
    void stopAllActions();
    void stopAction(Action* action);
    void stopActionByTag(int tag);
    Action* getActionByTag(int tag);
    int numberOfRunningActions();

    // --- drawing ---
    virtual void draw() {}
    virtual void visit();
    void transform();
    void transformAncestors();

    // --- geometry ---
    AffineTransform nodeToParentTransform();
    AffineTransform parentToNodeTransform();
    AffineTransform nodeToWorldTransform();
    AffineTransform worldToNodeTransform();
    Point convertToNodeSpace(Point worldPoint);
    Point convertToWorldSpace(Point nodePoint);
    Point convertToNodeSpaceAR(Point worldPoint);
    Point convertToWorldSpaceAR(Point nodePoint);
    Point convertTouchToNodeSpace(platform::Touch* touch);
    Point convertTouchToNodeSpaceAR(platform::Touch* touch);
    Rect boundingBox();

    virtual std::string description() const;

protected:
    void markTransformDirty() { isTransformDirty_ = isInverseDirty_ = true; }
    void detachChild(Node* child, bool doCleanup);
    void insertChild(Node* child, int z);
    void activateTimers();
    void deactivateTimers();

    float rotation_ = 0;
    float scaleX_ = 1, scaleY_ = 1;
    Point position_;
    bool relativeAnchorPoint_ = true;
    Point transformAnchor_;
    Point anchorPoint_;
    Size contentSize_;
    AffineTransform transform_;
    AffineTransform inverse_;
    bool isTransformDirty_ = true, isInverseDirty_ = true;
    float vertexZ_ = 0;
    bool visible_ = true;
    int zOrder_ = 0;
    std::vector<Ref<Node>> children_;
    bool isRunning = false;
    Node* parent_ = nullptr;
    int tag_ = kCCNodeTagInvalid;
    // Timers by the name of the operation they call, in scheduling order.
    std::vector<std::pair<std::string, Ref<Timer>>> scheduledSelectors;
    void* userData_ = nullptr;
    Ref<Camera> camera_;
    Ref<GridEffect> grid_;
};

#pragma once

#include "engine/Node.h"
#include "render/Quad.h"
#include "render/Texture2D.h"
#include "support/Types.h"

#include <deque>
#include <string>
#include <vector>

// A textured strip through points added one by one, each with its own
// width, fading out over `fade` seconds from when it was added (its colour's
// alpha falls to 0) and dropped then. The texture runs along the strip, one
// repeat every `length` points (its S wrap is set to repeat: use a power-of-
// two picture), and across it from one edge to the other. Points are in the
// node's space. The ribbon ages while it runs.
class Ribbon : public Node {
public:
    // Most points kept; older ones are dropped first.
    static constexpr size_t kMaxPoints = 1024;

    // Null when the image cannot be loaded (the texture cache has logged).
    static Ref<Ribbon> ribbonWithWidth(float width, const std::string& image, float length,
                                       ccColor4B color, float fade);

    // A point is not added where the last one is.
    void addPointAt(Point location, float width);
    void addPointAt(Point location) { addPointAt(location, width_); }
    // Ages the points by `dt` seconds and drops those that have faded.
    void update(float dt);
    size_t pointCount() const { return points_.size(); }

    ccColor4B color() const { return color_; }
    void setColor(ccColor4B color) { color_ = color; }
    ccBlendFunc blendFunc() const { return blendFunc_; }
    void setBlendFunc(ccBlendFunc blend) { blendFunc_ = blend; }
    Texture2D* texture() const { return texture_.get(); }

    void onEnter() override;
    void onExit() override;
    void draw() override;

private:
    struct RibbonPoint {
        Point position;
        float width;
        float age;
        float distance; // along the strip from the oldest point kept
    };

    Ref<Texture2D> texture_;
    float width_ = 0, length_ = 1, fade_ = 1;
    ccColor4B color_{255, 255, 255, 255};
    ccBlendFunc blendFunc_ = kBlendPremultiplied;
    std::deque<RibbonPoint> points_;
    // Drawing buffers, kept to avoid allocating each frame.
    std::vector<float> vertices_, texCoords_;
    std::vector<uint8_t> colors_;
};

// A trail that follows the streak node: move the node (by its position, not
// by rotating or scaling it) and every `minSeg` points it travels a point is
// added to its ribbon, which stays where it was drawn in the parent's space
// and fades over `fade` seconds.
class MotionStreak : public Node {
public:
    static Ref<MotionStreak> streakWithFade(float fade, float minSeg, const std::string& image,
                                            float width, float length, ccColor4B color);

    Ribbon* ribbon() const { return ribbon_.get(); }
    // Adds a point when the node has moved far enough.
    void update(float dt);

    void onEnter() override;
    void onExit() override;
    void visit() override;

private:
    Ref<Ribbon> ribbon_;
    float minSeg_ = 0;
    Point lastLocation_;
    bool started_ = false;
};

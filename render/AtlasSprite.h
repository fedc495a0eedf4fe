#pragma once

#include "engine/FrameProtocol.h"
#include "engine/Node.h"
#include "engine/RGBAProtocol.h"
#include "render/Quad.h"
#include "render/TextureAtlas.h"
#include "support/Geometry.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class AtlasSpriteManager;

// A rectangle of an atlas texture, in texture pixels (y from the top).
class AtlasSpriteFrame : public Object {
public:
    static Ref<AtlasSpriteFrame> frameWithRect(Rect rect) { return make<AtlasSpriteFrame>(rect); }
    explicit AtlasSpriteFrame(Rect rect) : rect_(rect) {}

    Rect rect() const { return rect_; }
    void setRect(Rect rect) { rect_ = rect; }
    std::string description() const;

protected:
    Rect rect_;
};

// A named sequence of atlas rectangles, `delay` seconds each.
class AtlasAnimation : public AnimationProtocol {
public:
    static Ref<AtlasAnimation> animationWithName(const std::string& name, float delay);
    static Ref<AtlasAnimation> animationWithName(const std::string& name, float delay,
                                                 const std::vector<Ref<AtlasSpriteFrame>>& frames);
    AtlasAnimation(std::string name, float delay);

    void addFrameWithRect(Rect rect);

    const std::string& name() const { return name_; }
    void setName(const std::string& name) { name_ = name; }
    float delay() const override { return delay_; }
    void setDelay(float delay) { delay_ = delay; }
    const std::vector<Ref<AtlasSpriteFrame>>& frames() const { return frames_; }

    size_t frameCount() const override { return frames_.size(); }
    Object* frameAtIndex(size_t index) const override { return frames_.at(index).get(); }

protected:
    std::string name_;
    float delay_;
    std::vector<Ref<AtlasSpriteFrame>> frames_;
};

// One rectangle of a shared texture, drawn by its AtlasSpriteManager in the
// manager's single draw call. The sprite keeps its own prepared quad:
// placement changes only mark it dirty (the manager recomputes the corners
// before it draws); colour, opacity, rectangle and flip changes are written
// into the atlas at once.
class AtlasSprite : public Node, public RGBAProtocol, public FrameProtocol {
public:
    // atlasIndex() of a sprite that is in no atlas.
    static constexpr uint32_t kIndexNotInAtlas = 0xFFFFFFFFu;

    // Made for `manager`'s atlas but not added to it: addChild does that.
    static Ref<AtlasSprite> spriteWithRect(Rect rect, AtlasSpriteManager* manager);
    AtlasSprite(Rect rect, AtlasSpriteManager* manager);

    // --- placement: the node's behaviour, then dirty ---
    void setPosition(Point p) override;
    void setRotation(float degrees) override;
    void setScale(float s) override;
    void setScaleX(float s) override;
    void setScaleY(float s) override;
    void setAnchorPoint(Point p) override;
    void setTransformAnchor(Point p) override;
    void setVertexZ(float z) override;
    void setVisible(bool v) override;
    // The corners are always computed around the anchor.
    void setRelativeAnchorPoint(bool) override {}

    using Node::addChild;
    Node* addChild(Node* child, int z, int tag) override;

    // --- texture ---
    Rect textureRect() const { return rect_; }
    void setTextureRect(Rect rect);
    bool flipX() const { return flipX_; }
    void setFlipX(bool flip);
    bool flipY() const { return flipY_; }
    void setFlipY(bool flip);

    // --- colour ---
    uint8_t opacity() const override { return opacity_; }
    // With opacityModifyRGB the colour also becomes (opacity, opacity,
    // opacity), replacing a colour set earlier.
    void setOpacity(uint8_t opacity) override;
    ccColor3B color() const override { return color_; }
    void setColor(ccColor3B color) override;
    void setRGB(uint8_t r, uint8_t g, uint8_t b) { setColor(ccc3(r, g, b)); }
    bool doesOpacityModifyRGB() const { return opacityModifyRGB_; }
    void setOpacityModifyRGB(bool on) { opacityModifyRGB_ = on; }

    // --- frames ---
    void setDisplayFrame(AtlasSpriteFrame* frame);
    void setDisplayFrame(const std::string& animationName, size_t frameIndex);
    bool isFrameDisplayed(AtlasSpriteFrame* frame);
    Ref<Object> displayFrame() override;
    void setDisplayFrame(Object* frame) override;
    bool isFrameDisplayed(Object* frame) override;
    void addAnimation(AtlasAnimation* animation);
    // Null when there is none of that name.
    AtlasAnimation* animationByName(const std::string& animationName) const;

    // --- atlas ---
    void insertInAtlasAtIndex(uint32_t index);
    void setIndex(uint32_t index) { atlasIndex_ = index; }
    uint32_t atlasIndex() const { return atlasIndex_; }
    TextureAtlas* textureAtlas() const { return textureAtlas_.get(); }
    void setTextureAtlas(TextureAtlas* atlas) { textureAtlas_ = atlas; }
    bool isInAtlas() const { return atlasIndex_ != kIndexNotInAtlas; }
    // Recomputes the corners in the manager's space and writes the quad.
    void updatePosition();
    const ccV3F_C4B_T2F_Quad& quad() const { return quad_; }
    bool dirty() const { return dirty_; }

    std::string description() const override;

protected:
    void updateTextureCoords();
    void updateColor();
    // Writes the quad into the atlas, or leaves it for the next insertion.
    void writeQuad();

    // Held, unlike a plain back pointer, so that a sprite kept after its
    // manager has gone never writes into freed memory.
    Ref<TextureAtlas> textureAtlas_;
    uint32_t atlasIndex_ = kIndexNotInAtlas;
    Rect rect_;
    ccV3F_C4B_T2F_Quad quad_;
    bool dirty_ = true;
    uint8_t opacity_ = 255;
    ccColor3B color_ = ccWHITE;
    bool opacityModifyRGB_ = false;
    std::unordered_map<std::string, Ref<AtlasAnimation>> animations;
    bool flipX_ = false, flipY_ = false;
};

#include "render/AtlasSprite.h"

#include "render/AtlasSpriteManager.h"
#include "support/ClassName.h"
#include "support/Error.h"

#include <cmath>
#include <cstdio>
#include <utility>

namespace {

std::string rectDescription(const Object& object, Rect r, const char* tail) {
    char buf[200];
    std::snprintf(
        buf, sizeof buf, "<%s = %08lX | Rect = (%.2f,%.2f,%.2f,%.2f)%s>", className(object).c_str(),
        static_cast<unsigned long>(reinterpret_cast<uintptr_t>(&object)), double(r.origin.x),
        double(r.origin.y), double(r.size.width), double(r.size.height), tail);
    return buf;
}

constexpr const char* kInvalidFrame = "AtlasSprite#setDisplayFrame. Invalid frame";

} // namespace

// --- AtlasSpriteFrame ---

std::string AtlasSpriteFrame::description() const {
    return rectDescription(*this, rect_, "");
}

// --- AtlasAnimation ---

Ref<AtlasAnimation> AtlasAnimation::animationWithName(const std::string& name, float delay) {
    return make<AtlasAnimation>(name, delay);
}

Ref<AtlasAnimation>
AtlasAnimation::animationWithName(const std::string& name, float delay,
                                  const std::vector<Ref<AtlasSpriteFrame>>& frames) {
    auto animation = make<AtlasAnimation>(name, delay);
    for (const auto& frame : frames)
        if (frame) animation->frames_.push_back(frame);
    return animation;
}

AtlasAnimation::AtlasAnimation(std::string name, float delay)
    : name_(std::move(name)), delay_(delay) {
    frames_.reserve(5);
}

void AtlasAnimation::addFrameWithRect(Rect rect) {
    frames_.push_back(AtlasSpriteFrame::frameWithRect(rect));
}

// --- AtlasSprite ---

Ref<AtlasSprite> AtlasSprite::spriteWithRect(Rect rect, AtlasSpriteManager* manager) {
    return make<AtlasSprite>(rect, manager);
}

AtlasSprite::AtlasSprite(Rect rect, AtlasSpriteManager* manager) {
    ccAssert(manager != nullptr, "Argument must be non-nil");
    textureAtlas_ = manager->textureAtlas();
    Texture2D* texture = textureAtlas_ ? textureAtlas_->texture() : nullptr;
    opacityModifyRGB_ = texture && texture->hasPremultipliedAlpha();
    setAnchorPoint(Point(0.5f, 0.5f));
    const ccColor4B white{255, 255, 255, 255};
    quad_.tl.colors = quad_.bl.colors = quad_.tr.colors = quad_.br.colors = white;
    setTextureRect(rect);
}

void AtlasSprite::setPosition(Point p) {
    Node::setPosition(p);
    dirty_ = true;
}

void AtlasSprite::setRotation(float degrees) {
    Node::setRotation(degrees);
    dirty_ = true;
}

void AtlasSprite::setScale(float s) {
    Node::setScale(s);
    dirty_ = true;
}

void AtlasSprite::setScaleX(float s) {
    Node::setScaleX(s);
    dirty_ = true;
}

void AtlasSprite::setScaleY(float s) {
    Node::setScaleY(s);
    dirty_ = true;
}

void AtlasSprite::setAnchorPoint(Point p) {
    Node::setAnchorPoint(p);
    dirty_ = true;
}

void AtlasSprite::setTransformAnchor(Point p) {
    Node::setTransformAnchor(p);
    dirty_ = true;
}

void AtlasSprite::setVertexZ(float z) {
    Node::setVertexZ(z);
    dirty_ = true;
}

void AtlasSprite::setVisible(bool v) {
    Node::setVisible(v);
    dirty_ = true;
}

Node* AtlasSprite::addChild(Node*, int, int) {
    ccAssertionFailed("AtlasSprite can't have children");
}

// --- texture ---

void AtlasSprite::setTextureRect(Rect rect) {
    rect_ = rect;
    updateTextureCoords();
    writeQuad();
    if (rect.size != contentSize_) {
        setContentSize(rect.size);
        dirty_ = true;
    }
}

void AtlasSprite::updateTextureCoords() {
    Texture2D* texture = textureAtlas_ ? textureAtlas_->texture() : nullptr;
    float left = 0, right = 0, top = 0, bottom = 0;
    if (texture && texture->pixelsWide() > 0 && texture->pixelsHigh() > 0) {
        const float W = float(texture->pixelsWide()), H = float(texture->pixelsHigh());
        left = rect_.origin.x / W;
        right = (rect_.origin.x + rect_.size.width) / W;
        top = rect_.origin.y / H;
        bottom = (rect_.origin.y + rect_.size.height) / H;
    }
    if (flipX_) std::swap(left, right);
    if (flipY_) std::swap(top, bottom);
    quad_.tl.texCoords = {left, top};
    quad_.bl.texCoords = {left, bottom};
    quad_.tr.texCoords = {right, top};
    quad_.br.texCoords = {right, bottom};
}

void AtlasSprite::setFlipX(bool flip) {
    if (flip == flipX_) return;
    flipX_ = flip;
    setTextureRect(rect_);
}

void AtlasSprite::setFlipY(bool flip) {
    if (flip == flipY_) return;
    flipY_ = flip;
    setTextureRect(rect_);
}

// --- colour ---

void AtlasSprite::setColor(ccColor3B color) {
    color_ = color;
    updateColor();
}

void AtlasSprite::setOpacity(uint8_t opacity) {
    opacity_ = opacity;
    if (opacityModifyRGB_) color_ = ccc3(opacity, opacity, opacity);
    updateColor();
}

void AtlasSprite::updateColor() {
    const ccColor4B c{color_.r, color_.g, color_.b, opacity_};
    quad_.tl.colors = quad_.bl.colors = quad_.tr.colors = quad_.br.colors = c;
    writeQuad();
}

void AtlasSprite::writeQuad() {
    if (isInAtlas() && textureAtlas_)
        textureAtlas_->updateQuad(quad_, atlasIndex_);
    else
        dirty_ = true;
}

// --- frames ---

void AtlasSprite::setDisplayFrame(AtlasSpriteFrame* frame) {
    ccAssert(frame != nullptr, kInvalidFrame);
    setTextureRect(frame->rect());
}

void AtlasSprite::setDisplayFrame(const std::string& animationName, size_t frameIndex) {
    AtlasAnimation* animation = animationByName(animationName);
    ccAssert(animation && frameIndex < animation->frames().size(), kInvalidFrame);
    setTextureRect(animation->frames()[frameIndex]->rect());
}

bool AtlasSprite::isFrameDisplayed(AtlasSpriteFrame* frame) {
    return frame && frame->rect() == rect_;
}

Ref<Object> AtlasSprite::displayFrame() {
    return AtlasSpriteFrame::frameWithRect(rect_);
}

void AtlasSprite::setDisplayFrame(Object* frame) {
    setDisplayFrame(dynamic_cast<AtlasSpriteFrame*>(frame));
}

bool AtlasSprite::isFrameDisplayed(Object* frame) {
    return isFrameDisplayed(dynamic_cast<AtlasSpriteFrame*>(frame));
}

void AtlasSprite::addAnimation(AtlasAnimation* animation) {
    ccAssert(animation != nullptr, "Argument must be non-nil");
    if (animations.empty()) animations.reserve(2);
    animations[animation->name()] = animation;
}

AtlasAnimation* AtlasSprite::animationByName(const std::string& animationName) const {
    auto it = animations.find(animationName);
    return it == animations.end() ? nullptr : it->second.get();
}

// --- atlas ---

void AtlasSprite::insertInAtlasAtIndex(uint32_t index) {
    atlasIndex_ = index;
    textureAtlas_->insertQuad(quad_, index);
}

void AtlasSprite::updatePosition() {
    if (!visible_) {
        quad_.tl.vertices = quad_.bl.vertices = quad_.tr.vertices = quad_.br.vertices =
            ccVertex3F{0, 0, 0};
    } else if (rotation_ != 0) {
        const float px = position_.x, py = position_.y;
        const float sx = scaleX_, sy = scaleY_;
        const float angle = -rotation_ / 180.0f * 3.1415927f;
        const float c = std::cos(angle), s = std::sin(angle);
        const float x1 = -sx * transformAnchor_.x, y1 = -sy * transformAnchor_.y;
        const float x2 = x1 + sx * rect_.size.width, y2 = y1 + sy * rect_.size.height;
        auto corner = [&](float cx, float cy) {
            return ccVertex3F{cx * c - cy * s + px, cx * s + cy * c + py, vertexZ_};
        };
        quad_.tl.vertices = corner(x1, y2);
        quad_.bl.vertices = corner(x1, y1);
        quad_.tr.vertices = corner(x2, y2);
        quad_.br.vertices = corner(x2, y1);
    } else {
        float left, bottom, right, top;
        if (scaleX_ == 1 && scaleY_ == 1) {
            left = position_.x - transformAnchor_.x;
            bottom = position_.y - transformAnchor_.y;
            right = left + rect_.size.width;
            top = bottom + rect_.size.height;
        } else {
            left = position_.x - scaleX_ * transformAnchor_.x;
            bottom = position_.y - scaleY_ * transformAnchor_.y;
            right = left + scaleX_ * rect_.size.width;
            top = bottom + scaleY_ * rect_.size.height;
        }
        quad_.tl.vertices = {left, top, vertexZ_};
        quad_.bl.vertices = {left, bottom, vertexZ_};
        quad_.tr.vertices = {right, top, vertexZ_};
        quad_.br.vertices = {right, bottom, vertexZ_};
    }
    if (isInAtlas() && textureAtlas_) textureAtlas_->updateQuad(quad_, atlasIndex_);
    dirty_ = false;
}

std::string AtlasSprite::description() const {
    char tail[40];
    std::snprintf(tail, sizeof tail, " | tag = %i", tag_);
    return rectDescription(*this, rect_, tail);
}

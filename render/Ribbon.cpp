#include "render/Ribbon.h"

#include "platform/GLState.h"
#include "render/TextureMgr.h"
#include "support/PointExtensions.h"

#include <algorithm>
#include <cmath>

// --- Ribbon ---

Ref<Ribbon> Ribbon::ribbonWithWidth(float width, const std::string& image, float length,
                                    ccColor4B color, float fade) {
    Ref<Texture2D> texture = TextureMgr::sharedTextureMgr().addImage(image);
    if (!texture) return nullptr;
    texture->setTexParameters({GL_LINEAR, GL_LINEAR, GL_REPEAT, GL_CLAMP_TO_EDGE});
    auto ribbon = make<Ribbon>();
    ribbon->texture_ = texture;
    ribbon->width_ = width;
    ribbon->length_ = length > 0 ? length : 1;
    ribbon->color_ = color;
    ribbon->fade_ = fade > 0 ? fade : 1e-6f;
    if (!texture->hasPremultipliedAlpha()) ribbon->blendFunc_ = kBlendStraightAlpha;
    return ribbon;
}

void Ribbon::addPointAt(Point location, float width) {
    float distance = 0;
    if (!points_.empty()) {
        const RibbonPoint& last = points_.back();
        float step = ccpDistance(last.position, location);
        if (!(step > 0.01f)) return; // also NaN
        distance = last.distance + step;
    }
    points_.push_back({location, width, 0, distance});
    if (points_.size() > kMaxPoints) points_.pop_front();
}

void Ribbon::update(float dt) {
    for (RibbonPoint& p : points_)
        p.age += dt;
    while (!points_.empty() && points_.front().age >= fade_)
        points_.pop_front();
}

void Ribbon::onEnter() {
    Node::onEnter();
    schedule(ccSelector(this, &Ribbon::update));
}

void Ribbon::onExit() {
    unschedule("update");
    Node::onExit();
}

void Ribbon::draw() {
    const size_t n = points_.size();
    if (n < 2) return;
    vertices_.resize(n * 4);
    texCoords_.resize(n * 4);
    colors_.resize(n * 8);
    const bool premultiplied = blendFunc_ == kBlendPremultiplied;
    for (size_t i = 0; i < n; ++i) {
        const RibbonPoint& p = points_[i];
        // Across the strip: square to the way it runs through this point.
        Point along =
            ccpSub(points_[std::min(i + 1, n - 1)].position, points_[i == 0 ? 0 : i - 1].position);
        float len = ccpLength(along);
        Point across = len > 0 ? Point(-along.y / len, along.x / len) : Point(0, 1);
        float half = p.width / 2;
        vertices_[i * 4] = p.position.x + across.x * half;
        vertices_[i * 4 + 1] = p.position.y + across.y * half;
        vertices_[i * 4 + 2] = p.position.x - across.x * half;
        vertices_[i * 4 + 3] = p.position.y - across.y * half;
        float s = (p.distance - points_.front().distance) / length_;
        texCoords_[i * 4] = s;
        texCoords_[i * 4 + 1] = 0;
        texCoords_[i * 4 + 2] = s;
        texCoords_[i * 4 + 3] = 1;
        float left = std::clamp(1 - p.age / fade_, 0.0f, 1.0f);
        auto a = uint8_t(float(color_.a) * left);
        float tint = premultiplied ? float(a) / 255 : 1;
        ccColor4B c{uint8_t(float(color_.r) * tint), uint8_t(float(color_.g) * tint),
                    uint8_t(float(color_.b) * tint), a};
        for (size_t k = 0; k < 2; ++k) {
            uint8_t* out = &colors_[i * 8 + k * 4];
            out[0] = c.r, out[1] = c.g, out[2] = c.b, out[3] = c.a;
        }
    }
    platform::GLState& gl = platform::GLState::current();
    gl.setArrays(platform::GLState::kVertexArray | platform::GLState::kTexCoordArray |
                 platform::GLState::kColorArray);
    gl.useTexture(texture_->name());
    gl.setBlendFunc(blendFunc_.src, blendFunc_.dst);
    gl.bindArrayBuffer(0);
    glVertexPointer(2, GL_FLOAT, 0, vertices_.data());
    glTexCoordPointer(2, GL_FLOAT, 0, texCoords_.data());
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, colors_.data());
    glDrawArrays(GL_TRIANGLE_STRIP, 0, GLsizei(n * 2));
}

// --- MotionStreak ---

Ref<MotionStreak> MotionStreak::streakWithFade(float fade, float minSeg, const std::string& image,
                                               float width, float length, ccColor4B color) {
    Ref<Ribbon> ribbon = Ribbon::ribbonWithWidth(width, image, length, color, fade);
    if (!ribbon) return nullptr;
    auto streak = make<MotionStreak>();
    streak->ribbon_ = ribbon;
    streak->minSeg_ = minSeg;
    streak->addChild(ribbon.get());
    return streak;
}

void MotionStreak::onEnter() {
    Node::onEnter();
    schedule(ccSelector(this, &MotionStreak::update));
}

void MotionStreak::onExit() {
    unschedule("update");
    Node::onExit();
}

void MotionStreak::update(float) {
    if (started_ && ccpDistance(lastLocation_, position_) < minSeg_) return;
    ribbon_->addPointAt(position_);
    lastLocation_ = position_;
    started_ = true;
}

void MotionStreak::visit() {
    // The ribbon stays in the parent's space while the node moves.
    ribbon_->setPosition(ccpNeg(position_));
    Node::visit();
}

#include "render/ParticleSystem.h"

#include "platform/Random.h"
#include "support/Error.h"
#include "support/Log.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {

// The name the step is scheduled under; unscheduling by it allocates nothing
// in the frame that ends the system.
const char* const kStep = "step";

// Uniform in [-1, 1): a 31-bit integer scaled by 2^-30, minus 1.
inline float randomMinus1To1() { return float(platform::random()) * (1.0f / 1073741824.0f) - 1.0f; }

constexpr const char* kNoMemory = "Particle system: not enough memory";

template <class T>
std::unique_ptr<T[]> allocateZeroed(size_t count) {
    return std::unique_ptr<T[]>(new (std::nothrow) T[count]());
}

} // namespace

// --- ParticleSystem ---

Ref<ParticleSystem> ParticleSystem::node() {
    ccRaise("Particle.init",
            "Particle.init shall not be called. Use initWithTotalParticles instead.");
}

ParticleSystem::~ParticleSystem() = default;

bool ParticleSystem::initWithTotalParticles(unsigned capacity) {
    // Far beyond any screen's worth; also keeps sizes well inside size_t.
    if (capacity > (1u << 24)) {
        ccLog("%s", kNoMemory);
        return false;
    }
    particles_ = allocateZeroed<Particle>(capacity);
    if (!particles_) {
        ccLog("%s", kNoMemory);
        return false;
    }
    totalParticles_ = allocatedParticles_ = capacity;
    active_ = true;
    blendAdditive_ = false;
    blendFunc_ = {GL_ONE, GL_ONE_MINUS_SRC_ALPHA};
    positionType_ = kPositionTypeFree;
    autoRemoveOnFinish_ = false;
    schedule(makeSelector(kStep, this, &ParticleSystem::step));
    return true;
}

void ParticleSystem::setTotalParticles(unsigned n) { totalParticles_ = std::min(n, allocatedParticles_); }

void ParticleSystem::setTexture(Texture2D* texture) {
    texture_ = texture;
    if (texture && !texture->hasPremultipliedAlpha())
        blendFunc_ = {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA};
}

bool ParticleSystem::addParticle() {
    if (isFull()) return false;
    initParticle(particles_[particleCount_]);
    ++particleCount_;
    return true;
}

void ParticleSystem::initParticle(Particle& p) {
    p.pos.x = std::trunc(centerOfGravity_.x + posVar_.x * randomMinus1To1());
    p.pos.y = std::trunc(centerOfGravity_.y + posVar_.y * randomMinus1To1());

    float a = (angle_ + angleVar_ * randomMinus1To1()) * 3.14159265358979f / 180.0f;
    float s = speed_ + speedVar_ * randomMinus1To1();
    p.dir = Point(std::cos(a) * s, std::sin(a) * s);

    p.radialAccel = radialAccel_ + radialAccelVar_ * randomMinus1To1();
    p.tangentialAccel = tangentialAccel_ + tangentialAccelVar_ * randomMinus1To1();

    p.life = std::max(0.0f, life_ + lifeVar_ * randomMinus1To1());

    auto channel = [&](float start, float startVar, float end, float endVar, float& value,
                       float& delta) {
        value = start + startVar * randomMinus1To1();
        delta = (end + endVar * randomMinus1To1() - value) / p.life;
    };
    channel(startColor_.r, startColorVar_.r, endColor_.r, endColorVar_.r, p.color.r, p.deltaColor.r);
    channel(startColor_.g, startColorVar_.g, endColor_.g, endColorVar_.g, p.color.g, p.deltaColor.g);
    channel(startColor_.b, startColorVar_.b, endColor_.b, endColorVar_.b, p.color.b, p.deltaColor.b);
    channel(startColor_.a, startColorVar_.a, endColor_.a, endColorVar_.a, p.color.a, p.deltaColor.a);

    p.size = std::max(0.0f, startSize_ + startSizeVar_ * randomMinus1To1());
    if (endSize_ == kParticleStartSizeEqualToEndSize)
        p.deltaSize = 0;
    else
        p.deltaSize = (endSize_ + endSizeVar_ * randomMinus1To1() - p.size) / p.life;

    p.rotation = startSpin_ + startSpinVar_ * randomMinus1To1();
    p.deltaRotation = (endSpin_ + endSpinVar_ * randomMinus1To1() - p.rotation) / p.life;

    p.startPos = position_;
}

void ParticleSystem::stopSystem() {
    active_ = false;
    elapsed_ = duration_;
    emitCounter_ = 0;
}

void ParticleSystem::resetSystem() {
    active_ = true;
    elapsed_ = 0;
    for (unsigned i = 0; i < particleCount_; ++i) particles_[i].life = 0;
}

void ParticleSystem::step(float dt) {
    if (active_ && emissionRate_ != 0) {
        float rate = 1.0f / emissionRate_;
        emitCounter_ += dt;
        while (particleCount_ < totalParticles_ && emitCounter_ > rate) {
            addParticle();
            emitCounter_ -= rate;
        }
        elapsed_ += dt;
        if (duration_ != kParticleDurationInfinity && duration_ < elapsed_) stopSystem();
    }

    particleIdx_ = 0;
    while (particleIdx_ < particleCount_) {
        Particle& p = particles_[particleIdx_];
        if (p.life > 0) {
            Point radial;
            if (p.pos.x != 0 || p.pos.y != 0) {
                float length = std::sqrt(p.pos.x * p.pos.x + p.pos.y * p.pos.y);
                radial = Point(p.pos.x / length, p.pos.y / length);
            }
            Point tangential(-radial.y, radial.x);
            Point accel(radial.x * p.radialAccel + tangential.x * p.tangentialAccel + gravity_.x,
                        radial.y * p.radialAccel + tangential.y * p.tangentialAccel + gravity_.y);
            p.dir.x += accel.x * dt;
            p.dir.y += accel.y * dt;
            p.pos.x += p.dir.x * dt;
            p.pos.y += p.dir.y * dt;
            p.color.r += p.deltaColor.r * dt;
            p.color.g += p.deltaColor.g * dt;
            p.color.b += p.deltaColor.b * dt;
            p.color.a += p.deltaColor.a * dt;
            p.size = std::max(0.0f, p.size + p.deltaSize * dt);
            p.rotation += p.deltaRotation * dt;
            p.life -= dt;

            Point drawAt = p.pos;
            if (positionType_ == kPositionTypeFree)
                drawAt = Point(p.pos.x - (position_.x - p.startPos.x),
                               p.pos.y - (position_.y - p.startPos.y));
            updateQuadWithParticle(p, drawAt);
            ++particleIdx_;
        } else {
            // The last live particle takes this slot and is stepped next.
            if (particleIdx_ != particleCount_ - 1) p = particles_[particleCount_ - 1];
            --particleCount_;
            if (particleCount_ == 0 && autoRemoveOnFinish_) {
                Ref<Node> keep(this);
                unschedule(kStep);
                if (parent_) parent_->removeChild(this, true);
                return;
            }
        }
    }
    postStep();
}

void ParticleSystem::applyBlend() const {
    platform::GLState& gl = platform::GLState::current();
    if (blendAdditive_)
        gl.setBlendFunc(GL_SRC_ALPHA, GL_ONE);
    else
        gl.setBlendFunc(blendFunc_.src, blendFunc_.dst);
}

// --- PointParticleSystem ---

Ref<PointParticleSystem> PointParticleSystem::particleWithTotalParticles(unsigned capacity) {
    return create<PointParticleSystem>(capacity);
}

bool PointParticleSystem::initWithTotalParticles(unsigned capacity) {
    if (!ParticleSystem::initWithTotalParticles(capacity)) return false;
    vertices_ = allocateZeroed<ccPointSprite>(capacity);
    if (!vertices_) {
        ccLog("%s", kNoMemory);
        return false;
    }
    glGenBuffers(1, &verticesID_);
    platform::GLState::current().bindArrayBuffer(verticesID_);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(sizeof(ccPointSprite) * capacity), vertices_.get(),
                 GL_DYNAMIC_DRAW);
    return true;
}

PointParticleSystem::~PointParticleSystem() {
    if (verticesID_) platform::GLState::deleteBuffers(1, &verticesID_);
}

void PointParticleSystem::setStartSize(float s) {
    ccAssert(s <= 64, "PointParticleSystem doesn't support size > 64");
    ParticleSystem::setStartSize(s);
}

void PointParticleSystem::setStartSpin(float s) {
    ccAssert(s == 0, "PointParticleSystem doesn't support spinning");
    ParticleSystem::setStartSpin(s);
}
void PointParticleSystem::setStartSpinVar(float s) {
    ccAssert(s == 0, "PointParticleSystem doesn't support spinning");
    ParticleSystem::setStartSpinVar(s);
}
void PointParticleSystem::setEndSpin(float s) {
    ccAssert(s == 0, "PointParticleSystem doesn't support spinning");
    ParticleSystem::setEndSpin(s);
}
void PointParticleSystem::setEndSpinVar(float s) {
    ccAssert(s == 0, "PointParticleSystem doesn't support spinning");
    ParticleSystem::setEndSpinVar(s);
}

void PointParticleSystem::updateQuadWithParticle(const Particle& p, Point at) {
    ccPointSprite& v = vertices_[particleIdx_];
    v.x = at.x;
    v.y = at.y;
    v.r = p.color.r;
    v.g = p.color.g;
    v.b = p.color.b;
    v.a = p.color.a;
    v.size = p.size;
}

void PointParticleSystem::postStep() {
    if (!verticesID_ || particleIdx_ == 0) return;
    platform::GLState::current().bindArrayBuffer(verticesID_);
    glBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(sizeof(ccPointSprite) * particleIdx_),
                    vertices_.get());
}

void PointParticleSystem::draw() {
    if (particleIdx_ == 0 || !verticesID_) return;
    platform::GLState& gl = platform::GLState::current();
    gl.useTexture(texture_ ? texture_->name() : 0);
    gl.setPointSprites(true);
    gl.setArrays(platform::GLState::kVertexArray | platform::GLState::kColorArray |
                 platform::GLState::kPointSizeArray);
    gl.bindArrayBuffer(verticesID_);
    glVertexPointer(2, GL_FLOAT, sizeof(ccPointSprite), nullptr);
    glColorPointer(4, GL_FLOAT, sizeof(ccPointSprite), reinterpret_cast<void*>(8));
    glPointSizePointerOES(GL_FLOAT, sizeof(ccPointSprite), reinterpret_cast<void*>(24));
    applyBlend();
    glDrawArrays(GL_POINTS, 0, GLsizei(particleIdx_));
}

// --- QuadParticleSystem ---

Ref<QuadParticleSystem> QuadParticleSystem::particleWithTotalParticles(unsigned capacity) {
    return create<QuadParticleSystem>(capacity);
}

bool QuadParticleSystem::initWithTotalParticles(unsigned capacity) {
    // Four vertices a quad, numbered with 16-bit indices.
    if (capacity > 65536 / 4) {
        ccLog("%s", kNoMemory);
        return false;
    }
    if (!ParticleSystem::initWithTotalParticles(capacity)) return false;
    quads_ = allocateZeroed<ccV2F_C4F_T2F_Quad>(capacity);
    indices_ = allocateZeroed<GLushort>(size_t(capacity) * 6);
    if (!quads_ || !indices_) {
        ccLog("%s", kNoMemory);
        return false;
    }
    for (unsigned i = 0; i < capacity; ++i) {
        ccV2F_C4F_T2F_Quad& q = quads_[i];
        q.bl.u = 0, q.bl.v = 0;
        q.br.u = 1, q.br.v = 0;
        q.tl.u = 0, q.tl.v = 1;
        q.tr.u = 1, q.tr.v = 1;
        GLushort base = GLushort(i * 4);
        GLushort* idx = &indices_[size_t(i) * 6];
        idx[0] = base;
        idx[1] = GLushort(base + 1);
        idx[2] = GLushort(base + 2);
        idx[3] = GLushort(base + 3);
        idx[4] = GLushort(base + 2);
        idx[5] = GLushort(base + 1);
    }
    glGenBuffers(1, &quadsID_);
    platform::GLState::current().bindArrayBuffer(quadsID_);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(sizeof(ccV2F_C4F_T2F_Quad) * capacity), quads_.get(),
                 GL_DYNAMIC_DRAW);
    glGenBuffers(1, &indicesID_);
    platform::GLState::current().bindElementArrayBuffer(indicesID_);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(sizeof(GLushort) * 6 * capacity),
                 indices_.get(), GL_STATIC_DRAW);
    return true;
}

QuadParticleSystem::~QuadParticleSystem() {
    if (quadsID_) platform::GLState::deleteBuffers(1, &quadsID_);
    if (indicesID_) platform::GLState::deleteBuffers(1, &indicesID_);
}

void QuadParticleSystem::updateQuadWithParticle(const Particle& p, Point at) {
    ccV2F_C4F_T2F_Quad& q = quads_[particleIdx_];
    for (ccV2F_C4F_T2F* v : {&q.bl, &q.br, &q.tl, &q.tr}) {
        v->r = p.color.r;
        v->g = p.color.g;
        v->b = p.color.b;
        v->a = p.color.a;
    }
    float h = p.size / 2;
    const float offsets[4][2] = {{-h, -h}, {h, -h}, {-h, h}, {h, h}};
    ccV2F_C4F_T2F* corners[4] = {&q.bl, &q.br, &q.tl, &q.tr};
    if (p.rotation == 0) {
        for (int i = 0; i < 4; ++i) {
            corners[i]->x = at.x + offsets[i][0];
            corners[i]->y = at.y + offsets[i][1];
        }
    } else {
        float angle = -p.rotation / 180.0f * 3.14159265358979f;
        float c = std::cos(angle), s = std::sin(angle);
        for (int i = 0; i < 4; ++i) {
            float ox = offsets[i][0], oy = offsets[i][1];
            corners[i]->x = at.x + ox * c - oy * s;
            corners[i]->y = at.y + ox * s + oy * c;
        }
    }
}

void QuadParticleSystem::postStep() {
    if (!quadsID_ || particleIdx_ == 0) return;
    platform::GLState::current().bindArrayBuffer(quadsID_);
    glBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(sizeof(ccV2F_C4F_T2F_Quad) * particleIdx_),
                    quads_.get());
}

void QuadParticleSystem::draw() {
    if (particleIdx_ == 0 || !quadsID_) return;
    platform::GLState& gl = platform::GLState::current();
    gl.useTexture(texture_ ? texture_->name() : 0);
    gl.setArrays(platform::GLState::kVertexArray | platform::GLState::kColorArray |
                 platform::GLState::kTexCoordArray);
    gl.bindArrayBuffer(quadsID_);
    glVertexPointer(2, GL_FLOAT, sizeof(ccV2F_C4F_T2F), nullptr);
    glColorPointer(4, GL_FLOAT, sizeof(ccV2F_C4F_T2F), reinterpret_cast<void*>(8));
    glTexCoordPointer(2, GL_FLOAT, sizeof(ccV2F_C4F_T2F), reinterpret_cast<void*>(24));
    applyBlend();
    gl.bindElementArrayBuffer(indicesID_);
    glDrawElements(GL_TRIANGLES, GLsizei(particleIdx_ * 6), GL_UNSIGNED_SHORT, nullptr);
}

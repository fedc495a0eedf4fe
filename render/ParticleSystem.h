#pragma once

#include "engine/Node.h"
#include "platform/GL.h"
#include "render/Texture2D.h"
#include "support/Types.h"

#include <memory>

// One particle: 21 floats.
struct Particle {
    Point pos;      // relative to the system's origin
    Point startPos; // the system's position at birth
    Point dir;      // velocity, points per second
    float radialAccel;
    float tangentialAccel;
    ccColor4F color;
    ccColor4F deltaColor; // per second
    float size;
    float deltaSize; // per second
    float rotation;
    float deltaRotation; // degrees per second
    float life;          // seconds left
};
static_assert(sizeof(Particle) == 84);

enum tCCPositionType { kPositionTypeFree = 0, kPositionTypeGrouped = 1 };

inline constexpr float kParticleDurationInfinity = -1;
inline constexpr float kParticleStartSizeEqualToEndSize = -1;

// A node that emits, moves and draws many small textured particles. It
// steps itself every frame while it runs; subclasses write the particles'
// vertices and draw them.
class ParticleSystem : public Node {
public:
    // A particle system needs its capacity: the plain creation is refused.
    static Ref<ParticleSystem> node();
    ~ParticleSystem() override;

    // --- emitter ---
    float duration() const { return duration_; }
    void setDuration(float d) { duration_ = d; }
    Point gravity() const { return gravity_; }
    void setGravity(Point g) { gravity_ = g; }
    Point centerOfGravity() const { return centerOfGravity_; }
    void setCenterOfGravity(Point p) { centerOfGravity_ = p; }
    Point posVar() const { return posVar_; }
    void setPosVar(Point p) { posVar_ = p; }
    float angle() const { return angle_; }
    void setAngle(float a) { angle_ = a; }
    float angleVar() const { return angleVar_; }
    void setAngleVar(float a) { angleVar_ = a; }
    float speed() const { return speed_; }
    void setSpeed(float s) { speed_ = s; }
    float speedVar() const { return speedVar_; }
    void setSpeedVar(float s) { speedVar_ = s; }
    float tangentialAccel() const { return tangentialAccel_; }
    void setTangentialAccel(float a) { tangentialAccel_ = a; }
    float tangentialAccelVar() const { return tangentialAccelVar_; }
    void setTangentialAccelVar(float a) { tangentialAccelVar_ = a; }
    float radialAccel() const { return radialAccel_; }
    void setRadialAccel(float a) { radialAccel_ = a; }
    float radialAccelVar() const { return radialAccelVar_; }
    void setRadialAccelVar(float a) { radialAccelVar_ = a; }
    float startSize() const { return startSize_; }
    virtual void setStartSize(float s) { startSize_ = s; }
    float startSizeVar() const { return startSizeVar_; }
    virtual void setStartSizeVar(float s) { startSizeVar_ = s; }
    float endSize() const { return endSize_; }
    virtual void setEndSize(float s) { endSize_ = s; }
    float endSizeVar() const { return endSizeVar_; }
    virtual void setEndSizeVar(float s) { endSizeVar_ = s; }
    float life() const { return life_; }
    void setLife(float l) { life_ = l; }
    float lifeVar() const { return lifeVar_; }
    void setLifeVar(float l) { lifeVar_ = l; }
    ccColor4F startColor() const { return startColor_; }
    void setStartColor(ccColor4F c) { startColor_ = c; }
    ccColor4F startColorVar() const { return startColorVar_; }
    void setStartColorVar(ccColor4F c) { startColorVar_ = c; }
    ccColor4F endColor() const { return endColor_; }
    void setEndColor(ccColor4F c) { endColor_ = c; }
    ccColor4F endColorVar() const { return endColorVar_; }
    void setEndColorVar(ccColor4F c) { endColorVar_ = c; }
    float startSpin() const { return startSpin_; }
    virtual void setStartSpin(float s) { startSpin_ = s; }
    float startSpinVar() const { return startSpinVar_; }
    virtual void setStartSpinVar(float s) { startSpinVar_ = s; }
    float endSpin() const { return endSpin_; }
    virtual void setEndSpin(float s) { endSpin_ = s; }
    float endSpinVar() const { return endSpinVar_; }
    virtual void setEndSpinVar(float s) { endSpinVar_ = s; }
    float emissionRate() const { return emissionRate_; }
    void setEmissionRate(float r) { emissionRate_ = r; }
    unsigned totalParticles() const { return totalParticles_; }
    // Limits emission; the arrays keep the capacity given at creation, so
    // a larger value is held to that capacity.
    void setTotalParticles(unsigned n);
    unsigned capacity() const { return allocatedParticles_; }
    bool blendAdditive() const { return blendAdditive_; }
    void setBlendAdditive(bool on) { blendAdditive_ = on; }
    ccBlendFunc blendFunc() const { return blendFunc_; }
    void setBlendFunc(ccBlendFunc f) { blendFunc_ = f; }
    int positionType() const { return positionType_; }
    void setPositionType(int t) { positionType_ = t; }
    bool autoRemoveOnFinish() const { return autoRemoveOnFinish_; }
    void setAutoRemoveOnFinish(bool on) { autoRemoveOnFinish_ = on; }
    Texture2D* texture() const { return texture_.get(); }
    // A texture without premultiplied alpha switches the blend to
    // (source alpha, one minus source alpha).
    void setTexture(Texture2D* texture);

    unsigned particleCount() const { return particleCount_; }
    bool active() const { return active_; }
    float elapsed() const { return elapsed_; }
    float emitCounter() const { return emitCounter_; }
    unsigned particleIdx() const { return particleIdx_; }
    const Particle* particles() const { return particles_.get(); }

    // --- life ---
    bool addParticle();
    void stopSystem();
    void resetSystem();
    bool isFull() const { return particleCount_ == totalParticles_; }
    void step(float dt);

protected:
    ParticleSystem() = default;
    // Allocates the records (and, in subclasses, the vertices); false with
    // "Particle system: not enough memory" when it cannot.
    virtual bool initWithTotalParticles(unsigned capacity);
    void initParticle(Particle& p);
    // Writes the vertices of the particle at particleIdx_.
    virtual void updateQuadWithParticle(const Particle& p, Point drawPosition) = 0;
    // Hands the vertices written this step to GL.
    virtual void postStep() {}
    // Sets the blend for a draw.
    void applyBlend() const;

    template <class T>
    static Ref<T> create(unsigned capacity) {
        Ref<T> system = Ref<T>::adopt(new T());
        if (!system->initWithTotalParticles(capacity)) {
            // A failure after the step was scheduled: the timer holds the
            // system, which would never go.
            system->cleanup();
            return nullptr;
        }
        return system;
    }

    unsigned id_ = 0;
    bool active_ = false;
    float duration_ = 0;
    float elapsed_ = 0;
    Point gravity_;
    Point centerOfGravity_;
    Point posVar_;
    float angle_ = 0, angleVar_ = 0;
    float speed_ = 0, speedVar_ = 0;
    float tangentialAccel_ = 0, tangentialAccelVar_ = 0;
    float radialAccel_ = 0, radialAccelVar_ = 0;
    float startSize_ = 0, startSizeVar_ = 0;
    float endSize_ = 0, endSizeVar_ = 0;
    float life_ = 0, lifeVar_ = 0;
    ccColor4F startColor_, startColorVar_, endColor_, endColorVar_;
    float startSpin_ = 0, startSpinVar_ = 0, endSpin_ = 0, endSpinVar_ = 0;
    std::unique_ptr<Particle[]> particles_;
    unsigned totalParticles_ = 0;
    unsigned allocatedParticles_ = 0;
    unsigned particleCount_ = 0;
    bool blendAdditive_ = false;
    bool colorModulate_ = false;
    float emissionRate_ = 0;
    float emitCounter_ = 0;
    Ref<Texture2D> texture_;
    ccBlendFunc blendFunc_{GL_ONE, GL_ONE_MINUS_SRC_ALPHA};
    int positionType_ = kPositionTypeFree;
    bool autoRemoveOnFinish_ = false;
    unsigned particleIdx_ = 0;
};

// A point sprite per particle: position, colour and size.
struct ccPointSprite {
    float x, y;
    float r, g, b, a;
    float size;
};
static_assert(sizeof(ccPointSprite) == 28);

// Draws each particle as a point sprite, all in one buffer upload and one
// draw. Point sizes are limited and points cannot spin.
class PointParticleSystem : public ParticleSystem {
public:
    static Ref<PointParticleSystem> particleWithTotalParticles(unsigned capacity);
    ~PointParticleSystem() override;

    void setStartSize(float s) override;
    void setStartSpin(float s) override;
    void setStartSpinVar(float s) override;
    void setEndSpin(float s) override;
    void setEndSpinVar(float s) override;

    void draw() override;
    const ccPointSprite* vertices() const { return vertices_.get(); }

protected:
    friend class ParticleSystem;
    PointParticleSystem() = default;
    bool initWithTotalParticles(unsigned capacity) override;
    void updateQuadWithParticle(const Particle& p, Point drawPosition) override;
    void postStep() override;

    std::unique_ptr<ccPointSprite[]> vertices_;
    GLuint verticesID_ = 0;
};

struct ccV2F_C4F_T2F {
    float x, y;
    float r, g, b, a;
    float u, v;
};
static_assert(sizeof(ccV2F_C4F_T2F) == 32);

// Bottom-left, bottom-right, top-left, top-right.
struct ccV2F_C4F_T2F_Quad {
    ccV2F_C4F_T2F bl, br, tl, tr;
};

// Draws each particle as a textured quad that can spin.
class QuadParticleSystem : public ParticleSystem {
public:
    static Ref<QuadParticleSystem> particleWithTotalParticles(unsigned capacity);
    ~QuadParticleSystem() override;

    void draw() override;
    const ccV2F_C4F_T2F_Quad* quads() const { return quads_.get(); }

protected:
    friend class ParticleSystem;
    QuadParticleSystem() = default;
    bool initWithTotalParticles(unsigned capacity) override;
    void updateQuadWithParticle(const Particle& p, Point drawPosition) override;
    void postStep() override;

    std::unique_ptr<ccV2F_C4F_T2F_Quad[]> quads_;
    std::unique_ptr<GLushort[]> indices_;
    GLuint quadsID_ = 0;
    GLuint indicesID_ = 0;
};

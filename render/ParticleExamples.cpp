#include "render/ParticleExamples.h"

#include "engine/Director.h"
#include "render/TextureMgr.h"

namespace {

// Everything a preset sets, in one place; fields it leaves out stay 0.
struct Preset {
    float duration = kParticleDurationInfinity;
    Point gravity;
    float angle = 0, angleVar = 0;
    float speed = 0, speedVar = 0;
    float radialAccel = 0, radialAccelVar = 0;
    float tangentialAccel = 0, tangentialAccelVar = 0;
    bool setsPosition = false;
    Point position;
    Point posVar;
    float life = 0, lifeVar = 0;
    float startSize = 0, startSizeVar = 0;
    ccColor4F startColor, startColorVar, endColor, endColorVar;
    bool additive = false;
    int positionType = kPositionTypeFree;
    bool fireTexture = true;
    float emissionRate = 0; // 0: capacity / life (or / duration when it is finite)
};

void apply(ParticleSystem* s, const Preset& p) {
    s->setDuration(p.duration);
    s->setGravity(p.gravity);
    s->setAngle(p.angle);
    s->setAngleVar(p.angleVar);
    s->setSpeed(p.speed);
    s->setSpeedVar(p.speedVar);
    s->setRadialAccel(p.radialAccel);
    s->setRadialAccelVar(p.radialAccelVar);
    s->setTangentialAccel(p.tangentialAccel);
    s->setTangentialAccelVar(p.tangentialAccelVar);
    if (p.setsPosition) s->setPosition(p.position);
    s->setPosVar(p.posVar);
    s->setLife(p.life);
    s->setLifeVar(p.lifeVar);
    s->setStartSize(p.startSize);
    s->setStartSizeVar(p.startSizeVar);
    s->setEndSize(kParticleStartSizeEqualToEndSize);
    s->setStartColor(p.startColor);
    s->setStartColorVar(p.startColorVar);
    s->setEndColor(p.endColor);
    s->setEndColorVar(p.endColorVar);
    s->setBlendAdditive(p.additive);
    s->setPositionType(p.positionType);
    if (p.emissionRate != 0)
        s->setEmissionRate(p.emissionRate);
    else if (p.duration > 0)
        s->setEmissionRate(float(s->totalParticles()) / p.duration);
    else
        s->setEmissionRate(float(s->totalParticles()) / p.life);
    if (p.fireTexture) s->setTexture(TextureMgr::sharedTextureMgr().addImage("fire.png").get());
}

Size win() { return Director::sharedDirector().winSize(); }

constexpr ccColor4F rgba(float r, float g, float b, float a) { return {r, g, b, a}; }

} // namespace

#define CC_PARTICLE_PRESET_NODE(Class, capacity)                                                   \
    Ref<Class> Class::node() { return create<Class>(capacity); }

CC_PARTICLE_PRESET_NODE(ParticleFire, 250)
CC_PARTICLE_PRESET_NODE(ParticleFireworks, 1500)
CC_PARTICLE_PRESET_NODE(ParticleSun, 300)
CC_PARTICLE_PRESET_NODE(ParticleGalaxy, 200)
CC_PARTICLE_PRESET_NODE(ParticleFlower, 250)
CC_PARTICLE_PRESET_NODE(ParticleMeteor, 150)
CC_PARTICLE_PRESET_NODE(ParticleSpiral, 500)
CC_PARTICLE_PRESET_NODE(ParticleExplosion, 700)
CC_PARTICLE_PRESET_NODE(ParticleSmoke, 100)
CC_PARTICLE_PRESET_NODE(ParticleSnow, 700)
CC_PARTICLE_PRESET_NODE(ParticleRain, 1000)
CC_PARTICLE_PRESET_NODE(ParticleSparkles, 1000)

#undef CC_PARTICLE_PRESET_NODE

bool ParticleFire::initWithTotalParticles(unsigned capacity) {
    if (!PointParticleSystem::initWithTotalParticles(capacity)) return false;
    Preset p;
    p.angle = 90, p.angleVar = 10, p.speed = 60, p.speedVar = 20;
    p.setsPosition = true, p.position = Point(160, 60), p.posVar = Point(40, 20);
    p.life = 3, p.lifeVar = 0.25f, p.startSize = 54, p.startSizeVar = 10;
    p.startColor = rgba(0.76f, 0.25f, 0.12f, 1), p.endColor = rgba(0, 0, 0, 1);
    p.additive = true;
    apply(this, p);
    return true;
}

bool ParticleFireworks::initWithTotalParticles(unsigned capacity) {
    if (!PointParticleSystem::initWithTotalParticles(capacity)) return false;
    Preset p;
    p.gravity = Point(0, -90);
    p.angle = 90, p.angleVar = 20, p.speed = 180, p.speedVar = 50;
    p.setsPosition = true, p.position = Point(160, 160);
    p.life = 3.5f, p.lifeVar = 1, p.startSize = 8, p.startSizeVar = 2;
    p.startColor = rgba(0.5f, 0.5f, 0.5f, 1), p.startColorVar = rgba(0.5f, 0.5f, 0.5f, 0.1f);
    p.endColor = rgba(0.1f, 0.1f, 0.1f, 0.2f), p.endColorVar = rgba(0.1f, 0.1f, 0.1f, 0.2f);
    apply(this, p);
    return true;
}

bool ParticleSun::initWithTotalParticles(unsigned capacity) {
    if (!PointParticleSystem::initWithTotalParticles(capacity)) return false;
    Preset p;
    p.angle = 90, p.angleVar = 360, p.speed = 20, p.speedVar = 5;
    p.life = 0.9f, p.lifeVar = 0.5f, p.startSize = 35, p.startSizeVar = 10;
    p.startColor = rgba(0.76f, 0.25f, 0.12f, 1), p.endColor = rgba(0, 0, 0, 1);
    p.additive = true, p.fireTexture = false;
    apply(this, p);
    return true;
}

bool ParticleGalaxy::initWithTotalParticles(unsigned capacity) {
    if (!PointParticleSystem::initWithTotalParticles(capacity)) return false;
    Preset p;
    p.angle = 90, p.angleVar = 360, p.speed = 60, p.speedVar = 10;
    p.radialAccel = -80, p.tangentialAccel = 80;
    p.setsPosition = true, p.position = Point(160, 240);
    p.life = 4, p.lifeVar = 1, p.startSize = 37, p.startSizeVar = 10;
    p.startColor = rgba(0.12f, 0.25f, 0.76f, 1), p.endColor = rgba(0, 0, 0, 1);
    p.additive = true;
    apply(this, p);
    return true;
}

bool ParticleFlower::initWithTotalParticles(unsigned capacity) {
    if (!PointParticleSystem::initWithTotalParticles(capacity)) return false;
    Preset p;
    p.angle = 90, p.angleVar = 360, p.speed = 80, p.speedVar = 10;
    p.radialAccel = -60, p.tangentialAccel = 15;
    p.setsPosition = true, p.position = Point(160, 240);
    p.life = 4, p.lifeVar = 1, p.startSize = 30, p.startSizeVar = 10;
    p.startColor = rgba(0.5f, 0.5f, 0.5f, 1), p.startColorVar = rgba(0.5f, 0.5f, 0.5f, 0.5f);
    p.endColor = rgba(0, 0, 0, 1);
    p.additive = true;
    apply(this, p);
    return true;
}

bool ParticleMeteor::initWithTotalParticles(unsigned capacity) {
    if (!PointParticleSystem::initWithTotalParticles(capacity)) return false;
    Preset p;
    p.gravity = Point(-200, 200);
    p.angle = 90, p.angleVar = 360, p.speed = 15, p.speedVar = 5;
    p.setsPosition = true, p.position = Point(160, 240);
    p.life = 2, p.lifeVar = 1, p.startSize = 60, p.startSizeVar = 10;
    p.startColor = rgba(0.2f, 0.4f, 0.7f, 1), p.startColorVar = rgba(0, 0, 0.2f, 0.1f);
    p.endColor = rgba(0, 0, 0, 1);
    p.additive = true;
    apply(this, p);
    return true;
}

bool ParticleSpiral::initWithTotalParticles(unsigned capacity) {
    if (!PointParticleSystem::initWithTotalParticles(capacity)) return false;
    Preset p;
    p.angle = 90, p.speed = 150;
    p.radialAccel = -380, p.tangentialAccel = 45;
    p.setsPosition = true, p.position = Point(160, 240);
    p.life = 12, p.startSize = 20;
    p.startColor = rgba(0.5f, 0.5f, 0.5f, 1), p.startColorVar = rgba(0.5f, 0.5f, 0.5f, 0);
    p.endColor = rgba(0.5f, 0.5f, 0.5f, 1), p.endColorVar = rgba(0.5f, 0.5f, 0.5f, 0);
    apply(this, p);
    return true;
}

bool ParticleExplosion::initWithTotalParticles(unsigned capacity) {
    if (!PointParticleSystem::initWithTotalParticles(capacity)) return false;
    Preset p;
    p.duration = 0.1f;
    p.gravity = Point(0, -100);
    p.angle = 90, p.angleVar = 360, p.speed = 70, p.speedVar = 40;
    p.setsPosition = true, p.position = Point(160, 240);
    p.life = 5, p.lifeVar = 2, p.startSize = 15, p.startSizeVar = 10;
    p.startColor = rgba(0.7f, 0.1f, 0.2f, 1), p.startColorVar = rgba(0.5f, 0.5f, 0.5f, 0);
    p.endColor = rgba(0.5f, 0.5f, 0.5f, 0), p.endColorVar = rgba(0.5f, 0.5f, 0.5f, 0);
    apply(this, p);
    return true;
}

bool ParticleSmoke::initWithTotalParticles(unsigned capacity) {
    if (!PointParticleSystem::initWithTotalParticles(capacity)) return false;
    Preset p;
    p.angle = 90, p.angleVar = 5, p.speed = 25, p.speedVar = 10;
    p.posVar = Point(20, 0);
    p.life = 2, p.startSize = 60, p.startSizeVar = 10;
    p.startColor = rgba(0.8f, 0.8f, 0.8f, 1), p.startColorVar = rgba(0.02f, 0.02f, 0.02f, 0);
    p.endColor = rgba(0, 0, 0, 0);
    apply(this, p);
    return true;
}

bool ParticleSnow::initWithTotalParticles(unsigned capacity) {
    if (!PointParticleSystem::initWithTotalParticles(capacity)) return false;
    Size w = win();
    Preset p;
    p.gravity = Point(0, -1);
    p.angle = -90, p.angleVar = 5, p.speed = 5, p.speedVar = 1;
    p.radialAccelVar = 1, p.tangentialAccelVar = 1;
    p.setsPosition = true, p.position = Point(w.width * 0.5f, w.height + 10);
    p.posVar = Point(w.width * 0.5f, 0);
    p.life = 45, p.lifeVar = 15, p.startSize = 10, p.startSizeVar = 5;
    p.startColor = rgba(1, 1, 1, 1), p.endColor = rgba(1, 1, 1, 0);
    apply(this, p);
    return true;
}

bool ParticleRain::initWithTotalParticles(unsigned capacity) {
    if (!PointParticleSystem::initWithTotalParticles(capacity)) return false;
    Size w = win();
    Preset p;
    p.angle = -90, p.speed = 91, p.speedVar = 41;
    p.setsPosition = true, p.position = Point(w.width * 0.5f, w.height);
    p.posVar = Point(w.width * 0.5f, w.height * 0.5f);
    p.life = 9.6f, p.startSize = 3.5f, p.startSizeVar = 2;
    p.startColor = rgba(1, 1, 1, 1), p.endColor = rgba(1, 1, 1, 1);
    p.fireTexture = false, p.emissionRate = 23;
    apply(this, p);
    return true;
}

bool ParticleSparkles::initWithTotalParticles(unsigned capacity) {
    if (!PointParticleSystem::initWithTotalParticles(capacity)) return false;
    Preset p;
    p.gravity = Point(0, -100);
    p.angle = 270, p.speed = 31, p.speedVar = 5;
    p.life = 0.55f, p.lifeVar = 0.5f, p.startSize = 14, p.startSizeVar = 9;
    p.startColor = rgba(0.79f, 0.25f, 0.12f, 1), p.endColor = rgba(0, 0, 0, 1);
    p.additive = true, p.positionType = kPositionTypeGrouped, p.fireTexture = false;
    apply(this, p);
    return true;
}

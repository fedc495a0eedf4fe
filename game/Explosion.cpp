#include "game/Explosion.h"

#include "engine/Node.h"
#include "render/ParticleExamples.h"
#include "render/TextureMgr.h"

namespace {

template <class Preset>
void addSystem(Node* parent, Point at, unsigned particles, float duration, float scale, int z) {
    Ref<Preset> system =
        particles ? Preset::particleWithTotalParticles(particles) : Preset::node();
    if (!system) return; // could not get its particle memory: no burst, no failure
    system->setTexture(TextureMgr::sharedTextureMgr().addImage("output.pvr").get());
    system->setPosition(at);
    system->setDuration(duration);
    system->setScale(scale);
    system->setAutoRemoveOnFinish(true);
    parent->addChild(system.get(), z);
}

} // namespace

void Explosion::showIn(Node* parent, Point at) const {
    addSystem<ParticleSun>(parent, at, sunParticles, sunDuration, sunScale, z);
    if (puff)
        addSystem<ParticleSmoke>(parent, Point(at.x + 7, at.y + 7), puffParticles, puffDuration,
                                 puffScale, puffZ.value_or(z));
}

#pragma once

#include "render/ParticleSystem.h"

// The preset emitters. `node()` makes one with the preset's own capacity.
#define CC_PARTICLE_PRESET(Class)                                                                  \
    class Class : public PointParticleSystem {                                                     \
    public:                                                                                        \
        static Ref<Class> node();                                                                  \
        static Ref<Class> particleWithTotalParticles(unsigned capacity) {                          \
            return create<Class>(capacity);                                                        \
        }                                                                                          \
                                                                                                   \
    protected:                                                                                     \
        friend class ParticleSystem;                                                               \
        Class() = default;                                                                         \
        bool initWithTotalParticles(unsigned capacity) override;                                   \
    };

CC_PARTICLE_PRESET(ParticleFire)
CC_PARTICLE_PRESET(ParticleFireworks)
CC_PARTICLE_PRESET(ParticleSun)
CC_PARTICLE_PRESET(ParticleGalaxy)
CC_PARTICLE_PRESET(ParticleFlower)
CC_PARTICLE_PRESET(ParticleMeteor)
CC_PARTICLE_PRESET(ParticleSpiral)
CC_PARTICLE_PRESET(ParticleExplosion)
CC_PARTICLE_PRESET(ParticleSmoke)
CC_PARTICLE_PRESET(ParticleSnow)
CC_PARTICLE_PRESET(ParticleRain)
CC_PARTICLE_PRESET(ParticleSparkles)

#undef CC_PARTICLE_PRESET

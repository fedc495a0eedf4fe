// Particle textures: "fire.png", the soft puff of the presets that name no
// texture, and "output.pvr", the glow of explosions and exhausts, as PVRTC.
#include "tools/resgen/Pvrtc.h"
#include "tools/resgen/Resources.h"

#include <algorithm>
#include <cmath>

namespace resgen {

namespace {

// A white puff with a ragged edge; the particle colour tints it.
Canvas puff() {
    const int size = 32;
    Canvas c(size, size);
    uint32_t* px = c.pixels();
    const double m = (size - 1) / 2.0, radius = size / 2.0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double r = std::hypot(x - m, y - m) / radius;
            double wisp = 0.7 + 0.3 * fractalNoise(x / 5.0, y / 5.0, 3, 0xF12E);
            double a = std::pow(std::max(0.0, 1 - r), 1.6) * wisp;
            uint32_t v = uint32_t(std::lround(std::min(1.0, a) * 255));
            px[size_t(y) * size_t(c.strideWords()) + size_t(x)] = v << 24 | v << 16 | v << 8 | v;
        }
    c.markDirty();
    return c;
}

// A white glow: a hot core in a wide soft halo, transparent at the edge.
std::vector<uint8_t> glowPicture(unsigned size) {
    std::vector<uint8_t> rgba(size_t(size) * size * 4);
    const double m = (size - 1) / 2.0, radius = size / 2.0;
    for (unsigned y = 0; y < size; ++y)
        for (unsigned x = 0; x < size; ++x) {
            double r = std::hypot(x - m, y - m) / radius;
            double halo = std::pow(std::max(0.0, 1 - r), 2.2);
            double core = 0.6 * std::exp(-(r / 0.18) * (r / 0.18));
            uint8_t* p = &rgba[(size_t(y) * size + x) * 4];
            p[0] = p[1] = p[2] = 255;
            p[3] = uint8_t(std::lround(std::min(1.0, halo + core) * 255));
        }
    return rgba;
}

} // namespace

void writeParticleTextures(const std::string& dir) {
    writePng(puff(), dir + "/fire.png");
    const unsigned size = 64;
    writeFile(dir + "/output.pvr", pvrFile4(glowPicture(size), size, size, true));
}

} // namespace resgen

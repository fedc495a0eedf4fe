#pragma once

#include <cstdint>

namespace platform {

// Stand-ins for the C library's random()/srandom() and for arc4random(),
// each its own deterministic source so that runs can be repeated by seed.

// 31-bit values in [0, 2^31 - 1], the additive feedback generator of the
// classic C library with a 31-word state.
long random();
void srandom(unsigned seed);

// 32-bit values from a separate source.
uint32_t arc4random();
void seedArc4random(uint64_t seed);

} // namespace platform

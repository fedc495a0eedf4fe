#pragma once

#include "support/Geometry.h"

#include <optional>

class Node;

// The burst every game screen shows where something is destroyed: a sun of
// particles, optionally with a puff of smoke 7 points right of and above it.
// Both use the cached "output.pvr" glow and remove themselves when done.
// The screens differ only in these numbers.
struct Explosion {
    // Particles of the sun; 0 keeps the preset's own count.
    unsigned sunParticles = 0;
    float sunDuration = 0.2f;
    float sunScale = 1;
    bool puff = true;
    unsigned puffParticles = 0;
    float puffDuration = 0.02f;
    float puffScale = 1;
    int z = 10;
    // The puff's z when it differs from the sun's.
    std::optional<int> puffZ = std::nullopt;

    // Adds the sun and then the puff to `parent` at `at`.
    void showIn(Node* parent, Point at) const;
};

#pragma once

#include "support/Types.h"

#include <cstddef>
#include <type_traits>

// The vertex layout shared by everything that batches textured quads: the
// arrays are handed to GL as they are, so sizes and offsets are fixed.

struct ccVertex3F {
    float x = 0, y = 0, z = 0;
    constexpr bool operator==(const ccVertex3F&) const = default;
};

struct ccTex2F {
    float u = 0, v = 0;
    constexpr bool operator==(const ccTex2F&) const = default;
};

// 24 bytes: position at 0, colour at 12, texture coordinates at 16.
struct ccV3F_C4B_T2F {
    ccVertex3F vertices;
    ccColor4B colors;
    ccTex2F texCoords;
    constexpr bool operator==(const ccV3F_C4B_T2F&) const = default;
};

// 96 bytes: the corners in the order the index pattern expects.
struct ccV3F_C4B_T2F_Quad {
    ccV3F_C4B_T2F tl, bl, tr, br;
    constexpr bool operator==(const ccV3F_C4B_T2F_Quad&) const = default;
};

static_assert(sizeof(ccV3F_C4B_T2F) == 24);
static_assert(offsetof(ccV3F_C4B_T2F, colors) == 12);
static_assert(offsetof(ccV3F_C4B_T2F, texCoords) == 16);
static_assert(sizeof(ccV3F_C4B_T2F_Quad) == 96);
static_assert(std::is_trivially_copyable_v<ccV3F_C4B_T2F_Quad>);

// Blend factors used by the texture nodes: the default suits premultiplied
// textures, the other straight alpha.
inline constexpr ccBlendFunc kBlendPremultiplied{1, 771};   // GL_ONE, GL_ONE_MINUS_SRC_ALPHA
inline constexpr ccBlendFunc kBlendStraightAlpha{770, 771}; // GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA

#pragma once

#include <cstdint>

#include "support/Geometry.h"

struct ccColor3B {
    uint8_t r = 0, g = 0, b = 0;
    constexpr bool operator==(const ccColor3B&) const = default;
};

struct ccColor4B {
    uint8_t r = 0, g = 0, b = 0, a = 0;
    constexpr bool operator==(const ccColor4B&) const = default;
};

struct ccColor4F {
    float r = 0, g = 0, b = 0, a = 0;
    constexpr bool operator==(const ccColor4F&) const = default;
};

inline constexpr ccColor3B ccc3(uint8_t r, uint8_t g, uint8_t b) { return {r, g, b}; }
inline constexpr ccColor4B ccc4(uint8_t r, uint8_t g, uint8_t b, uint8_t a) { return {r, g, b, a}; }

inline constexpr ccColor3B ccWHITE{255, 255, 255};
inline constexpr ccColor3B ccBLACK{0, 0, 0};

// A pair of GL blend factors (source, destination).
struct ccBlendFunc {
    uint32_t src = 0, dst = 0;
    constexpr bool operator==(const ccBlendFunc&) const = default;
};

// Hue in turns (only its fraction counts); saturation and value are
// clamped to 0..1; each channel is scaled to 255 and truncated.
ccColor3B ccColor3BFromHSV(float hue, float saturation, float value);

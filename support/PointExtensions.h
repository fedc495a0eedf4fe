#pragma once

#include "support/Geometry.h"

#include <cmath>

inline Point ccpAdd(Point a, Point b) { return Point(a.x + b.x, a.y + b.y); }
inline Point ccpSub(Point a, Point b) { return Point(a.x - b.x, a.y - b.y); }
inline Point ccpNeg(Point a) { return Point(-a.x, -a.y); }
inline Point ccpMult(Point a, float s) { return Point(a.x * s, a.y * s); }
inline float ccpDot(Point a, Point b) { return a.x * b.x + a.y * b.y; }
inline float ccpLength(Point a) { return std::sqrt(ccpDot(a, a)); }
inline float ccpDistance(Point a, Point b) { return ccpLength(ccpSub(a, b)); }
// v divided by its length; the zero vector gives NaNs, as callers expect.
inline Point ccpNormalize(Point v) { return ccpMult(v, 1.0f / ccpLength(v)); }
inline float ccpToAngle(Point v) { return std::atan2(v.y, v.x); }

inline constexpr float CC_DEGREES_TO_RADIANS(float d) { return d * 0.01745329252f; }
inline constexpr float CC_RADIANS_TO_DEGREES(float r) { return r * 57.29577951f; }

#pragma once

#include "support/Geometry.h"

// Maps (x, y) to (a·x + c·y + tx, b·x + d·y + ty). Concatenating t1 with t2
// applies t1 first, then t2.
struct AffineTransform {
    float a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
    constexpr bool operator==(const AffineTransform&) const = default;

    static constexpr AffineTransform identity() { return {}; }
    static AffineTransform makeTranslation(float x, float y) { return {1, 0, 0, 1, x, y}; }
    static AffineTransform makeScale(float sx, float sy) { return {sx, 0, 0, sy, 0, 0}; }
    static AffineTransform makeRotation(float radians);

    // The operations below apply the new step in local space, before `t`.
    static AffineTransform translate(const AffineTransform& t, float x, float y);
    static AffineTransform rotate(const AffineTransform& t, float radians);
    static AffineTransform scale(const AffineTransform& t, float sx, float sy);
    static AffineTransform concat(const AffineTransform& t1, const AffineTransform& t2);
    // The inverse; a transform that cannot be inverted is returned unchanged.
    static AffineTransform invert(const AffineTransform& t);

    Point apply(Point p) const { return Point(a * p.x + c * p.y + tx, b * p.x + d * p.y + ty); }
    // The smallest axis-aligned rectangle holding the four mapped corners.
    Rect apply(const Rect& r) const;
};

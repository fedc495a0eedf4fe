#include "support/AffineTransform.h"

#include <algorithm>
#include <cmath>

AffineTransform AffineTransform::makeRotation(float radians) {
    float s = std::sin(radians), co = std::cos(radians);
    return {co, s, -s, co, 0, 0};
}

AffineTransform AffineTransform::concat(const AffineTransform& t1, const AffineTransform& t2) {
    return {t1.a * t2.a + t1.b * t2.c,          t1.a * t2.b + t1.b * t2.d,
            t1.c * t2.a + t1.d * t2.c,          t1.c * t2.b + t1.d * t2.d,
            t1.tx * t2.a + t1.ty * t2.c + t2.tx, t1.tx * t2.b + t1.ty * t2.d + t2.ty};
}

AffineTransform AffineTransform::translate(const AffineTransform& t, float x, float y) {
    return concat(makeTranslation(x, y), t);
}

AffineTransform AffineTransform::rotate(const AffineTransform& t, float radians) {
    return concat(makeRotation(radians), t);
}

AffineTransform AffineTransform::scale(const AffineTransform& t, float sx, float sy) {
    return concat(makeScale(sx, sy), t);
}

AffineTransform AffineTransform::invert(const AffineTransform& t) {
    float det = t.a * t.d - t.b * t.c;
    if (det == 0 || !std::isfinite(det)) return t;
    float inv = 1.0f / det;
    return {t.d * inv,
            -t.b * inv,
            -t.c * inv,
            t.a * inv,
            (t.c * t.ty - t.d * t.tx) * inv,
            (t.b * t.tx - t.a * t.ty) * inv};
}

Rect AffineTransform::apply(const Rect& r) const {
    Point p[4] = {apply(Point(r.minX(), r.minY())), apply(Point(r.maxX(), r.minY())),
                  apply(Point(r.minX(), r.maxY())), apply(Point(r.maxX(), r.maxY()))};
    float minX = p[0].x, maxX = p[0].x, minY = p[0].y, maxY = p[0].y;
    for (const Point& q : p) {
        minX = std::min(minX, q.x);
        maxX = std::max(maxX, q.x);
        minY = std::min(minY, q.y);
        maxY = std::max(maxY, q.y);
    }
    return Rect(minX, minY, maxX - minX, maxY - minY);
}

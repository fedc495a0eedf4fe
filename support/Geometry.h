#pragma once

#include <cmath>

// Points, sizes and rectangles in points; scene space has its origin at the
// bottom-left, platform view space at the top-left with y down.
struct Point {
    float x = 0, y = 0;
    constexpr Point() = default;
    constexpr Point(float x_, float y_) : x(x_), y(y_) {}
    constexpr bool operator==(const Point&) const = default;
};

struct Size {
    float width = 0, height = 0;
    constexpr Size() = default;
    constexpr Size(float w, float h) : width(w), height(h) {}
    constexpr bool operator==(const Size&) const = default;
};

struct Rect {
    Point origin;
    Size size;
    constexpr Rect() = default;
    constexpr Rect(Point o, Size s) : origin(o), size(s) {}
    constexpr Rect(float x, float y, float w, float h) : origin(x, y), size(w, h) {}
    constexpr bool operator==(const Rect&) const = default;

    constexpr float minX() const { return size.width < 0 ? origin.x + size.width : origin.x; }
    constexpr float maxX() const { return size.width < 0 ? origin.x : origin.x + size.width; }
    constexpr float minY() const { return size.height < 0 ? origin.y + size.height : origin.y; }
    constexpr float maxY() const { return size.height < 0 ? origin.y : origin.y + size.height; }
    constexpr bool contains(Point p) const {
        return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
    }
    // Rectangles that only share an edge do not intersect.
    constexpr bool intersects(const Rect& o) const {
        return !(maxX() <= o.minX() || o.maxX() <= minX() || maxY() <= o.minY() ||
                 o.maxY() <= minY());
    }
};

inline constexpr Point ccp(float x, float y) { return Point(x, y); }

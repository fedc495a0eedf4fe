#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

namespace resgen {

struct Color {
    double r = 0, g = 0, b = 0, a = 1;
    Color withAlpha(double alpha) const { return {r, g, b, alpha}; }
    // Mixes towards `other` by t (0 = this, 1 = other).
    Color mix(const Color& other, double t) const {
        return {r + (other.r - r) * t, g + (other.g - g) * t, b + (other.b - b) * t,
                a + (other.a - a) * t};
    }
};

// 0xRRGGBB.
Color rgb(uint32_t hex, double alpha = 1);

void setColor(cairo_t* cr, const Color& c);
void addStop(cairo_pattern_t* p, double offset, const Color& c);
// Fills the current path with `p` and lets go of the pattern.
void fillWith(cairo_t* cr, cairo_pattern_t* p, bool preserve = false);

// A premultiplied ARGB32 Cairo image surface with its drawing context.
class Canvas {
public:
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    Canvas(Canvas&& other) noexcept;
    Canvas& operator=(Canvas&& other) noexcept;

    cairo_t* cr() const { return cr_; }
    cairo_surface_t* surface() const { return surface_; }
    int width() const { return width_; }
    int height() const { return height_; }

    // Native ARGB32 words, rows top to bottom (call after cairo drawing;
    // call markDirty() after changing them).
    uint32_t* pixels();
    const uint32_t* pixels() const;
    int strideWords() const;
    void markDirty();

    // Paints `other` with its top-left corner at (x, y).
    void paint(const Canvas& other, double x, double y, double alpha = 1);

private:
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;
    int width_ = 0, height_ = 0;
};

// Straight-alpha RGBA bytes, rows top to bottom.
std::vector<uint8_t> straightRgba(const Canvas& canvas);

// Writes the canvas as PNG (RGBA, or RGB when `opaque`). No time or text
// chunks and fixed settings, so equal pixels give equal files.
void writePng(const Canvas& canvas, const std::string& path, bool opaque = false);
void writePngRgba(const std::vector<uint8_t>& rgba, int width, int height, const std::string& path,
                  bool opaque = false);

// Gaussian blur of all four channels, in place.
void blur(Canvas& canvas, double radius);

// A soft halo: the canvas's own silhouette blurred by `radius`, coloured
// `color` and scaled by `strength`, painted beneath what is there.
void addGlow(Canvas& canvas, double radius, const Color& color, double strength = 1);

// Smooth value noise in [0, 1], summed over `octaves` (each at twice the
// frequency and half the weight of the one before).
double fractalNoise(double x, double y, int octaves, uint32_t seed);

// A closed outline of `points` corners around (cx, cy) with radii varying
// by up to `jitter` (fraction of the radius); smooth when `smooth`.
void lumpyCircle(cairo_t* cr, double cx, double cy, double radius, int points, double jitter,
                 uint64_t seed, bool smooth);

// A rectangle with rounded corners.
void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r);

// Aborts the generator with a message (no partial output is acceptable).
[[noreturn]] void fail(const std::string& message);

// A rectangle to place on a page; x and y are filled in by packShelves.
struct PackItem {
    int width = 0, height = 0;
    int x = 0, y = 0;
};

struct PageSize {
    int width = 0, height = 0;
};

// Places the items, in the order given, left to right on shelves with
// `spacing` pixels between them and around the edge, on the smallest
// power-of-two page (of at most `maxSide`) that holds them all.
PageSize packShelves(std::vector<PackItem>& items, int spacing, int maxSide = 1024);

} // namespace resgen

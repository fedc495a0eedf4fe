#include "tools/resgen/Canvas.h"

#include "tools/resgen/Random.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace resgen {

Color rgb(uint32_t hex, double alpha) {
    return {((hex >> 16) & 255) / 255.0, ((hex >> 8) & 255) / 255.0, (hex & 255) / 255.0, alpha};
}

void setColor(cairo_t* cr, const Color& c) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
}

void addStop(cairo_pattern_t* p, double offset, const Color& c) {
    cairo_pattern_add_color_stop_rgba(p, offset, c.r, c.g, c.b, c.a);
}

void fillWith(cairo_t* cr, cairo_pattern_t* p, bool preserve) {
    cairo_set_source(cr, p);
    preserve ? cairo_fill_preserve(cr) : cairo_fill(cr);
    cairo_pattern_destroy(p);
}

void fail(const std::string& message) {
    std::fprintf(stderr, "resgen: %s\n", message.c_str());
    std::exit(1);
}

Canvas::Canvas(int width, int height) : width_(width), height_(height) {
    surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) fail("cannot make a surface");
    cr_ = cairo_create(surface_);
}

Canvas::~Canvas() {
    if (cr_) cairo_destroy(cr_);
    if (surface_) cairo_surface_destroy(surface_);
}

Canvas::Canvas(Canvas&& other) noexcept
    : surface_(other.surface_), cr_(other.cr_), width_(other.width_), height_(other.height_) {
    other.surface_ = nullptr;
    other.cr_ = nullptr;
}

Canvas& Canvas::operator=(Canvas&& other) noexcept {
    std::swap(surface_, other.surface_);
    std::swap(cr_, other.cr_);
    std::swap(width_, other.width_);
    std::swap(height_, other.height_);
    return *this;
}

uint32_t* Canvas::pixels() {
    cairo_surface_flush(surface_);
    return reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface_));
}

const uint32_t* Canvas::pixels() const {
    cairo_surface_flush(surface_);
    return reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface_));
}

int Canvas::strideWords() const {
    return cairo_image_surface_get_stride(surface_) / 4;
}

void Canvas::markDirty() {
    cairo_surface_mark_dirty(surface_);
}

void Canvas::paint(const Canvas& other, double x, double y, double alpha) {
    cairo_save(cr_);
    cairo_set_source_surface(cr_, other.surface_, x, y);
    cairo_paint_with_alpha(cr_, alpha);
    cairo_restore(cr_);
}

std::vector<uint8_t> straightRgba(const Canvas& canvas) {
    std::vector<uint8_t> out(size_t(canvas.width()) * size_t(canvas.height()) * 4);
    const uint32_t* px = canvas.pixels();
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x) {
            uint32_t p = px[size_t(y) * size_t(canvas.strideWords()) + size_t(x)];
            unsigned a = p >> 24, r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
            uint8_t* o = &out[(size_t(y) * size_t(canvas.width()) + size_t(x)) * 4];
            if (a == 0) {
                o[0] = o[1] = o[2] = o[3] = 0;
                continue;
            }
            o[0] = uint8_t(std::min(255u, (r * 255 + a / 2) / a));
            o[1] = uint8_t(std::min(255u, (g * 255 + a / 2) / a));
            o[2] = uint8_t(std::min(255u, (b * 255 + a / 2) / a));
            o[3] = uint8_t(a);
        }
    return out;
}

void writePngRgba(const std::vector<uint8_t>& rgba, int width, int height, const std::string& path,
                  bool opaque) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) fail("cannot write " + path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) fail("PNG encoding failed for " + path);
    png_init_io(png, f);
    png_set_compression_level(png, 6);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8,
                 opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<uint8_t> row(size_t(width) * 4);
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = &rgba[size_t(y) * size_t(width) * 4];
        if (opaque) {
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < 3; ++c)
                    row[size_t(x) * 3 + size_t(c)] = src[size_t(x) * 4 + size_t(c)];
            png_write_row(png, row.data());
        } else {
            png_write_row(png, src);
        }
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(f) != 0) fail("cannot write " + path);
}

void writePng(const Canvas& canvas, const std::string& path, bool opaque) {
    writePngRgba(straightRgba(canvas), canvas.width(), canvas.height(), path, opaque);
}

namespace {

// One box pass of `half` pixels either side along every line, with a
// running sum; outside the picture counts as transparent.
void boxPass(std::vector<float>& data, int width, int height, int half, bool horizontal) {
    int n = horizontal ? width : height, lines = horizontal ? height : width;
    size_t step = horizontal ? 4 : size_t(width) * 4;
    std::vector<float> line(size_t(n) * 4);
    const float scale = 1.0f / float(2 * half + 1);
    for (int l = 0; l < lines; ++l) {
        float* base = horizontal ? &data[size_t(l) * size_t(width) * 4] : &data[size_t(l) * 4];
        for (int i = 0; i < n; ++i)
            for (int c = 0; c < 4; ++c)
                line[size_t(i) * 4 + size_t(c)] = base[size_t(i) * step + size_t(c)];
        float sum[4] = {0, 0, 0, 0};
        for (int i = 0; i < std::min(half, n); ++i)
            for (int c = 0; c < 4; ++c)
                sum[c] += line[size_t(i) * 4 + size_t(c)];
        for (int i = 0; i < n; ++i) {
            int in = i + half, out = i - half - 1;
            for (int c = 0; c < 4; ++c) {
                if (in < n) sum[c] += line[size_t(in) * 4 + size_t(c)];
                if (out >= 0) sum[c] -= line[size_t(out) * 4 + size_t(c)];
                base[size_t(i) * step + size_t(c)] = sum[c] * scale;
            }
        }
    }
}

} // namespace

void blur(Canvas& canvas, double radius) {
    if (radius <= 0) return;
    // Three box passes come close to a Gaussian of sigma = radius / 2.
    double sigma = radius / 2;
    int half = std::max(1, int(std::lround((std::sqrt(4 * sigma * sigma + 1) - 1) / 2)));

    int w = canvas.width(), h = canvas.height(), stride = canvas.strideWords();
    uint32_t* px = canvas.pixels();
    std::vector<float> data(size_t(w) * size_t(h) * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t p = px[size_t(y) * size_t(stride) + size_t(x)];
            float* d = &data[(size_t(y) * size_t(w) + size_t(x)) * 4];
            d[0] = float(p >> 24);
            d[1] = float((p >> 16) & 255);
            d[2] = float((p >> 8) & 255);
            d[3] = float(p & 255);
        }
    for (int pass = 0; pass < 3; ++pass) {
        boxPass(data, w, h, half, true);
        boxPass(data, w, h, half, false);
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float* d = &data[(size_t(y) * size_t(w) + size_t(x)) * 4];
            auto q = [](float v, uint32_t max) {
                return uint32_t(std::clamp(int(std::lround(v)), 0, int(max)));
            };
            uint32_t a = q(d[0], 255);
            px[size_t(y) * size_t(stride) + size_t(x)] =
                a << 24 | q(d[1], a) << 16 | q(d[2], a) << 8 | q(d[3], a);
        }
    canvas.markDirty();
}

void addGlow(Canvas& canvas, double radius, const Color& color, double strength) {
    Canvas halo(canvas.width(), canvas.height());
    // The silhouette in the glow colour.
    cairo_t* cr = halo.cr();
    setColor(cr, color.withAlpha(1));
    cairo_mask_surface(cr, canvas.surface(), 0, 0);
    blur(halo, radius);
    Canvas result(canvas.width(), canvas.height());
    result.paint(halo, 0, 0, std::min(1.0, strength * color.a));
    if (strength * color.a > 1) result.paint(halo, 0, 0, strength * color.a - 1);
    result.paint(canvas, 0, 0);
    canvas = std::move(result);
}

namespace {

double lattice(int x, int y, uint32_t seed) {
    uint64_t h = uint64_t(uint32_t(x)) * 0x9E3779B1ull ^ uint64_t(uint32_t(y)) * 0x85EBCA77ull ^
                 uint64_t(seed) * 0xC2B2AE3Dull;
    Random r(h);
    return r.uniform();
}

double valueNoise(double x, double y, uint32_t seed) {
    int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    double fx = x - x0, fy = y - y0;
    double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    double a = lattice(x0, y0, seed), b = lattice(x0 + 1, y0, seed);
    double c = lattice(x0, y0 + 1, seed), d = lattice(x0 + 1, y0 + 1, seed);
    return (a + (b - a) * sx) * (1 - sy) + (c + (d - c) * sx) * sy;
}

} // namespace

double fractalNoise(double x, double y, int octaves, uint32_t seed) {
    double sum = 0, weight = 1, total = 0, f = 1;
    for (int o = 0; o < octaves; ++o) {
        sum += valueNoise(x * f, y * f, seed + uint32_t(o) * 7919u) * weight;
        total += weight;
        weight *= 0.5;
        f *= 2;
    }
    return sum / total;
}

void lumpyCircle(cairo_t* cr, double cx, double cy, double radius, int points, double jitter,
                 uint64_t seed, bool smooth) {
    Random rnd(seed);
    std::vector<double> xs(static_cast<size_t>(points)), ys(static_cast<size_t>(points));
    for (int i = 0; i < points; ++i) {
        double angle = 2 * M_PI * i / points;
        double r = radius * (1 + jitter * rnd.signedUnit());
        xs[size_t(i)] = cx + r * std::cos(angle);
        ys[size_t(i)] = cy + r * std::sin(angle);
    }
    cairo_new_path(cr);
    if (!smooth) {
        for (int i = 0; i < points; ++i)
            cairo_line_to(cr, xs[size_t(i)], ys[size_t(i)]);
        cairo_close_path(cr);
        return;
    }
    // Catmull-Rom through the corners, as cubic Béziers.
    auto at = [&](int i) {
        int k = ((i % points) + points) % points;
        return std::pair(xs[size_t(k)], ys[size_t(k)]);
    };
    auto [sx, sy] = at(0);
    cairo_move_to(cr, sx, sy);
    for (int i = 0; i < points; ++i) {
        auto [x0, y0] = at(i - 1);
        auto [x1, y1] = at(i);
        auto [x2, y2] = at(i + 1);
        auto [x3, y3] = at(i + 2);
        cairo_curve_to(cr, x1 + (x2 - x0) / 6, y1 + (y2 - y0) / 6, x2 - (x3 - x1) / 6,
                       y2 - (y3 - y1) / 6, x2, y2);
    }
    cairo_close_path(cr);
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

} // namespace resgen

namespace resgen {

namespace {

// Height used by shelf packing at this page width; -1 when an item is wider.
int shelfHeight(std::vector<PackItem>& items, int spacing, int width) {
    int x = spacing, y = spacing, shelf = 0;
    for (PackItem& item : items) {
        if (item.width + 2 * spacing > width) return -1;
        if (x + item.width + spacing > width) {
            y += shelf + spacing;
            x = spacing;
            shelf = 0;
        }
        item.x = x;
        item.y = y;
        x += item.width + spacing;
        shelf = std::max(shelf, item.height);
    }
    return y + shelf + spacing;
}

int nextPowerOfTwo(int v) {
    int p = 1;
    while (p < v)
        p <<= 1;
    return p;
}

} // namespace

PageSize packShelves(std::vector<PackItem>& items, int spacing, int maxSide) {
    PageSize best;
    long bestArea = -1;
    for (int width = 16; width <= maxSide; width *= 2) {
        int used = shelfHeight(items, spacing, width);
        if (used < 0) continue;
        int height = nextPowerOfTwo(used);
        if (height > maxSide) continue;
        long area = long(width) * height;
        // Prefer the smaller page, then the squarer one.
        if (bestArea < 0 || area < bestArea ||
            (area == bestArea && std::abs(width - height) < std::abs(best.width - best.height))) {
            bestArea = area;
            best = {width, height};
        }
    }
    if (bestArea < 0) fail("the pictures do not fit on one page");
    shelfHeight(items, spacing, best.width);
    return best;
}

} // namespace resgen

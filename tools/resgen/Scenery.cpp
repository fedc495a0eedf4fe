// Full-screen pictures and interface pieces: the starfield background, the
// launch picture, the joystick, the back button, the banner strip and the
// frame-rate digits.
#include "tools/resgen/Random.h"
#include "tools/resgen/Resources.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>

namespace resgen {

namespace {

constexpr int kScreenW = 320, kScreenH = 480;

double smoothstep(double e0, double e1, double x) {
    double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// Nebula clouds, computed at half resolution and scaled up smoothly.
void drawNebula(Canvas& canvas, uint32_t seed, double strength) {
    int w = (canvas.width() + 1) / 2, h = (canvas.height() + 1) / 2;
    Canvas cloud(w, h);
    uint32_t* px = cloud.pixels();
    const Color violet = rgb(0x7A2AB0), teal = rgb(0x1A78B8), rose = rgb(0xC03A80);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double n = fractalNoise(x / 38.0, y / 38.0, 5, seed);
            double density = smoothstep(0.42, 0.78, n) * strength;
            double hue = fractalNoise(x / 60.0 + 17, y / 60.0 + 3, 3, seed + 1);
            Color c = hue < 0.5 ? violet.mix(teal, hue * 2) : teal.mix(rose, (hue - 0.5) * 1.4);
            double a = std::clamp(density * 0.5, 0.0, 1.0);
            auto ch = [&](double v) { return uint32_t(std::lround(v * a * 255)); };
            px[size_t(y) * size_t(cloud.strideWords()) + size_t(x)] =
                ch(1) << 24 | ch(c.r) << 16 | ch(c.g) << 8 | ch(c.b);
        }
    cloud.markDirty();
    cairo_t* cr = canvas.cr();
    cairo_save(cr);
    cairo_scale(cr, 2, 2);
    cairo_set_source_surface(cr, cloud.surface(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
    cairo_paint(cr);
    cairo_restore(cr);
}

void drawStar(cairo_t* cr, double x, double y, double radius, const Color& c, bool flare) {
    if (radius > 0.9) {
        cairo_pattern_t* halo = cairo_pattern_create_radial(x, y, 0, x, y, radius * 3.5);
        addStop(halo, 0, c.withAlpha(c.a * 0.5));
        addStop(halo, 1, c.withAlpha(0));
        cairo_set_source(cr, halo);
        cairo_arc(cr, x, y, radius * 3.5, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_pattern_destroy(halo);
    }
    if (flare) {
        double len = radius * 7;
        for (int axis = 0; axis < 2; ++axis) {
            cairo_pattern_t* p = axis ? cairo_pattern_create_linear(x - len, y, x + len, y)
                                      : cairo_pattern_create_linear(x, y - len, x, y + len);
            addStop(p, 0, c.withAlpha(0));
            addStop(p, 0.5, c.withAlpha(c.a * 0.8));
            addStop(p, 1, c.withAlpha(0));
            cairo_set_source(cr, p);
            if (axis)
                cairo_rectangle(cr, x - len, y - 0.5, 2 * len, 1);
            else
                cairo_rectangle(cr, x - 0.5, y - len, 1, 2 * len);
            cairo_fill(cr);
            cairo_pattern_destroy(p);
        }
    }
    setColor(cr, c);
    cairo_arc(cr, x, y, radius, 0, 2 * M_PI);
    cairo_fill(cr);
}

// A sphere of ocean and land under drifting clouds, shaded by a light from
// the upper left, with a bright rim of atmosphere on the lit side.
void drawPlanet(Canvas& canvas, double cx, double cy, double radius) {
    uint32_t* px = canvas.pixels();
    const double lx = -0.45, ly = -0.75, lz = 0.48; // towards the light
    const Color ocean = rgb(0x0C3A8C), shallow = rgb(0x1A78C0), land = rgb(0x2E8A6A),
                highland = rgb(0x8A9A6A), cloud = rgb(0xF4FAFF);
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x) {
            double nx = (x + 0.5 - cx) / radius, ny = (y + 0.5 - cy) / radius;
            double d2 = nx * nx + ny * ny;
            if (d2 >= 1) continue;
            double nz = std::sqrt(1 - d2);
            // Surface coordinates that wrap round the sphere.
            double u = std::atan2(nx, nz) * 3, v = std::asin(ny) * 3;
            double height = fractalNoise(u * 1.6 + 5, v * 1.6 + 9, 5, 0x9A1E7);
            Color surface = height < 0.5   ? ocean.mix(shallow, smoothstep(0.3, 0.5, height))
                            : height < 0.6 ? land
                                           : land.mix(highland, smoothstep(0.6, 0.75, height));
            double clouds = smoothstep(0.5, 0.75, fractalNoise(u * 2.4 + 1, v * 5 + 2, 5, 0xC10D));
            surface = surface.mix(cloud, clouds * 0.85);
            double diffuse = std::max(0.0, nx * lx + ny * ly + nz * lz);
            double shade = 0.08 + 0.92 * diffuse;
            double rim = std::pow(1 - nz, 3) * (0.3 + 0.7 * diffuse);
            Color out = {surface.r * shade + rim * 0.45, surface.g * shade + rim * 0.8,
                         surface.b * shade + rim * 1.0, 1};
            // Soft edge over one pixel.
            double edge = std::clamp((1 - std::sqrt(d2)) * radius, 0.0, 1.0);
            auto ch = [&](double value) {
                return uint32_t(std::lround(std::clamp(value, 0.0, 1.0) * edge * 255));
            };
            px[size_t(y) * size_t(canvas.strideWords()) + size_t(x)] =
                ch(1) << 24 | ch(out.r) << 16 | ch(out.g) << 8 | ch(out.b);
        }
    canvas.markDirty();
}

void drawTitle(Fonts& fonts, cairo_t* cr, const std::string& text, double size, double centreX,
               double top) {
    PangoLayout* layout = fonts.layout(cr, size, text);
    PangoAttrList* attrs = pango_attr_list_new();
    pango_attr_list_insert(attrs, pango_attr_letter_spacing_new(int(size * 0.06 * PANGO_SCALE)));
    pango_layout_set_attributes(layout, attrs);
    pango_attr_list_unref(attrs);
    TextExtents e = extentsOf(layout);
    double x = centreX - e.width / 2;
    cairo_new_path(cr);
    cairo_move_to(cr, x, top);
    pango_cairo_layout_path(cr, layout);
    g_object_unref(layout);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, size * 0.12);
    setColor(cr, rgb(0x06082A));
    cairo_stroke_preserve(cr);
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, top + size * 0.2, 0, top + size * 1.1);
    addStop(fill, 0, rgb(0xFFFFFF));
    addStop(fill, 0.45, rgb(0x9FF4FF));
    addStop(fill, 0.55, rgb(0x4AB8FF));
    addStop(fill, 1, rgb(0x7A4CFF));
    cairo_set_source(cr, fill);
    cairo_fill(cr);
    cairo_pattern_destroy(fill);
}

Canvas launchPicture(Fonts& fonts) {
    Canvas c(kScreenW, kScreenH);
    drawStarfield(c, 0x5EED02, 0.9);

    // A blue planet rising at the bottom, lit from the upper left.
    {
        Canvas planet(kScreenW, kScreenH);
        drawPlanet(planet, 150, 650, 260);
        addGlow(planet, 14, rgb(0x3AA8FF, 0.9), 1.1);
        c.paint(planet, 0, 0);
    }

    {
        Canvas title(kScreenW, kScreenH);
        drawTitle(fonts, title.cr(), "NEBULARK", 43, kScreenW / 2.0, 84);
        drawTitle(fonts, title.cr(), "SKIRMAGE", 34, kScreenW / 2.0, 136);
        addGlow(title, 10, rgb(0x5AB0FF, 0.7));
        c.paint(title, 0, 0);
    }

    // The player's ship, large, climbing over the planet.
    Canvas ship(kScreenW, kScreenH);
    drawPlayerShip(ship.cr(), 118, 232, 84, 98);
    addGlow(ship, 8, rgb(0x60D0FF, 0.6));
    c.paint(ship, 0, 0);
    return c;
}

// The joystick's base: a ring the knob travels in (up to 65 points from the
// middle), with arrows at the four points. It sits at (260, 100), so it
// stays within 60 points of its middle to keep on screen.
Canvas joypadBase() {
    Canvas c(120, 120);
    cairo_t* cr = c.cr();
    const double m = 60;
    cairo_arc(cr, m, m, 55, 0, 2 * M_PI);
    cairo_pattern_t* fill = cairo_pattern_create_radial(m, m, 10, m, m, 55);
    addStop(fill, 0, rgb(0x0A1A40, 0.3));
    addStop(fill, 1, rgb(0x1E4A9A, 0.55));
    cairo_set_source(cr, fill);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(fill);
    cairo_set_line_width(cr, 3);
    setColor(cr, rgb(0xA8E4FF, 0.8));
    cairo_stroke(cr);
    cairo_arc(cr, m, m, 36, 0, 2 * M_PI);
    cairo_set_line_width(cr, 1.2);
    setColor(cr, rgb(0xA8E4FF, 0.35));
    cairo_stroke(cr);
    // Arrows at the four points.
    for (int i = 0; i < 4; ++i) {
        cairo_save(cr);
        cairo_translate(cr, m, m);
        cairo_rotate(cr, i * M_PI / 2);
        cairo_move_to(cr, 0, -50);
        cairo_line_to(cr, 8, -41);
        cairo_line_to(cr, -8, -41);
        cairo_close_path(cr);
        cairo_restore(cr);
        setColor(cr, rgb(0xD8F4FF, 0.85));
        cairo_fill(cr);
    }
    addGlow(c, 4, rgb(0x50B8FF, 0.6));
    return c;
}

Canvas joypadCap() {
    Canvas c(52, 52);
    cairo_t* cr = c.cr();
    const double m = 26;
    cairo_arc(cr, m, m + 1.5, 22, 0, 2 * M_PI);
    setColor(cr, rgb(0x000000, 0.35));
    cairo_fill(cr);
    cairo_arc(cr, m, m, 22, 0, 2 * M_PI);
    cairo_pattern_t* knob = cairo_pattern_create_radial(m - 6, m - 8, 2, m, m, 23);
    addStop(knob, 0, rgb(0xFAFDFF));
    addStop(knob, 0.5, rgb(0x8AB6F0));
    addStop(knob, 1, rgb(0x22448A));
    cairo_set_source(cr, knob);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(knob);
    cairo_set_line_width(cr, 1.5);
    setColor(cr, rgb(0x0A1A3A));
    cairo_stroke(cr);
    // A shallow dish in the middle.
    cairo_arc(cr, m, m, 12, 0, 2 * M_PI);
    cairo_pattern_t* dish = cairo_pattern_create_linear(m - 12, m - 12, m + 12, m + 12);
    addStop(dish, 0, rgb(0x3A62B0));
    addStop(dish, 1, rgb(0xC8E0FF));
    cairo_set_source(cr, dish);
    cairo_fill(cr);
    cairo_pattern_destroy(dish);
    return c;
}

// The back button: a rounded pill with a left arrow. `lit` is the pressed
// look.
Canvas backButton(bool lit) {
    Canvas c(64, 32);
    cairo_t* cr = c.cr();
    roundedRect(cr, 3, 3, 58, 26, 13);
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, 3, 0, 29);
    addStop(fill, 0, lit ? rgb(0x4A88F0, 0.95) : rgb(0x23448E, 0.9));
    addStop(fill, 1, lit ? rgb(0x1A3C9A, 0.95) : rgb(0x0B1A4A, 0.9));
    cairo_set_source(cr, fill);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(fill);
    cairo_set_line_width(cr, 1.5);
    setColor(cr, lit ? rgb(0xFFFFFF) : rgb(0x7FD8FF));
    cairo_stroke(cr);
    // Arrow: head and shaft.
    cairo_move_to(cr, 15, 16);
    cairo_line_to(cr, 27, 7.5);
    cairo_line_to(cr, 27, 12.5);
    cairo_line_to(cr, 47, 12.5);
    cairo_line_to(cr, 47, 19.5);
    cairo_line_to(cr, 27, 19.5);
    cairo_line_to(cr, 27, 24.5);
    cairo_close_path(cr);
    setColor(cr, rgb(0xFFFFFF));
    cairo_fill(cr);
    if (lit) addGlow(c, 3, rgb(0x8FE8FF, 0.9), 1.2);
    return c;
}

// The banner strip, light grey: the banner tints it blue. The round well on
// the left holds the icon, the rest the message.
Canvas bannerStrip() {
    Canvas c(kScreenW, 50);
    cairo_t* cr = c.cr();
    cairo_new_path(cr);
    cairo_arc(cr, kScreenW - 10, 10, 10, -M_PI / 2, 0);
    cairo_line_to(cr, kScreenW, 50);
    cairo_line_to(cr, 0, 50);
    cairo_arc(cr, 10, 10, 10, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, 0, 0, 50);
    addStop(fill, 0, rgb(0xF4F4F4, 0.95));
    addStop(fill, 0.5, rgb(0xC4C4C4, 0.95));
    addStop(fill, 1, rgb(0x989898, 0.95));
    cairo_set_source(cr, fill);
    cairo_fill(cr);
    cairo_pattern_destroy(fill);
    // Top highlight line.
    cairo_move_to(cr, 10, 1);
    cairo_line_to(cr, kScreenW - 10, 1);
    cairo_set_line_width(cr, 1);
    setColor(cr, rgb(0xFFFFFF));
    cairo_stroke(cr);
    // Icon well, centred where the banner puts the icon.
    cairo_arc(cr, 29, 27, 19, 0, 2 * M_PI);
    cairo_pattern_t* well = cairo_pattern_create_linear(0, 8, 0, 46);
    addStop(well, 0, rgb(0x6A6A6A, 0.9));
    addStop(well, 1, rgb(0xB8B8B8, 0.9));
    cairo_set_source(cr, well);
    cairo_fill(cr);
    cairo_pattern_destroy(well);
    return c;
}

// The frame-rate character map: ". / 0 1 ... 9" in 16 x 24 cells.
Canvas frameRateDigits(Fonts& fonts) {
    const std::string chars = "./0123456789";
    Canvas c(16 * int(chars.size()), 24);
    cairo_t* cr = c.cr();
    for (size_t i = 0; i < chars.size(); ++i) {
        PangoLayout* layout = fonts.layout(cr, 19, chars.substr(i, 1), true);
        TextExtents e = extentsOf(layout);
        cairo_new_path(cr);
        cairo_move_to(cr, std::round(i * 16 + (16 - e.width) / 2), std::round(20 - e.baseline));
        pango_cairo_layout_path(cr, layout);
        g_object_unref(layout);
        cairo_set_line_width(cr, 2);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        setColor(cr, rgb(0x000000, 0.8));
        cairo_stroke_preserve(cr);
        setColor(cr, rgb(0xFFFFFF));
        cairo_fill(cr);
    }
    return c;
}

} // namespace

void drawStarfield(Canvas& canvas, uint64_t seed, double nebula) {
    cairo_t* cr = canvas.cr();
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, canvas.height());
    addStop(sky, 0, rgb(0x02041A));
    addStop(sky, 0.55, rgb(0x061038));
    addStop(sky, 1, rgb(0x0B1D55));
    cairo_set_source(cr, sky);
    cairo_paint(cr);
    cairo_pattern_destroy(sky);
    drawNebula(canvas, uint32_t(seed), nebula);

    Random rnd(seed);
    const Color tints[] = {rgb(0xFFFFFF), rgb(0xCFE0FF), rgb(0xA8C8FF), rgb(0xFFF2D0),
                           rgb(0xFFD8B0)};
    int stars = canvas.width() * canvas.height() / 520;
    for (int i = 0; i < stars; ++i) {
        double x = rnd.uniform(0, canvas.width()), y = rnd.uniform(0, canvas.height());
        // Mostly faint dust, a few bright stars.
        double b = std::pow(rnd.uniform(), 3.0);
        double radius = 0.35 + b * 1.2;
        Color c = tints[rnd.below(5)].withAlpha(0.35 + 0.65 * std::sqrt(b));
        drawStar(cr, x, y, radius, c, b > 0.72);
    }
}

void writeScenery(Fonts& fonts, const std::string& dir) {
    Canvas stars(kScreenW, kScreenH);
    drawStarfield(stars, 0x57A25, 0.55);
    writePng(stars, dir + "/stars.png", true);
    writePng(launchPicture(fonts), dir + "/Default.png", true);
    writePng(joypadBase(), dir + "/joypad.png");
    writePng(joypadCap(), dir + "/joypadCap.png");
    writePng(backButton(true), dir + "/back1.png");
    writePng(backButton(false), dir + "/back2.png");
    writePng(bannerStrip(), dir + "/StarboardNotificationBackground.png");
    writePng(frameRateDigits(fonts), dir + "/fps_images.png");
}

} // namespace resgen

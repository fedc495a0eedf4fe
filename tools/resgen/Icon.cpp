// The desktop icon: the player's ship climbing through a starfield on a
// rounded tile. Drawn with paths and gradients only, so that the same
// drawing gives the pixel sizes and the scalable SVG.
#include "tools/resgen/Random.h"
#include "tools/resgen/Resources.h"

#include <cairo-svg.h>

#include <cmath>

namespace resgen {

namespace {

constexpr double kDesign = 256; // the icon is drawn in a 256-unit square

void drawIcon(cairo_t* cr, double size) {
    cairo_save(cr);
    cairo_scale(cr, size / kDesign, size / kDesign);

    // The tile, a little inside the square as desktop icons are.
    roundedRect(cr, 12, 12, 232, 232, 44);
    cairo_pattern_t* sky = cairo_pattern_create_radial(150, 90, 10, 128, 128, 190);
    addStop(sky, 0, rgb(0x2C3F9E));
    addStop(sky, 0.55, rgb(0x111A52));
    addStop(sky, 1, rgb(0x05071C));
    fillWith(cr, sky, true);
    cairo_clip(cr);

    // A violet nebula low on the left.
    cairo_pattern_t* nebula = cairo_pattern_create_radial(60, 200, 0, 60, 200, 120);
    addStop(nebula, 0, rgb(0xB040C8, 0.55));
    addStop(nebula, 1, rgb(0xB040C8, 0));
    cairo_set_source(cr, nebula);
    cairo_paint(cr);
    cairo_pattern_destroy(nebula);

    Random random(0x1C0Aull);
    for (int i = 0; i < 34; ++i) {
        double x = random.uniform(16, 240), y = random.uniform(16, 240);
        double r = random.uniform(0.8, 2.6);
        cairo_arc(cr, x, y, r, 0, 2 * M_PI);
        setColor(cr, rgb(0xFFFFFF, random.uniform(0.35, 0.95)));
        cairo_fill(cr);
    }

    // Two shots ahead of the nose.
    for (double x : {104.0, 152.0}) {
        roundedRect(cr, x - 3, 18, 6, 30, 3);
        cairo_pattern_t* shot = cairo_pattern_create_linear(0, 18, 0, 48);
        addStop(shot, 0, rgb(0xFFFFFF));
        addStop(shot, 1, rgb(0x60F0FF, 0.2));
        fillWith(cr, shot);
    }

    drawPlayerShip(cr, 53, 46, 150, 180);
    cairo_reset_clip(cr);

    // A thin light rim keeps the tile apart from dark panels.
    roundedRect(cr, 12.5, 12.5, 231, 231, 43.5);
    cairo_set_line_width(cr, 1.5);
    setColor(cr, rgb(0x8FA8FF, 0.6));
    cairo_stroke(cr);
    cairo_restore(cr);
}

} // namespace

void writeIcons(const std::string& dir) {
    for (int size : kIconSizes) {
        Canvas canvas(size, size);
        drawIcon(canvas.cr(), size);
        writePng(canvas, dir + "/icon-" + std::to_string(size) + ".png");
    }
    const std::string svg = dir + "/icon.svg";
    cairo_surface_t* surface = cairo_svg_surface_create(svg.c_str(), kDesign, kDesign);
    cairo_svg_surface_restrict_to_version(surface, CAIRO_SVG_VERSION_1_1);
    cairo_t* cr = cairo_create(surface);
    drawIcon(cr, kDesign);
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    cairo_status_t status = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) fail("cannot write " + svg);
}

} // namespace resgen

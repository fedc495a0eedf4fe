// The sprite sheet "texture.png" and its frame description
// "coordinates.plist": ships, bullets, the asteroid and the power-ups.
// Pictures drawn white or grey are tinted by the game (enemy ships get a
// random colour, enemy bullets red).
#include "tools/resgen/Random.h"
#include "tools/resgen/Resources.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace resgen {

namespace {

const Color kOutline = rgb(0x0B1026, 0.9);

// Maps a 100-unit-wide design box onto (x, y, w, h) of the context.
void designSpace(cairo_t* cr, double x, double y, double w, double h, double designW,
                 double designH) {
    cairo_translate(cr, x, y);
    cairo_scale(cr, w / designW, h / designH);
}

// Strokes the current path with a line `pixels` wide whatever the scale.
void strokePixels(cairo_t* cr, double pixels, const Color& c, bool preserve = false) {
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_set_line_width(cr, pixels);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    setColor(cr, c);
    preserve ? cairo_stroke_preserve(cr) : cairo_stroke(cr);
    cairo_restore(cr);
}

void mirroredPolygon(cairo_t* cr, std::initializer_list<std::pair<double, double>> left) {
    // `left` runs down the left side from the centre line; the right side
    // mirrors it about x = 50.
    cairo_new_path(cr);
    for (auto [x, y] : left)
        cairo_line_to(cr, x, y);
    std::vector<std::pair<double, double>> back(left.begin(), left.end());
    for (auto it = back.rbegin(); it != back.rend(); ++it)
        cairo_line_to(cr, 100 - it->first, it->second);
    cairo_close_path(cr);
}

cairo_pattern_t* horizontalMetal(double x0, double x1, const Color& edge, const Color& light) {
    cairo_pattern_t* p = cairo_pattern_create_linear(x0, 0, x1, 0);
    addStop(p, 0, edge);
    addStop(p, 0.42, light);
    addStop(p, 0.6, light.mix(edge, 0.25));
    addStop(p, 1, edge.mix(rgb(0), 0.2));
    return p;
}

void radialGlow(cairo_t* cr, double x, double y, double r, const Color& inner, const Color& outer) {
    cairo_pattern_t* p = cairo_pattern_create_radial(x, y, 0, x, y, r);
    addStop(p, 0, inner);
    addStop(p, 1, outer);
    cairo_arc(cr, x, y, r, 0, 2 * M_PI);
    fillWith(cr, p);
}

// Player: silver fuselage, blue swept wings with cyan edges and wing-tip
// guns, a cyan canopy and orange engine flames. Design box 100 x 120.
void playerShipDesign(cairo_t* cr) {
    // Engine flames first, under the hull.
    for (double x : {43.0, 57.0}) {
        cairo_save(cr);
        cairo_translate(cr, x, 106);
        cairo_scale(cr, 1, 2.2);
        radialGlow(cr, 0, 0, 7, rgb(0xFFF4C0), rgb(0xFF6A00, 0));
        cairo_restore(cr);
    }
    // Wings.
    mirroredPolygon(cr, {{44, 46}, {14, 76}, {6, 96}, {10, 100}, {26, 94}, {44, 90}});
    cairo_pattern_t* wing = cairo_pattern_create_linear(0, 46, 0, 100);
    addStop(wing, 0, rgb(0x4D8BFF));
    addStop(wing, 1, rgb(0x1A3A9E));
    fillWith(cr, wing, true);
    strokePixels(cr, 1.2, kOutline);
    // Cyan leading edges.
    for (int side = 0; side < 2; ++side) {
        double s = side ? -1 : 1, o = side ? 100 : 0;
        cairo_move_to(cr, o + s * 43, 50);
        cairo_line_to(cr, o + s * 14, 78);
        cairo_line_to(cr, o + s * 8, 94);
        strokePixels(cr, 1.1, rgb(0x7FF0FF));
    }
    // Wing-tip guns.
    for (double x : {14.0, 82.0}) {
        cairo_rectangle(cr, x, 60, 4, 36);
        fillWith(cr, horizontalMetal(x, x + 4, rgb(0x5A6478), rgb(0xE8EEF8)), true);
        strokePixels(cr, 0.8, kOutline);
    }
    // Tail fins in red.
    mirroredPolygon(cr, {{44, 84}, {34, 104}, {36, 110}, {44, 104}});
    cairo_pattern_t* fin = cairo_pattern_create_linear(0, 84, 0, 110);
    addStop(fin, 0, rgb(0xFF5A4A));
    addStop(fin, 1, rgb(0xA01818));
    fillWith(cr, fin, true);
    strokePixels(cr, 1, kOutline);
    // Fuselage.
    cairo_move_to(cr, 50, 2);
    cairo_curve_to(cr, 58, 18, 62, 40, 62, 70);
    cairo_line_to(cr, 59, 104);
    cairo_line_to(cr, 41, 104);
    cairo_line_to(cr, 38, 70);
    cairo_curve_to(cr, 38, 40, 42, 18, 50, 2);
    cairo_close_path(cr);
    fillWith(cr, horizontalMetal(38, 62, rgb(0x7F8EAE), rgb(0xFAFCFF)), true);
    strokePixels(cr, 1.2, kOutline);
    // An orange stripe down the spine.
    cairo_rectangle(cr, 48.5, 58, 3, 40);
    setColor(cr, rgb(0xFF8A2A));
    cairo_fill(cr);
    // Canopy.
    cairo_save(cr);
    cairo_translate(cr, 50, 38);
    cairo_scale(cr, 6.5, 14);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_pattern_t* glass = cairo_pattern_create_linear(0, 24, 0, 52);
    addStop(glass, 0, rgb(0xB8FBFF));
    addStop(glass, 0.5, rgb(0x21B5E8));
    addStop(glass, 1, rgb(0x0B3B7A));
    fillWith(cr, glass, true);
    strokePixels(cr, 0.9, kOutline);
    cairo_save(cr);
    cairo_translate(cr, 48, 32);
    cairo_scale(cr, 2, 5);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    setColor(cr, rgb(0xFFFFFF, 0.85));
    cairo_fill(cr);
}

Canvas playerShip() {
    Canvas c(40, 46);
    drawPlayerShip(c.cr(), 2, 2, 36, 42);
    addGlow(c, 3, rgb(0x60D0FF, 0.45));
    return c;
}

// Enemy "ship.png": a light-grey dart, nose up (the game turns it round),
// tinted by the game. Guns at 30 units from the centre.
Canvas dartShip() {
    Canvas c(40, 40);
    cairo_t* cr = c.cr();
    designSpace(cr, 1, 1, 38, 38, 100, 100);
    for (double x : {40.0, 60.0})
        radialGlow(cr, x, 92, 8, rgb(0xFFFFFF), rgb(0xFFFFFF, 0));
    mirroredPolygon(cr, {{50, 2}, {40, 40}, {6, 74}, {8, 84}, {32, 80}, {38, 92}});
    cairo_pattern_t* hull = cairo_pattern_create_linear(0, 0, 0, 92);
    addStop(hull, 0, rgb(0xFFFFFF));
    addStop(hull, 1, rgb(0xA8A8A8));
    fillWith(cr, hull, true);
    strokePixels(cr, 1.2, rgb(0x202020, 0.9));
    // Panel lines.
    for (int side = 0; side < 2; ++side) {
        double s = side ? -1 : 1, o = side ? 100 : 0;
        cairo_move_to(cr, o + s * 44, 44);
        cairo_line_to(cr, o + s * 20, 70);
        cairo_move_to(cr, o + s * 44, 60);
        cairo_line_to(cr, o + s * 42, 86);
        strokePixels(cr, 0.8, rgb(0x505050, 0.8));
        cairo_rectangle(cr, o + s * 20 - (side ? 3 : 0), 58, 3, 24);
        setColor(cr, rgb(0x707070));
        cairo_fill(cr);
    }
    // Cockpit.
    cairo_save(cr);
    cairo_translate(cr, 50, 42);
    cairo_scale(cr, 6, 11);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    setColor(cr, rgb(0x3A3A3A));
    cairo_fill_preserve(cr);
    strokePixels(cr, 0.8, rgb(0x101010));
    cairo_arc(cr, 48, 37, 2.2, 0, 2 * M_PI);
    setColor(cr, rgb(0xFFFFFF));
    cairo_fill(cr);
    return c;
}

// Enemy "ship-bad.png": a round beetle with two prongs, facing down,
// tinted by the game.
Canvas beetleShip() {
    Canvas c(46, 44);
    cairo_t* cr = c.cr();
    designSpace(cr, 1, 1, 44, 42, 100, 96);
    // Prongs, pointing down.
    for (int side = 0; side < 2; ++side) {
        double s = side ? -1 : 1, o = side ? 100 : 0;
        cairo_move_to(cr, o + s * 30, 60);
        cairo_curve_to(cr, o + s * 22, 74, o + s * 28, 88, o + s * 40, 94);
        cairo_curve_to(cr, o + s * 36, 84, o + s * 38, 74, o + s * 44, 66);
        cairo_close_path(cr);
        setColor(cr, rgb(0xC8C8C8));
        cairo_fill_preserve(cr);
        strokePixels(cr, 1.1, rgb(0x202020, 0.9));
    }
    // Side pods.
    for (double x : {12.0, 88.0}) {
        cairo_save(cr);
        cairo_translate(cr, x, 40);
        cairo_scale(cr, 10, 18);
        cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
        cairo_restore(cr);
        cairo_pattern_t* p = cairo_pattern_create_linear(x - 10, 0, x + 10, 0);
        addStop(p, 0, rgb(0x8A8A8A));
        addStop(p, 0.5, rgb(0xF0F0F0));
        addStop(p, 1, rgb(0x8A8A8A));
        fillWith(cr, p, true);
        strokePixels(cr, 1.1, rgb(0x202020, 0.9));
    }
    // Body.
    cairo_arc(cr, 50, 42, 34, 0, 2 * M_PI);
    cairo_pattern_t* body = cairo_pattern_create_radial(42, 30, 4, 50, 42, 36);
    addStop(body, 0, rgb(0xFFFFFF));
    addStop(body, 0.7, rgb(0xC0C0C0));
    addStop(body, 1, rgb(0x787878));
    fillWith(cr, body, true);
    strokePixels(cr, 1.2, rgb(0x202020, 0.9));
    // Shell seam and ribs.
    cairo_move_to(cr, 50, 8);
    cairo_line_to(cr, 50, 50);
    for (double y : {22.0, 34.0}) {
        cairo_move_to(cr, 24, y + 6);
        cairo_curve_to(cr, 36, y, 64, y, 76, y + 6);
    }
    strokePixels(cr, 0.8, rgb(0x404040, 0.8));
    // The eye, at the front (bottom).
    cairo_arc(cr, 50, 60, 9, 0, 2 * M_PI);
    setColor(cr, rgb(0x303030));
    cairo_fill_preserve(cr);
    strokePixels(cr, 0.8, rgb(0x101010));
    radialGlow(cr, 50, 61, 6, rgb(0xFFFFFF), rgb(0xFFFFFF, 0.1));
    return c;
}

// Enemy "ship-crazy.png": a wide magenta bat-wing with green lights, facing
// down, cannons under the wings (22 and 29 points from the centre).
Canvas crazyShip() {
    Canvas c(68, 50);
    cairo_t* cr = c.cr();
    designSpace(cr, 0, 1, 68, 48, 100, 70);
    // Wings with a jagged trailing (upper) edge.
    mirroredPolygon(cr, {{50, 10},
                         {38, 6},
                         {26, 14},
                         {16, 6},
                         {2, 16},
                         {4, 50},
                         {12, 58},
                         {24, 50},
                         {36, 56},
                         {44, 48}});
    cairo_pattern_t* wing = cairo_pattern_create_linear(0, 6, 0, 58);
    addStop(wing, 0, rgb(0x5A1A8A));
    addStop(wing, 0.6, rgb(0xC02CB8));
    addStop(wing, 1, rgb(0xFF6AD8));
    fillWith(cr, wing, true);
    strokePixels(cr, 1.2, rgb(0x14041E));
    // Wing ribs.
    for (int side = 0; side < 2; ++side) {
        double s = side ? -1 : 1, o = side ? 100 : 0;
        for (auto [x0, y0, x1, y1] :
             {std::array<double, 4>{40, 20, 14, 52}, std::array<double, 4>{42, 30, 26, 50}}) {
            cairo_move_to(cr, o + s * x0, y0);
            cairo_line_to(cr, o + s * x1, y1);
        }
        strokePixels(cr, 0.8, rgb(0x3A0A50, 0.9));
    }
    // Cannons: at 22 and 29 points from the centre of a 68-point ship.
    for (double pts : {-29.0, -22.0, 22.0, 29.0}) {
        double x = 50 + pts * 100 / 68;
        cairo_rectangle(cr, x - 1.6, 44, 3.2, 20);
        setColor(cr, rgb(0x2A2A36));
        cairo_fill_preserve(cr);
        strokePixels(cr, 0.7, rgb(0x0A0A10));
        radialGlow(cr, x, 64, 3.5, rgb(0xB6FF6A), rgb(0x40FF40, 0));
    }
    // Hull.
    cairo_move_to(cr, 50, 4);
    cairo_curve_to(cr, 62, 6, 64, 30, 58, 54);
    cairo_line_to(cr, 50, 68);
    cairo_line_to(cr, 42, 54);
    cairo_curve_to(cr, 36, 30, 38, 6, 50, 4);
    cairo_close_path(cr);
    fillWith(cr, horizontalMetal(38, 62, rgb(0x2A0C44), rgb(0x9A5ADE)), true);
    strokePixels(cr, 1.2, rgb(0x14041E));
    // Glowing eye slits.
    for (int side = 0; side < 2; ++side) {
        double s = side ? -1 : 1, o = side ? 100 : 0;
        cairo_move_to(cr, o + s * 43, 40);
        cairo_line_to(cr, o + s * 48, 46);
        strokePixels(cr, 1.6, rgb(0x9CFF3A));
    }
    addGlow(c, 2.5, rgb(0xE040FF, 0.5));
    return c;
}

// Player bullet: a white-hot bolt in a cyan glow (also fired by enemies in
// two screens, so it points neither way).
Canvas playerBullet() {
    Canvas c(9, 19);
    cairo_t* cr = c.cr();
    roundedRect(cr, 3, 3, 3, 13, 1.5);
    setColor(cr, rgb(0xFFFFFF));
    cairo_fill(cr);
    addGlow(c, 3, rgb(0x40E0FF), 1.6);
    return c;
}

// Enemy bullet: a white orb with a grey halo; the game tints it red.
Canvas enemyBullet() {
    Canvas c(13, 13);
    cairo_t* cr = c.cr();
    radialGlow(cr, 6.5, 6.5, 6.5, rgb(0xFFFFFF), rgb(0xFFFFFF, 0));
    cairo_arc(cr, 6.5, 6.5, 3, 0, 2 * M_PI);
    setColor(cr, rgb(0xFFFFFF));
    cairo_fill(cr);
    return c;
}

// A cratered rock lit from the upper left, drawn large (the game shows it
// at 0.3).
Canvas asteroid() {
    Canvas c(128, 128);
    cairo_t* cr = c.cr();
    const double cx = 64, cy = 64, r = 54;
    lumpyCircle(cr, cx, cy, r, 13, 0.14, 0xA57E01, true);
    cairo_path_t* outline = cairo_copy_path(cr);
    cairo_pattern_t* body = cairo_pattern_create_radial(cx - 20, cy - 22, 6, cx, cy, r * 1.1);
    addStop(body, 0, rgb(0xB8A48E));
    addStop(body, 0.55, rgb(0x7A6656));
    addStop(body, 1, rgb(0x2E241D));
    fillWith(cr, body);

    // Grain: lighten and darken by noise, inside the rock only.
    {
        Canvas grain(128, 128);
        uint32_t* px = grain.pixels();
        for (int y = 0; y < 128; ++y)
            for (int x = 0; x < 128; ++x) {
                double n = fractalNoise(x / 9.0, y / 9.0, 4, 77) - 0.5;
                double a = std::min(1.0, std::abs(n) * 1.3);
                uint32_t alpha = uint32_t(a * 255 * 0.55);
                uint32_t v = n > 0 ? alpha : 0; // white (premultiplied) or black
                px[size_t(y) * size_t(grain.strideWords()) + size_t(x)] =
                    alpha << 24 | v << 16 | v << 8 | v;
            }
        grain.markDirty();
        cairo_save(cr);
        cairo_append_path(cr, outline);
        cairo_clip(cr);
        cairo_set_source_surface(cr, grain.surface(), 0, 0);
        cairo_paint_with_alpha(cr, 0.6);
        cairo_restore(cr);
    }

    // Craters: dark bowls lit on their lower right inside, with a bright rim
    // on the upper left outside.
    Random rnd(0xC4A7E5);
    struct Crater {
        double x, y, r;
    };
    const Crater craters[] = {{46, 50, 13}, {80, 74, 16}, {70, 36, 8}, {42, 86, 9},
                              {88, 46, 6},  {58, 66, 5},  {30, 66, 5}};
    cairo_save(cr);
    cairo_append_path(cr, outline);
    cairo_clip(cr);
    for (const Crater& k : craters) {
        double squash = 0.8 + 0.2 * rnd.uniform();
        cairo_save(cr);
        cairo_translate(cr, k.x, k.y);
        cairo_scale(cr, 1, squash);
        cairo_arc(cr, 0, 0, k.r + 1.5, 0, 2 * M_PI);
        cairo_pattern_t* rim = cairo_pattern_create_linear(-k.r, -k.r, k.r, k.r);
        addStop(rim, 0, rgb(0xE0D0BC, 0.7));
        addStop(rim, 1, rgb(0x1A120C, 0.5));
        fillWith(cr, rim);
        cairo_arc(cr, 0, 0, k.r, 0, 2 * M_PI);
        cairo_pattern_t* bowl = cairo_pattern_create_linear(-k.r, -k.r, k.r, k.r);
        addStop(bowl, 0, rgb(0x2A1F17));
        addStop(bowl, 0.6, rgb(0x5A4A3C));
        addStop(bowl, 1, rgb(0x9A8672));
        fillWith(cr, bowl);
        cairo_restore(cr);
    }
    // Shade the lower right side.
    cairo_pattern_t* shade =
        cairo_pattern_create_radial(cx - 24, cy - 26, r * 0.6, cx - 10, cy - 10, r * 1.5);
    addStop(shade, 0, rgb(0x000000, 0));
    addStop(shade, 1, rgb(0x000000, 0.55));
    cairo_set_source(cr, shade);
    cairo_paint(cr);
    cairo_pattern_destroy(shade);
    cairo_restore(cr);

    cairo_append_path(cr, outline);
    cairo_set_line_width(cr, 2.5);
    setColor(cr, rgb(0x1A130E));
    cairo_stroke(cr);
    cairo_path_destroy(outline);
    return c;
}

// Power-up "coin.png": a gold coin with a raised star.
Canvas coin() {
    Canvas c(28, 28);
    cairo_t* cr = c.cr();
    const double cx = 14, cy = 14;
    cairo_arc(cr, cx, cy, 10, 0, 2 * M_PI);
    cairo_pattern_t* gold = cairo_pattern_create_radial(cx - 3, cy - 4, 1, cx, cy, 11);
    addStop(gold, 0, rgb(0xFFF6B0));
    addStop(gold, 0.6, rgb(0xF2B81C));
    addStop(gold, 1, rgb(0x8A5600));
    fillWith(cr, gold, true);
    setColor(cr, rgb(0x5A3400));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_arc(cr, cx, cy, 7.5, 0, 2 * M_PI);
    setColor(cr, rgb(0xB07400, 0.8));
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
    cairo_new_path(cr);
    for (int i = 0; i < 10; ++i) {
        double a = -M_PI / 2 + i * M_PI / 5, rr = i % 2 ? 2.4 : 5.6;
        cairo_line_to(cr, cx + rr * std::cos(a), cy + 0.5 + rr * std::sin(a));
    }
    cairo_close_path(cr);
    setColor(cr, rgb(0xFFFBE0));
    cairo_fill_preserve(cr);
    setColor(cr, rgb(0xA06800, 0.9));
    cairo_set_line_width(cr, 0.6);
    cairo_stroke(cr);
    addGlow(c, 4, rgb(0xFFD040, 0.9), 1.3);
    return c;
}

// Power-up "plus.png": a green orb with a white cross (an extra life),
// drawn large (the game shows it at 0.6).
Canvas plusOrb() {
    Canvas c(50, 50);
    cairo_t* cr = c.cr();
    const double cx = 25, cy = 25;
    cairo_arc(cr, cx, cy, 17, 0, 2 * M_PI);
    cairo_pattern_t* orb = cairo_pattern_create_radial(cx - 5, cy - 6, 2, cx, cy, 18);
    addStop(orb, 0, rgb(0xC8FFC0));
    addStop(orb, 0.5, rgb(0x2ED050));
    addStop(orb, 1, rgb(0x0A4A1A));
    fillWith(cr, orb, true);
    setColor(cr, rgb(0x063010));
    cairo_set_line_width(cr, 1.4);
    cairo_stroke(cr);
    // The cross, with a soft shadow.
    for (int pass = 0; pass < 2; ++pass) {
        double d = pass ? 0 : 1.2;
        cairo_new_path(cr);
        roundedRect(cr, cx - 3.5 + d, cy - 10 + d, 7, 20, 2);
        roundedRect(cr, cx - 10 + d, cy - 3.5 + d, 20, 7, 2);
        setColor(cr, pass ? rgb(0xFFFFFF) : rgb(0x04300C, 0.6));
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
        cairo_fill(cr);
    }
    cairo_save(cr);
    cairo_translate(cr, cx - 7, cy - 9);
    cairo_rotate(cr, -0.6);
    cairo_scale(cr, 5, 2.6);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    setColor(cr, rgb(0xFFFFFF, 0.55));
    cairo_fill(cr);
    addGlow(c, 6, rgb(0x50FF70, 0.9), 1.4);
    return c;
}

// Power-up "bomb2.png": a black bomb with a burning fuse in a red aura,
// drawn large (the game shows it at 0.5).
Canvas bomb() {
    Canvas c(58, 58);
    cairo_t* cr = c.cr();
    const double cx = 26, cy = 33;
    // Red danger aura.
    radialGlow(cr, cx, cy, 25, rgb(0xFF3020, 0.55), rgb(0xFF2010, 0));
    cairo_arc(cr, cx, cy, 17, 0, 2 * M_PI);
    cairo_pattern_t* shell = cairo_pattern_create_radial(cx - 6, cy - 7, 1, cx, cy, 18);
    addStop(shell, 0, rgb(0x8A8AA0));
    addStop(shell, 0.35, rgb(0x34343E));
    addStop(shell, 1, rgb(0x0C0C12));
    fillWith(cr, shell, true);
    setColor(cr, rgb(0xFF5040, 0.9));
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    // The fuse holder and fuse.
    cairo_save(cr);
    cairo_translate(cr, cx + 11, cy - 12);
    cairo_rotate(cr, M_PI / 4);
    cairo_rectangle(cr, -4, -4, 8, 6);
    cairo_restore(cr);
    setColor(cr, rgb(0x50505C));
    cairo_fill_preserve(cr);
    setColor(cr, rgb(0x101014));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_move_to(cr, cx + 13, cy - 15);
    cairo_curve_to(cr, cx + 16, cy - 22, cx + 24, cy - 20, cx + 25, cy - 25);
    setColor(cr, rgb(0xC8A878));
    cairo_set_line_width(cr, 1.8);
    cairo_stroke(cr);
    // The spark.
    const double sx = cx + 25.5, sy = cy - 26;
    radialGlow(cr, sx, sy, 7, rgb(0xFFFFC0), rgb(0xFF8000, 0));
    for (int i = 0; i < 8; ++i) {
        double a = i * M_PI / 4 + 0.2, len = i % 2 ? 3.5 : 6;
        cairo_move_to(cr, sx, sy);
        cairo_line_to(cr, sx + len * std::cos(a), sy + len * std::sin(a));
    }
    setColor(cr, rgb(0xFFF0A0));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    // Highlight.
    cairo_save(cr);
    cairo_translate(cr, cx - 7, cy - 8);
    cairo_rotate(cr, -0.7);
    cairo_scale(cr, 5, 2.5);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    setColor(cr, rgb(0xFFFFFF, 0.5));
    cairo_fill(cr);
    return c;
}

struct Frame {
    const char* name;
    std::function<Canvas()> draw;
};

std::string plistFrames(const std::vector<std::pair<std::string, PackItem>>& frames) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                      "<plist version=\"1.0\">\n<dict>\n\t<key>frames</key>\n\t<dict>\n";
    for (const auto& [name, r] : frames) {
        out += "\t\t<key>" + name + "</key>\n\t\t<dict>\n";
        for (auto [key, value] : {std::pair{"x", r.x}, {"y", r.y}, {"w", r.width}, {"h", r.height}})
            out += std::string("\t\t\t<key>") + key + "</key>\n\t\t\t<integer>" +
                   std::to_string(value) + "</integer>\n";
        out += "\t\t</dict>\n";
    }
    out += "\t</dict>\n</dict>\n</plist>\n";
    return out;
}

} // namespace

void drawPlayerShip(cairo_t* cr, double x, double y, double w, double h) {
    cairo_save(cr);
    designSpace(cr, x, y, w, h, 100, 120);
    playerShipDesign(cr);
    cairo_restore(cr);
}

void writeSpriteSheet(const std::string& dir) {
    const Frame frames[] = {
        {"Spaceship.png", playerShip}, {"ship.png", dartShip},     {"ship-bad.png", beetleShip},
        {"ship-crazy.png", crazyShip}, {"asteroid.png", asteroid}, {"bullet.png", playerBullet},
        {"bullet2.png", enemyBullet},  {"coin.png", coin},         {"plus.png", plusOrb},
        {"bomb2.png", bomb},
    };
    std::vector<Canvas> pictures;
    std::vector<size_t> order;
    for (const Frame& f : frames) {
        pictures.push_back(f.draw());
        order.push_back(order.size());
    }
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return pictures[a].height() > pictures[b].height();
    });
    std::vector<PackItem> items;
    for (size_t i : order)
        items.push_back({pictures[i].width(), pictures[i].height()});
    // Two pixels apart, so linear filtering never reaches a neighbour.
    PageSize page = packShelves(items, 2);
    Canvas sheet(page.width, page.height);
    std::vector<std::pair<std::string, PackItem>> placed;
    for (size_t n = 0; n < order.size(); ++n) {
        sheet.paint(pictures[order[n]], items[n].x, items[n].y);
        placed.emplace_back(frames[order[n]].name, items[n]);
    }
    std::sort(placed.begin(), placed.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    writePng(sheet, dir + "/texture.png");
    writeFile(dir + "/coordinates.plist", plistFrames(placed));
}

} // namespace resgen

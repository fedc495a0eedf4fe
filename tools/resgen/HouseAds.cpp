// The game's own ads: 320 x 50 banners for the missions and the minigames,
// a text ad and the page the ads lead to, served by the house-ad server.
#include "tools/resgen/Resources.h"

#include <pango/pangocairo.h>

#include <cmath>

namespace resgen {

namespace {

constexpr int kW = 320, kH = 50;

void text(Fonts& fonts, cairo_t* cr, const std::string& s, double size, double x, double y,
          const Color& color) {
    PangoLayout* layout = fonts.layout(cr, size, s, true);
    cairo_move_to(cr, x, y);
    setColor(cr, color);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
}

void rock(cairo_t* cr, double cx, double cy, double r, uint64_t seed) {
    lumpyCircle(cr, cx, cy, r, 11, 0.16, seed, true);
    cairo_pattern_t* body =
        cairo_pattern_create_radial(cx - r * 0.4, cy - r * 0.4, r * 0.1, cx, cy, r * 1.1);
    addStop(body, 0, rgb(0xB8A48E));
    addStop(body, 0.6, rgb(0x7A6656));
    addStop(body, 1, rgb(0x2E241D));
    fillWith(cr, body);
}

void shot(cairo_t* cr, double x, double y, double length, const Color& color) {
    roundedRect(cr, x - 1.5, y, 3, length, 1.5);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y, 0, y + length);
    addStop(p, 0, rgb(0xFFFFFF));
    addStop(p, 1, color.withAlpha(0.2));
    fillWith(cr, p);
}

void missionsMotif(cairo_t* cr) {
    shot(cr, 20, 2, 10, rgb(0x60F0FF));
    shot(cr, 34, 2, 10, rgb(0x60F0FF));
    drawPlayerShip(cr, 12, 10, 30, 36);
}

void asteroidAvoidMotif(cairo_t* cr) {
    rock(cr, 16, 12, 9, 0xAD01);
    rock(cr, 40, 18, 7, 0xAD02);
    drawPlayerShip(cr, 18, 26, 18, 22);
}

void dragShipMotif(cairo_t* cr) {
    // The path a finger drags the ship along.
    cairo_set_line_width(cr, 1.5);
    const double dash[] = {3, 3};
    cairo_set_dash(cr, dash, 2, 0);
    setColor(cr, rgb(0xFFFFFF, 0.7));
    cairo_move_to(cr, 6, 44);
    cairo_curve_to(cr, 12, 20, 30, 40, 36, 20);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
    rock(cr, 44, 40, 6, 0xAD03);
    drawPlayerShip(cr, 26, 2, 20, 24);
}

void spaceShootMotif(cairo_t* cr) {
    drawPlayerShip(cr, 6, 22, 20, 24);
    // The opponent, nose down.
    cairo_save(cr);
    cairo_translate(cr, 48, 28);
    cairo_rotate(cr, M_PI);
    drawPlayerShip(cr, 0, 0, 20, 24);
    cairo_restore(cr);
    shot(cr, 16, 8, 12, rgb(0x60F0FF));
    shot(cr, 38, 30, 12, rgb(0xFF7060));
}

struct Banner {
    const char* name;
    const char* headline;
    const char* line;
    uint64_t seed;
    void (*motif)(cairo_t*);
};

const Banner kBanners[] = {
    {"missions", "Three Missions", "Destroy 15 ships to open the next", 0xAD5EED1, missionsMotif},
    {"asteroidavoid", "Asteroid Avoid", "Tilt to slide under the falling rocks", 0xAD5EED2,
     asteroidAvoidMotif},
    {"dragship", "DragShip", "Drag your ship past four bouncing rocks", 0xAD5EED3, dragShipMotif},
    {"spaceshoot", "SpaceShoot Duel", "Three lives each. Tap to fire!", 0xAD5EED4, spaceShootMotif},
};

Canvas banner(Fonts& fonts, const Banner& b) {
    Canvas c(kW, kH);
    drawStarfield(c, b.seed, 0.7);
    cairo_t* cr = c.cr();
    b.motif(cr);
    text(fonts, cr, b.headline, 17, 60, 5, rgb(0xFFD24A));
    text(fonts, cr, b.line, 10, 60, 29, rgb(0xCFE0FF));

    // "PLAY", on a pill at the right.
    roundedRect(cr, 266, 14, 46, 22, 11);
    cairo_pattern_t* pill = cairo_pattern_create_linear(0, 14, 0, 36);
    addStop(pill, 0, rgb(0xFFB347));
    addStop(pill, 1, rgb(0xE0561B));
    fillWith(cr, pill);
    text(fonts, cr, "PLAY", 11, 274, 18, rgb(0x2A0E00));

    cairo_rectangle(cr, 0.5, 0.5, kW - 1, kH - 1);
    cairo_set_line_width(cr, 1);
    setColor(cr, rgb(0x8FA8FF, 0.6));
    cairo_stroke(cr);
    return c;
}

// The text ad: a page of its own, 320 x 50.
const char* const kTextAd = R"(<html><head><style>
body { margin: 0; background: #0b1d55; font-family: sans-serif; }
.ad { height: 50px; border: 1px solid #8fa8ff; box-sizing: border-box; padding: 4px 10px; }
h1 { margin: 0; font-size: 15px; color: #ffd24a; }
p { margin: 3px 0 0; font-size: 11px; color: #cfe0ff; }
</style></head><body><div class="ad">
<h1>Quick Play: how long can you last?</h1>
<p>Easy, medium or hard &mdash; your best score is kept.</p>
</div></body></html>
)";

// Where every house ad leads.
const char* const kPage = R"(<html><head><title>Nebulark Skirmage</title><style>
body { margin: 0; font-family: sans-serif; background: #f4f6fb; color: #1c2340; }
.top { background: #0b1d55; color: #fff; padding: 16px 14px; }
.top h1 { margin: 0; font-size: 22px; color: #ffd24a; }
.top p { margin: 4px 0 0; font-size: 13px; color: #cfe0ff; }
h2 { font-size: 16px; margin: 16px 14px 6px; color: #0b1d55; }
p { font-size: 13px; margin: 0 14px 8px; line-height: 1.35; }
img { display: block; margin: 6px auto; }
.foot { font-size: 11px; color: #66708a; margin: 18px 14px; }
a { color: #2a5bd7; }
</style></head><body>
<div class="top"><h1>Nebulark Skirmage</h1><p>A space shooter you steer by tilting, dragging or a joystick.</p></div>
<h2>Missions</h2>
<p>Three missions open one after another: destroy fifteen ships, survive a minute of enemies
that shoot back, then do it again inside an asteroid field.</p>
<img src="ad-missions.png" width="288" height="45">
<h2>Minigames</h2>
<p>Slide under falling rocks in Asteroid Avoid, drag your ship past four bouncing rocks in
DragShip, or fight the SpaceShoot duel: three lives each.</p>
<img src="ad-asteroidavoid.png" width="288" height="45">
<img src="ad-dragship.png" width="288" height="45">
<img src="ad-spaceshoot.png" width="288" height="45">
<h2>Quick Play</h2>
<p>An endless game at one of three difficulties, with your best score kept for each.</p>
<p class="foot">This is a house ad of the game itself. Questions? <a href="mailto:pilots@nebulark.invalid">Write to the pilots</a>.</p>
</body></html>
)";

} // namespace

void writeHouseAds(Fonts& fonts, const std::string& dir) {
    for (const Banner& b : kBanners)
        writePng(banner(fonts, b), dir + "/ad-" + b.name + ".png", true);
    writeFile(dir + "/ad-text.html", std::string(kTextAd));
    writeFile(dir + "/ad-page.html", std::string(kPage));
}

} // namespace resgen

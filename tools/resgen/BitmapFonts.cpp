// Bitmap fonts in the text .fnt form the labels read: one page of glyphs,
// their rectangles, offsets and advances, and the kerning pairs of the face.
#include "tools/resgen/Resources.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace resgen {

namespace {

struct FontStyle {
    const char* name; // file stem of the .fnt and its page
    double size;
    bool hinted;
    Color top, bottom; // fill from the top of the capitals to the baseline
    Color outline;
    double outlineWidth;
    Color glow;
    double glowRadius;
};

constexpr int kFirstChar = 32, kLastChar = 126;

struct Glyph {
    int id = 0;
    Canvas picture{1, 1};
    int x = 0, y = 0, width = 0, height = 0; // in `picture`, then on the page
    int xOffset = 0, yOffset = 0, xAdvance = 0;
};

// The tight box of the non-transparent pixels; empty when there are none.
void inkBox(const Canvas& c, int& x0, int& y0, int& x1, int& y1) {
    x0 = c.width(), y0 = c.height(), x1 = 0, y1 = 0;
    const uint32_t* px = c.pixels();
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            if (px[size_t(y) * size_t(c.strideWords()) + size_t(x)] >> 24) {
                x0 = std::min(x0, x), y0 = std::min(y0, y);
                x1 = std::max(x1, x + 1), y1 = std::max(y1, y + 1);
            }
}

std::string fntText(const FontStyle& style, int lineHeight, int base, PageSize page,
                    const std::vector<Glyph>& glyphs,
                    const std::map<std::pair<int, int>, int>& kerning) {
    std::string out;
    char line[256];
    std::snprintf(line, sizeof line,
                  "info face=\"DejaVu Sans\" size=%d bold=1 italic=0 charset=\"\" unicode=1 "
                  "stretchH=100 smooth=1 aa=1 padding=0,0,0,0 spacing=2,2\n",
                  int(std::lround(style.size)));
    out += line;
    std::snprintf(line, sizeof line,
                  "common lineHeight=%d base=%d scaleW=%d scaleH=%d pages=1 packed=0\n", lineHeight,
                  base, page.width, page.height);
    out += line;
    out += "page id=0 file=\"" + std::string(style.name) + ".png\"\n";
    out += "chars count=" + std::to_string(glyphs.size()) + "\n";
    for (const Glyph& g : glyphs) {
        std::snprintf(line, sizeof line,
                      "char id=%-4d x=%-5d y=%-5d width=%-5d height=%-5d xoffset=%-5d yoffset=%-5d "
                      "xadvance=%-5d page=0  chnl=15\n",
                      g.id, g.x, g.y, g.width, g.height, g.xOffset, g.yOffset, g.xAdvance);
        out += line;
    }
    out += "kernings count=" + std::to_string(kerning.size()) + "\n";
    for (const auto& [pair, amount] : kerning) {
        std::snprintf(line, sizeof line, "kerning first=%-3d second=%-3d amount=%d\n", pair.first,
                      pair.second, amount);
        out += line;
    }
    return out;
}

void writeFont(Fonts& fonts, const FontStyle& style, const std::string& dir) {
    Canvas scratch(1, 1);
    auto layoutOf = [&](cairo_t* cr, const std::string& text) {
        return fonts.layout(cr, style.size, text, style.hinted);
    };

    PangoLayout* probe = layoutOf(scratch.cr(), "H");
    TextExtents line = extentsOf(probe);
    PangoRectangle capInk;
    pango_layout_get_extents(probe, &capInk, nullptr);
    g_object_unref(probe);
    int lineHeight = int(std::ceil(line.height));
    int base = int(std::lround(line.baseline));
    double capTop = double(capInk.y) / PANGO_SCALE;

    int pad = int(std::ceil(style.outlineWidth + style.glowRadius * 1.5)) + 2;
    std::vector<Glyph> glyphs;
    std::map<int, double> advance; // unrounded, in pixels
    for (int id = kFirstChar; id <= kLastChar; ++id) {
        Glyph g;
        g.id = id;
        std::string text(1, char(id));
        PangoLayout* measure = layoutOf(scratch.cr(), text);
        TextExtents e = extentsOf(measure);
        g_object_unref(measure);
        advance[id] = e.width;
        g.xAdvance = int(std::lround(e.width));

        Canvas cell(int(std::ceil(e.width)) + 2 * pad, lineHeight + 2 * pad);
        cairo_t* cr = cell.cr();
        PangoLayout* layout = layoutOf(cr, text);
        cairo_move_to(cr, pad, pad);
        pango_cairo_layout_path(cr, layout);
        g_object_unref(layout);
        if (style.outlineWidth > 0) {
            cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
            cairo_set_line_width(cr, style.outlineWidth * 2);
            setColor(cr, style.outline);
            cairo_stroke_preserve(cr);
        }
        cairo_pattern_t* fill =
            cairo_pattern_create_linear(0, pad + capTop, 0, pad + line.baseline);
        addStop(fill, 0, style.top);
        addStop(fill, 1, style.bottom);
        cairo_set_source(cr, fill);
        cairo_fill(cr);
        cairo_pattern_destroy(fill);
        if (style.glowRadius > 0) addGlow(cell, style.glowRadius, style.glow);

        int x0, y0, x1, y1;
        inkBox(cell, x0, y0, x1, y1);
        if (x1 > x0) {
            g.width = x1 - x0;
            g.height = y1 - y0;
            g.xOffset = x0 - pad;
            g.yOffset = y0 - pad;
            g.picture = Canvas(g.width, g.height);
            g.picture.paint(cell, -x0, -y0);
        }
        glyphs.push_back(std::move(g));
    }

    // Kerning: how much a pair's advance differs from its two glyphs'.
    std::map<std::pair<int, int>, int> kerning;
    PangoLayout* pair = layoutOf(scratch.cr(), "");
    for (int a = kFirstChar + 1; a <= kLastChar; ++a)
        for (int b = kFirstChar + 1; b <= kLastChar; ++b) {
            char text[2] = {char(a), char(b)};
            pango_layout_set_text(pair, text, 2);
            double k = extentsOf(pair).width - advance[a] - advance[b];
            int amount = int(std::lround(k));
            if (amount != 0) kerning[{a, b}] = amount;
        }
    g_object_unref(pair);

    // Taller glyphs first; equal heights in code order.
    std::vector<size_t> order(glyphs.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return glyphs[a].height > glyphs[b].height; });
    std::vector<PackItem> items;
    for (size_t i : order)
        items.push_back({glyphs[i].width, glyphs[i].height});
    PageSize page = packShelves(items, 2);
    Canvas sheet(page.width, page.height);
    for (size_t n = 0; n < order.size(); ++n) {
        Glyph& g = glyphs[order[n]];
        g.x = items[n].x;
        g.y = items[n].y;
        if (g.width) sheet.paint(g.picture, g.x, g.y);
    }
    writePng(sheet, dir + "/" + style.name + ".png");
    writeFile(dir + "/" + style.name + ".fnt",
              fntText(style, lineHeight, base, page, glyphs, kerning));
}

} // namespace

void writeBitmapFonts(Fonts& fonts, const std::string& dir) {
    // Small status text of the game screens: crisp red with a dark rim.
    FontStyle red{.name = "redFont3",
                  .size = 11,
                  .hinted = true,
                  .top = rgb(0xFF9A80),
                  .bottom = rgb(0xE01B1B),
                  .outline = rgb(0x3A0000, 0.9),
                  .outlineWidth = 1.0,
                  .glow = {},
                  .glowRadius = 0};
    // The minigames' big score: bright green with a soft glow.
    FontStyle green{.name = "greenFont",
                    .size = 30,
                    .hinted = false,
                    .top = rgb(0xD8FFB0),
                    .bottom = rgb(0x22C84A),
                    .outline = rgb(0x03300C),
                    .outlineWidth = 1.6,
                    .glow = rgb(0x40FF60, 0.8),
                    .glowRadius = 3};
    writeFont(fonts, red, dir);
    writeFont(fonts, green, dir);
}

} // namespace resgen

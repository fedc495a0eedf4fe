// "Nebulark Pixel", the TrueType font the game ships: printable ASCII as
// blocky pixel glyphs on an 8 x 12 grid (DejaVu Sans Bold drawn small and
// snapped to whole pixels), each pixel run one square contour. Every glyph
// advances 8 grid pixels; the em is 12 of them, 9 above the baseline.
#include "tools/resgen/Resources.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace resgen {

namespace {

constexpr int kCellW = 8, kCellH = 12, kBaselineRow = 9; // rows from the top
constexpr int kUnit = 100;                               // font units per grid pixel
constexpr int kUnitsPerEm = kCellH * kUnit;
constexpr int kAdvance = kCellW * kUnit;
constexpr int kAscent = kBaselineRow * kUnit, kDescent = (kCellH - kBaselineRow) * kUnit;
constexpr int kFirstChar = 32, kLastChar = 126;

struct Rectangle {
    int x0, y0, x1, y1; // font units, y up
};

struct Glyph {
    std::vector<Rectangle> runs;
    int xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};

class Bytes {
public:
    void u8(unsigned v) { data.push_back(uint8_t(v)); }
    void u16(unsigned v) {
        u8(v >> 8);
        u8(v);
    }
    void i16(int v) { u16(unsigned(uint16_t(int16_t(v)))); }
    void u32(uint32_t v) {
        u16(v >> 16);
        u16(v & 0xFFFF);
    }
    void tag(const char* t) {
        for (int i = 0; i < 4; ++i)
            u8(uint8_t(t[i]));
    }
    void pad4() {
        while (data.size() % 4)
            u8(0);
    }
    void put32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            data[at + size_t(i)] = uint8_t(v >> (24 - 8 * i));
    }
    std::vector<uint8_t> data;
};

uint32_t checksum(const std::vector<uint8_t>& d) {
    uint32_t sum = 0;
    for (size_t i = 0; i < d.size(); i += 4) {
        uint32_t word = 0;
        for (size_t k = 0; k < 4; ++k)
            word = word << 8 | (i + k < d.size() ? d[i + k] : 0);
        sum += word;
    }
    return sum;
}

// The character drawn small and snapped: rows of lit grid pixels.
Glyph glyphOf(Fonts& fonts, char c) {
    Glyph g;
    if (c == ' ') return g;
    Canvas cell(kCellW, kCellH);
    PangoLayout* layout = fonts.layout(cell.cr(), 10, std::string(1, c), true);
    TextExtents e = extentsOf(layout);
    cairo_move_to(cell.cr(), std::round((kCellW - e.width) / 2),
                  std::round(kBaselineRow - e.baseline));
    pango_cairo_show_layout(cell.cr(), layout);
    g_object_unref(layout);
    cairo_surface_flush(cell.surface());
    const uint32_t* px = cell.pixels();
    bool any = false;
    for (int row = 0; row < kCellH; ++row) {
        int y1 = (kBaselineRow - row) * kUnit, y0 = y1 - kUnit;
        for (int col = 0; col < kCellW;) {
            auto lit = [&](int x) {
                return (px[size_t(row) * size_t(cell.strideWords()) + size_t(x)] >> 24) >= 128;
            };
            if (!lit(col)) {
                ++col;
                continue;
            }
            int end = col;
            while (end < kCellW && lit(end))
                ++end;
            Rectangle r{col * kUnit, y0, end * kUnit, y1};
            g.runs.push_back(r);
            if (!any) g.xMin = r.x0, g.yMin = r.y0, g.xMax = r.x1, g.yMax = r.y1;
            g.xMin = std::min(g.xMin, r.x0), g.yMin = std::min(g.yMin, r.y0);
            g.xMax = std::max(g.xMax, r.x1), g.yMax = std::max(g.yMax, r.y1);
            any = true;
            col = end;
        }
    }
    return g;
}

// The missing-character glyph: a hollow box.
Glyph notdef() {
    Glyph g;
    g.runs = {{100, 0, 700, 100}, {100, 800, 700, 900}, {100, 100, 200, 800}, {600, 100, 700, 800}};
    g.xMin = 100, g.yMin = 0, g.xMax = 700, g.yMax = 900;
    return g;
}

std::vector<uint8_t> glyfEntry(const Glyph& g) {
    Bytes b;
    if (g.runs.empty()) return b.data;
    b.i16(int(g.runs.size()));
    b.i16(g.xMin), b.i16(g.yMin), b.i16(g.xMax), b.i16(g.yMax);
    for (size_t i = 0; i < g.runs.size(); ++i)
        b.u16(unsigned(i * 4 + 3));
    b.u16(0); // no instructions
    for (size_t i = 0; i < g.runs.size() * 4; ++i)
        b.u8(0x01); // on the curve
    // Clockwise squares: up the left side, along the top, down the right.
    std::vector<std::pair<int, int>> points;
    for (const Rectangle& r : g.runs)
        points.insert(points.end(), {{r.x0, r.y0}, {r.x0, r.y1}, {r.x1, r.y1}, {r.x1, r.y0}});
    int last = 0;
    for (auto& p : points)
        b.i16(p.first - last), last = p.first;
    last = 0;
    for (auto& p : points)
        b.i16(p.second - last), last = p.second;
    b.pad4();
    return b.data;
}

std::vector<uint8_t> nameTable() {
    const std::pair<int, std::string> names[] = {
        {1, "Nebulark Pixel"}, {2, "Regular"},     {3, "Nebulark Pixel Regular 1.0"},
        {4, "Nebulark Pixel"}, {5, "Version 1.0"}, {6, "NebularkPixel-Regular"}};
    Bytes b;
    const unsigned count = unsigned(std::size(names));
    b.u16(0), b.u16(count), b.u16(6 + 12 * count);
    Bytes strings;
    for (const auto& [id, text] : names) {
        b.u16(3), b.u16(1), b.u16(0x409), b.u16(unsigned(id));
        b.u16(unsigned(text.size() * 2)), b.u16(unsigned(strings.data.size()));
        for (char c : text)
            strings.u16(uint8_t(c)); // UTF-16BE of ASCII
    }
    b.data.insert(b.data.end(), strings.data.begin(), strings.data.end());
    return b.data;
}

} // namespace

void writePixelFont(Fonts& fonts, const std::string& dir) {
    std::vector<Glyph> glyphs{notdef()};
    for (int c = kFirstChar; c <= kLastChar; ++c)
        glyphs.push_back(glyphOf(fonts, char(c)));
    const unsigned numGlyphs = unsigned(glyphs.size());

    Bytes glyf, loca;
    unsigned maxContours = 0;
    int xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    for (const Glyph& g : glyphs) {
        loca.u32(uint32_t(glyf.data.size()));
        std::vector<uint8_t> entry = glyfEntry(g);
        glyf.data.insert(glyf.data.end(), entry.begin(), entry.end());
        maxContours = std::max(maxContours, unsigned(g.runs.size()));
        xMin = std::min(xMin, g.xMin), yMin = std::min(yMin, g.yMin);
        xMax = std::max(xMax, g.xMax), yMax = std::max(yMax, g.yMax);
    }
    loca.u32(uint32_t(glyf.data.size()));

    Bytes head;
    head.u16(1), head.u16(0), head.u32(0x00010000), head.u32(0), head.u32(0x5F0F3CF5);
    head.u16(0x0003), head.u16(kUnitsPerEm);
    head.u32(0), head.u32(0), head.u32(0), head.u32(0); // created, modified: none
    head.i16(xMin), head.i16(yMin), head.i16(xMax), head.i16(yMax);
    head.u16(0), head.u16(8), head.i16(2), head.i16(1), head.i16(0);

    Bytes hhea;
    hhea.u32(0x00010000), hhea.i16(kAscent), hhea.i16(-kDescent), hhea.i16(0);
    hhea.u16(kAdvance), hhea.i16(0), hhea.i16(0), hhea.i16(xMax);
    hhea.i16(1), hhea.i16(0), hhea.i16(0);
    for (int i = 0; i < 4; ++i)
        hhea.i16(0);
    hhea.i16(0), hhea.u16(numGlyphs);

    Bytes hmtx;
    for (const Glyph& g : glyphs)
        hmtx.u16(kAdvance), hmtx.i16(g.xMin);

    Bytes maxp;
    maxp.u32(0x00010000), maxp.u16(numGlyphs), maxp.u16(maxContours * 4), maxp.u16(maxContours);
    maxp.u16(0), maxp.u16(0), maxp.u16(2);
    for (int i = 0; i < 9; ++i)
        maxp.u16(0);

    Bytes cmap; // format 4, one run of characters to consecutive glyphs
    cmap.u16(0), cmap.u16(2);
    cmap.u16(0), cmap.u16(3), cmap.u32(20);
    cmap.u16(3), cmap.u16(1), cmap.u32(20);
    cmap.u16(4), cmap.u16(32), cmap.u16(0);
    cmap.u16(4), cmap.u16(4), cmap.u16(1), cmap.u16(0);
    cmap.u16(kLastChar), cmap.u16(0xFFFF), cmap.u16(0);
    cmap.u16(kFirstChar), cmap.u16(0xFFFF);
    cmap.u16(uint16_t(1 - kFirstChar)), cmap.u16(1);
    cmap.u16(0), cmap.u16(0);

    Bytes os2;
    os2.u16(4), os2.i16(kAdvance), os2.u16(400), os2.u16(5), os2.u16(0);
    for (int v : {600, 600, 0, 150, 600, 600, 0, 400, 100, 400})
        os2.i16(v);
    os2.i16(0);
    for (int i = 0; i < 10; ++i)
        os2.u8(0);
    os2.u32(1), os2.u32(0), os2.u32(0), os2.u32(0);
    os2.tag("NBLK");
    os2.u16(0x40), os2.u16(kFirstChar), os2.u16(kLastChar);
    os2.i16(kAscent), os2.i16(-kDescent), os2.i16(0), os2.u16(kAscent), os2.u16(kDescent);
    os2.u32(1), os2.u32(0);
    os2.i16(500), os2.i16(700), os2.u16(0), os2.u16(32), os2.u16(1);

    Bytes post;
    post.u32(0x00030000), post.u32(0), post.i16(-100), post.i16(100), post.u32(1);
    for (int i = 0; i < 4; ++i)
        post.u32(0);

    const std::pair<const char*, std::vector<uint8_t>*> tables[] = {
        {"OS/2", &os2.data},  {"cmap", &cmap.data}, {"glyf", &glyf.data}, {"head", &head.data},
        {"hhea", &hhea.data}, {"hmtx", &hmtx.data}, {"loca", &loca.data}, {"maxp", &maxp.data},
        {"name", nullptr},    {"post", &post.data}};
    std::vector<uint8_t> name = nameTable();

    Bytes font;
    const unsigned n = unsigned(std::size(tables));
    font.u32(0x00010000), font.u16(n), font.u16(128), font.u16(3), font.u16(n * 16 - 128);
    size_t offset = 12 + 16 * n, headAt = 0;
    for (const auto& [tag, data] : tables) {
        const std::vector<uint8_t>& d = data ? *data : name;
        font.tag(tag), font.u32(checksum(d)), font.u32(uint32_t(offset)),
            font.u32(uint32_t(d.size()));
        if (std::string(tag) == "head") headAt = offset;
        offset += (d.size() + 3) / 4 * 4;
    }
    for (const auto& [tag, data] : tables) {
        const std::vector<uint8_t>& d = data ? *data : name;
        font.data.insert(font.data.end(), d.begin(), d.end());
        font.pad4();
    }
    font.put32(headAt + 8, 0xB1B0AFBAu - checksum(font.data));

    std::error_code ec;
    std::filesystem::create_directories(dir + "/fonts", ec);
    writeFile(dir + "/fonts/NebularkPixel.ttf", font.data);
}

} // namespace resgen

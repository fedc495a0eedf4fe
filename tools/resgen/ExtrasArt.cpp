// The art of the engine's extras demo: a tile sheet, a large orthogonal TMX
// map (layers in base64 zlib), a small isometric one, a TGA map drawn from
// the same sheet, and the picture of a motion streak.
#include "tools/resgen/Random.h"
#include "tools/resgen/Resources.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace resgen {

namespace {

constexpr int kTile = 32;
constexpr int kSheetColumns = 4;

enum Tile { kEmpty, kSpace, kNebula, kRock, kFloor, kWall, kCrystal, kLava, kLamp };

void drawTile(cairo_t* cr, int tile, double x, double y, Random& random) {
    const double s = kTile;
    cairo_save(cr);
    cairo_rectangle(cr, x, y, s, s);
    cairo_clip(cr);
    switch (tile) {
    case kSpace:
    case kNebula: {
        setColor(cr, rgb(tile == kSpace ? 0x070B22 : 0x2A0F3E));
        cairo_paint(cr);
        for (int i = 0; i < 5; ++i) {
            setColor(cr, rgb(0xFFFFFF, random.uniform(0.3, 0.9)));
            cairo_arc(cr, x + random.uniform(2, s - 2), y + random.uniform(2, s - 2),
                      random.uniform(0.5, 1.3), 0, 2 * M_PI);
            cairo_fill(cr);
        }
        break;
    }
    case kRock:
        setColor(cr, rgb(0x070B22));
        cairo_paint(cr);
        lumpyCircle(cr, x + s / 2, y + s / 2, s * 0.46, 9, 0.18, random.next(), true);
        setColor(cr, rgb(0x8A7F74));
        cairo_fill(cr);
        setColor(cr, rgb(0x5C534B));
        cairo_arc(cr, x + s * 0.38, y + s * 0.42, s * 0.1, 0, 2 * M_PI);
        cairo_arc(cr, x + s * 0.66, y + s * 0.64, s * 0.07, 0, 2 * M_PI);
        cairo_fill(cr);
        break;
    case kFloor:
        setColor(cr, rgb(0x5A6470));
        cairo_paint(cr);
        setColor(cr, rgb(0x3A424C));
        cairo_set_line_width(cr, 2);
        cairo_rectangle(cr, x + 1, y + 1, s - 2, s - 2);
        cairo_stroke(cr);
        setColor(cr, rgb(0x9AA6B2));
        for (double cx : {x + 5, x + s - 5})
            for (double cy : {y + 5, y + s - 5}) {
                cairo_arc(cr, cx, cy, 1.5, 0, 2 * M_PI);
                cairo_fill(cr);
            }
        break;
    case kWall:
        setColor(cr, rgb(0x2C323A));
        cairo_paint(cr);
        setColor(cr, rgb(0xE0B020));
        for (int i = -1; i < 4; ++i) {
            cairo_move_to(cr, x + i * 12, y + s);
            cairo_line_to(cr, x + i * 12 + 6, y + s);
            cairo_line_to(cr, x + i * 12 + 6 + s, y);
            cairo_line_to(cr, x + i * 12 + s, y);
            cairo_close_path(cr);
        }
        cairo_fill(cr);
        break;
    case kCrystal:
        setColor(cr, rgb(0x070B22));
        cairo_paint(cr);
        setColor(cr, rgb(0x40E0F0));
        cairo_move_to(cr, x + s / 2, y + 3);
        cairo_line_to(cr, x + s - 8, y + s / 2);
        cairo_line_to(cr, x + s / 2, y + s - 3);
        cairo_line_to(cr, x + 8, y + s / 2);
        cairo_close_path(cr);
        cairo_fill(cr);
        break;
    case kLava:
        setColor(cr, rgb(0x601008));
        cairo_paint(cr);
        for (int i = 0; i < 4; ++i) {
            setColor(cr, rgb(0xFF7A10, 0.8));
            cairo_arc(cr, x + random.uniform(6, s - 6), y + random.uniform(6, s - 6),
                      random.uniform(3, 7), 0, 2 * M_PI);
            cairo_fill(cr);
        }
        break;
    case kLamp:
        setColor(cr, rgb(0x5A6470));
        cairo_paint(cr);
        setColor(cr, rgb(0xFFE680));
        cairo_arc(cr, x + s / 2, y + s / 2, s * 0.3, 0, 2 * M_PI);
        cairo_fill(cr);
        break;
    default:
        break;
    }
    cairo_restore(cr);
}

std::string base64(const std::vector<uint8_t>& bytes) {
    static const char* abc = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t v = uint32_t(bytes[i]) << 16;
        if (i + 1 < bytes.size()) v |= uint32_t(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) v |= bytes[i + 2];
        out += abc[v >> 18 & 63];
        out += abc[v >> 12 & 63];
        out += i + 1 < bytes.size() ? abc[v >> 6 & 63] : '=';
        out += i + 2 < bytes.size() ? abc[v & 63] : '=';
    }
    return out;
}

// Layer data as Tiled writes it: little-endian ids, zlib, base64.
std::string layerData(const std::vector<uint32_t>& tiles) {
    std::vector<uint8_t> raw;
    for (uint32_t t : tiles)
        for (int k = 0; k < 4; ++k)
            raw.push_back(uint8_t(t >> (8 * k)));
    uLongf size = compressBound(uLong(raw.size()));
    std::vector<uint8_t> packed(size);
    if (compress2(packed.data(), &size, raw.data(), uLong(raw.size()), 9) != Z_OK)
        fail("cannot compress a map layer");
    packed.resize(size);
    return base64(packed);
}

std::string layerXml(const char* name, int w, int h, const std::vector<uint32_t>& tiles,
                     const char* extra = "") {
    return std::string("  <layer name=\"") + name + "\" width=\"" + std::to_string(w) +
           "\" height=\"" + std::to_string(h) + "\"" + extra +
           ">\n   <data encoding=\"base64\" compression=\"zlib\">" + layerData(tiles) +
           "</data>\n  </layer>\n";
}

void writeSheet(const std::string& path) {
    Canvas sheet(kTile * kSheetColumns, kTile * 3);
    Random random(24);
    for (int t = kSpace; t <= kLamp; ++t)
        drawTile(sheet.cr(), t, (t % kSheetColumns) * kTile, (t / kSheetColumns) * kTile, random);
    writePng(sheet, path);
}

// 100 x 100: open space with nebula drifts and rock fields, and a station of
// rooms in the middle. Cell (x, y) counts from the top-left.
void writeStation(const std::string& path) {
    constexpr int n = 100;
    std::vector<uint32_t> space(n * n), station(n * n, 0);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            double cloud = fractalNoise(x / 9.0, y / 9.0, 3, 7);
            space[size_t(y * n + x)] = cloud > 0.6 ? kNebula : kSpace;
            double rock = fractalNoise(x / 5.0 + 40, y / 5.0, 3, 11);
            if (rock > 0.68) station[size_t(y * n + x)] = rock > 0.78 ? kCrystal : kRock;
        }
    struct Room {
        int x, y, w, h;
    };
    for (Room r :
         {Room{38, 38, 24, 24}, Room{20, 44, 12, 10}, Room{66, 30, 14, 12}, Room{44, 66, 10, 14}})
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x) {
                bool edge = x == r.x || y == r.y || x == r.x + r.w - 1 || y == r.y + r.h - 1;
                bool lamp = !edge && (x - r.x) % 6 == 3 && (y - r.y) % 6 == 3;
                station[size_t(y * n + x)] = edge ? kWall : lamp ? kLamp : kFloor;
            }
    for (int y = 48; y < 52; ++y) // a hot core
        for (int x = 48; x < 52; ++x)
            station[size_t(y * n + x)] = kLava;
    // Ids count from the tile set's first id, 1: tile t is id t + 1.
    for (uint32_t& t : station)
        if (t) ++t;
    for (uint32_t& t : space)
        ++t;
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<map version=\"1.0\" orientation=\"orthogonal\" width=\"100\" "
                      "height=\"100\" tilewidth=\"32\" tileheight=\"32\">\n"
                      " <properties>\n  <property name=\"name\" value=\"Outpost\"/>\n"
                      " </properties>\n"
                      " <tileset firstgid=\"1\" name=\"station\" tilewidth=\"32\" "
                      "tileheight=\"32\">\n  <image source=\"tiles.png\" width=\"128\" "
                      "height=\"96\"/>\n  <tile id=\"5\"><properties><property name=\"solid\" "
                      "value=\"1\"/></properties></tile>\n </tileset>\n" +
                      layerXml("space", n, n, space) + layerXml("station", n, n, station) +
                      " <objectgroup name=\"spawns\">\n"
                      "  <object name=\"player\" type=\"start\" x=\"1600\" y=\"1600\" "
                      "width=\"32\" height=\"32\"/>\n"
                      "  <object name=\"guard\" type=\"enemy\" x=\"1300\" y=\"1500\" "
                      "width=\"32\" height=\"32\"><properties><property name=\"patrol\" "
                      "value=\"left-right\"/></properties></object>\n"
                      " </objectgroup>\n</map>\n";
    writeFile(path, xml);
}

// Isometric diamonds 64 x 32: floor, teal deck, rock, and an empty slot.
void writeIsometric(const std::string& sheetPath, const std::string& mapPath) {
    Canvas sheet(256, 32);
    const uint32_t colors[] = {0x6A7480, 0x2A8A8A, 0x7A6A5A, 0xC09030};
    for (int i = 0; i < 4; ++i) {
        cairo_t* cr = sheet.cr();
        double x = i * 64;
        cairo_move_to(cr, x + 32, 0.5);
        cairo_line_to(cr, x + 63.5, 16);
        cairo_line_to(cr, x + 32, 31.5);
        cairo_line_to(cr, x + 0.5, 16);
        cairo_close_path(cr);
        setColor(cr, rgb(colors[i]));
        cairo_fill_preserve(cr);
        setColor(cr, rgb(0x000000, 0.35));
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    }
    writePng(sheet, sheetPath);
    constexpr int n = 16;
    std::vector<uint32_t> tiles(n * n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            bool deck = (x / 4 + y / 4) % 2 == 0;
            bool rock = fractalNoise(x / 3.0, y / 3.0, 2, 5) > 0.7;
            tiles[size_t(y * n + x)] = rock ? 3 : deck ? 2 : 1;
        }
    tiles[size_t(8 * n + 8)] = 4;
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<map version=\"1.0\" orientation=\"isometric\" width=\"16\" "
                      "height=\"16\" tilewidth=\"64\" tileheight=\"32\">\n"
                      " <tileset firstgid=\"1\" name=\"deck\" tilewidth=\"64\" "
                      "tileheight=\"32\">\n  <image source=\"isotiles.png\" width=\"256\" "
                      "height=\"32\"/>\n </tileset>\n" +
                      layerXml("deck", n, n, tiles) + "</map>\n";
    writeFile(mapPath, xml);
}

// 64 x 48 cells as a 24-bit TGA, bottom row first: red is the tile.
void writeTgaMap(const std::string& path) {
    constexpr int w = 64, h = 48;
    std::vector<uint8_t> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, w, 0, h, 0, 24, 0};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double rock = fractalNoise(x / 6.0, y / 6.0, 3, 3);
            int tile = rock > 0.72 ? kCrystal : rock > 0.6 ? kRock : rock < 0.3 ? kNebula : kSpace;
            tga.insert(tga.end(), {0, 0, uint8_t(tile)}); // B, G, R
        }
    writeFile(path, tga);
}

// 64 x 16, white: solid along, fading out towards both edges across.
void writeStreak(const std::string& path) {
    Canvas streak(64, 16);
    cairo_pattern_t* across = cairo_pattern_create_linear(0, 0, 0, 16);
    addStop(across, 0, rgb(0xFFFFFF, 0));
    addStop(across, 0.5, rgb(0xFFFFFF, 1));
    addStop(across, 1, rgb(0xFFFFFF, 0));
    cairo_rectangle(streak.cr(), 0, 0, 64, 16);
    fillWith(streak.cr(), across);
    writePng(streak, path);
}

} // namespace

void writeExtrasArt(const std::string& dir) {
    const std::string maps = dir + "/maps";
    std::error_code ec;
    std::filesystem::create_directories(maps, ec);
    writeSheet(maps + "/tiles.png");
    writeStation(maps + "/station.tmx");
    writeIsometric(maps + "/isotiles.png", maps + "/iso.tmx");
    writeTgaMap(maps + "/asteroids.tga");
    writeStreak(dir + "/streak.png");
}

} // namespace resgen

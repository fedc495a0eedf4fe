// resource_sheet: lays every generated picture on a grey page with its name
// (sprite frames cut from the sheet and enlarged, the compressed texture
// decoded level by level, a line of text set in each bitmap font), so the
// art can be reviewed at a glance.
#include "platform/PropertyList.h"
#include "platform/PvrtcDecoder.h"
#include "support/Types.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Item {
    std::string label;
    cairo_surface_t* picture; // owned
    double scale = 1;
};

cairo_surface_t* surfaceFromRgba(const std::vector<uint8_t>& rgba, int w, int h) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    auto* px = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s));
    int stride = cairo_image_surface_get_stride(s) / 4;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = &rgba[(size_t(y) * size_t(w) + size_t(x)) * 4];
            uint32_t a = p[3];
            auto pm = [&](uint8_t c) { return uint32_t(c) * a / 255; };
            px[y * stride + x] = a << 24 | pm(p[0]) << 16 | pm(p[1]) << 8 | pm(p[2]);
        }
    cairo_surface_mark_dirty(s);
    return s;
}

cairo_surface_t* cut(cairo_surface_t* from, int x, int y, int w, int h) {
    cairo_surface_t* s =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(w, 1), std::max(h, 1));
    cairo_t* cr = cairo_create(s);
    cairo_set_source_surface(cr, from, -x, -y);
    cairo_paint(cr);
    cairo_destroy(cr);
    return s;
}

std::vector<uint8_t> readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Every level of a PVRTC 4 bpp .pvr file, decoded.
void addPvrLevels(const fs::path& path, std::vector<Item>& items) {
    std::vector<uint8_t> file = readBytes(path);
    if (file.size() < 52 || (le32(&file[16]) & 0xFF) != 25) return;
    unsigned w = le32(&file[8]), h = le32(&file[4]);
    size_t at = 52, end = 52 + std::min<size_t>(le32(&file[20]), file.size() - 52);
    for (int level = 0; at < end; ++level) {
        size_t size = platform::pvrtcLevelSize(w, h, 4);
        if (at + size > end) break;
        std::vector<uint8_t> rgba(size_t(w) * h * 4);
        if (!platform::decodePvrtc(&file[at], size, w, h, 4, rgba.data())) break;
        items.push_back({path.filename().string() + " level " + std::to_string(level),
                         surfaceFromRgba(rgba, int(w), int(h)), level == 0 ? 2.0 : 1.0});
        at += size;
        w = std::max(1u, w / 2);
        h = std::max(1u, h / 2);
    }
}

// A line of text set with a .fnt file and its page, as the labels set it
// (null when the font cannot be read).
cairo_surface_t* setText(const fs::path& fnt, const std::string& text) {
    struct Def {
        int x = 0, y = 0, w = 0, h = 0, xo = 0, yo = 0, adv = 0;
    };
    std::map<int, Def> defs;
    std::map<std::pair<int, int>, int> kerning;
    int lineHeight = 0;
    std::string page;
    std::ifstream in(fnt);
    for (std::string line; std::getline(in, line);) {
        auto value = [&](const std::string& key) {
            size_t p = line.find(" " + key + "=");
            return p == std::string::npos ? 0 : std::atoi(line.c_str() + p + key.size() + 2);
        };
        if (line.rfind("common ", 0) == 0) lineHeight = value("lineHeight");
        if (line.rfind("page ", 0) == 0) {
            size_t q = line.find('"');
            page = line.substr(q + 1, line.find('"', q + 1) - q - 1);
        }
        if (line.rfind("char ", 0) == 0)
            defs[value("id")] = {value("x"),       value("y"),       value("width"),
                                 value("height"),  value("xoffset"), value("yoffset"),
                                 value("xadvance")};
        if (line.rfind("kerning ", 0) == 0)
            kerning[{value("first"), value("second")}] = value("amount");
    }
    cairo_surface_t* pageSurface =
        cairo_image_surface_create_from_png((fnt.parent_path() / page).string().c_str());
    if (cairo_surface_status(pageSurface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(pageSurface);
        return nullptr;
    }
    int width = 0, prev = -1;
    for (char c : text) {
        width += defs[c].adv + (prev >= 0 ? kerning[{prev, c}] : 0);
        prev = c;
    }
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width + 8, lineHeight + 8);
    cairo_t* cr = cairo_create(s);
    int pen = 4;
    prev = -1;
    for (char c : text) {
        const Def& d = defs[c];
        if (prev >= 0) pen += kerning[{prev, c}];
        cairo_save(cr);
        cairo_rectangle(cr, pen + d.xo, 4 + d.yo, d.w, d.h);
        cairo_clip(cr);
        cairo_set_source_surface(cr, pageSurface, pen + d.xo - d.x, 4 + d.yo - d.y);
        cairo_paint(cr);
        cairo_restore(cr);
        pen += d.adv;
        prev = c;
    }
    cairo_destroy(cr);
    cairo_surface_destroy(pageSurface);
    return s;
}

void addFontSample(const fs::path& fnt, const std::string& text, std::vector<Item>& items) {
    if (cairo_surface_t* s = setText(fnt, text))
        items.push_back({fnt.filename().string() + ": \"" + text + "\"", s, 2});
}

// Multiplies every pixel by `tint` (what the engine's sprite colour does).
cairo_surface_t* tinted(cairo_surface_t* from, ccColor3B tint) {
    int w = cairo_image_surface_get_width(from), h = cairo_image_surface_get_height(from);
    cairo_surface_t* s = cut(from, 0, 0, w, h);
    auto* px = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s));
    int stride = cairo_image_surface_get_stride(s) / 4;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t& p = px[y * stride + x];
            uint32_t r = ((p >> 16) & 255) * tint.r / 255, g = ((p >> 8) & 255) * tint.g / 255,
                     b = (p & 255) * tint.b / 255;
            p = (p & 0xFF000000u) | r << 16 | g << 8 | b;
        }
    cairo_surface_mark_dirty(s);
    return s;
}

// A Quick Play moment put together from the resources at the game's own
// positions, scales and tints, to judge the pieces together.
cairo_surface_t* mockUp(const fs::path& dir,
                        const std::map<std::string, cairo_surface_t*>& frames) {
    cairo_surface_t* page = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 320, 480);
    cairo_t* cr = cairo_create(page);
    auto picture = [&](const std::string& name, double x, double y, double scale = 1,
                       double rotation = 0) {
        cairo_surface_t* s = cairo_image_surface_create_from_png((dir / name).string().c_str());
        if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
            cairo_save(cr);
            cairo_translate(cr, x, 480 - y);
            cairo_rotate(cr, rotation * M_PI / 180);
            cairo_scale(cr, scale, scale);
            cairo_set_source_surface(cr, s, -cairo_image_surface_get_width(s) / 2.0,
                                     -cairo_image_surface_get_height(s) / 2.0);
            cairo_paint(cr);
            cairo_restore(cr);
        }
        cairo_surface_destroy(s);
    };
    auto sprite = [&](const std::string& name, double x, double y, double scale = 1,
                      double rotation = 0, ccColor3B tint = {255, 255, 255}) {
        auto it = frames.find(name);
        if (it == frames.end()) return;
        cairo_surface_t* s = tinted(it->second, tint);
        cairo_save(cr);
        cairo_translate(cr, x, 480 - y);
        cairo_rotate(cr, rotation * M_PI / 180);
        cairo_scale(cr, scale, scale);
        cairo_set_source_surface(cr, s, -cairo_image_surface_get_width(s) / 2.0,
                                 -cairo_image_surface_get_height(s) / 2.0);
        cairo_paint(cr);
        cairo_restore(cr);
        cairo_surface_destroy(s);
    };
    picture("stars.png", 160, 240);
    sprite("asteroid.png", 70, 330, 0.3, 20);
    sprite("asteroid.png", 250, 230, 0.3, 140);
    sprite("ship.png", 90, 400, 1, 180, ccColor3BFromHSV(0.05f, 0.8f, 0.7f));
    sprite("ship.png", 210, 380, 1, 180, ccColor3BFromHSV(0.55f, 0.8f, 0.7f));
    sprite("ship-bad.png", 150, 300, 0.8, 0, ccColor3BFromHSV(0.33f, 0.7f, 0.6f));
    sprite("ship-bad.png", 270, 330, 0.6, 0, ccColor3BFromHSV(0.8f, 0.7f, 0.6f));
    sprite("ship-crazy.png", 60, 230, 0.9);
    for (double y : {280.0, 250.0})
        sprite("bullet2.png", 60 - 29, y, 1.29, 0, {255, 0, 0});
    sprite("bullet2.png", 150, 260, 1, 0, {255, 0, 0});
    sprite("bullet2.png", 210 - 12, 330, 1, 0, {255, 0, 0});
    for (double y : {170.0, 215.0, 265.0})
        sprite("bullet.png", 160, y);
    sprite("coin.png", 230, 160);
    sprite("plus.png", 40, 140, 0.6);
    sprite("bomb2.png", 110, 190, 0.5);
    sprite("Spaceship.png", 160, 120);
    picture("joypad.png", 260, 100);
    picture("joypadCap.png", 275, 110);
    picture("back1.png", 40, 460);
    for (auto [text, x, y] : {std::tuple{"Difficulty: Medium", 260, 430},
                              {"Lives: 3", 270, 450},
                              {"Score: 120", 270, 470}})
        if (cairo_surface_t* label = setText(dir / "redFont3.fnt", text)) {
            // Set with a 4-pixel margin; centred on (x, y).
            cairo_set_source_surface(cr, label, x - cairo_image_surface_get_width(label) / 2.0,
                                     480 - y - cairo_image_surface_get_height(label) / 2.0);
            cairo_paint(cr);
            cairo_surface_destroy(label);
        }
    cairo_destroy(cr);
    return page;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: resource_sheet RESOURCE_DIRECTORY OUTPUT.png [FRAME_ZOOM]\n");
        return 2;
    }
    const double zoom = argc == 4 ? std::clamp(std::atof(argv[3]), 1.0, 8.0) : 2.0;
    fs::path dir = argv[1];
    std::vector<fs::path> pngs;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.path().extension() == ".png") pngs.push_back(entry.path());
    std::sort(pngs.begin(), pngs.end());
    if (pngs.empty()) {
        std::fprintf(stderr, "resource_sheet: no pictures in %s\n", argv[1]);
        return 1;
    }

    std::vector<Item> items;
    for (const fs::path& p : pngs) {
        cairo_surface_t* s = cairo_image_surface_create_from_png(p.string().c_str());
        if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
            // Small pictures are enlarged like the sprite frames.
            bool small =
                cairo_image_surface_get_width(s) <= 128 && cairo_image_surface_get_height(s) <= 128;
            items.push_back({p.filename().string(), s, small ? zoom : 1});
        } else
            cairo_surface_destroy(s);
    }
    // The sprite frames, cut out by their rectangles and enlarged.
    std::map<std::string, cairo_surface_t*> frameSurfaces;
    if (auto frames = platform::readDictionary((dir / "coordinates.plist").string())) {
        cairo_surface_t* sheet =
            cairo_image_surface_create_from_png((dir / "texture.png").string().c_str());
        if (auto it = frames->find("frames"); it != frames->end() && it->second.dictionary())
            for (const auto& [name, entry] : *it->second.dictionary()) {
                const auto* d = entry.dictionary();
                if (!d) continue;
                auto num = [&](const char* key) {
                    auto f = d->find(key);
                    return f == d->end() ? 0 : int(f->second.numberValue());
                };
                cairo_surface_t* frame = cut(sheet, num("x"), num("y"), num("w"), num("h"));
                frameSurfaces[name] = cairo_surface_reference(frame);
                items.push_back({name + " (frame)", frame, zoom});
            }
        cairo_surface_destroy(sheet);
    }
    items.push_back({"Quick Play mock-up", mockUp(dir, frameSurfaces), 1});
    for (auto& [name, surface] : frameSurfaces)
        cairo_surface_destroy(surface);
    addPvrLevels(dir / "output.pvr", items);
    addFontSample(dir / "redFont3.fnt", "Score: 1250  Lives: 3", items);
    addFontSample(dir / "redFont3.fnt", "Difficulty: Medium", items);
    addFontSample(dir / "greenFont.fnt", "0123456789", items);

    // Flow the items into rows.
    const int pageWidth = 1400, margin = 16, labelHeight = 18;
    struct Placed {
        double x, y;
    };
    std::vector<Placed> at;
    double x = margin, y = margin, rowHeight = 0;
    for (const Item& item : items) {
        double w = std::max(cairo_image_surface_get_width(item.picture) * item.scale, 120.0);
        double h = cairo_image_surface_get_height(item.picture) * item.scale + labelHeight;
        if (x + w + margin > pageWidth && x > margin) {
            x = margin;
            y += rowHeight + margin;
            rowHeight = 0;
        }
        at.push_back({x, y});
        x += w + margin;
        rowHeight = std::max(rowHeight, h);
    }
    int pageHeight = int(y + rowHeight + margin);

    cairo_surface_t* page = cairo_image_surface_create(CAIRO_FORMAT_RGB24, pageWidth, pageHeight);
    cairo_t* cr = cairo_create(page);
    cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
    cairo_paint(cr);
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* font = pango_font_description_from_string("Sans 9");
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    for (size_t i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        cairo_save(cr);
        cairo_translate(cr, at[i].x, at[i].y + labelHeight);
        cairo_scale(cr, item.scale, item.scale);
        cairo_set_source_surface(cr, item.picture, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
        cairo_paint(cr);
        cairo_restore(cr);
        cairo_set_source_rgb(cr, 0.05, 0.05, 0.05);
        cairo_move_to(cr, at[i].x, at[i].y);
        pango_layout_set_text(layout, item.label.c_str(), -1);
        pango_cairo_show_layout(cr, layout);
        cairo_surface_destroy(item.picture);
    }
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_status_t status = cairo_surface_write_to_png(page, argv[2]);
    cairo_surface_destroy(page);
    if (status != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "resource_sheet: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}

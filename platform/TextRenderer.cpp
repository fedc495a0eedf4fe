// Text with Pango and Cairo on fontconfig.
#include "platform/TextRenderer.h"

#include "platform/Files.h"
#include "platform/FontMap.h"
#include "support/Log.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fontconfig/fontconfig.h>
#include <mutex>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>
#include <set>

namespace platform {

namespace {

// Pango font maps are not safe to share between threads without a lock, and
// background texture loads may draw text.
std::mutex fontMutex;
PangoFontMap* fontMap = nullptr;
std::string fontMapConfig; // the fonts.conf the map was made with ("" = none)

PangoFontMap* currentFontMap() {
    std::string conf = pathForResource("fonts", "conf");
    if (fontMap && conf == fontMapConfig) return fontMap;
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) {
        ccLog("Text: no fontconfig configuration");
        return nullptr;
    }
    if (!conf.empty() &&
        !FcConfigParseAndLoad(config, reinterpret_cast<const FcChar8*>(conf.c_str()), FcTrue))
        ccLog("Text: cannot load %s", conf.c_str());
    PangoFontMap* map = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
    if (!map) {
        FcConfigDestroy(config);
        ccLog("Text: no font map");
        return nullptr;
    }
    pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(map), config);
    FcConfigDestroy(config); // the map keeps its own reference
    if (fontMap) g_object_unref(fontMap);
    fontMap = map;
    fontMapConfig = conf;
    return fontMap;
}

// Fonts shipped as files in the resources' "fonts" folder, in a font map of
// their own: a family found there is set in it before any of the system's,
// so that a system font of the same name cannot take its place.
struct AppFonts {
    std::string dir; // the folder the map was made from, and when it changed
    std::filesystem::file_time_type changed{};
    PangoFontMap* map = nullptr;
    std::set<std::string> families; // lower-cased
};
AppFonts appFonts;

std::string lowerCased(std::string s) {
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

PangoFontMap* appFontMapFor(const std::string& family) {
    std::string dir = resourceDirectory() + "/fonts";
    std::error_code ec;
    auto changed = std::filesystem::last_write_time(dir, ec);
    if (ec) changed = {};
    if (dir != appFonts.dir || changed != appFonts.changed) {
        if (appFonts.map) g_object_unref(appFonts.map);
        appFonts = AppFonts{dir, changed, nullptr, {}};
        FcConfig* config = std::filesystem::is_directory(dir, ec) ? FcConfigCreate() : nullptr;
        // File by file: adding a whole folder would want a font cache to
        // write.
        bool added = false;
        for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
            std::string ext = lowerCased(entry.path().extension().string());
            if (config && (ext == ".ttf" || ext == ".otf" || ext == ".ttc") &&
                FcConfigAppFontAddFile(config,
                                       reinterpret_cast<const FcChar8*>(entry.path().c_str())))
                added = true;
        }
        if (config && added) {
            if (FcFontSet* set = FcConfigGetFonts(config, FcSetApplication))
                for (int i = 0; i < set->nfont; ++i) {
                    FcChar8* name = nullptr;
                    for (int k = 0;
                         FcPatternGetString(set->fonts[i], FC_FAMILY, k, &name) == FcResultMatch;
                         ++k)
                        appFonts.families.insert(lowerCased(reinterpret_cast<char*>(name)));
                }
            if (!appFonts.families.empty()) {
                appFonts.map = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
                if (appFonts.map)
                    pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(appFonts.map), config);
            }
        }
        if (config) FcConfigDestroy(config); // the map keeps its own reference
    }
    return appFonts.map && appFonts.families.count(lowerCased(family)) ? appFonts.map : nullptr;
}

// The shipped fonts first, then the system's.
PangoFontMap* fontMapFor(const std::string& family) {
    if (PangoFontMap* map = appFontMapFor(family)) return map;
    return currentFontMap();
}

bool usableSize(float size) {
    return std::isfinite(size) && size > 0 && size < 4096;
}

} // namespace

void withFontMap(const std::function<void(PangoFontMap*)>& use) {
    std::lock_guard lock(fontMutex);
    use(currentFontMap());
}

TextLayout::TextLayout(PangoFontMap* map, const std::string& text, const std::string& family,
                       float size, bool bold, long maxChars) {
    context_ = pango_font_map_create_context(map);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(context_, options);
    cairo_font_options_destroy(options);

    layout_ = pango_layout_new(context_);
    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family(font, family.c_str());
    pango_font_description_set_absolute_size(font, double(size) * PANGO_SCALE);
    if (bold) pango_font_description_set_weight(font, PANGO_WEIGHT_BOLD);
    pango_layout_set_font_description(layout_, font);
    pango_font_description_free(font);

    gchar* valid = g_utf8_make_valid(text.c_str(), gssize(text.size()));
    int bytes = -1;
    if (maxChars > 0 && g_utf8_strlen(valid, -1) > maxChars)
        bytes = int(g_utf8_offset_to_pointer(valid, maxChars) - valid);
    pango_layout_set_text(layout_, valid, bytes);
    g_free(valid);
}

TextLayout::~TextLayout() {
    g_object_unref(layout_);
    g_object_unref(context_);
}

Size TextLayout::size() const {
    PangoRectangle logical{};
    pango_layout_get_extents(layout_, nullptr, &logical);
    return Size(std::ceil(float(logical.width) / PANGO_SCALE),
                std::ceil(float(logical.height) / PANGO_SCALE));
}

Size measureText(const std::string& text, const std::string& fontName, float fontSize) {
    if (!usableSize(fontSize)) return {};
    std::lock_guard lock(fontMutex);
    PangoFontMap* map = fontMapFor(fontName);
    if (!map) return {};
    return TextLayout(map, text, fontName, fontSize).size();
}

bool drawText(const std::string& text, const std::string& fontName, float fontSize, Size rect,
              TextAlignment alignment, uint8_t* coverage, int bufferWidth, int bufferHeight) {
    if (!coverage || bufferWidth <= 0 || bufferHeight <= 0 || !usableSize(fontSize) ||
        !std::isfinite(rect.width) || !std::isfinite(rect.height))
        return false;
    std::lock_guard lock(fontMutex);
    PangoFontMap* map = fontMapFor(fontName);
    if (!map) return false;

    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_A8, bufferWidth, bufferHeight);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        ccLog("Text: cannot make a %d x %d canvas", bufferWidth, bufferHeight);
        return false;
    }
    // Start from what the buffer holds.
    int stride = cairo_image_surface_get_stride(surface);
    unsigned char* pixels = cairo_image_surface_get_data(surface);
    cairo_surface_flush(surface);
    for (int y = 0; y < bufferHeight; ++y)
        std::memcpy(pixels + size_t(y) * size_t(stride), coverage + size_t(y) * size_t(bufferWidth),
                    size_t(bufferWidth));
    cairo_surface_mark_dirty(surface);

    cairo_t* cr = cairo_create(surface);
    cairo_rectangle(cr, 0, 0, std::max(0.0f, rect.width), std::max(0.0f, rect.height));
    cairo_clip(cr);
    cairo_set_source_rgba(cr, 1, 1, 1, 1);
    {
        TextLayout layout(map, text, fontName, fontSize);
        pango_layout_set_width(layout.get(),
                               int(std::clamp(rect.width, 0.0f, 65536.0f) * PANGO_SCALE));
        pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
        pango_layout_set_alignment(layout.get(),
                                   alignment == TextAlignment::Center  ? PANGO_ALIGN_CENTER
                                   : alignment == TextAlignment::Right ? PANGO_ALIGN_RIGHT
                                                                       : PANGO_ALIGN_LEFT);
        pango_cairo_update_layout(cr, layout.get());
        pango_cairo_show_layout(cr, layout.get());
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    for (int y = 0; y < bufferHeight; ++y)
        std::memcpy(coverage + size_t(y) * size_t(bufferWidth), pixels + size_t(y) * size_t(stride),
                    size_t(bufferWidth));
    cairo_surface_destroy(surface);
    return true;
}

Size measureText(const std::string& text, const std::string& fontName, float fontSize,
                 Size constraint) {
    if (!usableSize(fontSize) || !std::isfinite(constraint.width) ||
        !std::isfinite(constraint.height))
        return {};
    std::lock_guard lock(fontMutex);
    PangoFontMap* map = fontMapFor(fontName);
    if (!map) return {};
    TextLayout layout(map, text, fontName, fontSize);
    // Wrapped as drawText wraps it.
    pango_layout_set_width(layout.get(),
                           int(std::clamp(constraint.width, 0.0f, 65536.0f) * PANGO_SCALE));
    pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
    Size size = layout.size();
    return Size(std::clamp(size.width, 0.0f, std::max(0.0f, constraint.width)),
                std::clamp(size.height, 0.0f, std::max(0.0f, constraint.height)));
}

} // namespace platform

#include "tools/resgen/Text.h"

#include "tools/resgen/Canvas.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

namespace resgen {

namespace {

struct FaceFile {
    const char* family;
    const char* style;
};

constexpr FaceFile kSansBold{"DejaVu Sans", "Bold"};

// The file of an installed face, found through the system configuration.
std::string fileOf(const FaceFile& face) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.family));
    FcPatternAddString(pattern, FC_STYLE, reinterpret_cast<const FcChar8*>(face.style));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    std::string file;
    FcChar8* family = nullptr;
    FcChar8* path = nullptr;
    if (match && FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch &&
        std::string(reinterpret_cast<char*>(family)) == face.family &&
        FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
        file = reinterpret_cast<char*>(path);
    if (match) FcPatternDestroy(match);
    if (file.empty())
        fail(std::string("font \"") + face.family + " " + face.style +
             "\" is not installed (scripts/install-deps installs it)");
    return file;
}

PangoContext* makeContext(PangoFontMap* map, bool hinted) {
    PangoContext* context = pango_font_map_create_context(map);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options,
                                      hinted ? CAIRO_HINT_STYLE_FULL : CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options,
                                        hinted ? CAIRO_HINT_METRICS_ON : CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    pango_context_set_round_glyph_positions(context, hinted);
    return context;
}

} // namespace

Fonts::Fonts() {
    FcConfig* config = FcConfigCreate();
    std::string file = fileOf(kSansBold);
    if (!FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(file.c_str())))
        fail("cannot load " + file);
    map_ = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
    pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(map_), config);
    FcConfigDestroy(config); // the font map holds its own reference
    plain_ = makeContext(map_, false);
    hinted_ = makeContext(map_, true);
}

Fonts::~Fonts() {
    g_object_unref(plain_);
    g_object_unref(hinted_);
    g_object_unref(map_);
}

PangoLayout* Fonts::layout(cairo_t* cr, double pixelSize, const std::string& text, bool hinted) {
    PangoContext* context = hinted ? hinted_ : plain_;
    if (cr) pango_cairo_update_context(cr, context);
    PangoLayout* layout = pango_layout_new(context);
    PangoFontDescription* desc = pango_font_description_new();
    pango_font_description_set_family(desc, kSansBold.family);
    pango_font_description_set_weight(desc, PANGO_WEIGHT_BOLD);
    pango_font_description_set_absolute_size(desc, pixelSize * PANGO_SCALE);
    pango_layout_set_font_description(layout, desc);
    pango_font_description_free(desc);
    pango_layout_set_text(layout, text.c_str(), int(text.size()));
    return layout;
}

TextExtents extentsOf(PangoLayout* layout) {
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    return {double(logical.width) / PANGO_SCALE, double(logical.height) / PANGO_SCALE,
            double(pango_layout_get_baseline(layout)) / PANGO_SCALE};
}

} // namespace resgen

#pragma once

#include <cairo.h>
#include <pango/pango.h>

#include <string>

namespace resgen {

// Text in DejaVu Sans Bold, loaded from its file through a private
// fontconfig set, so the pictures do not depend on the machine's font
// configuration, only on the installed font file.
class Fonts {
public:
    Fonts();
    ~Fonts();
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;

    // A layout of `text` at `pixelSize` for drawing on `cr` (caller
    // unrefs). `hinted`: outlines and advances snapped to pixels, for small
    // crisp text.
    PangoLayout* layout(cairo_t* cr, double pixelSize, const std::string& text,
                        bool hinted = false);

private:
    PangoFontMap* map_ = nullptr;
    PangoContext* plain_ = nullptr;
    PangoContext* hinted_ = nullptr;
};

// Logical extents of a layout in pixels (floating).
struct TextExtents {
    double width = 0, height = 0, baseline = 0;
};
TextExtents extentsOf(PangoLayout* layout);

} // namespace resgen

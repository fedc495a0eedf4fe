#pragma once

// The font map and layouts of the text renderer, for the platform's own text
// drawing (the view kit). Internal to platform/: it names Pango types.

#include "support/Geometry.h"

#include <functional>
#include <string>

typedef struct _PangoFontMap PangoFontMap;
typedef struct _PangoContext PangoContext;
typedef struct _PangoLayout PangoLayout;

namespace platform {

// Runs `use` with the program's font map (null when there is none), under
// the lock that guards it: Pango maps are not safe to share between threads.
void withFontMap(const std::function<void(PangoFontMap*)>& use);

// A layout of `text` in a face of `map` (use it under the map's lock).
// Glyphs are unhinted and grey-antialiased, so that measuring and drawing
// agree at every size; stray bytes become replacement marks; text longer
// than `maxChars` characters (when positive) is cut there.
class TextLayout {
public:
    TextLayout(PangoFontMap* map, const std::string& text, const std::string& family, float size,
               bool bold = false, long maxChars = 0);
    ~TextLayout();
    TextLayout(const TextLayout&) = delete;
    TextLayout& operator=(const TextLayout&) = delete;

    PangoLayout* get() const { return layout_; }
    PangoContext* context() const { return context_; }
    // The logical extent, rounded up to whole points.
    Size size() const;

private:
    PangoContext* context_ = nullptr;
    PangoLayout* layout_ = nullptr;
};

} // namespace platform

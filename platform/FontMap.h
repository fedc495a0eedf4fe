#pragma once

// The font map the text renderer uses, for the platform's own text drawing
// (the view kit). Internal to platform/: it names a Pango type.

#include <functional>

typedef struct _PangoFontMap PangoFontMap;

namespace platform {

// Runs `use` with the program's font map (null when there is none), under
// the lock that guards it: Pango maps are not safe to share between threads.
void withFontMap(const std::function<void(PangoFontMap*)>& use);

} // namespace platform

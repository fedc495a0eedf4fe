#pragma once

#include "support/Geometry.h"

#include <cstdint>
#include <string>

namespace platform {

enum class TextAlignment { Left = 0, Center = 1, Right = 2 };

// Fonts are found by family name through fontconfig; names the system lacks
// fall back to a default face. "fonts.conf" in the resource directory, when
// there is one, is loaded on top of the system configuration (it maps the
// application's font names to installed fonts). Fonts shipped as files in
// the resource directory's "fonts" folder come before all of these: a
// family one of them provides is set in it, whatever the system has. Sizes
// are in pixels.

// The size of `text` set in one block, broken only at its own newlines.
Size measureText(const std::string& text, const std::string& fontName, float fontSize);
// The size of `text` wrapped at word boundaries to lines no wider than
// `constraint.width`, no taller in all than `constraint.height`.
Size measureText(const std::string& text, const std::string& fontName, float fontSize,
                 Size constraint);

// Draws `text` as 8-bit coverage into the top-left `width` x `height`
// rectangle of `coverage` (`bufferWidth` x `bufferHeight` bytes, rows from
// top to bottom), wrapping words at the rectangle's width and aligning each
// line; what falls outside the rectangle is clipped. Adds to what the buffer
// holds. False when the arguments are unusable.
bool drawText(const std::string& text, const std::string& fontName, float fontSize, Size rect,
              TextAlignment alignment, uint8_t* coverage, int bufferWidth, int bufferHeight);

} // namespace platform

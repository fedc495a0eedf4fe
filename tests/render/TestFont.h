#pragma once

#include "tests/common/TestSupport.h"

#include <string>

namespace rendertest {

// A 32 x 16 page of four opaque 8 x 16 cells: red, green, blue, white.
std::string writeTestPage(const test::TempDir& dir);
// A description whose page is `pagePath` (absolute, so found wherever the
// resources are), with the given line height and glyph, kerning lines.
std::string fntText(const std::string& pagePath, const std::string& body, int lineHeight = 16);
// "A" red, "B" green, "C" blue, "W" white: 8 x 16 at offset 0, advance 10;
// " " advances 6; the pair "BC" is kerned by +2. Returns the .fnt path.
std::string writeTestFont(const test::TempDir& dir, const std::string& name = "test.fnt");

} // namespace rendertest

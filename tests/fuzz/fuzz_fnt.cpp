// deps: render
// Reads any bytes as a bitmap-font description and its page line, then lays
// texts out with whatever was read: the layout must stay finite and never
// overflow, whatever the numbers in the file.
#include "render/BitmapFontAtlas.h"
#include "support/Error.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// A label on a configuration made here, without files or a GL context.
class FuzzLabel : public BitmapFontAtlas {
public:
    bool setUp(BitmapFontConfiguration* config) {
        if (!initWithTexture(nullptr, 4)) return false;
        configuration_ = config;
        return true;
    }
};

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fuzz_fnt: %s\n", what);
    std::abort();
}

// Every code from 1 to 255, as UTF-8.
std::string everyCode() {
    std::string s;
    for (unsigned c = 1; c < 256; ++c) {
        if (c < 0x80) {
            s += char(c);
        } else {
            s += char(0xC0 | (c >> 6));
            s += char(0x80 | (c & 0x3F));
        }
    }
    return s;
}

void checkLayout(const BitmapFontAtlas& label) {
    Size s = label.contentSize();
    if (!std::isfinite(s.width) || !std::isfinite(s.height)) fail("content size not finite");
    for (auto& child : label.children()) {
        Point p = child->position();
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) fail("glyph position not finite");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        (void)FNTPageFileFromText(text);
    } catch (const Error&) {
        // An unsupported page id: a defined refusal.
    }
    auto config = make<BitmapFontConfiguration>();
    try {
        config->parseConfigText(text);
    } catch (const Error&) {
        // Unsupported pages or a second kerning count; what was read so far
        // is still a usable configuration.
    }

    auto label = make<FuzzLabel>();
    if (!label->setUp(config.get())) fail("no atlas");
    static const std::string all = everyCode();
    label->setString(all);
    checkLayout(*label);
    // The input itself as a text, and a shorter one that hides glyphs.
    label->setString(std::string(text.substr(0, 300)));
    checkLayout(*label);
    label->setString(std::string(text.substr(0, 3)));
    label->setAnchorPoint(Point(0, 0));
    checkLayout(*label);
    label->cleanup();
    return 0;
}

#pragma once

#include "engine/RGBAProtocol.h"
#include "render/AtlasSpriteManager.h"
#include "render/LabelProtocol.h"
#include "support/Geometry.h"
#include "support/Types.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

// One glyph of a bitmap font: its rectangle on the page (pixels, y from the
// top), where the picture sits relative to the pen (x right, y down from the
// line top) and how far the pen moves after it.
struct ccBitmapFontDef {
    uint32_t charID = 0;
    Rect rect;
    int xOffset = 0;
    int yOffset = 0;
    int xAdvance = 0;
};

struct ccBitmapFontPadding {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// What a .fnt description file says: 256 glyph slots, indexed by the low
// byte of the character code (a later glyph with the same low byte replaces
// an earlier one), the line height and the kerning pairs.
class BitmapFontConfiguration : public Object {
public:
    // Files larger than this are refused: a description is a few kilobytes.
    static constexpr size_t kMaxFileSize = size_t(8) << 20;

    // Null (logged) when the file cannot be read. Unsupported files (more
    // than one page, a page over 1024 pixels, a second kerning count) fail
    // an assertion.
    static Ref<BitmapFontConfiguration> configurationWithFNTFile(const std::string& fntFile);
    BitmapFontConfiguration() = default;

    // Reads the lines of a description; any bytes are accepted.
    void parseConfigText(std::string_view text);

    std::array<ccBitmapFontDef, 256> bitmapFontArray{};
    unsigned commonHeight = 0;
    // The line that would carry them is not read.
    ccBitmapFontPadding padding;
    // Keyed "first,second"; absent without a kerning count line or with a
    // count of -1.
    std::optional<std::unordered_map<std::string, int>> kerningDictionary;
    // The page file as the description names it (FNTPageFileFromText).
    std::string pageFile;
};

// The configuration of a .fnt file, parsed once and kept for the life of the
// process under the name as given. Null when the file cannot be read (then
// nothing is kept, so a later call tries again).
Ref<BitmapFontConfiguration> FNTConfigLoadFile(const std::string& fntFile);

// The page file named by the first "page id=" line of a description, as
// written there; empty when there is none. A page id other than 0 fails an
// assertion.
std::string FNTPageFileFromText(std::string_view text);

// A text laid out from a bitmap font: one atlas sprite per character,
// tagged with the character's index, all drawn in one call. Changing the
// text reuses the glyph sprites; surplus ones stay as hidden children. The
// text is centred on the position (anchor 0.5, 0.5). There is no line
// breaking.
class BitmapFontAtlas : public AtlasSpriteManager, public RGBAProtocol, public LabelProtocol {
public:
    // Null when the atlas cannot be allocated. A .fnt that cannot be read or
    // names no page gives a label that draws nothing.
    static Ref<BitmapFontAtlas> bitmapFontAtlasWithString(const std::string& text,
                                                          const std::string& fntFile);
    BitmapFontAtlas();

    // Full path of the page file named by the .fnt, resolved against the
    // resources (not the .fnt's directory); empty when there is none.
    static std::string atlasNameFromFntFile(const std::string& fntFile);

    void setString(const std::string& text) override;
    const std::string& string() const override { return string_; }

    void setAnchorPoint(Point p) override;

    ccColor3B color() const override { return color_; }
    void setColor(ccColor3B color) override;
    void setRGB(uint8_t r, uint8_t g, uint8_t b) { setColor(ccc3(r, g, b)); }
    uint8_t opacity() const override { return opacity_; }
    void setOpacity(uint8_t opacity) override;
    bool doesOpacityModifyRGB() const { return opacityModifyRGB_; }
    void setOpacityModifyRGB(bool on);

    // The amount kept for the pair, else 0.
    int kerningAmountForFirst(uint16_t first, uint16_t second) const;

    BitmapFontConfiguration* configuration() const { return configuration_.get(); }

protected:
    bool initWithString(const std::string& text, const std::string& fntFile);
    void createFontChars();
    AtlasSprite* glyphAt(int index) const;

    std::string string_;
    Ref<BitmapFontConfiguration> configuration_;
    uint8_t opacity_ = 255;
    ccColor3B color_ = ccWHITE;
    bool opacityModifyRGB_ = false;
};

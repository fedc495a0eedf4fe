#include "render/BitmapFontAtlas.h"

#include "engine/FileUtils.h"
#include "platform/Files.h"
#include "render/TextureMgr.h"
#include "support/Error.h"
#include "support/Log.h"

#include <climits>
#include <cstdio>
#include <vector>

namespace {

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

// The integer a piece begins with, after blanks: "32   x" gives 32, a
// piece without digits 0; values beyond 32 bits stop at the nearest limit.
int leadingInt(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\n'))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    int64_t v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > int64_t(INT_MAX) + 1) v = int64_t(INT_MAX) + 1; // stays put from here on
    }
    if (negative) v = -v;
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return int(v);
}

// The pieces of a line split at '='.
std::vector<std::string_view> split(std::string_view line, char separator) {
    std::vector<std::string_view> pieces;
    size_t start = 0;
    for (;;) {
        size_t end = line.find(separator, start);
        if (end == std::string_view::npos) {
            pieces.push_back(line.substr(start));
            return pieces;
        }
        pieces.push_back(line.substr(start, end - start));
        start = end + 1;
    }
}

// A missing piece reads as one without digits.
int pieceInt(const std::vector<std::string_view>& pieces, size_t i) {
    return i < pieces.size() ? leadingInt(pieces[i]) : 0;
}

template <class F>
void forEachLine(std::string_view text, F&& f) {
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        f(text.substr(start, end - start));
        start = end + 1;
    }
}

std::string kerningKey(int first, int second) {
    char key[32];
    std::snprintf(key, sizeof key, "%d,%d", first, second);
    return key;
}

std::optional<std::string> readFntFile(const std::string& fntFile) {
    std::string path = FileUtils::fullPathFromRelativePath(fntFile);
    auto bytes = platform::readFile(path, BitmapFontConfiguration::kMaxFileSize);
    if (!bytes) return std::nullopt;
    return std::string(bytes->begin(), bytes->end());
}

// The UTF-16 units of a UTF-8 text, as the glyph layout counts characters;
// a malformed sequence gives one U+FFFD per byte it spoils.
std::u16string utf16Units(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    size_t n = text.size(), i = 0;
    while (i < n) {
        unsigned c = s[i];
        unsigned need = c < 0x80         ? 0
                        : (c >> 5) == 6  ? 1
                        : (c >> 4) == 14 ? 2
                        : (c >> 3) == 30 ? 3
                                         : 9;
        if (need == 0) {
            out.push_back(char16_t(c));
            ++i;
            continue;
        }
        uint32_t cp = need == 1 ? c & 0x1F : need == 2 ? c & 0x0F : c & 0x07;
        bool ok = need <= 3;
        for (unsigned k = 1; ok && k <= need; ++k) {
            if (i + k >= n || (s[i + k] & 0xC0) != 0x80)
                ok = false;
            else
                cp = cp << 6 | (s[i + k] & 0x3F);
        }
        static constexpr uint32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
        if (ok && (cp < kMin[need] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
        if (!ok) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 + (cp >> 10)));
            out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(char16_t(cp));
        }
        i += need + 1;
    }
    return out;
}

} // namespace

// --- BitmapFontConfiguration ---

Ref<BitmapFontConfiguration>
BitmapFontConfiguration::configurationWithFNTFile(const std::string& fntFile) {
    auto text = readFntFile(fntFile);
    if (!text) {
        ccLog("BitmapFontAtlas: cannot read the font file '%s'", fntFile.c_str());
        return nullptr;
    }
    auto configuration = make<BitmapFontConfiguration>();
    configuration->pageFile = FNTPageFileFromText(*text);
    configuration->parseConfigText(*text);
    return configuration;
}

void BitmapFontConfiguration::parseConfigText(std::string_view text) {
    // Field values are ASCII, so any byte sequence can be read line by line.
    forEachLine(text, [this](std::string_view line) {
        if (startsWith(line, "info face")) return;
        if (startsWith(line, "common lineHeight")) {
            auto pieces = split(line, '=');
            // A negative height would wrap to an enormous unsigned one.
            int height = pieceInt(pieces, 1);
            commonHeight = height > 0 ? unsigned(height) : 0;
            ccAssert(pieceInt(pieces, 3) <= 1024 && pieceInt(pieces, 4) <= 1024,
                     "BitmapFontAtlas: page can't be larger than 1024x1024");
            ccAssert(pieceInt(pieces, 5) == 1, "BitfontAtlas: only supports 1 page");
            return;
        }
        if (startsWith(line, "chars c")) return;
        if (startsWith(line, "char")) {
            auto pieces = split(line, '=');
            ccBitmapFontDef def;
            def.charID = uint32_t(pieceInt(pieces, 1));
            def.rect = Rect(float(pieceInt(pieces, 2)), float(pieceInt(pieces, 3)),
                            float(pieceInt(pieces, 4)), float(pieceInt(pieces, 5)));
            def.xOffset = pieceInt(pieces, 6);
            def.yOffset = pieceInt(pieces, 7);
            def.xAdvance = pieceInt(pieces, 8);
            bitmapFontArray[def.charID & 0xFF] = def;
            return;
        }
        if (startsWith(line, "kernings count")) {
            auto pieces = split(line, '=');
            ccAssert(!kerningDictionary, "dictionary already initialized");
            int count = pieceInt(pieces, 1);
            if (count == -1) return;
            // The count only sizes the table: a file claiming millions of
            // pairs must not reserve for them.
            kerningDictionary.emplace();
            if (count > 0) kerningDictionary->reserve(size_t(std::min(count, 1024)));
            return;
        }
        if (startsWith(line, "kerning first")) {
            if (!kerningDictionary) return;
            auto pieces = split(line, '=');
            (*kerningDictionary)[kerningKey(pieceInt(pieces, 1), pieceInt(pieces, 2))] =
                pieceInt(pieces, 3);
        }
    });
}

Ref<BitmapFontConfiguration> FNTConfigLoadFile(const std::string& fntFile) {
    static std::unordered_map<std::string, Ref<BitmapFontConfiguration>> configurations(3);
    if (auto it = configurations.find(fntFile); it != configurations.end()) return it->second;
    auto configuration = BitmapFontConfiguration::configurationWithFNTFile(fntFile);
    if (configuration) configurations[fntFile] = configuration;
    return configuration;
}

std::string FNTPageFileFromText(std::string_view text) {
    std::string file;
    bool found = false;
    forEachLine(text, [&](std::string_view line) {
        if (found || !startsWith(line, "page id=")) return;
        found = true;
        auto pieces = split(line, '=');
        ccAssert(pieceInt(pieces, 1) == 0, "XXX: BitmapFontAtlas only supports 1 page");
        if (pieces.size() < 3) return;
        auto quoted = split(pieces[2], '"');
        if (quoted.size() >= 2) file = std::string(quoted[1]);
    });
    return file;
}

// --- BitmapFontAtlas ---

Ref<BitmapFontAtlas> BitmapFontAtlas::bitmapFontAtlasWithString(const std::string& text,
                                                                const std::string& fntFile) {
    auto label = make<BitmapFontAtlas>();
    if (!label->initWithString(text, fntFile)) return nullptr;
    return label;
}

BitmapFontAtlas::BitmapFontAtlas() = default;

namespace {
std::string pagePath(const BitmapFontConfiguration* configuration) {
    if (!configuration || configuration->pageFile.empty()) return {};
    return FileUtils::fullPathFromRelativePath(configuration->pageFile);
}
} // namespace

std::string BitmapFontAtlas::atlasNameFromFntFile(const std::string& fntFile) {
    return pagePath(FNTConfigLoadFile(fntFile).get());
}

bool BitmapFontAtlas::initWithString(const std::string& text, const std::string& fntFile) {
    // The description is read from disk once per process; later labels of
    // the same font find it parsed, page name included.
    Ref<BitmapFontConfiguration> configuration = FNTConfigLoadFile(fntFile);
    std::string pageFile = pagePath(configuration.get());
    auto capacity = unsigned(std::min<size_t>(utf16Units(text).size(), UINT_MAX));
    Ref<Texture2D> page;
    if (pageFile.empty())
        ccLog("BitmapFontAtlas: '%s' names no page file", fntFile.c_str());
    else
        page = TextureMgr::sharedTextureMgr().addImage(pageFile);
    if (!initWithTexture(page.get(), capacity)) return false;

    opacity_ = 255;
    color_ = ccWHITE;
    setContentSize(Size());
    opacityModifyRGB_ = page && page->hasPremultipliedAlpha();
    setAnchorPoint(Point(0.5f, 0.5f));
    configuration_ = configuration;
    setString(text);
    return true;
}

AtlasSprite* BitmapFontAtlas::glyphAt(int index) const {
    // Glyphs are added in index order at z 0, so the child at the index is
    // usually the one.
    if (size_t(index) < children_.size() && children_[size_t(index)]->tag() == index)
        return static_cast<AtlasSprite*>(children_[size_t(index)].get());
    return static_cast<AtlasSprite*>(getChildByTag(index));
}

void BitmapFontAtlas::createFontChars() {
    if (!configuration_) return;
    const BitmapFontConfiguration& config = *configuration_;
    std::u16string units = utf16Units(string_);
    // Wide enough that no advance or offset from a file can overflow.
    int64_t pen = 0;
    int64_t width = 0;
    unsigned height = 0;
    uint16_t previous = 65535;
    for (size_t i = 0; i < units.size() && i < size_t(INT_MAX); ++i) {
        auto c = uint16_t(units[i] & 0xFF);
        int kerning = kerningAmountForFirst(previous, c);
        const ccBitmapFontDef& def = config.bitmapFontArray[c];

        AtlasSprite* glyph = glyphAt(int(i));
        if (glyph) {
            glyph->setTextureRect(def.rect);
        } else {
            auto sprite = AtlasSprite::spriteWithRect(def.rect, this);
            addChild(sprite.get(), 0, int(i));
            glyph = sprite.get();
        }
        glyph->setVisible(true);

        float x = float(pen + def.xOffset) + def.rect.size.width * 0.5f;
        float y = float(int64_t(config.commonHeight) - def.yOffset) - def.rect.size.height * 0.5f;
        x += float(kerning);
        glyph->setPosition(Point(x, y));

        pen += int64_t(def.xAdvance) + kerning;
        width += int64_t(def.xAdvance) + kerning;
        height = config.commonHeight;
        previous = c;

        // Opacity last: with opacityModifyRGB it overwrites the colour.
        glyph->setOpacityModifyRGB(opacityModifyRGB_);
        glyph->setColor(color_);
        glyph->setOpacity(opacity_);
    }
    setContentSize(Size(float(width), float(height)));
}

void BitmapFontAtlas::setString(const std::string& text) {
    string_ = text;
    for (auto& child : children_)
        child->setVisible(false);
    createFontChars();
}

void BitmapFontAtlas::setAnchorPoint(Point p) {
    if (p == anchorPoint_) return;
    AtlasSpriteManager::setAnchorPoint(p);
    createFontChars();
}

void BitmapFontAtlas::setColor(ccColor3B color) {
    color_ = color;
    for (auto& child : children_)
        static_cast<AtlasSprite*>(child.get())->setColor(color);
}

void BitmapFontAtlas::setOpacity(uint8_t opacity) {
    opacity_ = opacity;
    for (auto& child : children_)
        static_cast<AtlasSprite*>(child.get())->setOpacity(opacity);
}

void BitmapFontAtlas::setOpacityModifyRGB(bool on) {
    opacityModifyRGB_ = on;
    for (auto& child : children_)
        static_cast<AtlasSprite*>(child.get())->setOpacityModifyRGB(on);
}

int BitmapFontAtlas::kerningAmountForFirst(uint16_t first, uint16_t second) const {
    if (!configuration_ || !configuration_->kerningDictionary) return 0;
    const auto& dict = *configuration_->kerningDictionary;
    auto it = dict.find(kerningKey(first, second));
    return it == dict.end() ? 0 : it->second;
}

// Bitmap fonts: reading .fnt descriptions, laying glyph sprites out, and
// what the label draws.
#include "render/BitmapFontAtlas.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/render/TestFont.h"

#include <cstdlib>
#include <filesystem>

using namespace rendertest;

namespace {

const uint8_t kBlack[4] = {0, 0, 0, 255};

Ref<BitmapFontConfiguration> parse(const std::string& text) {
    auto config = make<BitmapFontConfiguration>();
    config->parseConfigText(text);
    return config;
}

class BitmapFontTest : public NodeGLTest {
protected:
    AtlasSprite* glyph(BitmapFontAtlas* label, int index) {
        return static_cast<AtlasSprite*>(label->getChildByTag(index));
    }
    test::TempDir dir;
};

} // namespace

// --- reading descriptions ---

TEST(FntReaderTest, LinesAreClassifiedByPrefixAndReadAsLeadingIntegers) {
    auto config = parse("info face=\"char id=66\" size=32\n"
                        "common lineHeight=37 base=29 scaleW=256 scaleH=128 pages=1 packed=0\r\n"
                        "chars count=2\n"
                        "char id=65   x=3     y=4     width=20     height=25    xoffset=-1    "
                        "yoffset=6     xadvance=19    page=0  chnl=0\r\n"
                        "char id=+66 x=  7 y=8x width=9 height=10 xoffset=11 yoffset=-12 "
                        "xadvance=13\n"
                        "charge id=67 x=1 y=1 width=1 height=1 xoffset=1 yoffset=1 xadvance=1\n"
                        "page id=0 file=\"x.png\"\n");
    EXPECT_EQ(config->commonHeight, 37u);
    const auto& a = config->bitmapFontArray[65];
    EXPECT_EQ(a.charID, 65u);
    EXPECT_EQ(a.rect, Rect(3, 4, 20, 25));
    EXPECT_EQ(a.xOffset, -1);
    EXPECT_EQ(a.yOffset, 6);
    EXPECT_EQ(a.xAdvance, 19);
    const auto& b = config->bitmapFontArray[66];
    EXPECT_EQ(b.rect, Rect(7, 8, 9, 10));
    EXPECT_EQ(b.yOffset, -12);
    EXPECT_EQ(b.xAdvance, 13);
    // Any line beginning "char" that is not "chars c" is a glyph.
    EXPECT_EQ(config->bitmapFontArray[67].xAdvance, 1);
    EXPECT_FALSE(config->kerningDictionary);
    EXPECT_EQ(config->padding.left, 0);
}

TEST(FntReaderTest, CodesWithTheSameLowByteShareOneSlot) {
    auto config = parse("char id=65 x=1 y=0 width=8 height=8 xoffset=0 yoffset=0 xadvance=9\n"
                        "char id=321 x=2 y=0 width=8 height=8 xoffset=0 yoffset=0 xadvance=5\n");
    EXPECT_EQ(config->bitmapFontArray[65].charID, 321u);
    EXPECT_EQ(config->bitmapFontArray[65].xAdvance, 5);
    // A negative code wraps to the top slot.
    auto negative = parse("char id=-1 x=0 y=0 width=1 height=1 xoffset=0 yoffset=0 xadvance=4\n");
    EXPECT_EQ(negative->bitmapFontArray[255].xAdvance, 4);
}

TEST(FntReaderTest, KerningNeedsACountLineFirst) {
    auto config = parse("kerning first=65 second=66 amount=-3\n"
                        "kernings count=2\n"
                        "kerning first=66  second=67  amount=4\n"
                        "kerning first=300 second=-2 amount=-7\n");
    ASSERT_TRUE(config->kerningDictionary);
    const auto& dict = *config->kerningDictionary;
    EXPECT_EQ(dict.size(), 2u);
    EXPECT_EQ(dict.count("65,66"), 0u);
    EXPECT_EQ(dict.at("66,67"), 4);
    EXPECT_EQ(dict.at("300,-2"), -7);

    // A count of -1 makes no dictionary, and the pairs after it are dropped.
    auto none = parse("kernings count=-1\nkerning first=66 second=67 amount=4\n");
    EXPECT_FALSE(none->kerningDictionary);

    EXPECT_CC_ASSERT(parse("kernings count=1\nkernings count=1\n"),
                     "dictionary already initialized");
    // A claimed count does not make room for that many pairs.
    auto huge = parse("kernings count=2147483647\nkerning first=1 second=2 amount=3\n");
    ASSERT_TRUE(huge->kerningDictionary);
    EXPECT_EQ(huge->kerningDictionary->size(), 1u);
}

TEST(FntReaderTest, UnsupportedPagesFailAssertions) {
    EXPECT_CC_ASSERT(parse("common lineHeight=16 base=13 scaleW=2048 scaleH=16 pages=1\n"),
                     "BitmapFontAtlas: page can't be larger than 1024x1024");
    EXPECT_CC_ASSERT(parse("common lineHeight=16 base=13 scaleW=16 scaleH=1025 pages=1\n"),
                     "BitmapFontAtlas: page can't be larger than 1024x1024");
    EXPECT_CC_ASSERT(parse("common lineHeight=16 base=13 scaleW=16 scaleH=16 pages=2\n"),
                     "BitfontAtlas: only supports 1 page");
    // Missing fields read as 0: no pages.
    EXPECT_CC_ASSERT(parse("common lineHeight=16\n"), "BitfontAtlas: only supports 1 page");
    EXPECT_NO_THROW(parse("common lineHeight=16 base=13 scaleW=1024 scaleH=1024 pages=1\n"));

    EXPECT_CC_ASSERT(FNTPageFileFromText("page id=1 file=\"a.png\"\n"),
                     "XXX: BitmapFontAtlas only supports 1 page");
}

TEST(FntReaderTest, ThePageFileIsTheQuotedNameOfTheFirstPageLine) {
    EXPECT_EQ(FNTPageFileFromText("info face=\"x\"\npage id=0 file=\"red font.png\"\r\n"
                                  "page id=0 file=\"other.png\"\n"),
              "red font.png");
    EXPECT_EQ(FNTPageFileFromText("common lineHeight=3\n"), "");
    EXPECT_EQ(FNTPageFileFromText("page id=0\n"), "");
    EXPECT_EQ(FNTPageFileFromText("page id=0 file=unquoted.png\n"), "");
}

TEST(FntReaderTest, MalformedNumbersStayInRange) {
    auto config = parse("common lineHeight=-40 base=1 scaleW=-5 scaleH=-99999999999999 pages=1\n"
                        "char id=99999999999 x=-99999999999 y=2147483648 width=-8 height=\n"
                        "char\n"
                        "char id=\n");
    // A negative height would wrap around; it is none.
    EXPECT_EQ(config->commonHeight, 0u);
    const auto& def = config->bitmapFontArray[0xFF]; // 2147483647 & 0xFF
    EXPECT_EQ(def.charID, 2147483647u);
    EXPECT_EQ(def.rect.origin.x, -2147483648.0f);
    EXPECT_EQ(def.rect.origin.y, 2147483647.0f);
    EXPECT_EQ(def.rect.size.width, -8);
    EXPECT_EQ(def.rect.size.height, 0);
    // "char" alone and "char id=" define code 0 with nothing.
    EXPECT_EQ(config->bitmapFontArray[0].xAdvance, 0);
}

TEST(FntReaderTest, ConfigurationsAreCachedByFileName) {
    test::TempDir dir;
    std::string path = dir.file("cached.fnt");
    test::writeText(path, "common lineHeight=12 base=1 scaleW=1 scaleH=1 pages=1\n");
    auto first = FNTConfigLoadFile(path);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->commonHeight, 12u);
    test::writeText(path, "common lineHeight=99 base=1 scaleW=1 scaleH=1 pages=1\n");
    EXPECT_EQ(FNTConfigLoadFile(path), first);

    test::LogCapture log;
    EXPECT_FALSE(FNTConfigLoadFile(dir.file("missing.fnt")));
    EXPECT_EQ(log.lines().size(), 1u);
    // Not kept: a file that appears later is read.
    test::writeText(dir.file("missing.fnt"),
                    "common lineHeight=5 base=1 scaleW=1 scaleH=1 pages=1\n");
    ASSERT_TRUE(FNTConfigLoadFile(dir.file("missing.fnt")));
}

// --- layout ---

TEST_F(BitmapFontTest, GlyphsArePlacedByOffsetsAdvancesAndKerning) {
    std::string page = writeTestPage(dir);
    std::string fnt = dir.file("offsets.fnt");
    test::writeText(fnt, fntText(page,
                                 "char id=65 x=0 y=0 width=8 height=16 xoffset=1 yoffset=2 "
                                 "xadvance=10\n"
                                 "char id=66 x=8 y=2 width=6 height=12 xoffset=0 yoffset=4 "
                                 "xadvance=7\n"
                                 "kernings count=1\n"
                                 "kerning first=65 second=66 amount=-2\n",
                                 20));
    auto label = BitmapFontAtlas::bitmapFontAtlasWithString("ABA", fnt);
    ASSERT_TRUE(label);
    ASSERT_TRUE(label->texture());
    EXPECT_EQ(label->anchorPoint(), Point(0.5f, 0.5f));
    EXPECT_EQ(label->kerningAmountForFirst(65, 66), -2);
    EXPECT_EQ(label->kerningAmountForFirst(66, 65), 0);

    // A: 10; B: 7 - 2; A: 10.
    EXPECT_EQ(label->contentSize(), Size(25, 20));
    ASSERT_EQ(label->children().size(), 3u);
    EXPECT_EQ(glyph(label.get(), 0)->position(), Point(1 + 4, 20 - 2 - 8));
    EXPECT_EQ(glyph(label.get(), 1)->position(), Point(10 + 0 + 3 - 2, 20 - 4 - 6));
    EXPECT_EQ(glyph(label.get(), 2)->position(), Point(15 + 1 + 4, 20 - 2 - 8));
    EXPECT_EQ(glyph(label.get(), 1)->textureRect(), Rect(8, 2, 6, 12));

    label->setString("");
    EXPECT_EQ(label->contentSize(), Size(0, 0));
}

TEST_F(BitmapFontTest, LaterLabelsOfAFontDoNotReadItsFileAgain) {
    std::string fnt = writeTestFont(dir);
    auto first = BitmapFontAtlas::bitmapFontAtlasWithString("AB", fnt);
    ASSERT_TRUE(first);
    std::filesystem::remove(fnt);
    auto later = BitmapFontAtlas::bitmapFontAtlasWithString("AB", fnt);
    ASSERT_TRUE(later);
    EXPECT_EQ(later->texture(), first->texture());
    EXPECT_EQ(later->contentSize(), first->contentSize());
    EXPECT_GT(later->contentSize().width, 0);
}

TEST_F(BitmapFontTest, ShorterTextHidesGlyphsThatLongerTextReuses) {
    auto label = BitmapFontAtlas::bitmapFontAtlasWithString("ABCW", writeTestFont(dir));
    ASSERT_TRUE(label);
    std::vector<AtlasSprite*> glyphs;
    for (int i = 0; i < 4; ++i)
        glyphs.push_back(glyph(label.get(), i));

    label->setString("BA");
    ASSERT_EQ(label->children().size(), 4u);
    EXPECT_TRUE(glyphs[0]->visible());
    EXPECT_TRUE(glyphs[1]->visible());
    EXPECT_FALSE(glyphs[2]->visible());
    EXPECT_FALSE(glyphs[3]->visible());
    EXPECT_EQ(glyphs[0]->textureRect(), Rect(8, 0, 8, 16));
    EXPECT_EQ(label->contentSize(), Size(20, 16));

    label->setString("WWWWW");
    ASSERT_EQ(label->children().size(), 5u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(glyph(label.get(), i), glyphs[size_t(i)]);
        EXPECT_TRUE(glyphs[size_t(i)]->visible());
        EXPECT_EQ(glyphs[size_t(i)]->textureRect(), Rect(24, 0, 8, 16));
    }
    EXPECT_EQ(label->textureAtlas()->totalQuads(), 5u);
}

TEST_F(BitmapFontTest, CharactersOutsideTheFontDrawNothingAndDoNotAdvance) {
    auto label = BitmapFontAtlas::bitmapFontAtlasWithString("A?\n\xC5\x81", writeTestFont(dir));
    ASSERT_TRUE(label);
    // U+0141 is code 321: its low byte is 'A'.
    EXPECT_EQ(label->contentSize(), Size(20, 16));
    ASSERT_EQ(label->children().size(), 4u);
    EXPECT_EQ(glyph(label.get(), 1)->textureRect(), Rect());
    EXPECT_EQ(glyph(label.get(), 1)->position(), Point(10, 16));
    EXPECT_EQ(glyph(label.get(), 3)->textureRect(), Rect(0, 0, 8, 16));
    EXPECT_EQ(glyph(label.get(), 3)->position(), Point(14, 8));

    // Codes past the basic plane are two units, each a glyph of its own.
    label->setString("\xF0\x9F\x98\x80"
                     "A");
    EXPECT_EQ(label->children().size(), 4u);
    EXPECT_EQ(label->contentSize(), Size(10, 16));
}

TEST_F(BitmapFontTest, KerningAppliesBetweenNeighboursOnly) {
    auto label = BitmapFontAtlas::bitmapFontAtlasWithString("BC", writeTestFont(dir));
    ASSERT_TRUE(label);
    EXPECT_EQ(label->contentSize(), Size(22, 16));
    EXPECT_EQ(glyph(label.get(), 1)->position(), Point(10 + 4 + 2, 8));
    label->setString("CB");
    EXPECT_EQ(label->contentSize(), Size(20, 16));
}

TEST_F(BitmapFontTest, NewGlyphsTakeTheLabelsColourThenOpacity) {
    auto label = BitmapFontAtlas::bitmapFontAtlasWithString("A", writeTestFont(dir));
    ASSERT_TRUE(label);
    // The PNG page is premultiplied: opacity also sets the colour.
    EXPECT_TRUE(label->doesOpacityModifyRGB());
    label->setColor(ccc3(255, 0, 0));
    EXPECT_EQ(glyph(label.get(), 0)->color(), ccc3(255, 0, 0));
    label->setOpacity(100);
    label->setString("AB");
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(glyph(label.get(), i)->color(), ccc3(100, 100, 100));
        EXPECT_EQ(glyph(label.get(), i)->opacity(), 100);
    }

    label->setOpacityModifyRGB(false);
    label->setColor(ccc3(0, 0, 255));
    label->setString("ABC");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(glyph(label.get(), i)->color(), ccc3(0, 0, 255));
    EXPECT_EQ(label->color(), ccc3(0, 0, 255));
    EXPECT_EQ(label->opacity(), 100);
}

TEST_F(BitmapFontTest, FontsWithoutAPageOrFileGiveLabelsThatDrawNothing) {
    test::LogCapture log;
    std::string fnt = dir.file("nopage.fnt");
    test::writeText(fnt, "common lineHeight=16 base=1 scaleW=8 scaleH=8 pages=1\n"
                         "char id=65 x=0 y=0 width=8 height=8 xoffset=0 yoffset=0 xadvance=8\n");
    auto label = BitmapFontAtlas::bitmapFontAtlasWithString("AA", fnt);
    ASSERT_TRUE(label);
    EXPECT_FALSE(label->texture());
    EXPECT_EQ(label->contentSize(), Size(16, 16));

    auto missing = BitmapFontAtlas::bitmapFontAtlasWithString("AA", dir.file("none.fnt"));
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->contentSize(), Size(0, 0));
    EXPECT_TRUE(missing->children().empty());

    // Garbage is read as lines it does not recognise.
    std::string junk = dir.file("junk.fnt");
    using namespace std::string_literals;
    std::string bytes = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe\0char id=65 x=1"s;
    test::writeText(junk, bytes);
    auto garbage = BitmapFontAtlas::bitmapFontAtlasWithString("AB", junk);
    ASSERT_TRUE(garbage);
    EXPECT_EQ(garbage->contentSize(), Size(0, 0));

    // Drawing them is harmless.
    auto surface = surface2D(16, 16, kBlack);
    label->visit();
    missing->visit();
    garbage->visit();
    endDrawing();
}

TEST_F(BitmapFontTest, AnchorChangesLayOutAgainAndMoveTheText) {
    auto label = BitmapFontAtlas::bitmapFontAtlasWithString("AB", writeTestFont(dir));
    ASSERT_TRUE(label);
    label->setPosition(Point(100, 100));
    EXPECT_EQ(label->boundingBox(), Rect(90, 92, 20, 16));
    label->setAnchorPoint(Point(0, 0));
    EXPECT_EQ(label->boundingBox(), Rect(100, 100, 20, 16));
    EXPECT_EQ(glyph(label.get(), 1)->position(), Point(14, 8));
}

// --- pictures ---

TEST_F(BitmapFontTest, PictureOfLabelsFromATestFont) {
    std::string fnt = writeTestFont(dir);
    auto plain = BitmapFontAtlas::bitmapFontAtlasWithString("ABC W", fnt);
    auto faded = BitmapFontAtlas::bitmapFontAtlasWithString("AW", fnt);
    ASSERT_TRUE(plain && faded);
    plain->setAnchorPoint(Point(0, 0));
    plain->setPosition(Point(4, 30));
    faded->setPosition(Point(24, 12)); // centred: 20 x 16 from (14, 4)
    faded->setOpacity(128);

    auto surface = surface2D(64, 50, kBlack);
    ASSERT_TRUE(surface);
    plain->visit();
    faded->visit();
    endDrawing();
    Pixels px = Pixels::of(*surface);
    if (const char* keep = std::getenv("NEBULARK_PICTURES")) {
        platform::Image image{px.width, px.height, px.rgba};
        platform::writePng(std::string(keep) + "/bitmap_font.png", image);
    }
    auto expect = [&](int x, int y, std::vector<int> rgb) {
        EXPECT_TRUE(near(px.at(x, y), rgb, 3)) << "at (" << x << ", " << y << ")";
    };
    // "ABC W": A at 4..12, B at 14..22, C kerned to 26..34, W at 42..50.
    expect(8, 38, {255, 0, 0});
    expect(13, 38, {0, 0, 0});
    expect(18, 38, {0, 255, 0});
    expect(25, 38, {0, 0, 0});
    expect(30, 38, {0, 0, 255});
    expect(38, 38, {0, 0, 0});
    expect(46, 38, {255, 255, 255});
    expect(46, 47, {0, 0, 0});
    // Half opacity on a premultiplied page: half the colour.
    expect(18, 8, {128, 0, 0});
    expect(28, 8, {128, 128, 128});
    expect(18, 21, {0, 0, 0});
}

#include "platform/TextRenderer.h"
#include "platform/Files.h"
#include "tests/common/TestSupport.h"

#include <cstdlib>
#include <filesystem>

using namespace platform;

namespace {

constexpr int kW = 256, kH = 64;

struct Ink {
    int minX = kW, maxX = -1, minY = kH, maxY = -1;
    bool any() const { return maxX >= 0; }
};

Ink inkOf(const std::vector<uint8_t>& c, int x0 = 0, int x1 = kW, int y0 = 0, int y1 = kH) {
    Ink ink;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (c[size_t(y) * kW + size_t(x)] > 64) {
                ink.minX = std::min(ink.minX, x);
                ink.maxX = std::max(ink.maxX, x);
                ink.minY = std::min(ink.minY, y);
                ink.maxY = std::max(ink.maxY, y);
            }
    return ink;
}

std::vector<uint8_t> draw(const std::string& text, Size rect, TextAlignment a,
                          const std::string& font = "DejaVu Sans", float size = 20) {
    std::vector<uint8_t> c(size_t(kW) * kH, 0);
    EXPECT_TRUE(drawText(text, font, size, rect, a, c.data(), kW, kH));
    return c;
}

// Rows with ink, grouped into bands separated by empty rows.
int lineBands(const std::vector<uint8_t>& c) {
    int bands = 0;
    bool inBand = false;
    for (int y = 0; y < kH; ++y) {
        bool ink = inkOf(c, 0, kW, y, y + 1).any();
        if (ink && !inBand) ++bands;
        inBand = ink;
    }
    return bands;
}

class TextRendererTest : public ::testing::Test {
protected:
    void SetUp() override { setResourceDirectory(dir_.path().string()); }
    void TearDown() override { setResourceDirectory(""); }
    test::TempDir dir_;
};

} // namespace

TEST_F(TextRendererTest, MeasuresWidthAndLines) {
    Size one = measureText("Score", "DejaVu Sans", 20);
    Size longer = measureText("Score: 1000", "DejaVu Sans", 20);
    Size two = measureText("Score\nScore", "DejaVu Sans", 20);
    Size big = measureText("Score", "DejaVu Sans", 40);
    EXPECT_GT(one.width, 30);
    EXPECT_GE(one.height, 20);
    EXPECT_LT(one.height, 30);
    EXPECT_GT(longer.width, one.width);
    EXPECT_EQ(two.width, one.width);
    EXPECT_NEAR(two.height, 2 * one.height, 2);
    EXPECT_NEAR(big.width, 2 * one.width, 2);
    EXPECT_EQ(measureText("x", "DejaVu Sans", 0).width, 0);
}

TEST_F(TextRendererTest, AlignsInsideTheRectangle) {
    Size rect(200, 40);
    Ink left = inkOf(draw("Hi", rect, TextAlignment::Left));
    Ink centre = inkOf(draw("Hi", rect, TextAlignment::Center));
    Ink right = inkOf(draw("Hi", rect, TextAlignment::Right));
    ASSERT_TRUE(left.any() && centre.any() && right.any());
    EXPECT_LT(left.minX, 6);
    EXPECT_NEAR((centre.minX + centre.maxX) / 2.0, 100, 4);
    EXPECT_GT(right.maxX, 190);
    EXPECT_LT(right.maxX, 200);
    // The same glyphs, shifted.
    EXPECT_EQ(right.maxX - right.minX, left.maxX - left.minX);
    // Laid out from the top: the first rows hold the text.
    EXPECT_LT(left.minY, 10);
    EXPECT_LT(left.maxY, 30);
}

TEST_F(TextRendererTest, WrapsWordsAndClipsToTheRectangle) {
    Size narrow(90, 64);
    auto wrapped = draw("aaa bbb ccc", narrow, TextAlignment::Left);
    EXPECT_GE(lineBands(wrapped), 2);
    EXPECT_FALSE(inkOf(wrapped, 90, kW, 0, kH).any());

    // One line high: the second line is clipped away.
    auto clipped = draw("aaa bbb ccc", Size(90, 24), TextAlignment::Left);
    EXPECT_EQ(lineBands(clipped), 1);
    EXPECT_FALSE(inkOf(clipped, 0, kW, 24, kH).any());

    // A word longer than the line is broken rather than spilled.
    auto longWord = draw("WWWWWWWWWWWW", Size(60, 64), TextAlignment::Left);
    EXPECT_GE(lineBands(longWord), 2);
    EXPECT_FALSE(inkOf(longWord, 60, kW, 0, kH).any());
}

TEST_F(TextRendererTest, ApplicationFontNamesComeFromTheShippedConfiguration) {
    std::string text = "Quick Play";
    Size plain = measureText(text, "Marker Felt", 24); // no fonts.conf: a default face
    Size fallback = measureText(text, "DejaVu Sans", 24);
    std::filesystem::path source =
        std::filesystem::path(test::dataPath("")) / ".." / ".." / "resources" / "fonts.conf";
    ASSERT_TRUE(std::filesystem::exists(source)) << source;
    std::filesystem::copy_file(source, dir_.path() / "fonts.conf");
    Size marker = measureText(text, "Marker Felt", 24);
    EXPECT_EQ(plain.width, fallback.width);
    EXPECT_NE(marker.width, plain.width);
    auto c = draw(text, Size(250, 40), TextAlignment::Left, "Marker Felt", 24);
    EXPECT_TRUE(inkOf(c).any());
}

TEST_F(TextRendererTest, BadArgumentsAndBytesAreHandled) {
    std::vector<uint8_t> c(16, 0);
    EXPECT_FALSE(drawText("x", "DejaVu Sans", 12, Size(4, 4), TextAlignment::Left, nullptr, 4, 4));
    EXPECT_FALSE(drawText("x", "DejaVu Sans", -1, Size(4, 4), TextAlignment::Left, c.data(), 4, 4));
    // Invalid UTF-8 is drawn as replacement marks, not refused.
    auto bytes = draw(std::string("A\xff\xfe B"), Size(200, 40), TextAlignment::Left);
    EXPECT_TRUE(inkOf(bytes).any());
    EXPECT_GT(measureText(std::string("\xc3"), "DejaVu Sans", 12).width, 0);
}

TEST_F(TextRendererTest, FontsShippedAsFilesComeBeforeTheSystems) {
    // The pixel font the game ships: 8 grid pixels of advance on a 12-pixel
    // em, so 2/3 of the size per character.
    const char* resources = std::getenv("NEBULARK_RESOURCES");
    ASSERT_TRUE(resources);
    std::filesystem::path font = std::filesystem::path(resources) / "fonts" / "NebularkPixel.ttf";
    ASSERT_TRUE(std::filesystem::exists(font)) << font;
    Size before = measureText("ABCD", "Nebulark Pixel", 24);
    std::filesystem::create_directories(dir_.path() / "fonts");
    std::filesystem::copy_file(font, dir_.path() / "fonts" / "NebularkPixel.ttf");
    Size shipped = measureText("ABCD", "nebulark pixel", 24);
    EXPECT_EQ(shipped.width, 64);
    EXPECT_NE(before.width, 64);
    // Other names still reach the system's fonts.
    EXPECT_EQ(measureText("ABCD", "DejaVu Sans", 24).width,
              (setResourceDirectory(""), measureText("ABCD", "DejaVu Sans", 24).width));

    // Drawn, an "I" is one solid block: every inked pixel fully covered.
    setResourceDirectory(dir_.path().string());
    auto c = draw("I", Size(64, 64), TextAlignment::Left, "Nebulark Pixel", 48);
    Ink ink = inkOf(c);
    ASSERT_TRUE(ink.any());
    int partial = 0;
    for (uint8_t v : c) partial += v > 0 && v < 255;
    EXPECT_LE(partial, 2 * (ink.maxY - ink.minY + 1) + 2 * (ink.maxX - ink.minX + 1));
}

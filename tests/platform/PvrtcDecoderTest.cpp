#include "platform/PvrtcDecoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

using namespace platform;

namespace {

// Colour words of a block (bits 32..63 of its 64 bits).
uint32_t opaqueB(uint32_t r5, uint32_t g5, uint32_t b5) {
    return 0x80000000u | r5 << 26 | g5 << 21 | b5 << 16;
}
uint32_t opaqueA(uint32_t r5, uint32_t g5, uint32_t b4) {
    return 0x8000u | r5 << 10 | g5 << 5 | b4 << 1;
}
uint32_t translucentA(uint32_t a3, uint32_t r4, uint32_t g4, uint32_t b3) {
    return a3 << 12 | r4 << 8 | g4 << 4 | b3 << 1;
}
uint32_t translucentB(uint32_t a3, uint32_t r4, uint32_t g4, uint32_t b4) {
    return a3 << 28 | r4 << 24 | g4 << 20 | b4 << 16;
}

void putBlock(std::vector<uint8_t>& data, size_t index, uint32_t modulation, uint32_t colors) {
    for (int i = 0; i < 4; ++i) {
        data[index * 8 + size_t(i)] = uint8_t(modulation >> (8 * i));
        data[index * 8 + 4 + size_t(i)] = uint8_t(colors >> (8 * i));
    }
}

std::vector<uint8_t> uniform(size_t blocks, uint32_t modulation, uint32_t colors) {
    std::vector<uint8_t> data(blocks * 8);
    for (size_t i = 0; i < blocks; ++i)
        putBlock(data, i, modulation, colors);
    return data;
}

struct Decoded {
    unsigned width;
    std::vector<uint8_t> rgba;
    const uint8_t* at(unsigned x, unsigned y) const { return rgba.data() + (y * width + x) * 4; }
};

Decoded decode(const std::vector<uint8_t>& data, unsigned w, unsigned h, int bpp) {
    Decoded d{w, std::vector<uint8_t>(size_t(w) * h * 4, 0xCD)};
    EXPECT_TRUE(decodePvrtc(data.data(), data.size(), w, h, bpp, d.rgba.data()));
    return d;
}

void expectPixel(const uint8_t* p, int r, int g, int b, int a, int tolerance = 0) {
    EXPECT_NEAR(p[0], r, tolerance);
    EXPECT_NEAR(p[1], g, tolerance);
    EXPECT_NEAR(p[2], b, tolerance);
    EXPECT_NEAR(p[3], a, tolerance);
}

const uint32_t kCyanRed = opaqueA(0, 31, 15) | opaqueB(31, 0, 0);

} // namespace

TEST(PvrtcDecoderTest, LevelSizesCountAtLeastTwoByTwoBlocks) {
    EXPECT_EQ(pvrtcLevelSize(1024, 1024, 4), 512u * 1024);
    EXPECT_EQ(pvrtcLevelSize(1024, 1024, 2), 256u * 1024);
    EXPECT_EQ(pvrtcLevelSize(64, 16, 4), 16u * 4 * 8);
    EXPECT_EQ(pvrtcLevelSize(4, 4, 4), 32u);
    EXPECT_EQ(pvrtcLevelSize(1, 1, 4), 32u);
    EXPECT_EQ(pvrtcLevelSize(8, 8, 2), 32u);
}

TEST(PvrtcDecoderTest, FourBppModulationBlendsTheTwoColours) {
    // Every pixel's two bits count 0, 1, 2, 3 along each row.
    Decoded d = decode(uniform(4, 0xE4E4E4E4, kCyanRed), 8, 8, 4);
    for (unsigned y = 0; y < 8; ++y) {
        expectPixel(d.at(0, y), 0, 255, 255, 255);     // colour A
        expectPixel(d.at(1, y), 96, 159, 159, 255, 1); // 3/8 of B
        expectPixel(d.at(2, y), 159, 96, 96, 255, 1);  // 5/8 of B
        expectPixel(d.at(7, y), 255, 0, 0, 255);       // colour B
    }
}

TEST(PvrtcDecoderTest, PunchThroughModeMakesValueTwoTransparent) {
    Decoded d = decode(uniform(4, 0xE4E4E4E4, kCyanRed | 1), 8, 8, 4);
    expectPixel(d.at(0, 0), 0, 255, 255, 255);
    expectPixel(d.at(1, 0), 128, 128, 128, 255, 1); // half way
    EXPECT_EQ(d.at(2, 0)[3], 0);
    expectPixel(d.at(3, 0), 255, 0, 0, 255);
}

TEST(PvrtcDecoderTest, TranslucentColoursCarryTheirAlpha) {
    uint32_t colors = translucentA(7, 15, 0, 0) | translucentB(3, 0, 0, 15);
    Decoded d = decode(uniform(4, 0xFF00FF00u, colors), 8, 8, 4);
    // Rows 0 and 2 of each block use A, rows 1 and 3 use B.
    expectPixel(d.at(0, 0), 255, 0, 0, 238);
    expectPixel(d.at(0, 1), 0, 0, 255, 102);
}

TEST(PvrtcDecoderTest, BlocksAreTwiddledAndUpscaledBilinearly) {
    // 16 x 16 at 4 bpp: 4 x 4 blocks. Only block (1, 0) is red; in Morton
    // order (y in the lowest bit) it is the third block of the data.
    std::vector<uint8_t> data = uniform(16, 0, opaqueA(0, 0, 0) | opaqueB(0, 0, 0));
    putBlock(data, 2, 0, opaqueA(31, 0, 0) | opaqueB(31, 0, 0));
    Decoded d = decode(data, 16, 16, 4);
    expectPixel(d.at(6, 2), 255, 0, 0, 255);    // the block's centre
    expectPixel(d.at(4, 2), 128, 0, 0, 255, 1); // half way to block (0, 0)
    expectPixel(d.at(6, 4), 128, 0, 0, 255, 1); // half way to block (1, 1)
    expectPixel(d.at(2, 2), 0, 0, 0, 255);      // block (0, 0)'s centre
    expectPixel(d.at(6, 10), 0, 0, 0, 255);     // block (1, 2)'s centre

    // The low-resolution image wraps around: the left edge blends with the
    // rightmost column of blocks.
    std::vector<uint8_t> edge = uniform(16, 0, opaqueA(0, 0, 0) | opaqueB(0, 0, 0));
    putBlock(edge, 10, 0, opaqueA(0, 31, 0) | opaqueB(0, 31, 0)); // block (3, 0)
    Decoded e = decode(edge, 16, 16, 4);
    expectPixel(e.at(14, 2), 0, 255, 0, 255);
    expectPixel(e.at(0, 2), 0, 128, 0, 255, 1);
    expectPixel(e.at(2, 2), 0, 0, 0, 255);
}

TEST(PvrtcDecoderTest, TwoBppDirectModeTakesOneBitPerPixel) {
    // 16 x 8: 2 x 2 blocks of 8 x 4; odd columns take B.
    Decoded d = decode(uniform(4, 0xAAAAAAAA, kCyanRed), 16, 8, 2);
    for (unsigned x = 0; x < 16; ++x)
        if (x % 2)
            expectPixel(d.at(x, 3), 255, 0, 0, 255);
        else
            expectPixel(d.at(x, 3), 0, 255, 255, 255);
}

TEST(PvrtcDecoderTest, TwoBppInterpolatedModeFillsTheCheckerboard) {
    // Stored pixels of rows 0 and 2 are B, those of rows 1 and 3 are A. The
    // unstored pixel (2, 1) has A to its left and right and B above and below.
    struct Case {
        uint32_t modulation;
        int red;
    } cases[] = {
        {0x00EF00FF, 0},   // bit 0 set, bit 20 clear: from left and right
        {0x00FF00FF, 255}, // bits 0 and 20 set: from above and below
        {0x00FF00FE, 128}, // bit 0 clear: from all four
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.modulation);
        Decoded d = decode(uniform(4, c.modulation, kCyanRed | 1), 16, 8, 2);
        EXPECT_NEAR(d.at(2, 1)[0], c.red, 1);
        expectPixel(d.at(2, 2), 255, 0, 0, 255); // stored
        expectPixel(d.at(1, 1), 0, 255, 255, 255);
    }
}

TEST(PvrtcDecoderTest, SmallLevelsDecodeFromTheMinimumBlocks) {
    Decoded d = decode(uniform(4, 0xFFFFFFFF, kCyanRed), 1, 1, 4);
    expectPixel(d.at(0, 0), 255, 0, 0, 255);
    Decoded e = decode(uniform(4, 0, kCyanRed), 4, 2, 2);
    expectPixel(e.at(3, 1), 0, 255, 255, 255);
}

TEST(PvrtcDecoderTest, RejectsUnusableInput) {
    std::vector<uint8_t> data = uniform(4, 0, kCyanRed);
    std::vector<uint8_t> out(64 * 64 * 4, 7);
    EXPECT_FALSE(decodePvrtc(data.data(), 31, 8, 8, 4, out.data()));
    EXPECT_FALSE(decodePvrtc(data.data(), data.size(), 16, 16, 4, out.data())); // short
    EXPECT_FALSE(decodePvrtc(data.data(), data.size(), 12, 8, 4, out.data()));  // not 2^n
    EXPECT_FALSE(decodePvrtc(data.data(), data.size(), 0, 8, 4, out.data()));
    EXPECT_FALSE(decodePvrtc(data.data(), data.size(), 8, 8, 3, out.data()));
    EXPECT_FALSE(decodePvrtc(nullptr, 0, 8, 8, 4, out.data()));
    EXPECT_EQ(out[0], 7);
}

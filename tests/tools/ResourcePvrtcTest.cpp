// The PVRTC encoder of the resource generator, round-tripped through the
// engine's software decoder.
#include "platform/PvrtcDecoder.h"
#include "tests/common/TestSupport.h"
#include "tools/resgen/Pvrtc.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>

namespace {

using Picture = std::vector<uint8_t>;

Picture makePicture(unsigned w, unsigned h,
                    const std::function<void(unsigned, unsigned, uint8_t*)>& f) {
    Picture p(size_t(w) * h * 4);
    for (unsigned y = 0; y < h; ++y)
        for (unsigned x = 0; x < w; ++x)
            f(x, y, &p[(size_t(y) * w + x) * 4]);
    return p;
}

// The particle glow: white, alpha falling from the middle to the edge.
Picture glow(unsigned size) {
    return makePicture(size, size, [&](unsigned x, unsigned y, uint8_t* p) {
        double m = (size - 1) / 2.0;
        double r = std::hypot(x - m, y - m) / (size / 2.0);
        p[0] = p[1] = p[2] = 255;
        p[3] = uint8_t(std::lround(std::pow(std::max(0.0, 1 - r), 2) * 255));
    });
}

// Opaque colour changing smoothly in both directions and tiling: the
// format wraps at the edges, as textures that repeat do.
Picture waves(unsigned w, unsigned h) {
    return makePicture(w, h, [&](unsigned x, unsigned y, uint8_t* p) {
        double u = 2 * M_PI * x / w, v = 2 * M_PI * y / h;
        p[0] = uint8_t(std::lround(128 + 110 * std::sin(u)));
        p[1] = uint8_t(std::lround(128 + 110 * std::cos(v)));
        p[2] = uint8_t(std::lround(128 + 90 * std::sin(u + v)));
        p[3] = 255;
    });
}

// Four solid quadrants of different colours: any mix-up of block order or
// bit fields shows as colour in the wrong place.
Picture quadrants(unsigned w, unsigned h) {
    static const uint8_t colours[4][4] = {
        {230, 30, 30, 255}, {30, 200, 40, 255}, {40, 60, 220, 255}, {240, 220, 40, 120}};
    return makePicture(w, h, [&](unsigned x, unsigned y, uint8_t* p) {
        std::memcpy(p, colours[(y >= h / 2) * 2 + (x >= w / 2)], 4);
    });
}

struct RoundTripError {
    double rms = 0; // over all four channels, 8-bit units
    int max = 0;
    Picture decoded;
};

// Encodes, decodes, and measures. Colour counts in proportion to alpha (a
// transparent pixel's colour is never seen).
RoundTripError roundTrip(const Picture& picture, unsigned w, unsigned h, int refinements = 4) {
    std::vector<uint8_t> blocks = resgen::encodePvrtc4(picture.data(), w, h, refinements);
    EXPECT_EQ(blocks.size(), platform::pvrtcLevelSize(w, h, 4));
    RoundTripError e;
    Picture& decoded = e.decoded;
    decoded.resize(picture.size());
    EXPECT_TRUE(platform::decodePvrtc(blocks.data(), blocks.size(), w, h, 4, decoded.data()));
    double sum = 0;
    for (size_t i = 0; i < picture.size(); i += 4)
        for (size_t c = 0; c < 4; ++c) {
            double weight = c == 3 ? 1.0 : picture[i + 3] / 255.0;
            int d = std::abs(int(picture[i + c]) - int(decoded[i + c]));
            sum += weight * d * d;
            if (weight > 0.5) e.max = std::max(e.max, d);
        }
    e.rms = std::sqrt(sum / double(picture.size()));
    // Measured values, for the record.
    std::printf("PVRTC %ux%u, %d refinements: RMS %.2f, max %d\n", w, h, refinements, e.rms, e.max);
    return e;
}

uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

} // namespace

// Stated bounds, in 8-bit units: smooth pictures (the glow, tiling colour
// waves) stay within 3 RMS and 16 at any pixel; pictures of hard colour
// edges within 14 RMS (the format blends neighbouring blocks, so edges
// smear), and within 20 at any pixel away from the edges.
TEST(ResourcePvrtc, SmoothPicturesRoundTripClosely) {
    RoundTripError g = roundTrip(glow(64), 64, 64);
    EXPECT_LT(g.rms, 3.0);
    EXPECT_LE(g.max, 16);
    RoundTripError s = roundTrip(waves(32, 32), 32, 32);
    EXPECT_LT(s.rms, 3.0);
    EXPECT_LE(s.max, 16);
}

TEST(ResourcePvrtc, HardEdgesStayInPlaceOnSquareAndOblongPictures) {
    // Oblong pictures exercise the high bits of the longer side in the
    // block order; a wrong order or bit field puts colours in the wrong
    // quadrant, with errors near 100 away from the edges.
    for (auto [w, h] : {std::pair{64u, 64u}, {64u, 16u}, {16u, 64u}, {128u, 32u}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        Picture p = quadrants(w, h);
        RoundTripError e = roundTrip(p, w, h);
        EXPECT_LT(e.rms, 14.0);
        // Six pixels or more from every edge (the picture wraps, so its
        // borders are edges too), each channel is within 20: 5-bit colour
        // and 3-bit translucent alpha steps, blended.
        auto farFromEdges = [](unsigned v, unsigned n) {
            double d = v % (n / 2) + 0.5;
            return std::min(d, n / 2 - d) >= 6;
        };
        int worst = 0;
        for (unsigned y = 0; y < h; ++y)
            for (unsigned x = 0; x < w; ++x) {
                if (!farFromEdges(x, w) || !farFromEdges(y, h)) continue;
                for (size_t c = 0; c < 4; ++c) {
                    size_t i = (size_t(y) * w + x) * 4 + c;
                    worst = std::max(worst, std::abs(int(p[i]) - int(e.decoded[i])));
                }
            }
        EXPECT_LE(worst, 20);
    }
}

TEST(ResourcePvrtc, FittingImprovesOnTheFirstGuess) {
    Picture p = waves(64, 64);
    RoundTripError first = roundTrip(p, 64, 64, 0);
    RoundTripError fitted = roundTrip(p, 64, 64, 4);
    EXPECT_LT(fitted.rms, first.rms * 0.9);
}

TEST(ResourcePvrtc, LevelsBelowTwoBlocksStillDecode) {
    // 4 x 4, 2 x 2 and 1 x 1 levels take 2 x 2 blocks each.
    for (unsigned side : {4u, 2u, 1u}) {
        Picture p = makePicture(side, side, [](unsigned, unsigned, uint8_t* px) {
            px[0] = 200, px[1] = 120, px[2] = 40, px[3] = 255;
        });
        RoundTripError e = roundTrip(p, side, side);
        EXPECT_LT(e.rms, 6.0) << side;
    }
    EXPECT_TRUE(resgen::encodePvrtc4(nullptr, 12, 12).empty()); // not a power of two
}

TEST(ResourcePvrtc, PvrFileHoldsEveryLevelBehindAVersionTwoHeader) {
    Picture p = glow(32);
    std::vector<uint8_t> file = resgen::pvrFile4(p, 32, 32, true);
    ASSERT_GE(file.size(), 52u);
    EXPECT_EQ(le32(&file[0]), 52u);
    EXPECT_EQ(le32(&file[4]), 32u); // height
    EXPECT_EQ(le32(&file[8]), 32u); // width
    EXPECT_EQ(le32(&file[16]) & 0xFF, 25u);
    EXPECT_NE(le32(&file[40]), 0u); // has alpha
    EXPECT_EQ(std::memcmp(&file[44], "PVR!", 4), 0);
    size_t expected = 0;
    unsigned levels = 0;
    for (unsigned s = 32;; s /= 2) {
        expected += platform::pvrtcLevelSize(s, s, 4);
        ++levels;
        if (s == 1) break;
    }
    EXPECT_EQ(le32(&file[12]), levels - 1);
    EXPECT_EQ(le32(&file[20]), expected);
    EXPECT_EQ(file.size(), 52 + expected);

    // Level 0 alone without mipmaps.
    std::vector<uint8_t> single = resgen::pvrFile4(p, 32, 32, false);
    EXPECT_EQ(single.size(), 52 + platform::pvrtcLevelSize(32, 32, 4));
    EXPECT_EQ(le32(&single[12]), 0u);

    // Halving keeps a uniform picture uniform and weights colour by alpha.
    Picture half = resgen::halvePicture(makePicture(2, 2,
                                                    [](unsigned x, unsigned, uint8_t* px) {
                                                        px[0] = x ? 255 : 0, px[1] = 0, px[2] = 0,
                                                        px[3] = x ? 255 : 0;
                                                    }),
                                        2, 2);
    ASSERT_EQ(half.size(), 4u);
    EXPECT_EQ(half[0], 255); // the transparent pixels' colour does not count
    EXPECT_EQ(half[3], 128);
}

#include "platform/ImageDecoder.h"
#include "platform/Files.h"
#include "tests/common/TestSupport.h"

#include <png.h>

#include <cstdio>

using namespace platform;

namespace {

Ref<DecodedImage> decode(const std::vector<uint8_t>& bytes) {
    return DecodedImage::imageWithData(bytes.data(), bytes.size());
}

const uint8_t* px(const DecodedImage& image, int x, int y) {
    return image.pixels().data() + (size_t(y) * size_t(image.width()) + size_t(x)) * 4;
}

} // namespace

TEST(ImageDecoderTest, OpaqueRgbKeepsItsColoursAndBitDepth) {
    auto image = decode(test::encodePng(2, 1, PNG_COLOR_TYPE_RGB, 8, {{10, 20, 30, 200, 100, 50}}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 2);
    EXPECT_EQ(image->height(), 1);
    EXPECT_EQ(image->alpha(), ImageAlpha::None);
    EXPECT_EQ(image->bitsPerComponent(), 8);
    EXPECT_TRUE(image->hasColorSpace());
    EXPECT_EQ(std::vector<uint8_t>(px(*image, 0, 0), px(*image, 0, 0) + 8),
              (std::vector<uint8_t>{10, 20, 30, 255, 200, 100, 50, 255}));
}

TEST(ImageDecoderTest, AlphaComesOutPremultiplied) {
    auto image =
        decode(test::encodePng(1, 2, PNG_COLOR_TYPE_RGBA, 8, {{200, 100, 50, 128}, {9, 9, 9, 0}}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->alpha(), ImageAlpha::Premultiplied);
    EXPECT_EQ(px(*image, 0, 0)[0], 100);
    EXPECT_EQ(px(*image, 0, 0)[1], 50);
    EXPECT_EQ(px(*image, 0, 0)[2], 25);
    EXPECT_EQ(px(*image, 0, 0)[3], 128);
    EXPECT_EQ(px(*image, 0, 1)[0], 0); // rows run top to bottom
    EXPECT_EQ(px(*image, 0, 1)[3], 0);
}

TEST(ImageDecoderTest, OtherColourTypesExpandToRgba) {
    // Grey, 1 bit per sample: fewer than 8 bits per component, no alpha.
    auto grey1 = decode(test::encodePng(8, 1, PNG_COLOR_TYPE_GRAY, 1, {{0xA0}}));
    ASSERT_TRUE(grey1);
    EXPECT_EQ(grey1->bitsPerComponent(), 1);
    EXPECT_EQ(grey1->alpha(), ImageAlpha::None);
    EXPECT_EQ(px(*grey1, 0, 0)[1], 255);
    EXPECT_EQ(px(*grey1, 1, 0)[1], 0);

    // A palette with a transparent entry has alpha.
    auto pal = decode(test::encodePng(2, 1, PNG_COLOR_TYPE_PALETTE, 8, {{0, 1}},
                                      {{255, 0, 0}, {0, 0, 255}}, {255, 0}));
    ASSERT_TRUE(pal);
    EXPECT_EQ(pal->bitsPerComponent(), 8);
    EXPECT_EQ(pal->alpha(), ImageAlpha::Premultiplied);
    EXPECT_EQ(px(*pal, 0, 0)[0], 255);
    EXPECT_EQ(px(*pal, 1, 0)[3], 0);

    // 16 bits per sample reports 16 and keeps the high byte.
    auto deep =
        decode(test::encodePng(1, 1, PNG_COLOR_TYPE_RGB, 16, {{0x12, 0x34, 0xFF, 0xFF, 0, 0}}));
    ASSERT_TRUE(deep);
    EXPECT_EQ(deep->bitsPerComponent(), 16);
    EXPECT_NEAR(px(*deep, 0, 0)[0], 0x12, 1);
    EXPECT_EQ(px(*deep, 0, 0)[1], 255);
}

TEST(ImageDecoderTest, BadDataYieldsNoImage) {
    auto good =
        test::encodePng(16, 16, PNG_COLOR_TYPE_RGB, 8,
                        std::vector<std::vector<uint8_t>>(16, std::vector<uint8_t>(48, 77)));
    test::LogCapture log;
    // Truncated anywhere, a flipped byte in the image data, not a PNG at all.
    for (size_t cut : {size_t(4), size_t(20), size_t(40), good.size() / 2, good.size() - 13}) {
        std::vector<uint8_t> part(good.begin(), good.begin() + long(cut));
        EXPECT_FALSE(decode(part)) << cut;
    }
    auto corrupt = good;
    corrupt[corrupt.size() / 2] ^= 0x55;
    EXPECT_FALSE(decode(corrupt));
    EXPECT_FALSE(decode(std::vector<uint8_t>(100, 'x')));
    EXPECT_FALSE(DecodedImage::imageWithData(nullptr, 0));
    EXPECT_FALSE(DecodedImage::imageWithContentsOfFile("/nonexistent/x.png"));
    EXPECT_FALSE(log.lines().empty());

    test::TempDir dir;
    std::string path = dir.file("a.png");
    ASSERT_TRUE(writeFileAtomically(path, good.data(), good.size()));
    auto fromFile = DecodedImage::imageWithContentsOfFile(path);
    ASSERT_TRUE(fromFile);
    EXPECT_EQ(px(*fromFile, 15, 15)[2], 77);
}

TEST(ImageDecoderTest, DrawsIntoTheTopLeftOfALargerBuffer) {
    // 2 x 1: opaque red, half-transparent white (straight alpha).
    auto image = DecodedImage::imageWithRGBA(2, 1, {255, 0, 0, 255, 255, 255, 255, 128},
                                             ImageAlpha::Straight);
    ASSERT_TRUE(image);
    std::vector<uint8_t> rgba(4 * 2 * 4, 0);
    ASSERT_TRUE(image->drawInto(rgba.data(), 4, 2, ImageBufferFormat::RGBAPremultiplied));
    EXPECT_EQ((std::vector<uint8_t>(rgba.begin(), rgba.begin() + 8)),
              (std::vector<uint8_t>{255, 0, 0, 255, 128, 128, 128, 128}));
    for (size_t i = 8; i < rgba.size(); ++i)
        EXPECT_EQ(rgba[i], 0) << i;

    std::vector<uint8_t> rgb(4 * 2 * 4, 0);
    ASSERT_TRUE(image->drawInto(rgb.data(), 4, 2, ImageBufferFormat::RGBNoAlpha));
    EXPECT_EQ(rgb[4], 128); // composited over black
    EXPECT_EQ(rgb[7], 0);

    std::vector<uint8_t> a8(4 * 2, 0);
    ASSERT_TRUE(image->drawInto(a8.data(), 4, 2, ImageBufferFormat::Alpha8));
    EXPECT_EQ(a8, (std::vector<uint8_t>{255, 128, 0, 0, 0, 0, 0, 0}));

    EXPECT_FALSE(image->drawInto(a8.data(), 1, 8, ImageBufferFormat::Alpha8));
}

TEST(ImageDecoderTest, MasksAreCoverageWithoutColourSpace) {
    auto mask = DecodedImage::maskWithCoverage(2, 2, {0, 64, 128, 255});
    ASSERT_TRUE(mask);
    EXPECT_FALSE(mask->hasColorSpace());
    std::vector<uint8_t> a8(4 * 4, 1);
    ASSERT_TRUE(mask->drawInto(a8.data(), 4, 4, ImageBufferFormat::Alpha8));
    EXPECT_EQ(a8[1], 64);
    EXPECT_EQ(a8[4], 128);
    EXPECT_EQ(a8[5], 255);
    EXPECT_EQ(a8[2], 1); // outside the picture: untouched
    EXPECT_FALSE(DecodedImage::maskWithCoverage(2, 2, {1, 2, 3}));
}

TEST(ImageDecoderTest, JpegDecodesOpaqueAndRefusesBadOrOversizedData) {
    // Left half red, right half blue.
    std::vector<uint8_t> rgb(32 * 16 * 3);
    for (size_t i = 0; i < rgb.size(); i += 3) {
        bool left = (i / 3) % 32 < 16;
        rgb[i] = left ? 220 : 0;
        rgb[i + 2] = left ? 0 : 220;
    }
    auto jpeg = test::encodeJpeg(32, 16, rgb);
    auto image = decode(jpeg);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 32);
    EXPECT_EQ(image->height(), 16);
    EXPECT_EQ(image->alpha(), ImageAlpha::None);
    EXPECT_NEAR(px(*image, 4, 8)[0], 220, 12);
    EXPECT_NEAR(px(*image, 28, 8)[2], 220, 12);
    EXPECT_EQ(px(*image, 28, 8)[3], 255);

    test::LogCapture log;
    EXPECT_FALSE(DecodedImage::imageWithData(jpeg.data(), jpeg.size(), 31)); // wider than allowed
    EXPECT_FALSE(decode(std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + 40)));
    auto corrupt = jpeg;
    for (size_t i = 2; i < 200 && i < corrupt.size(); i += 3) corrupt[i] = 0xFF;
    EXPECT_FALSE(decode(corrupt));
    EXPECT_EQ(log.lines().size(), 3u);
}

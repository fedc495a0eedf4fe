#include "render/Texture2D.h"
#include "platform/ImageDecoder.h"
#include "tests/render/RenderTestSupport.h"

#include <png.h>

#include <regex>

using namespace rendertest;
using platform::DecodedImage;
using platform::ImageAlpha;

namespace {

const uint8_t kBlack[4] = {0, 0, 0, 255};

Ref<DecodedImage> solid(int w, int h, std::vector<uint8_t> rgba,
                        ImageAlpha alpha = ImageAlpha::Premultiplied, int bits = 8) {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < w * h; ++i)
        pixels.insert(pixels.end(), rgba.begin(), rgba.end());
    return DecodedImage::imageWithRGBA(w, h, std::move(pixels), alpha, bits);
}

Ref<DecodedImage> decode(const std::vector<uint8_t>& png) {
    return DecodedImage::imageWithData(png.data(), png.size());
}

// Restores the class-wide default format after a test changes it.
struct DefaultFormat {
    ~DefaultFormat() { Texture2D::setDefaultAlphaPixelFormat(PixelFormat::RGBA8888); }
};

class Texture2DTest : public GLTest {};

} // namespace

TEST_F(Texture2DTest, SidesRoundUpToPowersOfTwoUpTo1024) {
    auto one = Texture2D::textureWithImage(solid(1, 1, {255, 0, 0, 255}).get());
    ASSERT_TRUE(one);
    EXPECT_EQ(one->pixelsWide(), 1u);
    EXPECT_EQ(one->pixelsHigh(), 1u);
    EXPECT_FLOAT_EQ(one->maxS(), 1);
    EXPECT_NE(one->name(), 0u);

    auto wide = Texture2D::textureWithImage(solid(300, 200, {0, 0, 255, 255}).get());
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->pixelsWide(), 512u);
    EXPECT_EQ(wide->pixelsHigh(), 256u);
    EXPECT_EQ(wide->contentSize(), Size(300, 200));
    EXPECT_FLOAT_EQ(wide->maxS(), 300.0f / 512);
    EXPECT_FLOAT_EQ(wide->maxT(), 200.0f / 256);

    auto largest = Texture2D::textureWithImage(solid(1024, 1024, {1, 2, 3, 255}).get());
    ASSERT_TRUE(largest);
    EXPECT_EQ(largest->pixelsWide(), 1024u);
    EXPECT_CC_ASSERT(Texture2D::textureWithImage(solid(1025, 4, {1, 2, 3, 255}).get()),
                     "Image is bigger than the supported 1024 x 1024");
    EXPECT_CC_ASSERT(Texture2D::textureWithImage(solid(2, 1025, {1, 2, 3, 255}).get()),
                     "Image is bigger than the supported 1024 x 1024");

    test::LogCapture log;
    EXPECT_FALSE(Texture2D::textureWithImage(nullptr));
    EXPECT_TRUE(log.contains("Image is Null"));
}

TEST_F(Texture2DTest, PixelFormatFollowsTheImage) {
    // Opaque 8-bit RGB: 8-bit components choose the default alpha format.
    auto rgb =
        decode(encodePng(2, 2, PNG_COLOR_TYPE_RGB, 8, {{9, 9, 9, 9, 9, 9}, {9, 9, 9, 9, 9, 9}}));
    auto t = Texture2D::textureWithImage(rgb.get());
    ASSERT_TRUE(t);
    EXPECT_EQ(t->pixelFormat(), PixelFormat::RGBA8888);
    EXPECT_FALSE(t->hasPremultipliedAlpha());

    // No alpha and fewer than 8 bits per component: RGB565.
    auto grey = decode(encodePng(8, 1, PNG_COLOR_TYPE_GRAY, 4, {{0x12, 0x34, 0x56, 0x78}}));
    EXPECT_EQ(Texture2D::textureWithImage(grey.get())->pixelFormat(), PixelFormat::RGB565);

    // Alpha: the default format, premultiplied as decoded.
    auto rgba = decode(encodePng(1, 1, PNG_COLOR_TYPE_RGBA, 8, {{200, 100, 0, 128}}));
    auto a = Texture2D::textureWithImage(rgba.get());
    EXPECT_EQ(a->pixelFormat(), PixelFormat::RGBA8888);
    EXPECT_TRUE(a->hasPremultipliedAlpha());
    auto straight =
        Texture2D::textureWithImage(solid(1, 1, {1, 1, 1, 1}, ImageAlpha::Straight).get());
    EXPECT_FALSE(straight->hasPremultipliedAlpha());

    // A mask: alpha only.
    auto mask = Texture2D::textureWithImage(DecodedImage::maskWithCoverage(2, 1, {0, 255}).get());
    EXPECT_EQ(mask->pixelFormat(), PixelFormat::A8);

    DefaultFormat restore;
    Texture2D::setDefaultAlphaPixelFormat(PixelFormat::RGBA4444);
    EXPECT_EQ(Texture2D::textureWithImage(rgba.get())->pixelFormat(), PixelFormat::RGBA4444);
    EXPECT_EQ(Texture2D::textureWithImage(grey.get())->pixelFormat(), PixelFormat::RGB565);
    Texture2D::setDefaultAlphaPixelFormat(PixelFormat(9));
    EXPECT_CC_ERROR(Texture2D::textureWithImage(rgba.get()), "InternalInconsistency",
                    "Invalid pixel format");
    uint8_t pixel[4] = {};
    EXPECT_CC_ERROR(Texture2D::textureWithData(pixel, PixelFormat(0), 1, 1, Size(1, 1)),
                    "InternalInconsistency", "");
}

TEST_F(Texture2DTest, SixteenBitFormatsKeepTheHighBits) {
    // Drawn and read back: each packing shows in the colours that survive.
    struct Case {
        PixelFormat format;
        std::vector<int> expected;
    } cases[] = {
        {PixelFormat::RGBA8888, {0x87, 0x4F, 0xE3}},
        {PixelFormat::RGBA4444, {0x88, 0x44, 0xEE}},
        {PixelFormat::RGB5A1, {0x84, 0x4A, 0xE7}},
    };
    DefaultFormat restore;
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.format));
        Texture2D::setDefaultAlphaPixelFormat(c.format);
        auto t = Texture2D::textureWithImage(solid(4, 4, {0x87, 0x4F, 0xE3, 255}).get());
        ASSERT_TRUE(t);
        EXPECT_EQ(t->pixelFormat(), c.format);
        auto s = surface2D(8, 8, kBlack);
        t->setAliasTexParameters();
        t->drawAtPoint(Point(0, 0));
        EXPECT_TRUE(near(Pixels::of(*s).at(1, 1), c.expected, 1));
        endDrawing();
    }
    // RGB565 through a 4-bit grey picture: 0x77 grey keeps 5/6/5 bits.
    auto grey = decode(encodePng(2, 1, PNG_COLOR_TYPE_GRAY, 4, {{0x77}}));
    auto t = Texture2D::textureWithImage(grey.get());
    ASSERT_EQ(t->pixelFormat(), PixelFormat::RGB565);
    auto s = surface2D(8, 8, kBlack);
    t->drawAtPoint(Point(0, 0));
    EXPECT_TRUE(near(Pixels::of(*s).at(0, 0), {0x73, 0x75, 0x73}, 1));
    endDrawing();
}

TEST_F(Texture2DTest, DrawAtPointPutsThePictureTopUp) {
    // 3 x 2: top row red, green, blue; bottom row white, black, yellow.
    auto image =
        DecodedImage::imageWithRGBA(3, 2, {255, 0,   0,   255, 0, 255, 0, 255, 0,   0,   255, 255,
                                           255, 255, 255, 255, 0, 0,   0, 255, 255, 255, 0,   255},
                                    ImageAlpha::None);
    auto t = Texture2D::textureWithImage(image.get());
    ASSERT_TRUE(t);
    EXPECT_EQ(t->pixelsWide(), 4u);
    t->setAliasTexParameters();
    const uint8_t grey[4] = {50, 50, 50, 255};
    auto s = surface2D(32, 32, grey);
    t->drawAtPoint(Point(10, 20));
    Pixels p = Pixels::of(*s);
    EXPECT_TRUE(near(p.at(10, 21), {255, 0, 0}));
    EXPECT_TRUE(near(p.at(11, 21), {0, 255, 0}));
    EXPECT_TRUE(near(p.at(12, 21), {0, 0, 255}));
    EXPECT_TRUE(near(p.at(10, 20), {255, 255, 255}));
    EXPECT_TRUE(near(p.at(12, 20), {255, 255, 0}));
    // Only the content is drawn, not the texture's padding.
    EXPECT_TRUE(near(p.at(13, 20), {50, 50, 50}));
    EXPECT_TRUE(near(p.at(10, 22), {50, 50, 50}));
    EXPECT_TRUE(near(p.at(9, 20), {50, 50, 50}));

    // Stretched over a rectangle: each picture pixel covers 10 x 10.
    auto r = surface2D(40, 30, grey);
    t->drawInRect(Rect(5, 5, 30, 20));
    Pixels q = Pixels::of(*r);
    EXPECT_TRUE(near(q.at(10, 20), {255, 0, 0}));
    EXPECT_TRUE(near(q.at(30, 20), {0, 0, 255}));
    EXPECT_TRUE(near(q.at(20, 10), {0, 0, 0}));
    EXPECT_TRUE(near(q.at(30, 10), {255, 255, 0}));
    EXPECT_TRUE(near(q.at(36, 10), {50, 50, 50}));
    EXPECT_TRUE(near(q.at(10, 26), {50, 50, 50}));
    endDrawing();
}

TEST_F(Texture2DTest, NonPowerOfTwoContentEndsAtItsOwnEdge) {
    // 300 x 200 blue with a red right column and top row, from a PNG file.
    std::vector<std::vector<uint8_t>> rows(200);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x) {
            bool edge = x == 299 || y == 0;
            rows[size_t(y)].insert(rows[size_t(y)].end(),
                                   {uint8_t(edge ? 255 : 0), 0, uint8_t(edge ? 0 : 255)});
        }
    auto image = decode(encodePng(300, 200, PNG_COLOR_TYPE_RGB, 8, rows));
    auto t = Texture2D::textureWithImage(image.get());
    ASSERT_TRUE(t);
    t->setAliasTexParameters();
    auto s = surface2D(320, 240, kBlack);
    t->drawAtPoint(Point(0, 0));
    Pixels p = Pixels::of(*s);
    EXPECT_TRUE(near(p.at(150, 100), {0, 0, 255}));
    EXPECT_TRUE(near(p.at(299, 100), {255, 0, 0}));
    EXPECT_TRUE(near(p.at(150, 199), {255, 0, 0}));
    EXPECT_TRUE(near(p.at(300, 100), {0, 0, 0}));
    EXPECT_TRUE(near(p.at(150, 200), {0, 0, 0}));
    endDrawing();
}

TEST_F(Texture2DTest, ParametersAndDescription) {
    auto t = Texture2D::textureWithImage(solid(3, 5, {1, 2, 3, 255}).get());
    ASSERT_TRUE(t);
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, t->name());
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
    EXPECT_EQ(value, GL_CLAMP_TO_EDGE);
    t->setAliasTexParameters();
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(value, GL_NEAREST);
    t->setTexParameters({GL_LINEAR, GL_NEAREST, GL_REPEAT, GL_REPEAT});
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
    EXPECT_EQ(value, GL_REPEAT);

    std::string d = t->description();
    EXPECT_TRUE(std::regex_match(
        d, std::regex("<Texture2D = [0-9A-F]{8,} \\| Name = " + std::to_string(t->name()) +
                      " \\| Dimensions = 4x8 \\| Coordinates = \\(0\\.75, 0\\.62\\)>")))
        << d;
    t->setMaxS(0.5f);
    EXPECT_FLOAT_EQ(t->maxS(), 0.5f);

    GLuint name = t->name();
    t = nullptr;
    EXPECT_FALSE(glIsTexture(name));
}

TEST_F(Texture2DTest, PvrtcDataIsDecodedAndDrawn) {
    // 8 x 8 at 4 bpp: cyan (colour A) in the left half of each block's rows,
    // red (colour B) in the right half.
    auto data = pvrtcBlocks(4, 0xF0F0F0F0, pvrtcColors(0, 31, 15, 31, 0, 0));
    auto t = Texture2D::textureWithPVRTCData(data.data(), data.size(), 0, 4, true, 8);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->contentSize(), Size(8, 8));
    EXPECT_EQ(t->pixelsWide(), 8u);
    EXPECT_FLOAT_EQ(t->maxS(), 1);
    EXPECT_FLOAT_EQ(t->maxT(), 1);
    EXPECT_EQ(int(t->pixelFormat()), 0);
    t->setAliasTexParameters();
    auto s = surface2D(16, 16, kBlack);
    t->drawInRect(Rect(0, 0, 16, 16));
    Pixels p = Pixels::of(*s);
    EXPECT_TRUE(near(p.at(1, 1), {0, 255, 255, 255}));
    EXPECT_TRUE(near(p.at(6, 14), {255, 0, 0, 255}));
    EXPECT_TRUE(near(p.at(9, 6), {0, 255, 255, 255}));
    endDrawing();

    // A 4 x 4 texture still reads 2 x 2 blocks (32 bytes).
    test::LogCapture log;
    EXPECT_TRUE(Texture2D::textureWithPVRTCData(data.data(), 32, 0, 4, false, 4));
    EXPECT_TRUE(Texture2D::textureWithPVRTCData(data.data(), 32, 0, 2, false, 8));
    EXPECT_FALSE(Texture2D::textureWithPVRTCData(data.data(), 31, 0, 4, false, 4));
    EXPECT_FALSE(Texture2D::textureWithPVRTCData(data.data(), 32, 0, 4, false, 16));
    EXPECT_FALSE(Texture2D::textureWithPVRTCData(data.data(), 32, 0, 4, false, 12));
    EXPECT_EQ(log.lines().size(), 3u);
}

TEST_F(Texture2DTest, TextBecomesAnAlphaTextureTintedWhenDrawn) {
    auto t =
        Texture2D::textureWithString("Hi", Size(100, 30), kTextAlignmentCenter, "DejaVu Sans", 24);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->pixelFormat(), PixelFormat::A8);
    EXPECT_EQ(t->pixelsWide(), 128u);
    EXPECT_EQ(t->pixelsHigh(), 32u);
    EXPECT_EQ(t->contentSize(), Size(100, 30));
    EXPECT_FLOAT_EQ(t->maxS(), 100.0f / 128);

    auto measured = Texture2D::textureWithString("Hi", "DejaVu Sans", 24);
    ASSERT_TRUE(measured);
    EXPECT_GT(measured->contentSize().width, 20);
    EXPECT_LT(measured->contentSize().width, 60);

    // Tinted yellow over blue (straight alpha, as text is not premultiplied);
    // the ink sits in the middle third of the row.
    EXPECT_FALSE(t->hasPremultipliedAlpha());
    const uint8_t blue[4] = {0, 0, 255, 255};
    auto s = surface2D(100, 30, blue);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 0, 1);
    t->drawAtPoint(Point(0, 0));
    Pixels p = Pixels::of(*s);
    int minX = 100, maxX = -1;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 100; ++x)
            if (p.at(x, y)[0] > 200 && p.at(x, y)[2] < 50) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
            }
    ASSERT_GE(maxX, 0);
    EXPECT_GT(minX, 30);
    EXPECT_LT(maxX, 70);
    EXPECT_NEAR((minX + maxX) / 2.0, 50, 3);
    EXPECT_TRUE(near(p.at(2, 2), {0, 0, 255}));
    endDrawing();

    // Empty text still makes a (blank) texture; absurd sizes none.
    EXPECT_TRUE(
        Texture2D::textureWithString("", Size(0, 0), kTextAlignmentLeft, "DejaVu Sans", 12));
    test::LogCapture log;
    EXPECT_FALSE(
        Texture2D::textureWithString("x", Size(1e9f, 10), kTextAlignmentLeft, "DejaVu Sans", 12));
}

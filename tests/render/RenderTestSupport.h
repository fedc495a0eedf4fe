#pragma once

#include "platform/Clock.h"
#include "platform/GL.h"
#include "platform/ImageDecoder.h"
#include "platform/Window.h"
#include "render/Texture2D.h"
#include "tests/common/TestSupport.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace rendertest {

// Tests with a GL context: the test program's one headless window.
class GLTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;

    // An offscreen surface set up for 2D drawing in pixels (origin at the
    // bottom-left), cleared to `clear`, with texturing, the vertex and
    // texture-coordinate arrays and premultiplied blending enabled.
    static std::unique_ptr<platform::GLSurface> surface2D(int width, int height,
                                                          const uint8_t clear[4]);
    static void endDrawing();

    static platform::Window* window_;
};

// Tests of nodes: a GL context, a manual clock, and a fresh scheduler,
// action manager and texture cache for each test.
class NodeGLTest : public GLTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // One scheduler pass: timers and running actions advance by `dt`.
    static void tick(float dt);

    platform::ManualClock clock_;
};

using PixelFunction = std::function<std::array<uint8_t, 4>(int x, int y)>;
// A picture whose pixel (x, y), y from the top row, is `pixel(x, y)`.
std::vector<uint8_t> rgbaOf(int width, int height, const PixelFunction& pixel);
// A texture of that picture; premultiplied unless `alpha` says otherwise.
Ref<Texture2D> textureOf(int width, int height, const PixelFunction& pixel,
                         platform::ImageAlpha alpha = platform::ImageAlpha::Premultiplied);
// The same picture as an RGBA PNG file.
void writePng(const std::string& path, int width, int height, const PixelFunction& pixel);

// Pixels read back from a surface, rows from top to bottom; `at` takes GL
// coordinates (y up), as the drawing does.
struct Pixels {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
    static Pixels of(const platform::GLSurface& surface);
    const uint8_t* at(int x, int y) const {
        return rgba.data() + (size_t(height - 1 - y) * size_t(width) + size_t(x)) * 4;
    }
};

// Asserts a pixel's channels within `tolerance`.
::testing::AssertionResult near(const uint8_t* pixel, std::vector<int> expected, int tolerance = 2);

using test::encodePng;
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
// An RGBA PNG of `width` x `height` filled with `rgba`.
void writeSolidPng(const std::string& path, int width, int height, std::vector<uint8_t> rgba);

// A .pvr file (version 2 header) around `data`.
std::vector<uint8_t> pvrFile(uint32_t width, uint32_t height, uint32_t pixelType,
                             uint32_t alphaMask, const std::vector<uint8_t>& data,
                             uint32_t dataLength);
// `blocks` PVRTC blocks of the same modulation and colour words.
std::vector<uint8_t> pvrtcBlocks(size_t blocks, uint32_t modulation, uint32_t colors);
// Colour words: opaque A (5, 5, 4 bits) and opaque B (5, 5, 5 bits).
inline uint32_t pvrtcColors(uint32_t ar, uint32_t ag, uint32_t ab, uint32_t br, uint32_t bg,
                            uint32_t bb) {
    return 0x8000u | ar << 10 | ag << 5 | ab << 1 | 0x80000000u | br << 26 | bg << 21 | bb << 16;
}

} // namespace rendertest

#include "tests/render/RenderTestSupport.h"

#include "engine/ActionManager.h"
#include "engine/Scheduler.h"
#include "render/TextureMgr.h"

#include <fstream>
#include <png.h>

namespace rendertest {

platform::Window* GLTest::window_ = nullptr;

void GLTest::SetUpTestSuite() {
    window_ = test::sharedWindow();
}

void GLTest::SetUp() {
    ASSERT_NE(window_, nullptr);
    ASSERT_TRUE(window_->context()->makeCurrent());
}

std::unique_ptr<platform::GLSurface> GLTest::surface2D(int width, int height,
                                                       const uint8_t clear[4]) {
    auto surface = platform::GLSurface::create(width, height, platform::ColorFormat::RGBA8,
                                               platform::DepthFormat::None);
    if (!surface) return nullptr;
    surface->bind();
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrthof(0, GLfloat(width), 0, GLfloat(height), -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(clear[0] / 255.0f, clear[1] / 255.0f, clear[2] / 255.0f, clear[3] / 255.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    // Whatever an earlier test left, from the defaults on.
    platform::GLState& gl = platform::GLState::current();
    gl.invalidate();
    gl.restoreDefaults();
    gl.setTexturing(true);
    gl.setArrays(platform::GLState::kVertexArray | platform::GLState::kTexCoordArray);
    return surface;
}

void GLTest::endDrawing() {
    platform::GLState::current().restoreDefaults();
    glDisable(GL_BLEND);
}

void NodeGLTest::SetUp() {
    GLTest::SetUp();
    platform::setClock(&clock_);
}

void NodeGLTest::TearDown() {
    ActionManager::purgeSharedManager();
    Scheduler::purgeSharedScheduler();
    TextureMgr::purgeSharedTextureMgr();
    platform::setClock(nullptr);
}

void NodeGLTest::tick(float dt) {
    Scheduler::sharedScheduler().tick(dt);
}

std::vector<uint8_t> rgbaOf(int width, int height, const PixelFunction& pixel) {
    std::vector<uint8_t> rgba;
    rgba.reserve(size_t(width) * size_t(height) * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            auto p = pixel(x, y);
            rgba.insert(rgba.end(), p.begin(), p.end());
        }
    return rgba;
}

Ref<Texture2D> textureOf(int width, int height, const PixelFunction& pixel,
                         platform::ImageAlpha alpha) {
    auto image =
        platform::DecodedImage::imageWithRGBA(width, height, rgbaOf(width, height, pixel), alpha);
    return Texture2D::textureWithImage(image.get());
}

void writePng(const std::string& path, int width, int height, const PixelFunction& pixel) {
    platform::Image image;
    image.width = width;
    image.height = height;
    image.rgba = rgbaOf(width, height, pixel);
    ASSERT_TRUE(platform::writePng(path, image));
}

Pixels Pixels::of(const platform::GLSurface& surface) {
    return {surface.width(), surface.height(), surface.readPixels()};
}

::testing::AssertionResult near(const uint8_t* pixel, std::vector<int> expected, int tolerance) {
    for (size_t i = 0; i < expected.size(); ++i)
        if (std::abs(int(pixel[i]) - expected[i]) > tolerance)
            return ::testing::AssertionFailure()
                   << "pixel (" << int(pixel[0]) << ", " << int(pixel[1]) << ", " << int(pixel[2])
                   << ", " << int(pixel[3]) << ") differs in channel " << i << " from "
                   << expected[i] << " by more than " << tolerance;
    return ::testing::AssertionSuccess();
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void writeSolidPng(const std::string& path, int width, int height, std::vector<uint8_t> rgba) {
    platform::Image image;
    image.width = width;
    image.height = height;
    for (int i = 0; i < width * height; ++i)
        image.rgba.insert(image.rgba.end(), rgba.begin(), rgba.end());
    ASSERT_TRUE(platform::writePng(path, image));
}

std::vector<uint8_t> pvrFile(uint32_t width, uint32_t height, uint32_t pixelType,
                             uint32_t alphaMask, const std::vector<uint8_t>& data,
                             uint32_t dataLength) {
    std::vector<uint8_t> file(52, 0);
    auto put = [&](size_t offset, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            file[offset + size_t(i)] = uint8_t(v >> (8 * i));
    };
    put(0, 52);
    put(4, height);
    put(8, width);
    put(16, pixelType | 0x8000); // higher flag bits are ignored
    put(20, dataLength);
    put(24, pixelType == 24 ? 2 : 4);
    put(40, alphaMask);
    file[44] = 'P', file[45] = 'V', file[46] = 'R', file[47] = '!';
    put(48, 1);
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

std::vector<uint8_t> pvrtcBlocks(size_t blocks, uint32_t modulation, uint32_t colors) {
    std::vector<uint8_t> data(blocks * 8);
    for (size_t b = 0; b < blocks; ++b)
        for (int i = 0; i < 4; ++i) {
            data[b * 8 + size_t(i)] = uint8_t(modulation >> (8 * i));
            data[b * 8 + 4 + size_t(i)] = uint8_t(colors >> (8 * i));
        }
    return data;
}

} // namespace rendertest

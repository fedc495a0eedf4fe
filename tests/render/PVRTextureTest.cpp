#include "render/PVRTexture.h"
#include "render/Texture2D.h"
#include "tests/render/RenderTestSupport.h"

using namespace rendertest;

namespace {

const uint32_t kRed = pvrtcColors(31, 0, 0, 31, 0, 0);

class PVRTextureTest : public GLTest {
protected:
    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::string path = dir_.file(name);
        writeFile(path, bytes);
        return path;
    }
    test::TempDir dir_;
};

size_t levelsOf(uint32_t w, uint32_t h, uint32_t type, size_t dataBytes) {
    auto file = pvrFile(w, h, type, 0, std::vector<uint8_t>(dataBytes), uint32_t(dataBytes));
    PVRTexture pvr;
    if (!pvr.unpackPVRData(file.data(), file.size())) return 0;
    return pvr.imageData().size();
}

} // namespace

TEST_F(PVRTextureTest, LevelsAreCountedFromTheDataLength) {
    // 32 x 32 at 4 bpp: 512 + 128 + 32 (8 x 8) + 32 (4 x 4, still 2 x 2
    // blocks) + 32 + 32 bytes.
    auto file = pvrFile(32, 32, 25, 0, std::vector<uint8_t>(768), 768);
    PVRTexture pvr;
    ASSERT_TRUE(pvr.unpackPVRData(file.data(), file.size()));
    ASSERT_EQ(pvr.imageData().size(), 6u);
    EXPECT_EQ(pvr.imageData()[0].size(), 512u);
    EXPECT_EQ(pvr.imageData()[1].size(), 128u);
    EXPECT_EQ(pvr.imageData()[3].size(), 32u);
    EXPECT_EQ(pvr.width(), 32u);
    EXPECT_EQ(pvr.internalFormat(), GLenum(GL_COMPRESSED_RGBA_PVRTC_4BPPV1_IMG));
    EXPECT_FALSE(pvr.hasAlpha());

    // Only the levels the data covers: level 0 alone, or level 0 and 1.
    EXPECT_EQ(levelsOf(32, 32, 25, 512), 1u);
    EXPECT_EQ(levelsOf(32, 32, 25, 640), 2u);
    // 2 bpp: blocks of 8 x 4 pixels. 16 x 16: 2 x 4 blocks, then 2 x 2 from 8 x 8 on.
    EXPECT_EQ(levelsOf(16, 16, 24, 64 + 32 + 32 + 32 + 32), 5u);
    // Non-square: 64 x 16 at 4 bpp is 16 x 4 blocks, then 8 x 2, 4 x 2, 2 x 2...
    EXPECT_EQ(levelsOf(64, 16, 25, 512 + 128 + 64 + 32), 4u);
    // No data: no levels, and nothing to upload.
    EXPECT_EQ(levelsOf(8, 8, 25, 0), 0u);
}

TEST_F(PVRTextureTest, BadFilesYieldNothing) {
    auto good = pvrFile(8, 8, 25, 0, pvrtcBlocks(4, 0, kRed), 32);
    test::LogCapture log;
    auto badTag = good;
    badTag[47] = '?';
    auto badType = good;
    badType[16] = 12; // not PVRTC
    auto shortData = good;
    shortData.resize(good.size() - 1);
    // Data that ends inside a level.
    auto partial = pvrFile(8, 8, 25, 0, std::vector<uint8_t>(40), 40);
    std::vector<uint8_t> header(good.begin(), good.begin() + 51);
    for (const auto& bytes : {badTag, badType, shortData, partial, header}) {
        PVRTexture pvr;
        EXPECT_FALSE(pvr.unpackPVRData(bytes.data(), bytes.size()));
        EXPECT_TRUE(pvr.imageData().empty());
    }
    EXPECT_FALSE(PVRTexture::pvrTextureWithContentsOfFile(write("tag.pvr", badTag)));
    EXPECT_FALSE(PVRTexture::pvrTextureWithContentsOfFile(dir_.file("missing.pvr")));

    // Headers that parse but cannot be uploaded: not a power of two, zero.
    auto twelve = pvrFile(12, 8, 25, 0, std::vector<uint8_t>(48), 48);
    EXPECT_FALSE(PVRTexture::pvrTextureWithContentsOfFile(write("twelve.pvr", twelve)));
    EXPECT_TRUE(log.contains("Error uploading compressed texture level: 0. glError: 0x0501"));
    auto zero = pvrFile(0, 8, 25, 0, std::vector<uint8_t>(32), 32);
    EXPECT_FALSE(PVRTexture::pvrTextureWithContentsOfFile(write("zero.pvr", zero)));
    // Endless 1 x 1 levels.
    auto many = pvrFile(1, 1, 25, 0, std::vector<uint8_t>(32 * 40), 32 * 40);
    EXPECT_FALSE(PVRTexture::pvrTextureWithContentsOfFile(write("many.pvr", many)));
}

TEST_F(PVRTextureTest, UploadsAndHandsItsNameOver) {
    // 16 x 16 at 2 bpp with alpha: 2 x 4 blocks for level 0, then three
    // levels of 2 x 2 blocks, then the 1 x 1 level.
    auto data = pvrtcBlocks(8 + 4 + 4 + 4 + 4, 0xFFFFFFFF, kRed);
    std::string path = write("red.pvr", pvrFile(16, 16, 24, 0xFF, data, uint32_t(data.size())));
    auto pvr = PVRTexture::pvrTextureWithContentsOfFile(path);
    ASSERT_TRUE(pvr);
    EXPECT_NE(pvr->name(), 0u);
    EXPECT_TRUE(pvr->hasAlpha());
    EXPECT_EQ(pvr->internalFormat(), GLenum(GL_COMPRESSED_RGBA_PVRTC_2BPPV1_IMG));
    EXPECT_TRUE(pvr->imageData().empty()); // dropped after the upload
    GLuint name = pvr->name();
    pvr = nullptr;
    EXPECT_FALSE(glIsTexture(name));

    // URLs: file URLs only.
    EXPECT_TRUE(PVRTexture::pvrTextureWithContentsOfURL("file://" + path));
    EXPECT_TRUE(PVRTexture::pvrTextureWithContentsOfURL("file://localhost" + path));
    EXPECT_FALSE(PVRTexture::pvrTextureWithContentsOfURL("http://localhost" + path));
    EXPECT_FALSE(PVRTexture::pvrTextureWithContentsOfURL(path));

    // A Texture2D takes the name over and draws the picture.
    auto texture = Texture2D::textureWithPVRTCFile(path);
    ASSERT_TRUE(texture);
    EXPECT_NE(texture->name(), 0u);
    EXPECT_TRUE(glIsTexture(texture->name()));
    EXPECT_EQ(texture->contentSize(), Size(16, 16));
    EXPECT_EQ(texture->pixelsWide(), 16u);
    EXPECT_FLOAT_EQ(texture->maxS(), 1);
    EXPECT_EQ(int(texture->pixelFormat()), 0);
    EXPECT_FALSE(texture->hasPremultipliedAlpha());
    const uint8_t blue[4] = {0, 0, 255, 255};
    auto s = surface2D(32, 32, blue);
    texture->drawAtPoint(Point(4, 4));
    Pixels p = Pixels::of(*s);
    EXPECT_TRUE(near(p.at(12, 12), {255, 0, 0, 255}));
    EXPECT_TRUE(near(p.at(2, 2), {0, 0, 255, 255}));
    EXPECT_TRUE(near(p.at(21, 12), {0, 0, 255, 255}));
    endDrawing();

    // A file that cannot be read still gives a texture: name 0, size 0.
    test::LogCapture log;
    auto empty = Texture2D::textureWithPVRTCFile(dir_.file("missing.pvr"));
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->name(), 0u);
    EXPECT_EQ(empty->contentSize(), Size(0, 0));
}

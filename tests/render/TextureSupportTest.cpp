// The file, inflate and TGA helpers that textures and tile data build on.
#include "engine/FileUtils.h"
#include "platform/Files.h"
#include "support/Tga.h"
#include "support/ZipUtils.h"
#include "tests/common/TestSupport.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <zlib.h>

namespace {

std::vector<uint8_t> deflateBytes(const std::vector<uint8_t>& in, bool gzip) {
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, gzip ? 15 + 16 : 15, 9, Z_DEFAULT_STRATEGY);
    std::vector<uint8_t> out(deflateBound(&z, uLong(in.size())) + 32);
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = uInt(in.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

using TgaPtr = std::unique_ptr<ImageTGA, void (*)(ImageTGA*)>;

TgaPtr tga(const std::vector<uint8_t>& bytes) {
    return TgaPtr(tgaLoadFromMemory(bytes.data(), bytes.size()), tgaDestroy);
}

std::vector<uint8_t> tgaHeader(uint8_t type, unsigned w, unsigned h, uint8_t bpp,
                               uint8_t descriptor = 0) {
    std::vector<uint8_t> header(18, 0);
    header[2] = type;
    header[12] = uint8_t(w), header[13] = uint8_t(w >> 8);
    header[14] = uint8_t(h), header[15] = uint8_t(h >> 8);
    header[16] = bpp;
    header[17] = descriptor;
    return header;
}

std::vector<uint8_t> cat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

TEST(FileUtilsTest, ResolvesNamesInTheResourceDirectory) {
    test::TempDir dir;
    platform::setResourceDirectory(dir.path().string());
    std::filesystem::create_directory(dir.path() / "fonts");
    test::writeText(dir.file("a.png"), "x");
    test::writeText(dir.file("fonts/b.fnt"), "x");
    EXPECT_EQ(FileUtils::fullPathFromRelativePath("a.png"), dir.file("a.png"));
    EXPECT_EQ(FileUtils::fullPathFromRelativePath("fonts/b.fnt"), dir.file("fonts/b.fnt"));
    EXPECT_EQ(FileUtils::fullPathFromRelativePath("b.fnt"), "b.fnt");
    EXPECT_EQ(FileUtils::fullPathFromRelativePath("missing.png"), "missing.png");
    EXPECT_EQ(FileUtils::fullPathFromRelativePath("/abs/a.png"), "/abs/a.png");
    EXPECT_EQ(FileUtils::fullPathFromRelativePath(""), "");
    platform::setResourceDirectory("");
}

TEST(InflateTest, InflatesGzipAndZlibData) {
    std::vector<uint8_t> text;
    for (int i = 0; i < 300000; ++i)
        text.push_back(uint8_t("tile layer "[i % 11] + i / 50000));
    for (bool gzip : {true, false}) {
        auto packed = deflateBytes(text, gzip);
        std::vector<uint8_t> out;
        // Larger than the first 256 KiB buffer: it has to grow.
        EXPECT_EQ(inflateMemory(packed.data(), packed.size(), out), text.size());
        EXPECT_EQ(out, text);
    }
}

TEST(InflateTest, BadStreamsFailCleanly) {
    std::vector<uint8_t> text(5000, 'a');
    auto packed = deflateBytes(text, true);
    test::LogCapture log;
    std::vector<uint8_t> out{1, 2, 3};
    // Truncated: fails instead of growing the buffer for ever.
    EXPECT_EQ(inflateMemory(packed.data(), packed.size() / 2, out), 0u);
    EXPECT_TRUE(out.empty());
    auto corrupt = packed;
    corrupt[12] ^= 0xFF;
    corrupt[13] ^= 0xFF;
    EXPECT_EQ(inflateMemory(corrupt.data(), corrupt.size(), out), 0u);
    std::vector<uint8_t> junk(100, 0x42);
    EXPECT_EQ(inflateMemory(junk.data(), junk.size(), out), 0u);
    EXPECT_EQ(inflateMemory(nullptr, 0, out), 0u);
    EXPECT_FALSE(log.lines().empty());
}

TEST(InflateTest, OutputIsCapped) {
    // 200 MiB of zeros packs into about 200 KiB.
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
    std::vector<uint8_t> zeros(1 << 20, 0), bomb(1 << 20);
    z.next_out = bomb.data();
    z.avail_out = uInt(bomb.size());
    for (int i = 0; i < 200; ++i) {
        z.next_in = zeros.data();
        z.avail_in = uInt(zeros.size());
        deflate(&z, i == 199 ? Z_FINISH : Z_NO_FLUSH);
    }
    bomb.resize(z.total_out);
    deflateEnd(&z);

    test::LogCapture log;
    std::vector<uint8_t> out;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(inflateMemory(bomb.data(), bomb.size(), out), 0u);
    EXPECT_TRUE(out.empty());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(log.lines().back(), "inflateMemory: output larger than 67108864 bytes");

    std::vector<uint8_t> small(4096, 7);
    auto packed = deflateBytes(small, false);
    EXPECT_EQ(inflateMemory(packed.data(), packed.size(), out, 4095), 0u);
    EXPECT_EQ(inflateMemory(packed.data(), packed.size(), out, 4096), 4096u);
}

TEST(TgaTest, ReadsRawGreyAndRunLengthImages) {
    // 2 x 2, 24 bits, bottom-left origin: BGR swapped to RGB, rows as stored.
    auto rgb = tga(cat(tgaHeader(2, 2, 2, 24), {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    ASSERT_EQ(rgb->status, kTGAOk);
    EXPECT_EQ(rgb->width, 2);
    EXPECT_EQ(rgb->pixelDepth, 24);
    EXPECT_FALSE(rgb->flipped);
    EXPECT_EQ(rgb->imageData, (std::vector<uint8_t>{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));

    // Top-left origin: rows flipped.
    auto top = tga(cat(tgaHeader(3, 2, 2, 8, 0x20), {1, 2, 3, 4}));
    ASSERT_EQ(top->status, kTGAOk);
    EXPECT_TRUE(top->flipped);
    EXPECT_EQ(top->imageData, (std::vector<uint8_t>{3, 4, 1, 2}));

    // Run-length 32 bits: a run of 4, then 3 literal pixels of which only 2
    // fit in the image.
    auto rle = tga(cat(tgaHeader(10, 3, 2, 32),
                       {0x83, 1, 2, 3, 4, 0x02, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    ASSERT_EQ(rle->status, kTGAOk);
    EXPECT_EQ(rle->imageData, (std::vector<uint8_t>{3, 2, 1, 4, 3, 2, 1, 4, 3,  2,  1, 4,
                                                    3, 2, 1, 4, 7, 6, 5, 8, 11, 10, 9, 12}));
    EXPECT_EQ(rle->type, 10);
}

TEST(TgaTest, BadFilesReportTheirStatus) {
    EXPECT_EQ(tga(cat(tgaHeader(1, 2, 2, 8), {0, 0, 0, 0}))->status, kTGAErrorIndexedColor);
    EXPECT_EQ(tga(cat(tgaHeader(9, 2, 2, 8), {0, 0, 0, 0}))->status, kTGAErrorUnsupportedType);
    EXPECT_EQ(tga(cat(tgaHeader(2, 2, 2, 7), {0, 0, 0, 0}))->status, kTGAErrorUnsupportedType);
    EXPECT_EQ(tga(tgaHeader(2, 2, 2, 24))->status, kTGAErrorReadingFile); // no pixels
    EXPECT_EQ(tga({0, 0, 2})->status, kTGAErrorReadingFile);              // no header
    // 65535 x 65535 announced by a 30-byte file: refused without allocating.
    auto huge = tga(cat(tgaHeader(2, 65535, 65535, 32), std::vector<uint8_t>(12)));
    EXPECT_EQ(huge->status, kTGAErrorReadingFile);
    EXPECT_TRUE(huge->imageData.empty());
    auto hugeRle = tga(cat(tgaHeader(10, 65535, 65535, 32), {0xFF, 1, 2, 3, 4}));
    EXPECT_EQ(hugeRle->status, kTGAErrorReadingFile);
    // Run-length data that ends early.
    EXPECT_EQ(tga(cat(tgaHeader(10, 16, 16, 8), {0x7F, 1, 2, 3, 0x7F, 1, 2}))->status,
              kTGAErrorReadingFile);

    test::TempDir dir;
    TgaPtr missing(tgaLoad(dir.file("none.tga").c_str()), tgaDestroy);
    EXPECT_EQ(missing->status, kTGAErrorFileOpen);
    test::writeText(dir.file("a.tga"),
                    std::string("\0\0\3\0\0\0\0\0\0\0\0\0\1\0\1\0\x08\0\x7f", 19));
    TgaPtr file(tgaLoad(dir.file("a.tga").c_str()), tgaDestroy);
    ASSERT_EQ(file->status, kTGAOk);
    EXPECT_EQ(file->imageData, std::vector<uint8_t>{0x7f});
}

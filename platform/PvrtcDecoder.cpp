// PVRTC 1 decoding, from the published format description: every 64-bit
// block holds 32 bits of per-pixel modulation and two low-resolution colours
// A and B. The A and B images are bilinearly upscaled to full size (each
// block's colour sits at the block's centre, neighbours wrap around the
// texture) and every pixel blends its upscaled A and B by its modulation
// weight.
#include "platform/PvrtcDecoder.h"
#include "platform/PvrtcLayout.h"

#include "support/Log.h"

#include <algorithm>
#include <vector>

namespace platform {

namespace {

constexpr unsigned kMaxSide = 8192;

// r, g, b in 5 bits, a in 4 bits.
struct Color {
    int r = 0, g = 0, b = 0, a = 0;
};

int expand4to5(uint32_t v) {
    return int((v << 1) | (v >> 3));
}
int expand3to5(uint32_t v) {
    return int((v << 2) | (v >> 1));
}

// Colour B: bits 16..31 of the colour word; bit 31 set means opaque RGB 555,
// clear means ARGB 3444.
Color colorB(uint32_t w) {
    if (w & 0x80000000u) return {int((w >> 26) & 31), int((w >> 21) & 31), int((w >> 16) & 31), 15};
    return {expand4to5((w >> 24) & 15), expand4to5((w >> 20) & 15), expand4to5((w >> 16) & 15),
            int((w >> 28) & 7) << 1};
}

// Colour A: bits 1..15 of the colour word; bit 15 set means opaque RGB 554,
// clear means ARGB 3443.
Color colorA(uint32_t w) {
    if (w & 0x8000u)
        return {int((w >> 10) & 31), int((w >> 5) & 31), expand4to5((w >> 1) & 15), 15};
    return {expand4to5((w >> 8) & 15), expand4to5((w >> 4) & 15), expand3to5((w >> 1) & 7),
            int((w >> 12) & 7) << 1};
}

struct Block {
    uint32_t modulation = 0;
    Color a, b;
    bool mode = false; // bit 0 of the colour word
};

bool isPowerOfTwo(unsigned v) {
    return v && !(v & (v - 1));
}

uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Modulation weights in eighths of B.
constexpr int kStandardWeights[4] = {0, 3, 5, 8};
constexpr int kPunchThroughWeights[4] = {0, 4, 4, 8};
constexpr int8_t kUnstored = -1;

} // namespace

size_t pvrtcLevelSize(unsigned width, unsigned height, int bpp) {
    unsigned blockWidth = bpp == 2 ? 8 : 4;
    size_t across = std::max(2u, width / blockWidth);
    size_t down = std::max(2u, height / 4);
    return across * down * 8;
}

bool decodePvrtc(const uint8_t* data, size_t size, unsigned width, unsigned height, int bpp,
                 uint8_t* rgba) {
    if ((bpp != 2 && bpp != 4) || !data || !rgba) return false;
    if (!isPowerOfTwo(width) || !isPowerOfTwo(height) || width > kMaxSide || height > kMaxSide)
        return false;
    if (size < pvrtcLevelSize(width, height, bpp)) return false;

    const int bw = bpp == 4 ? 4 : 8, bh = 4;
    const unsigned blocksX = std::max(2u, width / unsigned(bw));
    const unsigned blocksY = std::max(2u, height / unsigned(bh));
    const int paddedW = int(blocksX) * bw, paddedH = int(blocksY) * bh;

    std::vector<Block> blocks(size_t(blocksX) * blocksY);
    for (unsigned by = 0; by < blocksY; ++by)
        for (unsigned bx = 0; bx < blocksX; ++bx) {
            const uint8_t* p = data + pvrtcBlockIndex(bx, by, blocksX, blocksY) * 8;
            uint32_t colors = le32(p + 4);
            Block& b = blocks[size_t(by) * blocksX + bx];
            b.modulation = le32(p);
            b.a = colorA(colors);
            b.b = colorB(colors);
            b.mode = colors & 1;
        }

    // Per-pixel weight (0..8) over the padded image; punch-through pixels
    // are transparent.
    std::vector<int8_t> weight(size_t(paddedW) * size_t(paddedH));
    std::vector<uint8_t> punch(bpp == 4 ? weight.size() : 0);
    enum class Fill { Both, Horizontal, Vertical };
    std::vector<Fill> fill(bpp == 2 ? blocks.size() : 0);

    for (int by = 0; by < int(blocksY); ++by)
        for (int bx = 0; bx < int(blocksX); ++bx) {
            const Block& b = blocks[size_t(by) * blocksX + size_t(bx)];
            uint32_t m = b.modulation;
            for (int ly = 0; ly < bh; ++ly)
                for (int lx = 0; lx < bw; ++lx) {
                    size_t at = size_t(by * bh + ly) * size_t(paddedW) + size_t(bx * bw + lx);
                    if (bpp == 4) {
                        unsigned v = (m >> (2 * (ly * 4 + lx))) & 3;
                        weight[at] = int8_t(b.mode ? kPunchThroughWeights[v] : kStandardWeights[v]);
                        punch[at] = b.mode && v == 2;
                    } else if (!b.mode) {
                        weight[at] = (m >> (ly * 8 + lx)) & 1 ? 8 : 0;
                    } else if ((lx + ly) % 2) {
                        weight[at] = kUnstored;
                    } else {
                        // Half the pixels (a checkerboard) carry two bits each.
                        // Bit 0 chooses how the others are filled in, and when
                        // set bit 20 too; a value that lends its low bit to a
                        // flag repeats its high bit instead.
                        int k = ly * 4 + lx / 2;
                        unsigned v = (m >> (2 * k)) & 3;
                        bool flagBit = k == 0 || (k == 10 && (m & 1));
                        if (flagBit) v = (v & 2) ? 3 : 0;
                        weight[at] = int8_t(kStandardWeights[v]);
                    }
                }
            if (bpp == 2 && b.mode) {
                Fill& f = fill[size_t(by) * blocksX + size_t(bx)];
                if (!(b.modulation & 1))
                    f = Fill::Both;
                else
                    f = (b.modulation >> 20) & 1 ? Fill::Vertical : Fill::Horizontal;
            }
        }

    if (bpp == 2) {
        // Neighbours of an unstored pixel are always stored (the checkerboard
        // runs across blocks, whose sides are even).
        auto at = [&](int x, int y) {
            return int(weight[size_t(pvrtcWrap(y, paddedH)) * size_t(paddedW) +
                              size_t(pvrtcWrap(x, paddedW))]);
        };
        for (int y = 0; y < paddedH; ++y)
            for (int x = 0; x < paddedW; ++x) {
                size_t i = size_t(y) * size_t(paddedW) + size_t(x);
                if (weight[i] != kUnstored) continue;
                Fill f = fill[size_t(y / bh) * blocksX + size_t(x / bw)];
                int h = at(x - 1, y) + at(x + 1, y);
                int v = at(x, y - 1) + at(x, y + 1);
                if (f == Fill::Horizontal)
                    weight[i] = int8_t((h + 1) / 2);
                else if (f == Fill::Vertical)
                    weight[i] = int8_t((v + 1) / 2);
                else
                    weight[i] = int8_t((h + v + 2) / 4);
            }
    }

    // Bilinear upscaling: weights out of bw (across) and 4 (down).
    const int scale = bw * bh;
    const int colorMax = 31 * scale * 8, alphaMax = 15 * scale * 8;
    for (unsigned y = 0; y < height; ++y) {
        int py = int(y) - bh / 2;
        int by0 = (py + bh) / bh - 1;
        int fy = py - by0 * bh;
        int j0 = pvrtcWrap(by0, int(blocksY)), j1 = pvrtcWrap(by0 + 1, int(blocksY));
        for (unsigned x = 0; x < width; ++x) {
            int px = int(x) - bw / 2;
            int bx0 = (px + bw) / bw - 1;
            int fx = px - bx0 * bw;
            int i0 = pvrtcWrap(bx0, int(blocksX)), i1 = pvrtcWrap(bx0 + 1, int(blocksX));
            const Block& b00 = blocks[size_t(j0) * blocksX + size_t(i0)];
            const Block& b10 = blocks[size_t(j0) * blocksX + size_t(i1)];
            const Block& b01 = blocks[size_t(j1) * blocksX + size_t(i0)];
            const Block& b11 = blocks[size_t(j1) * blocksX + size_t(i1)];
            int w00 = (bw - fx) * (bh - fy), w10 = fx * (bh - fy), w01 = (bw - fx) * fy,
                w11 = fx * fy;
            auto mix = [&](int Color::*c, const Color Block::*which) {
                return (b00.*which).*c * w00 + (b10.*which).*c * w10 + (b01.*which).*c * w01 +
                       (b11.*which).*c * w11;
            };
            size_t at = size_t(y) * size_t(paddedW) + x;
            int m = weight[at];
            auto blend = [&](int Color::*c, int max) {
                int v = mix(c, &Block::a) * (8 - m) + mix(c, &Block::b) * m;
                return uint8_t((v * 255 + max / 2) / max);
            };
            uint8_t* out = rgba + (size_t(y) * width + x) * 4;
            out[0] = blend(&Color::r, colorMax);
            out[1] = blend(&Color::g, colorMax);
            out[2] = blend(&Color::b, colorMax);
            out[3] = bpp == 4 && punch[at] ? 0 : blend(&Color::a, alphaMax);
        }
    }
    return true;
}

GLenum compressedTexImage2DPvrtc(GLint level, GLenum internalFormat, GLsizei width, GLsizei height,
                                 GLsizei imageSize, const void* data) {
    int bpp;
    switch (internalFormat) {
    case GL_COMPRESSED_RGB_PVRTC_4BPPV1_IMG:
    case GL_COMPRESSED_RGBA_PVRTC_4BPPV1_IMG:
        bpp = 4;
        break;
    case GL_COMPRESSED_RGB_PVRTC_2BPPV1_IMG:
    case GL_COMPRESSED_RGBA_PVRTC_2BPPV1_IMG:
        bpp = 2;
        break;
    default:
        return GL_INVALID_ENUM;
    }
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (maxSize <= 0) maxSize = 1024;
    int maxLevel = 0;
    while ((1 << (maxLevel + 1)) <= maxSize)
        ++maxLevel;
    if (level < 0 || level > maxLevel || width <= 0 || height <= 0 || width > maxSize ||
        height > maxSize || imageSize < 0 || !data)
        return GL_INVALID_VALUE;
    unsigned w = unsigned(width), h = unsigned(height);
    if (size_t(imageSize) < pvrtcLevelSize(w, h, bpp)) return GL_INVALID_VALUE;
    std::vector<uint8_t> rgba(size_t(w) * h * 4);
    if (!decodePvrtc(static_cast<const uint8_t*>(data), size_t(imageSize), w, h, bpp, rgba.data()))
        return GL_INVALID_VALUE;
    bool opaque = internalFormat == GL_COMPRESSED_RGB_PVRTC_4BPPV1_IMG ||
                  internalFormat == GL_COMPRESSED_RGB_PVRTC_2BPPV1_IMG;
    if (opaque)
        for (size_t i = 3; i < rgba.size(); i += 4)
            rgba[i] = 255;
    // An error left by earlier calls must not be taken for ours.
    checkGLError("before a PVRTC upload");
    glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 rgba.data());
    return glGetError();
}

} // namespace platform

// PVRTC 4 bpp encoder. The decoder upscales two low-resolution pictures A
// and B bilinearly (each block's colours sit at the block's centre and
// neighbours wrap around) and blends them per pixel by a 2-bit modulation
// weight of 0, 3/8, 5/8 or 1. Everything here mirrors that model: a first
// guess of A and B from each block's colour extremes, then rounds of
// least-squares fitting of the block colours to the picture under the
// current modulation, quantising, and choosing the best modulation again.
#include "tools/resgen/Pvrtc.h"
#include "platform/PvrtcLayout.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace resgen {

namespace {

// Channels in the decoder's units: r, g, b in 0..31, a in 0..15.
using Vec = std::array<double, 4>;
constexpr Vec kMax = {31, 31, 31, 15};
constexpr int kWeights[4] = {0, 3, 5, 8};

int expand4to5(int v) {
    return (v << 1) | (v >> 3);
}
int expand3to5(int v) {
    return (v << 2) | (v >> 1);
}

// The field value whose expansion lies nearest `target`.
int nearestField(double target, int bits, int (*expand)(int)) {
    int best = 0;
    double bestErr = std::numeric_limits<double>::max();
    for (int v = 0; v < (1 << bits); ++v) {
        double e = std::abs(expand(v) - target);
        if (e < bestErr) bestErr = e, best = v;
    }
    return best;
}

struct Quantized {
    Vec value;     // what the decoder will see
    uint32_t bits; // the 15 (A) or 16 (B) bits of the colour word, unshifted
};

// Squared error in 8-bit units, colour weighted by how opaque it is.
double colourError(const Vec& v, const Vec& t) {
    double cw = (255.0 / 31) * (255.0 / 31) * (0.1 + 0.9 * t[3] / 15);
    double aw = (255.0 / 15) * (255.0 / 15);
    return cw * ((v[0] - t[0]) * (v[0] - t[0]) + (v[1] - t[1]) * (v[1] - t[1]) +
                 (v[2] - t[2]) * (v[2] - t[2])) +
           aw * (v[3] - t[3]) * (v[3] - t[3]);
}

// Colour A: opaque RGB 554 (bit 14 set in these 15 bits) or ARGB 3443.
Quantized quantizeA(const Vec& c) {
    int r = std::clamp(int(std::lround(c[0])), 0, 31),
        g = std::clamp(int(std::lround(c[1])), 0, 31);
    int b = nearestField(c[2], 4, expand4to5);
    Quantized opaque{{double(r), double(g), double(expand4to5(b)), 15},
                     uint32_t(1u << 14 | r << 9 | g << 4 | b)};
    int a3 = std::clamp(int(std::lround(c[3] / 2)), 0, 7);
    int r4 = nearestField(c[0], 4, expand4to5), g4 = nearestField(c[1], 4, expand4to5);
    int b3 = nearestField(c[2], 3, expand3to5);
    Quantized translucent{
        {double(expand4to5(r4)), double(expand4to5(g4)), double(expand3to5(b3)), double(a3 * 2)},
        uint32_t(a3 << 11 | r4 << 7 | g4 << 3 | b3)};
    return colourError(opaque.value, c) <= colourError(translucent.value, c) ? opaque : translucent;
}

// Colour B: opaque RGB 555 (bit 15 set in these 16 bits) or ARGB 3444.
Quantized quantizeB(const Vec& c) {
    int r = std::clamp(int(std::lround(c[0])), 0, 31),
        g = std::clamp(int(std::lround(c[1])), 0, 31);
    int b = std::clamp(int(std::lround(c[2])), 0, 31);
    Quantized opaque{{double(r), double(g), double(b), 15},
                     uint32_t(1u << 15 | r << 10 | g << 5 | b)};
    int a3 = std::clamp(int(std::lround(c[3] / 2)), 0, 7);
    int r4 = nearestField(c[0], 4, expand4to5), g4 = nearestField(c[1], 4, expand4to5);
    int b4 = nearestField(c[2], 4, expand4to5);
    Quantized translucent{
        {double(expand4to5(r4)), double(expand4to5(g4)), double(expand4to5(b4)), double(a3 * 2)},
        uint32_t(a3 << 12 | r4 << 8 | g4 << 4 | b4)};
    return colourError(opaque.value, c) <= colourError(translucent.value, c) ? opaque : translucent;
}

// One pixel's four neighbouring blocks and their bilinear weights (of 16).
struct Footprint {
    std::array<int, 4> block;
    std::array<int, 4> weight;
};

class Encoder {
public:
    Encoder(const uint8_t* rgba, unsigned width, unsigned height)
        : width_(int(width)), height_(int(height)), blocksX_(std::max(2, width_ / 4)),
          blocksY_(std::max(2, height_ / 4)), paddedW_(blocksX_ * 4), paddedH_(blocksY_ * 4) {
        size_t n = size_t(paddedW_) * size_t(paddedH_);
        target_.resize(n);
        importance_.resize(n);
        modulation_.assign(n, 0);
        footprint_.resize(n);
        // Pixels past a small level's edge are never shown; they repeat the
        // picture and count little.
        for (int y = 0; y < paddedH_; ++y)
            for (int x = 0; x < paddedW_; ++x) {
                const uint8_t* p =
                    rgba + (size_t(y % height_) * size_t(width_) + size_t(x % width_)) * 4;
                size_t i = index(x, y);
                target_[i] = {p[0] * 31.0 / 255, p[1] * 31.0 / 255, p[2] * 31.0 / 255,
                              p[3] * 15.0 / 255};
                importance_[i] = x < width_ && y < height_ ? 1.0 : 0.05;
                footprint_[i] = footprintOf(x, y);
            }
        blockPixels_.resize(size_t(blocksX_) * size_t(blocksY_));
        for (size_t i = 0; i < n; ++i)
            for (int k = 0; k < 4; ++k)
                blockPixels_[size_t(footprint_[i].block[size_t(k)])].push_back(
                    {i, footprint_[i].weight[size_t(k)]});
    }

    std::vector<uint8_t> encode(int refinements) {
        firstGuess();
        quantize();
        chooseModulation();
        for (int round = 0; round < refinements; ++round) {
            fit();
            quantize();
            chooseModulation();
        }
        return pack();
    }

private:
    size_t index(int x, int y) const { return size_t(y) * size_t(paddedW_) + size_t(x); }

    Footprint footprintOf(int x, int y) const {
        int px = x - 2, py = y - 2;
        int bx0 = (px + 4) / 4 - 1, by0 = (py + 4) / 4 - 1;
        int fx = px - bx0 * 4, fy = py - by0 * 4;
        int i0 = platform::pvrtcWrap(bx0, blocksX_), i1 = platform::pvrtcWrap(bx0 + 1, blocksX_);
        int j0 = platform::pvrtcWrap(by0, blocksY_), j1 = platform::pvrtcWrap(by0 + 1, blocksY_);
        return {{j0 * blocksX_ + i0, j0 * blocksX_ + i1, j1 * blocksX_ + i0, j1 * blocksX_ + i1},
                {(4 - fx) * (4 - fy), fx * (4 - fy), (4 - fx) * fy, fx * fy}};
    }

    // The block's extremes along the main axis of its pixels' colours.
    void firstGuess() {
        size_t blocks = size_t(blocksX_) * size_t(blocksY_);
        a_.resize(blocks);
        b_.resize(blocks);
        for (int by = 0; by < blocksY_; ++by)
            for (int bx = 0; bx < blocksX_; ++bx) {
                std::vector<Vec> px;
                for (int y = 0; y < 4; ++y)
                    for (int x = 0; x < 4; ++x)
                        px.push_back(target_[index(bx * 4 + x, by * 4 + y)]);
                Vec mean{};
                for (const Vec& p : px)
                    for (int c = 0; c < 4; ++c)
                        mean[size_t(c)] += p[size_t(c)] / double(px.size());
                double cov[4][4] = {};
                for (const Vec& p : px)
                    for (int i = 0; i < 4; ++i)
                        for (int j = 0; j < 4; ++j)
                            cov[i][j] +=
                                (p[size_t(i)] - mean[size_t(i)]) * (p[size_t(j)] - mean[size_t(j)]);
                Vec axis{1, 1, 1, 1};
                for (int it = 0; it < 16; ++it) {
                    Vec next{};
                    for (int i = 0; i < 4; ++i)
                        for (int j = 0; j < 4; ++j)
                            next[size_t(i)] += cov[i][j] * axis[size_t(j)];
                    double len = std::sqrt(next[0] * next[0] + next[1] * next[1] +
                                           next[2] * next[2] + next[3] * next[3]);
                    if (len < 1e-9) break;
                    for (int i = 0; i < 4; ++i)
                        axis[size_t(i)] = next[size_t(i)] / len;
                }
                double lo = 0, hi = 0;
                for (const Vec& p : px) {
                    double t = 0;
                    for (int c = 0; c < 4; ++c)
                        t += (p[size_t(c)] - mean[size_t(c)]) * axis[size_t(c)];
                    lo = std::min(lo, t);
                    hi = std::max(hi, t);
                }
                size_t k = size_t(by) * size_t(blocksX_) + size_t(bx);
                for (int c = 0; c < 4; ++c) {
                    a_[k][size_t(c)] =
                        std::clamp(mean[size_t(c)] + axis[size_t(c)] * lo, 0.0, kMax[size_t(c)]);
                    b_[k][size_t(c)] =
                        std::clamp(mean[size_t(c)] + axis[size_t(c)] * hi, 0.0, kMax[size_t(c)]);
                }
            }
    }

    void quantize() {
        qa_.clear();
        qb_.clear();
        for (size_t k = 0; k < a_.size(); ++k) {
            qa_.push_back(quantizeA(a_[k]));
            qb_.push_back(quantizeB(b_[k]));
        }
    }

    // Upscaled A and B at pixel i from the given block colours.
    template <class Get>
    Vec upscale(size_t i, Get get) const {
        Vec v{};
        const Footprint& f = footprint_[i];
        for (int k = 0; k < 4; ++k)
            for (int c = 0; c < 4; ++c)
                v[size_t(c)] +=
                    get(size_t(f.block[size_t(k)]))[size_t(c)] * f.weight[size_t(k)] / 16.0;
        return v;
    }

    void chooseModulation() {
        for (size_t i = 0; i < target_.size(); ++i) {
            Vec a = upscale(i, [&](size_t k) { return qa_[k].value; });
            Vec b = upscale(i, [&](size_t k) { return qb_[k].value; });
            double best = std::numeric_limits<double>::max();
            for (int m = 0; m < 4; ++m) {
                Vec v;
                for (int c = 0; c < 4; ++c)
                    v[size_t(c)] =
                        (a[size_t(c)] * (8 - kWeights[m]) + b[size_t(c)] * kWeights[m]) / 8;
                double e = colourError(v, target_[i]);
                if (e < best) best = e, modulation_[i] = uint8_t(m);
            }
        }
    }

    // Gauss-Seidel over blocks: each block's A and B solved by least squares
    // with its neighbours held, per channel.
    void fit() {
        size_t n = target_.size();
        std::vector<Vec> value(n);
        for (size_t i = 0; i < n; ++i) {
            int w = kWeights[modulation_[i]];
            Vec a = upscale(i, [&](size_t k) { return a_[k]; });
            Vec b = upscale(i, [&](size_t k) { return b_[k]; });
            for (int c = 0; c < 4; ++c)
                value[i][size_t(c)] = (a[size_t(c)] * (8 - w) + b[size_t(c)] * w) / 8;
        }
        for (size_t k = 0; k < a_.size(); ++k) {
            for (int c = 0; c < 4; ++c) {
                double saa = 0, sab = 0, sbb = 0, sar = 0, sbr = 0;
                for (const auto& [i, weight] : blockPixels_[k]) {
                    double m = kWeights[modulation_[i]];
                    double alpha = weight * (8 - m) / 128.0, beta = weight * m / 128.0;
                    double omega = importance_[i] * (c == 3 ? 1.0 : 0.1 + 0.9 * target_[i][3] / 15);
                    double others =
                        value[i][size_t(c)] - alpha * a_[k][size_t(c)] - beta * b_[k][size_t(c)];
                    double r = target_[i][size_t(c)] - others;
                    saa += omega * alpha * alpha;
                    sab += omega * alpha * beta;
                    sbb += omega * beta * beta;
                    sar += omega * alpha * r;
                    sbr += omega * beta * r;
                }
                // A little pull towards the current values keeps blocks whose
                // pixels all use one picture solvable.
                double lambda = 1e-3 * (saa + sbb) + 1e-9;
                double oldA = a_[k][size_t(c)], oldB = b_[k][size_t(c)];
                double m00 = saa + lambda, m01 = sab, m11 = sbb + lambda;
                double r0 = sar + lambda * oldA, r1 = sbr + lambda * oldB;
                double det = m00 * m11 - m01 * m01;
                if (std::abs(det) < 1e-12) continue;
                double newA = std::clamp((r0 * m11 - r1 * m01) / det, 0.0, kMax[size_t(c)]);
                double newB = std::clamp((m00 * r1 - m01 * r0) / det, 0.0, kMax[size_t(c)]);
                a_[k][size_t(c)] = newA;
                b_[k][size_t(c)] = newB;
                for (const auto& [i, weight] : blockPixels_[k]) {
                    double m = kWeights[modulation_[i]];
                    value[i][size_t(c)] += weight * (8 - m) / 128.0 * (newA - oldA) +
                                           weight * m / 128.0 * (newB - oldB);
                }
            }
        }
    }

    std::vector<uint8_t> pack() const {
        std::vector<uint8_t> out(size_t(blocksX_) * size_t(blocksY_) * 8);
        for (int by = 0; by < blocksY_; ++by)
            for (int bx = 0; bx < blocksX_; ++bx) {
                uint32_t mod = 0;
                for (int y = 0; y < 4; ++y)
                    for (int x = 0; x < 4; ++x)
                        mod |= uint32_t(modulation_[index(bx * 4 + x, by * 4 + y)])
                               << (2 * (y * 4 + x));
                size_t k = size_t(by) * size_t(blocksX_) + size_t(bx);
                // Bit 0 clear: standard modulation, no punch-through.
                uint32_t colours = qb_[k].bits << 16 | qa_[k].bits << 1;
                uint8_t* p =
                    &out[platform::pvrtcBlockIndex(unsigned(bx), unsigned(by), unsigned(blocksX_),
                                                   unsigned(blocksY_)) *
                         8];
                for (int i = 0; i < 4; ++i) {
                    p[i] = uint8_t(mod >> (8 * i));
                    p[4 + i] = uint8_t(colours >> (8 * i));
                }
            }
        return out;
    }

    int width_, height_, blocksX_, blocksY_, paddedW_, paddedH_;
    std::vector<Vec> target_;
    std::vector<double> importance_;
    std::vector<uint8_t> modulation_;
    std::vector<Footprint> footprint_;
    std::vector<std::vector<std::pair<size_t, int>>> blockPixels_;
    std::vector<Vec> a_, b_;
    std::vector<Quantized> qa_, qb_;
};

bool isPowerOfTwo(unsigned v) {
    return v && !(v & (v - 1));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

} // namespace

std::vector<uint8_t> encodePvrtc4(const uint8_t* rgba, unsigned width, unsigned height,
                                  int refinements) {
    if (!isPowerOfTwo(width) || !isPowerOfTwo(height)) return {};
    return Encoder(rgba, width, height).encode(refinements);
}

std::vector<uint8_t> halvePicture(const std::vector<uint8_t>& rgba, unsigned width,
                                  unsigned height) {
    unsigned w = std::max(1u, width / 2), h = std::max(1u, height / 2);
    std::vector<uint8_t> out(size_t(w) * h * 4);
    for (unsigned y = 0; y < h; ++y)
        for (unsigned x = 0; x < w; ++x) {
            double sum[4] = {0, 0, 0, 0};
            int count = 0;
            for (unsigned dy = 0; dy < 2; ++dy)
                for (unsigned dx = 0; dx < 2; ++dx) {
                    unsigned sx = std::min(width - 1, x * 2 + dx),
                             sy = std::min(height - 1, y * 2 + dy);
                    const uint8_t* p = &rgba[(size_t(sy) * width + sx) * 4];
                    for (int c = 0; c < 3; ++c)
                        sum[c] += p[c] * double(p[3]);
                    sum[3] += p[3];
                    ++count;
                }
            uint8_t* o = &out[(size_t(y) * w + x) * 4];
            for (int c = 0; c < 3; ++c)
                o[c] = sum[3] > 0 ? uint8_t(std::lround(sum[c] / sum[3])) : 0;
            o[3] = uint8_t(std::lround(sum[3] / count));
        }
    return out;
}

std::vector<uint8_t> pvrFile4(const std::vector<uint8_t>& rgba, unsigned width, unsigned height,
                              bool mipmaps) {
    std::vector<uint8_t> data;
    std::vector<uint8_t> level = rgba;
    unsigned w = width, h = height, levels = 0;
    for (;;) {
        std::vector<uint8_t> blocks = encodePvrtc4(level.data(), w, h);
        data.insert(data.end(), blocks.begin(), blocks.end());
        ++levels;
        if (!mipmaps || (w == 1 && h == 1)) break;
        level = halvePicture(level, w, h);
        w = std::max(1u, w / 2);
        h = std::max(1u, h / 2);
    }
    std::vector<uint8_t> out;
    put32(out, 52); // header length
    put32(out, height);
    put32(out, width);
    put32(out, levels - 1); // mipmaps below level 0
    // PVRTC 4 bpp (25), with the mipmap (0x100), twiddled (0x200) and
    // alpha (0x8000) flags.
    put32(out, 25u | 0x200u | 0x8000u | (levels > 1 ? 0x100u : 0u));
    put32(out, uint32_t(data.size()));
    put32(out, 4); // bits per pixel
    put32(out, 0); // red, green and blue masks
    put32(out, 0);
    put32(out, 0);
    put32(out, 1); // alpha mask: the texture has alpha
    out.insert(out.end(), {'P', 'V', 'R', '!'});
    put32(out, 1); // surfaces
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

} // namespace resgen

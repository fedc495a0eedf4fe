#pragma once

#include "support/Ref.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// How a decoded picture carries alpha.
enum class ImageAlpha {
    None,          // opaque
    Straight,      // colour channels independent of alpha
    Premultiplied, // colour channels already multiplied by alpha
};

// The layout a picture is drawn into.
enum class ImageBufferFormat {
    RGBAPremultiplied, // 4 bytes R, G, B, A; colour multiplied by alpha
    RGBNoAlpha,        // 4 bytes R, G, B and one skipped: composited over black
    Alpha8,            // 1 byte: alpha (a mask's coverage)
};

// A decoded picture: 8-bit RGBA (or, for a mask, 8-bit coverage), rows from
// top to bottom, with what the source file said about it.
class DecodedImage : public Object {
public:
    // Decodes a PNG or JPEG file or bytes. Null, with a log line, when the
    // data is neither or is truncated or corrupt, or when a side of the
    // picture is longer than `maxSide` pixels (pictures from outside the
    // program get a small limit). Pictures with alpha come out
    // premultiplied, the way the application's bundled images always were.
    static Ref<DecodedImage> imageWithContentsOfFile(const std::string& path);
    static Ref<DecodedImage> imageWithData(const uint8_t* data, size_t size,
                                           int maxSide = 16384);
    // A picture from RGBA bytes (width x height x 4) with the given alpha.
    static Ref<DecodedImage> imageWithRGBA(int width, int height, std::vector<uint8_t> rgba,
                                           ImageAlpha alpha, int bitsPerComponent = 8);
    // A mask: one coverage byte per pixel and no colour space.
    static Ref<DecodedImage> maskWithCoverage(int width, int height, std::vector<uint8_t> coverage);

    int width() const { return width_; }
    int height() const { return height_; }
    // Bits per colour component in the source (1, 2, 4, 8 or 16).
    int bitsPerComponent() const { return bitsPerComponent_; }
    ImageAlpha alpha() const { return alpha_; }
    // False for masks.
    bool hasColorSpace() const { return hasColorSpace_; }
    // RGBA, or one byte per pixel for a mask; empty means no picture.
    const std::vector<uint8_t>& pixels() const { return pixels_; }

    // Draws the picture at its own size into the top-left corner of a
    // cleared `bufferWidth` x `bufferHeight` buffer of `format` (the first
    // rows of memory). False when the buffer is smaller than the picture.
    bool drawInto(uint8_t* buffer, int bufferWidth, int bufferHeight,
                  ImageBufferFormat format) const;

    DecodedImage() = default;

private:
    int width_ = 0, height_ = 0;
    int bitsPerComponent_ = 8;
    ImageAlpha alpha_ = ImageAlpha::None;
    bool hasColorSpace_ = true;
    std::vector<uint8_t> pixels_;
};

} // namespace platform

#pragma once

#include "platform/GL.h"
#include "support/Geometry.h"
#include "support/Ref.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {
class DecodedImage;
}

// Pixel formats of textures made from pixels; the GL upload format and type
// of each: RGBA8888 GL_RGBA/UNSIGNED_BYTE, RGB565 GL_RGB/UNSIGNED_SHORT_5_6_5,
// A8 GL_ALPHA/UNSIGNED_BYTE, RGBA4444 GL_RGBA/UNSIGNED_SHORT_4_4_4_4,
// RGB5A1 GL_RGBA/UNSIGNED_SHORT_5_5_5_1. PVRTC textures keep 0.
enum class PixelFormat : int {
    RGBA8888 = 1,
    RGB565 = 2,
    A8 = 3,
    RGBA4444 = 4,
    RGB5A1 = 5,
};

// Minification filter, magnification filter, wrap S, wrap T.
struct TexParams {
    GLuint minFilter, magFilter, wrapS, wrapT;
};

inline constexpr TexParams kTexParamsAntiAlias{GL_LINEAR, GL_LINEAR, GL_CLAMP_TO_EDGE,
                                               GL_CLAMP_TO_EDGE};
inline constexpr TexParams kTexParamsAlias{GL_NEAREST, GL_NEAREST, GL_CLAMP_TO_EDGE,
                                           GL_CLAMP_TO_EDGE};

// Text alignment inside a text texture's rectangle.
enum TextAlignment {
    kTextAlignmentLeft = 0,
    kTextAlignmentCenter = 1,
    kTextAlignmentRight = 2,
};

// One GL texture and the sizes needed to draw it: the content size (the
// picture) and the power-of-two size of the GL texture holding it. Rows run
// from the picture's top edge (t = 0) down. Textures are made with a GL
// context current; the creators yield nothing (with a log line) on failure.
class Texture2D : public Object {
public:
    // Widest and tallest picture accepted, after rounding to powers of two.
    static constexpr unsigned kMaxTextureSize = 1024;

    // From a pixel buffer of `format` (copied by the upload). A format
    // outside 1..5 raises an internal-inconsistency error.
    static Ref<Texture2D> textureWithData(const void* data, PixelFormat format, unsigned pixelsWide,
                                          unsigned pixelsHigh, Size contentSize);
    // From a decoded picture: see the .cpp for the choice of format. Null
    // (logs "Image is Null") for a missing picture; a picture over 1024
    // pixels on a side after rounding fails an assertion.
    static Ref<Texture2D> textureWithImage(const platform::DecodedImage* image);
    // Text drawn in the font into a rectangle of `dimensions`, as an A8
    // texture: the coverage is the alpha, tinted by the current colour.
    static Ref<Texture2D> textureWithString(const std::string& string, Size dimensions,
                                            TextAlignment alignment, const std::string& fontName,
                                            float fontSize);
    // The string's own size, centred.
    static Ref<Texture2D> textureWithString(const std::string& string, const std::string& fontName,
                                            float fontSize);
    // Raw PVRTC data (no header) of a `length` x `length` texture at 2 or 4
    // bits per pixel; `dataLength` bytes are available at `data`.
    static Ref<Texture2D> textureWithPVRTCData(const void* data, size_t dataLength, int level,
                                               int bpp, bool hasAlpha, unsigned length);
    // A .pvr file; a file that cannot be read still yields a texture, with
    // GL name 0 and size 0, that draws nothing.
    static Ref<Texture2D> textureWithPVRTCFile(const std::string& path);

    ~Texture2D() override;

    // Format of images that carry alpha or 8-bit components (starts at
    // RGBA8888).
    static PixelFormat defaultAlphaPixelFormat();
    static void setDefaultAlphaPixelFormat(PixelFormat format);

    GLuint name() const { return _name; }
    unsigned pixelsWide() const { return _width; }
    unsigned pixelsHigh() const { return _height; }
    PixelFormat pixelFormat() const { return _format; }
    Size contentSize() const { return _size; }
    float maxS() const { return _maxS; }
    void setMaxS(float s) { _maxS = s; }
    float maxT() const { return _maxT; }
    void setMaxT(float t) { _maxT = t; }
    bool hasPremultipliedAlpha() const { return _hasPremultipliedAlpha; }
    // For pictures drawn by GL (render-to-texture), which come premultiplied.
    void setHasPremultipliedAlpha(bool on) { _hasPremultipliedAlpha = on; }

    void setTexParameters(const TexParams& params);
    void setAntiAliasTexParameters() { setTexParameters(kTexParamsAntiAlias); }
    void setAliasTexParameters() { setTexParameters(kTexParamsAlias); }

    // Draw the content at `point` (its bottom-left corner) or stretched over
    // `rect`. The caller enables texturing and the vertex and texture-
    // coordinate arrays.
    void drawAtPoint(Point point) const;
    void drawInRect(Rect rect) const;

    std::string description() const;

    Texture2D() = default;

private:
    bool initWithData(const void* data, PixelFormat format, unsigned width, unsigned height,
                      Size contentSize);

    GLuint _name = 0;
    Size _size;
    unsigned _width = 0, _height = 0;
    PixelFormat _format{};
    float _maxS = 0, _maxT = 0;
    bool _hasPremultipliedAlpha = false;
};

#include "render/Texture2D.h"

#include "platform/ImageDecoder.h"
#include "platform/PvrtcDecoder.h"
#include "platform/TextRenderer.h"
#include "render/PVRTexture.h"
#include "support/Error.h"
#include "support/Log.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr const char* kInternalInconsistency = "InternalInconsistency";

std::atomic<PixelFormat> defaultAlphaFormat{PixelFormat::RGBA8888};

// 1 and powers of two stay; anything else goes up to the next power of two.
unsigned roundUpToPowerOfTwo(unsigned v) {
    if (v == 1 || (v && !(v & (v - 1)))) return v;
    unsigned p = 1;
    while (p < v && p < (1u << 31))
        p <<= 1;
    return p;
}

unsigned toUnsigned(float v) {
    if (!(v > 0)) return 0; // also NaN
    return v >= 4294967295.0f ? 4294967295u : unsigned(v);
}

unsigned maxTextureSize() {
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    return size > 0 ? unsigned(size) : 2048;
}

// Packs 8-bit RGBA into 16 bits per pixel, keeping the high bits.
std::vector<uint16_t> pack16(const std::vector<uint8_t>& rgba, PixelFormat format) {
    std::vector<uint16_t> out(rgba.size() / 4);
    for (size_t i = 0; i < out.size(); ++i) {
        unsigned r = rgba[i * 4], g = rgba[i * 4 + 1], b = rgba[i * 4 + 2], a = rgba[i * 4 + 3];
        switch (format) {
        case PixelFormat::RGB565:
            out[i] = uint16_t((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
            break;
        case PixelFormat::RGBA4444:
            out[i] = uint16_t((r >> 4) << 12 | (g >> 4) << 8 | (b >> 4) << 4 | (a >> 4));
            break;
        default: // RGB5A1
            out[i] = uint16_t((r >> 3) << 11 | (g >> 3) << 6 | (b >> 3) << 1 | (a >> 7));
            break;
        }
    }
    return out;
}

} // namespace

PixelFormat Texture2D::defaultAlphaPixelFormat() {
    return defaultAlphaFormat.load();
}

void Texture2D::setDefaultAlphaPixelFormat(PixelFormat format) {
    defaultAlphaFormat = format;
}

Texture2D::~Texture2D() {
    if (_name) platform::GLState::deleteTextures(1, &_name);
}

bool Texture2D::initWithData(const void* data, PixelFormat format, unsigned width, unsigned height,
                             Size contentSize) {
    GLenum glFormat, type;
    switch (format) {
    case PixelFormat::RGBA8888:
        glFormat = GL_RGBA, type = GL_UNSIGNED_BYTE;
        break;
    case PixelFormat::RGB565:
        glFormat = GL_RGB, type = GL_UNSIGNED_SHORT_5_6_5;
        break;
    case PixelFormat::A8:
        glFormat = GL_ALPHA, type = GL_UNSIGNED_BYTE;
        break;
    case PixelFormat::RGBA4444:
        glFormat = GL_RGBA, type = GL_UNSIGNED_SHORT_4_4_4_4;
        break;
    case PixelFormat::RGB5A1:
        glFormat = GL_RGBA, type = GL_UNSIGNED_SHORT_5_5_5_1;
        break;
    default:
        ccRaise(kInternalInconsistency, "");
    }
    glGenTextures(1, &_name);
    platform::GLState::current().bindTexture(_name);
    setAntiAliasTexParameters();
    // Rows of A8 and 16-bit textures narrower than 4 bytes are not padded.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(glFormat), GLsizei(width), GLsizei(height), 0, glFormat,
                 type, data);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    platform::checkGLError("Texture2D upload");

    _size = contentSize;
    _width = width;
    _height = height;
    _format = format;
    _maxS = width ? contentSize.width / float(width) : 0;
    _maxT = height ? contentSize.height / float(height) : 0;
    _hasPremultipliedAlpha = false;
    return true;
}

Ref<Texture2D> Texture2D::textureWithData(const void* data, PixelFormat format, unsigned pixelsWide,
                                          unsigned pixelsHigh, Size contentSize) {
    auto texture = make<Texture2D>();
    if (!texture->initWithData(data, format, pixelsWide, pixelsHigh, contentSize)) return nullptr;
    return texture;
}

Ref<Texture2D> Texture2D::textureWithImage(const platform::DecodedImage* image) {
    using platform::ImageAlpha;
    using platform::ImageBufferFormat;
    if (!image || image->pixels().empty()) {
        ccLog("Image is Null");
        return nullptr;
    }

    PixelFormat format;
    if (!image->hasColorSpace())
        format = PixelFormat::A8;
    else if (image->alpha() != ImageAlpha::None || image->bitsPerComponent() > 7)
        format = defaultAlphaPixelFormat();
    else
        format = PixelFormat::RGB565;

    unsigned width = roundUpToPowerOfTwo(unsigned(image->width()));
    unsigned height = roundUpToPowerOfTwo(unsigned(image->height()));
    if (width > kMaxTextureSize || height > kMaxTextureSize) {
        char message[80];
        std::snprintf(message, sizeof message, "Image is bigger than the supported %u x %u",
                      kMaxTextureSize, kMaxTextureSize);
        ccAssertionFailed(message);
    }

    ImageBufferFormat bufferFormat;
    size_t bytesPerPixel = 4;
    switch (format) {
    case PixelFormat::RGBA8888:
    case PixelFormat::RGBA4444:
    case PixelFormat::RGB5A1:
        bufferFormat = ImageBufferFormat::RGBAPremultiplied;
        break;
    case PixelFormat::RGB565:
        bufferFormat = ImageBufferFormat::RGBNoAlpha;
        break;
    case PixelFormat::A8:
        bufferFormat = ImageBufferFormat::Alpha8;
        bytesPerPixel = 1;
        break;
    default:
        ccRaise(kInternalInconsistency, "Invalid pixel format");
    }
    std::vector<uint8_t> buffer(size_t(width) * height * bytesPerPixel, 0);
    image->drawInto(buffer.data(), int(width), int(height), bufferFormat);

    Size contentSize(float(image->width()), float(image->height()));
    Ref<Texture2D> texture;
    if (format == PixelFormat::RGB565 || format == PixelFormat::RGBA4444 ||
        format == PixelFormat::RGB5A1) {
        std::vector<uint16_t> packed = pack16(buffer, format);
        texture = textureWithData(packed.data(), format, width, height, contentSize);
    } else {
        texture = textureWithData(buffer.data(), format, width, height, contentSize);
    }
    if (texture) texture->_hasPremultipliedAlpha = image->alpha() == ImageAlpha::Premultiplied;
    return texture;
}

Ref<Texture2D> Texture2D::textureWithString(const std::string& string, Size dimensions,
                                            TextAlignment alignment, const std::string& fontName,
                                            float fontSize) {
    unsigned width = roundUpToPowerOfTwo(toUnsigned(dimensions.width));
    unsigned height = roundUpToPowerOfTwo(toUnsigned(dimensions.height));
    // Nothing larger could be uploaded; refuse before allocating the canvas.
    unsigned limit = maxTextureSize();
    if (width > limit || height > limit) {
        ccLog("Texture2D: text of %u x %u is larger than the %u pixel limit", width, height, limit);
        return nullptr;
    }
    // Fonts shipped as files (a custom font manager) would be asked first;
    // this build has none, so the platform's fonts draw every string.
    std::vector<uint8_t> canvas(size_t(width) * height, 0);
    platform::TextAlignment align =
        alignment == kTextAlignmentCenter  ? platform::TextAlignment::Center
        : alignment == kTextAlignmentRight ? platform::TextAlignment::Right
                                           : platform::TextAlignment::Left;
    platform::drawText(string, fontName, fontSize, dimensions, align, canvas.data(), int(width),
                       int(height));
    return textureWithData(canvas.data(), PixelFormat::A8, width, height, dimensions);
}

Ref<Texture2D> Texture2D::textureWithString(const std::string& string, const std::string& fontName,
                                            float fontSize) {
    Size dimensions = platform::measureText(string, fontName, fontSize);
    return textureWithString(string, dimensions, kTextAlignmentCenter, fontName, fontSize);
}

Ref<Texture2D> Texture2D::textureWithPVRTCData(const void* data, size_t dataLength, int level,
                                               int bpp, bool hasAlpha, unsigned length) {
    GLenum format =
        bpp == 4
            ? (hasAlpha ? GL_COMPRESSED_RGBA_PVRTC_4BPPV1_IMG : GL_COMPRESSED_RGB_PVRTC_4BPPV1_IMG)
            : (hasAlpha ? GL_COMPRESSED_RGBA_PVRTC_2BPPV1_IMG : GL_COMPRESSED_RGB_PVRTC_2BPPV1_IMG);
    uint64_t size =
        std::max<uint64_t>(uint64_t(length) * length * unsigned(bpp == 4 ? 4 : 2) / 8, 32);
    if (!data || size > dataLength || length > maxTextureSize()) {
        ccLog("Texture2D: %zu bytes of PVRTC data for a %u x %u texture", dataLength, length,
              length);
        return nullptr;
    }
    auto texture = make<Texture2D>();
    glGenTextures(1, &texture->_name);
    platform::GLState::current().bindTexture(texture->_name);
    texture->setAntiAliasTexParameters();
    GLenum error = platform::compressedTexImage2DPvrtc(level, format, GLsizei(length),
                                                       GLsizei(length), GLsizei(size), data);
    if (error != GL_NO_ERROR) {
        ccLog("Texture2D: cannot upload PVRTC data. glError: 0x%04X", unsigned(error));
        return nullptr;
    }
    texture->_size = Size(float(length), float(length));
    texture->_width = texture->_height = length;
    texture->_maxS = texture->_maxT = 1;
    return texture;
}

Ref<Texture2D> Texture2D::textureWithPVRTCFile(const std::string& path) {
    auto texture = make<Texture2D>();
    if (auto pvr = PVRTexture::pvrTextureWithContentsOfFile(path)) {
        pvr->setRetainName(true);
        texture->_name = pvr->name();
        texture->_width = pvr->width();
        texture->_height = pvr->height();
    }
    texture->_size = Size(float(texture->_width), float(texture->_height));
    texture->_maxS = texture->_maxT = 1;
    // Name 0 is the default texture, which must not get these parameters.
    if (texture->_name) texture->setAntiAliasTexParameters();
    return texture;
}

void Texture2D::setTexParameters(const TexParams& params) {
    platform::GLState::current().bindTexture(_name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GLint(params.minFilter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GLint(params.magFilter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GLint(params.wrapS));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GLint(params.wrapT));
}

void Texture2D::drawAtPoint(Point point) const {
    GLfloat coordinates[] = {0, _maxT, _maxS, _maxT, 0, 0, _maxS, 0};
    GLfloat width = GLfloat(_width) * _maxS, height = GLfloat(_height) * _maxT;
    GLfloat vertices[] = {point.x, point.y,          0, point.x + width, point.y,          0,
                          point.x, point.y + height, 0, point.x + width, point.y + height, 0};
    platform::GLState& gl = platform::GLState::current();
    gl.bindTexture(_name);
    gl.bindArrayBuffer(0);
    glVertexPointer(3, GL_FLOAT, 0, vertices);
    glTexCoordPointer(2, GL_FLOAT, 0, coordinates);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

void Texture2D::drawInRect(Rect rect) const {
    GLfloat coordinates[] = {0, _maxT, _maxS, _maxT, 0, 0, _maxS, 0};
    GLfloat x = rect.origin.x, y = rect.origin.y;
    GLfloat right = x + rect.size.width, top = y + rect.size.height;
    GLfloat vertices[] = {x, y, right, y, x, top, right, top};
    platform::GLState& gl = platform::GLState::current();
    gl.bindTexture(_name);
    gl.bindArrayBuffer(0);
    glVertexPointer(2, GL_FLOAT, 0, vertices);
    glTexCoordPointer(2, GL_FLOAT, 0, coordinates);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

std::string Texture2D::description() const {
    char buf[200];
    std::snprintf(
        buf, sizeof buf,
        "<Texture2D = %08lX | Name = %u | Dimensions = %ux%u | Coordinates = (%.2f, %.2f)>",
        static_cast<unsigned long>(reinterpret_cast<uintptr_t>(this)), _name, _width, _height,
        double(_maxS), double(_maxT));
    return buf;
}

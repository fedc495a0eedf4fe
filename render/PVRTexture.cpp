#include "render/PVRTexture.h"

#include "platform/Files.h"
#include "platform/PvrtcDecoder.h"
#include "support/Log.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr size_t kHeaderSize = 52;
constexpr uint32_t kPixelType2bpp = 24;
constexpr uint32_t kPixelType4bpp = 25;
// More levels than a 2^16-pixel side has cannot be a real mipmap chain.
constexpr size_t kMaxLevels = 17;
constexpr size_t kMaxFileBytes = size_t(64) << 20;

uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = char(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The path of a file URL, or empty.
std::string pathOfFileURL(const std::string& url) {
    std::string rest;
    if (url.rfind("file://localhost/", 0) == 0)
        rest = url.substr(16);
    else if (url.rfind("file:///", 0) == 0)
        rest = url.substr(7);
    else if (url.rfind("file:/", 0) == 0 && url.rfind("file://", 0) != 0)
        rest = url.substr(5);
    else
        return {};
    std::string path;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && hexValue(rest[i + 1]) >= 0 &&
            hexValue(rest[i + 2]) >= 0) {
            path += char(hexValue(rest[i + 1]) * 16 + hexValue(rest[i + 2]));
            i += 2;
        } else if (rest[i] == '?' || rest[i] == '#') {
            break;
        } else {
            path += rest[i];
        }
    }
    return path;
}

} // namespace

PVRTexture::~PVRTexture() {
    if (_name && !_retainName) platform::GLState::deleteTextures(1, &_name);
}

Ref<PVRTexture> PVRTexture::pvrTextureWithContentsOfFile(const std::string& path) {
    auto texture = make<PVRTexture>();
    if (!texture->initWithContentsOfFile(path)) return nullptr;
    return texture;
}

Ref<PVRTexture> PVRTexture::pvrTextureWithContentsOfURL(const std::string& url) {
    std::string path = pathOfFileURL(url);
    if (path.empty()) return nullptr;
    return pvrTextureWithContentsOfFile(path);
}

bool PVRTexture::initWithContentsOfFile(const std::string& path) {
    auto bytes = platform::readFile(path, kMaxFileBytes);
    if (!bytes) {
        ccLog("PVRTexture: cannot read %s", path.c_str());
        return false;
    }
    return unpackPVRData(bytes->data(), bytes->size()) && createGLTexture();
}

bool PVRTexture::unpackPVRData(const uint8_t* data, size_t size) {
    _imageData.clear();
    if (!data || size < kHeaderSize) {
        ccLog("PVRTexture: file too short for a header");
        return false;
    }
    if (data[44] != 'P' || data[45] != 'V' || data[46] != 'R' || data[47] != '!') {
        ccLog("PVRTexture: not a PVR file");
        return false;
    }
    uint32_t pixelType = le32(data + 16) & 0xFF;
    if (pixelType != kPixelType2bpp && pixelType != kPixelType4bpp) {
        ccLog("PVRTexture: unsupported pixel type %u", pixelType);
        return false;
    }
    bool twoBpp = pixelType == kPixelType2bpp;
    _internalFormat =
        twoBpp ? GL_COMPRESSED_RGBA_PVRTC_2BPPV1_IMG : GL_COMPRESSED_RGBA_PVRTC_4BPPV1_IMG;
    _height = le32(data + 4);
    _width = le32(data + 8);
    _hasAlpha = le32(data + 40) != 0;
    uint64_t dataLength = le32(data + 20);
    if (dataLength > size - kHeaderSize) {
        ccLog("PVRTexture: %llu bytes of data announced, %zu present",
              static_cast<unsigned long long>(dataLength), size - kHeaderSize);
        return false;
    }

    const uint64_t blockWidth = twoBpp ? 8 : 4, blockHeight = 4;
    uint64_t width = _width, height = _height;
    uint64_t offset = 0;
    std::vector<std::vector<uint8_t>> levels;
    while (offset < dataLength) {
        uint64_t across = std::max<uint64_t>(2, width / blockWidth);
        uint64_t down = std::max<uint64_t>(2, height / blockHeight);
        uint64_t levelSize = across * down * 8;
        if (levelSize > dataLength - offset || levels.size() == kMaxLevels) {
            ccLog("PVRTexture: level %zu does not fit the data", levels.size());
            return false;
        }
        const uint8_t* start = data + kHeaderSize + offset;
        levels.emplace_back(start, start + levelSize);
        offset += levelSize;
        width = std::max<uint64_t>(width >> 1, 1);
        height = std::max<uint64_t>(height >> 1, 1);
    }
    _imageData = std::move(levels);
    return true;
}

bool PVRTexture::createGLTexture() {
    if (_imageData.empty()) return true;
    if (_name) platform::GLState::deleteTextures(1, &_name);
    glGenTextures(1, &_name);
    platform::GLState::current().bindTexture(_name);
    uint32_t width = _width, height = _height;
    for (size_t i = 0; i < _imageData.size(); ++i) {
        const auto& level = _imageData[i];
        GLenum error = platform::compressedTexImage2DPvrtc(
            GLint(i), _internalFormat, GLsizei(std::min<uint32_t>(width, INT32_MAX)),
            GLsizei(std::min<uint32_t>(height, INT32_MAX)), GLsizei(level.size()), level.data());
        if (error != GL_NO_ERROR) {
            ccLog("Error uploading compressed texture level: %d. glError: 0x%04X", int(i),
                  unsigned(error));
            return false;
        }
        width = std::max<uint32_t>(width >> 1, 1);
        height = std::max<uint32_t>(height >> 1, 1);
    }
    _imageData.clear();
    return true;
}

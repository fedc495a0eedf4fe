#pragma once

#include "platform/GL.h"
#include "support/Ref.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A PVRTC texture read from a .pvr file (version 2 header, 52 bytes, then
// the levels' data), uploaded level by level.
class PVRTexture : public Object {
public:
    // Null, with a log line, when the file cannot be read or parsed or a
    // level cannot be uploaded.
    static Ref<PVRTexture> pvrTextureWithContentsOfFile(const std::string& path);
    // Only file URLs ("file:///path", "file://localhost/path"); anything else
    // yields nothing.
    static Ref<PVRTexture> pvrTextureWithContentsOfURL(const std::string& url);

    PVRTexture() = default;
    ~PVRTexture() override;

    // Checks the header and splits the data into levels; no GL work. False
    // for a bad tag or pixel type, or data shorter than the header says.
    bool unpackPVRData(const uint8_t* data, size_t size);
    // Uploads the levels (if any) to a new GL texture and drops their data.
    bool createGLTexture();

    GLuint name() const { return _name; }
    uint32_t width() const { return _width; }
    uint32_t height() const { return _height; }
    GLenum internalFormat() const { return _internalFormat; }
    bool hasAlpha() const { return _hasAlpha; }
    // When set, the GL texture outlives this object (a Texture2D took it).
    bool retainName() const { return _retainName; }
    void setRetainName(bool retain) { _retainName = retain; }
    // Level data, until uploaded.
    const std::vector<std::vector<uint8_t>>& imageData() const { return _imageData; }

private:
    bool initWithContentsOfFile(const std::string& path);

    std::vector<std::vector<uint8_t>> _imageData;
    GLuint _name = 0;
    uint32_t _width = 0, _height = 0;
    GLenum _internalFormat = GL_COMPRESSED_RGBA_PVRTC_4BPPV1_IMG;
    bool _hasAlpha = false;
    bool _retainName = false;
};

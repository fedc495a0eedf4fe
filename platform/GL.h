#pragma once

// OpenGL ES 1.1, fixed function, for every drawing part of the program.
#include <GLES/gl.h>
#include <GLES/glext.h>

#include "platform/GLState.h"
#include "support/Ref.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace platform {

enum class ColorFormat { RGB565, RGBA8 };
enum class DepthFormat { None, Depth16, Depth24 };

// A GL ES 1.1 rendering context. The window owns the main one; background
// loaders make their own, sharing textures with it.
class GLContext : public Object {
public:
    // The context current on the calling thread, or null.
    static GLContext* current();
    // Makes no context current on the calling thread.
    static void clearCurrent();

    virtual bool makeCurrent() = 0;
    // A new context sharing textures and buffers with this one, to be made
    // current on another thread. Null when the platform cannot make one.
    virtual Ref<GLContext> createSharedContext() = 0;

    // The state the drawing code last set on this context.
    GLState& glState() { return glState_; }

protected:
    static void setCurrent(GLContext* context);

private:
    GLState glState_;
};

// An offscreen colour target, with an optional depth buffer, that a view
// draws into and the window shows on present. Created and destroyed with its
// context current.
class GLSurface {
public:
    // Null when the framebuffer cannot be made complete.
    static std::unique_ptr<GLSurface> create(int width, int height, ColorFormat color,
                                             DepthFormat depth);
    ~GLSurface();
    GLSurface(const GLSurface&) = delete;
    GLSurface& operator=(const GLSurface&) = delete;

    GLuint framebuffer() const { return framebuffer_; }
    // The colour buffer (a texture, so that the window can draw it).
    GLuint colorBuffer() const { return color_; }
    GLuint depthBuffer() const { return depth_; }
    int width() const { return width_; }
    int height() const { return height_; }
    ColorFormat colorFormat() const { return colorFormat_; }

    void bind() const;
    // The surface's pixels as RGBA, rows from top to bottom.
    std::vector<uint8_t> readPixels() const;

private:
    GLSurface() = default;
    GLuint framebuffer_ = 0, color_ = 0, depth_ = 0;
    int width_ = 0, height_ = 0;
    ColorFormat colorFormat_ = ColorFormat::RGBA8;
};

// A framebuffer that draws into level 0 of an existing texture (drawing into
// pictures). It does not own the texture. Created and destroyed with its
// context current.
class GLTextureTarget {
public:
    // Null when the framebuffer cannot be made complete with that texture.
    static std::unique_ptr<GLTextureTarget> create(GLuint texture);
    ~GLTextureTarget();
    GLTextureTarget(const GLTextureTarget&) = delete;
    GLTextureTarget& operator=(const GLTextureTarget&) = delete;

    GLuint framebuffer() const { return framebuffer_; }
    void bind() const;

private:
    GLTextureTarget() = default;
    GLuint framebuffer_ = 0;
};

// The framebuffer drawing goes to now (0 is the window system's), and
// binding one.
GLuint boundFramebuffer();
void bindFramebuffer(GLuint framebuffer);

// "OpenGL error 0x%04X in %s" for a pending GL error; true when there was one.
bool checkGLError(const char* where);

} // namespace platform

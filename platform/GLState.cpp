#include "platform/GLState.h"

#include "platform/GL.h"

#include <atomic>

namespace platform {

namespace {
// Counts deletions of textures and buffers in any context.
std::atomic<uint64_t> deletions{0};
} // namespace

GLState& GLState::current() {
    if (GLContext* context = GLContext::current()) return context->glState();
    thread_local GLState withoutContext;
    return withoutContext;
}

void GLState::setArrays(unsigned arrays) {
    // A draw from a colour array leaves the current colour undefined.
    if (arrays & kColorArray) colorKnown_ = false;
    if (arraysKnown_ && arrays == arrays_) return;
    static constexpr struct {
        Array bit;
        GLenum array;
    } kArrays[] = {{kVertexArray, GL_VERTEX_ARRAY},
                   {kColorArray, GL_COLOR_ARRAY},
                   {kTexCoordArray, GL_TEXTURE_COORD_ARRAY},
                   {kPointSizeArray, GL_POINT_SIZE_ARRAY_OES}};
    for (const auto& a : kArrays) {
        const bool on = arrays & a.bit;
        if (arraysKnown_ && on == bool(arrays_ & a.bit)) continue;
        on ? glEnableClientState(a.array) : glDisableClientState(a.array);
    }
    arrays_ = arrays;
    arraysKnown_ = true;
}

void GLState::setTexturing(bool on) {
    if (texturingKnown_ && on == texturing_) return;
    on ? glEnable(GL_TEXTURE_2D) : glDisable(GL_TEXTURE_2D);
    texturing_ = on;
    texturingKnown_ = true;
}

void GLState::setPointSprites(bool on) {
    if (pointSpritesKnown_ && on == pointSprites_) return;
    if (on) {
        glEnable(GL_POINT_SPRITE_OES);
        glTexEnvi(GL_POINT_SPRITE_OES, GL_COORD_REPLACE_OES, GL_TRUE);
    } else {
        glDisable(GL_POINT_SPRITE_OES);
    }
    pointSprites_ = on;
    pointSpritesKnown_ = true;
}

void GLState::checkDeletions() {
    const uint64_t now = deletions.load(std::memory_order_acquire);
    if (now == deletionsSeen_) return;
    deletionsSeen_ = now;
    textureKnown_ = arrayBufferKnown_ = elementBufferKnown_ = false;
}

void GLState::bindTexture(GLuint name) {
    checkDeletions();
    if (textureKnown_ && name == texture_) return;
    glBindTexture(GL_TEXTURE_2D, name);
    texture_ = name;
    textureKnown_ = true;
}

void GLState::setBlendFunc(GLenum src, GLenum dst) {
    if (blendKnown_ && src == blendSrc_ && dst == blendDst_) return;
    glBlendFunc(src, dst);
    blendSrc_ = src;
    blendDst_ = dst;
    blendKnown_ = true;
}

void GLState::setColor(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    const uint32_t color = uint32_t(r) << 24 | uint32_t(g) << 16 | uint32_t(b) << 8 | a;
    if (colorKnown_ && color == color_) return;
    glColor4ub(r, g, b, a);
    color_ = color;
    colorKnown_ = true;
}

void GLState::bindArrayBuffer(GLuint name) {
    checkDeletions();
    if (arrayBufferKnown_ && name == arrayBuffer_) return;
    glBindBuffer(GL_ARRAY_BUFFER, name);
    arrayBuffer_ = name;
    arrayBufferKnown_ = true;
}

void GLState::bindElementArrayBuffer(GLuint name) {
    checkDeletions();
    if (elementBufferKnown_ && name == elementBuffer_) return;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, name);
    elementBuffer_ = name;
    elementBufferKnown_ = true;
}

void GLState::setTexEnvMode(GLint mode) {
    if (texEnvModeKnown_ && mode == texEnvMode_) return;
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, mode);
    texEnvMode_ = mode;
    texEnvModeKnown_ = true;
}

void GLState::invalidate() {
    arraysKnown_ = texturingKnown_ = pointSpritesKnown_ = textureKnown_ = blendKnown_ =
        colorKnown_ = arrayBufferKnown_ = elementBufferKnown_ = texEnvModeKnown_ = false;
}

void GLState::restoreDefaults() {
    setArrays(0);
    setTexturing(false);
    setPointSprites(false);
    bindTexture(0);
    bindArrayBuffer(0);
    bindElementArrayBuffer(0);
    setBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    setColor(255, 255, 255, 255);
    setTexEnvMode(GL_MODULATE);
}

void GLState::deleteTextures(GLsizei n, const GLuint* names) {
    glDeleteTextures(n, names);
    deletions.fetch_add(1, std::memory_order_release);
}

void GLState::deleteBuffers(GLsizei n, const GLuint* names) {
    glDeleteBuffers(n, names);
    deletions.fetch_add(1, std::memory_order_release);
}

} // namespace platform

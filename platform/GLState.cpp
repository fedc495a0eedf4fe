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
    if (arrays & kColorArray) color_.known = false;
    const bool wasKnown = arrays_.known;
    const unsigned was = arrays_.value;
    if (!arrays_.change(arrays)) return;
    static constexpr struct {
        Array bit;
        GLenum array;
    } kArrays[] = {{kVertexArray, GL_VERTEX_ARRAY},
                   {kColorArray, GL_COLOR_ARRAY},
                   {kTexCoordArray, GL_TEXTURE_COORD_ARRAY},
                   {kPointSizeArray, GL_POINT_SIZE_ARRAY_OES}};
    for (const auto& a : kArrays) {
        const bool on = arrays & a.bit;
        if (wasKnown && on == bool(was & a.bit)) continue;
        on ? glEnableClientState(a.array) : glDisableClientState(a.array);
    }
}

void GLState::setTexturing(bool on) {
    if (texturing_.change(on)) on ? glEnable(GL_TEXTURE_2D) : glDisable(GL_TEXTURE_2D);
}

void GLState::setPointSprites(bool on) {
    if (!pointSprites_.change(on)) return;
    if (on) {
        glEnable(GL_POINT_SPRITE_OES);
        glTexEnvi(GL_POINT_SPRITE_OES, GL_COORD_REPLACE_OES, GL_TRUE);
    } else {
        glDisable(GL_POINT_SPRITE_OES);
    }
}

void GLState::checkDeletions() {
    const uint64_t now = deletions.load(std::memory_order_acquire);
    if (now == deletionsSeen_) return;
    deletionsSeen_ = now;
    texture_.known = arrayBuffer_.known = elementBuffer_.known = false;
}

void GLState::bindTexture(GLuint name) {
    checkDeletions();
    if (texture_.change(name)) glBindTexture(GL_TEXTURE_2D, name);
}

void GLState::setBlendFunc(GLenum src, GLenum dst) {
    if (blend_.change(uint64_t(src) << 32 | dst)) glBlendFunc(src, dst);
}

void GLState::setColor(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    if (color_.change(uint32_t(r) << 24 | uint32_t(g) << 16 | uint32_t(b) << 8 | a))
        glColor4ub(r, g, b, a);
}

void GLState::bindArrayBuffer(GLuint name) {
    checkDeletions();
    if (arrayBuffer_.change(name)) glBindBuffer(GL_ARRAY_BUFFER, name);
}

void GLState::bindElementArrayBuffer(GLuint name) {
    checkDeletions();
    if (elementBuffer_.change(name)) glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, name);
}

void GLState::setTexEnvMode(GLint mode) {
    if (texEnvMode_.change(mode)) glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, mode);
}

void GLState::invalidate() {
    arrays_.known = texturing_.known = pointSprites_.known = texture_.known = blend_.known =
        color_.known = arrayBuffer_.known = elementBuffer_.known = texEnvMode_.known = false;
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

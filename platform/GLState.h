#pragma once

#include <GLES/gl.h>
#include <GLES/glext.h>

#include <cstdint>

namespace platform {

// The GL state the drawing code sets, as last set on one context, so that a
// draw issues only the calls that change something. Every draw declares what
// it needs (arrays, texturing, texture, blend, colour) and nothing is put
// back afterwards: on a software rasteriser a state that flips and flips back
// between two draws costs as much as a real change, several times the draw
// itself.
//
// What is not known yet (after invalidate(), or after GL objects were deleted
// anywhere) is set unconditionally the next time. Code that changes these
// states behind the cache's back calls invalidate() afterwards, and
// restoreDefaults() first if it expects the defaults. The director forgets
// everything at the start of a frame and puts the defaults back at its end,
// so that outside a frame the state is what it always was.
class GLState {
public:
    // Client-side arrays, as a mask.
    enum Array : unsigned {
        kVertexArray = 1u << 0,
        kColorArray = 1u << 1,
        kTexCoordArray = 1u << 2,
        kPointSizeArray = 1u << 3,
    };

    // The cache of the context current on the calling thread (one kept per
    // thread when no context of ours is current).
    static GLState& current();

    // Exactly these arrays enabled, the others disabled.
    void setArrays(unsigned arrays);
    // GL_TEXTURE_2D on texture unit 0.
    void setTexturing(bool on);
    // Point sprites with their texture coordinates replaced across the point.
    void setPointSprites(bool on);
    void bindTexture(GLuint name);
    void setBlendFunc(GLenum src, GLenum dst);
    // The current colour used when no colour array is enabled.
    void setColor(uint8_t r, uint8_t g, uint8_t b, uint8_t a);
    void bindArrayBuffer(GLuint name);
    void bindElementArrayBuffer(GLuint name);
    void setTexEnvMode(GLint mode);
    // Texturing on, modulated by the colour, with `name` bound, for drawing
    // anything but points: point sprites go off, because Mesa's software
    // rasteriser replaces the texture coordinates of triangles too while
    // they are on, and textured triangles lose their picture. A point draw
    // turns them on again after this.
    void useTexture(GLuint name) {
        setPointSprites(false);
        setTexturing(true);
        setTexEnvMode(GL_MODULATE);
        bindTexture(name);
    }

    // Forgets everything: the next request of each state is issued.
    void invalidate();
    // The drawing defaults: every array, texturing and point sprites off,
    // no texture or buffer bound, blend (one, one minus source alpha),
    // opaque white, modulate.
    void restoreDefaults();

    // Deleting textures or buffers unbinds them in the current context and
    // frees their names for reuse in every context sharing them: these tell
    // every cache so.
    static void deleteTextures(GLsizei n, const GLuint* names);
    static void deleteBuffers(GLsizei n, const GLuint* names);

private:
    // One value as last set; an unknown value never matches.
    template <class T>
    struct Cached {
        T value{};
        bool known = false;
        // Records `v`; true when GL must be told.
        bool change(T v) {
            if (known && v == value) return false;
            value = v;
            known = true;
            return true;
        }
    };

    void checkDeletions();

    Cached<unsigned> arrays_;
    Cached<bool> texturing_, pointSprites_;
    Cached<GLuint> texture_, arrayBuffer_, elementBuffer_;
    Cached<uint64_t> blend_; // source << 32 | destination
    Cached<uint32_t> color_; // RGBA, a byte each
    Cached<GLint> texEnvMode_;
    uint64_t deletionsSeen_ = 0;
};

} // namespace platform

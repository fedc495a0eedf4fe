#pragma once

#include "engine/Node.h"
#include "platform/GL.h"
#include "platform/Window.h"
#include "render/Sprite.h"
#include "render/Texture2D.h"
#include "support/Ref.h"

#include <memory>
#include <string>

// Draws into a texture. Between begin() and end(), drawing goes to the
// texture's picture area (its content size, in points, one pixel each) with a
// flat projection over it and an identity model-view matrix: a node visited
// there lands where it would on a screen of that size. The projection is
// flipped so that the picture's top row comes first, as in every other
// texture. end() puts back the framebuffer, viewport and both matrices that
// begin() found; pairs may nest (different grabbers).
class Grabber : public Object {
public:
    // Null (logged) when GL cannot draw into the texture.
    static Ref<Grabber> grabberWithTexture(Texture2D* texture);
    // Into a new transparent texture whose picture is `size` points: RGBA,
    // premultiplied, power-of-two sides. Null (logged) for sizes that are
    // not positive or beyond what GL can draw into.
    static Ref<Grabber> grabberWithSize(Size size);

    void begin();
    void end();
    // Fills the picture area with a colour (components 0..1); inside or
    // outside begin()/end().
    void clear(float r, float g, float b, float a);
    // The picture area as drawn (premultiplied RGBA), rows top to bottom.
    platform::Image readPixels();

    Texture2D* texture() const { return texture_.get(); }

private:
    Ref<Texture2D> texture_;
    std::unique_ptr<platform::GLTextureTarget> target_;
    GLuint oldFramebuffer_ = 0;
    GLint oldViewport_[4] = {0, 0, 0, 0};
    bool grabbing_ = false;
};

// A picture that nodes are drawn into, shown by a sprite: place it like a
// sprite (anchored at its centre), or hand its texture to sprites of your
// own. Between begin() and end() everything drawn goes into the picture
// (see Grabber), so visiting a node there paints it in; the picture keeps
// what was drawn until it is cleared.
class RenderTexture : public Node {
public:
    // A transparent picture of `width` x `height` points. Null (logged) when
    // the size is not positive or beyond what GL can draw into.
    static Ref<RenderTexture> renderTextureWithWidthAndHeight(int width, int height);

    void begin() { grabber_->begin(); }
    void end() { grabber_->end(); }
    void clear(float r, float g, float b, float a) { grabber_->clear(r, g, b, a); }
    // The picture, RGBA with straight alpha, rows top to bottom.
    platform::Image getImage();
    // Writes the picture as a PNG file; false (logged) when it cannot.
    bool saveBuffer(const std::string& path);

    Sprite* sprite() const { return sprite_.get(); }
    Texture2D* texture() const { return grabber_->texture(); }

private:
    Ref<Grabber> grabber_;
    Ref<Sprite> sprite_;
};

#include "render/RenderTexture.h"

#include "support/Log.h"

#include <algorithm>
#include <bit>
#include <cmath>

// --- Grabber ---

Ref<Grabber> Grabber::grabberWithTexture(Texture2D* texture) {
    if (!texture || !texture->name()) return nullptr;
    auto target = platform::GLTextureTarget::create(texture->name());
    if (!target) {
        ccLog("Grabber: cannot draw into texture %u", texture->name());
        return nullptr;
    }
    auto grabber = make<Grabber>();
    grabber->texture_ = texture;
    grabber->target_ = std::move(target);
    return grabber;
}

void Grabber::begin() {
    oldFramebuffer_ = platform::boundFramebuffer();
    glGetIntegerv(GL_VIEWPORT, oldViewport_);
    grabbing_ = true;
    target_->bind();
    Size s = texture_->contentSize();
    glViewport(0, 0, GLsizei(s.width), GLsizei(s.height));
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    // Top row first; depth enough for nodes lifted off the plane.
    glOrthof(0, s.width, s.height, 0, -1024, 1024);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void Grabber::end() {
    if (!grabbing_) return;
    grabbing_ = false;
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    platform::bindFramebuffer(oldFramebuffer_);
    glViewport(oldViewport_[0], oldViewport_[1], oldViewport_[2], oldViewport_[3]);
}

void Grabber::clear(float r, float g, float b, float a) {
    GLuint previous = platform::boundFramebuffer();
    target_->bind();
    GLfloat old[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, old);
    glClearColor(r, g, b, a);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(old[0], old[1], old[2], old[3]);
    platform::bindFramebuffer(previous);
}

platform::Image Grabber::readPixels() {
    Size s = texture_->contentSize();
    platform::Image image;
    image.width = int(s.width);
    image.height = int(s.height);
    image.rgba.resize(size_t(image.width) * size_t(image.height) * 4);
    GLuint previous = platform::boundFramebuffer();
    target_->bind();
    GLint alignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    // The picture was drawn top row first: memory order is already top down.
    glReadPixels(0, 0, image.width, image.height, GL_RGBA, GL_UNSIGNED_BYTE, image.rgba.data());
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    platform::bindFramebuffer(previous);
    return image;
}

Ref<Grabber> Grabber::grabberWithSize(Size size) {
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    const float limit = float(std::max(0, maxSize));
    if (!(size.width >= 1 && size.height >= 1 && size.width <= limit && size.height <= limit)) {
        ccLog("Grabber: unusable size %g x %g", double(size.width), double(size.height));
        return nullptr;
    }
    unsigned w = std::bit_ceil(unsigned(std::ceil(size.width)));
    unsigned h = std::bit_ceil(unsigned(std::ceil(size.height)));
    if (w > unsigned(maxSize) || h > unsigned(maxSize)) {
        ccLog("Grabber: unusable size %g x %g", double(size.width), double(size.height));
        return nullptr;
    }
    auto texture = Texture2D::textureWithData(nullptr, PixelFormat::RGBA8888, w, h, size);
    if (!texture) return nullptr;
    // Drawn with premultiplying blending over transparency.
    texture->setHasPremultipliedAlpha(true);
    Ref<Grabber> grabber = grabberWithTexture(texture.get());
    // The whole texture, so that filtering at the picture's edges never
    // picks up what the driver left in the rest.
    if (grabber) grabber->clear(0, 0, 0, 0);
    return grabber;
}

// --- RenderTexture ---

Ref<RenderTexture> RenderTexture::renderTextureWithWidthAndHeight(int width, int height) {
    const Size size{float(width), float(height)};
    Ref<Grabber> grabber = Grabber::grabberWithSize(size);
    if (!grabber) return nullptr;
    Texture2D* texture = grabber->texture();
    auto rt = make<RenderTexture>();
    rt->grabber_ = grabber;
    rt->sprite_ = Sprite::spriteWithTexture(texture);
    rt->setContentSize(size);
    rt->setAnchorPoint(Point(0.5f, 0.5f));
    rt->sprite_->setPosition(Point(size.width / 2, size.height / 2));
    rt->addChild(rt->sprite_.get());
    return rt;
}

platform::Image RenderTexture::getImage() {
    platform::Image image = grabber_->readPixels();
    for (size_t i = 0; i + 3 < image.rgba.size(); i += 4) {
        unsigned a = image.rgba[i + 3];
        if (a == 0 || a == 255) continue;
        for (size_t c = 0; c < 3; ++c)
            image.rgba[i + c] = uint8_t(std::min(255u, (image.rgba[i + c] * 255u + a / 2) / a));
    }
    return image;
}

bool RenderTexture::saveBuffer(const std::string& path) {
    if (platform::writePng(path, getImage())) return true;
    ccLog("RenderTexture: cannot write %s", path.c_str());
    return false;
}

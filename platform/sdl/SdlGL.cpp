// GL contexts and offscreen surfaces on SDL's GL ES 1.1 support.
#include "platform/sdl/SdlGL.h"

#include "support/Log.h"

#include <SDL.h>

namespace platform {

namespace {

struct FramebufferFunctions {
    PFNGLGENFRAMEBUFFERSOESPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSOESPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFEROESPROC bindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERTEXTURE2DOESPROC framebufferTexture2D = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFEROESPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSOESPROC checkFramebufferStatus = nullptr;
    PFNGLGENRENDERBUFFERSOESPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSOESPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFEROESPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEOESPROC renderbufferStorage = nullptr;
    bool loaded = false;
};

FramebufferFunctions fbo;

template <class F>
void load(F& f, const char* name) {
    f = reinterpret_cast<F>(SDL_GL_GetProcAddress(name));
}

} // namespace

bool loadFramebufferFunctions() {
    if (fbo.loaded) return true;
    load(fbo.genFramebuffers, "glGenFramebuffersOES");
    load(fbo.deleteFramebuffers, "glDeleteFramebuffersOES");
    load(fbo.bindFramebuffer, "glBindFramebufferOES");
    load(fbo.framebufferTexture2D, "glFramebufferTexture2DOES");
    load(fbo.framebufferRenderbuffer, "glFramebufferRenderbufferOES");
    load(fbo.checkFramebufferStatus, "glCheckFramebufferStatusOES");
    load(fbo.genRenderbuffers, "glGenRenderbuffersOES");
    load(fbo.deleteRenderbuffers, "glDeleteRenderbuffersOES");
    load(fbo.bindRenderbuffer, "glBindRenderbufferOES");
    load(fbo.renderbufferStorage, "glRenderbufferStorageOES");
    fbo.loaded = fbo.genFramebuffers && fbo.deleteFramebuffers && fbo.bindFramebuffer &&
                 fbo.framebufferTexture2D && fbo.framebufferRenderbuffer &&
                 fbo.checkFramebufferStatus && fbo.genRenderbuffers && fbo.deleteRenderbuffers &&
                 fbo.bindRenderbuffer && fbo.renderbufferStorage;
    return fbo.loaded;
}

void bindWindowFramebuffer() { bindFramebuffer(0); }

void bindFramebuffer(GLuint framebuffer) {
    if (fbo.loaded) fbo.bindFramebuffer(GL_FRAMEBUFFER_OES, framebuffer);
}

GLuint boundFramebuffer() {
    GLint name = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_OES, &name);
    return GLuint(name);
}

// --- SdlGLContext ---

SdlGLContext::SdlGLContext(SDL_Window* window, void* context, bool owned)
    : window_(window), context_(context), owned_(owned) {}

SdlGLContext::~SdlGLContext() {
    if (current() == this) setCurrent(nullptr);
    if (owned_ && context_) SDL_GL_DeleteContext(context_);
    if (ownWindow_) SDL_DestroyWindow(window_);
}

bool SdlGLContext::makeCurrent() {
    if (SDL_GL_MakeCurrent(window_, context_) != 0) {
        ccLog("GL context: %s", SDL_GetError());
        return false;
    }
    setCurrent(this);
    return true;
}

Ref<GLContext> SdlGLContext::createSharedContext() {
    // A surface can be current on one thread only, so the new context gets a
    // tiny hidden window of its own to be current with.
    SDL_Window* own = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!own) {
        ccLog("GL context: cannot make a surface for a shared context: %s", SDL_GetError());
        return nullptr;
    }
    GLContext* previous = current();
    if (!makeCurrent()) {
        SDL_DestroyWindow(own);
        return nullptr;
    }
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
    void* shared = SDL_GL_CreateContext(own);
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
    // Creating a context makes it current; give the caller's back.
    if (previous)
        previous->makeCurrent();
    else
        makeCurrent();
    if (!shared) {
        ccLog("GL context: cannot share: %s", SDL_GetError());
        SDL_DestroyWindow(own);
        return nullptr;
    }
    auto context = make<SdlGLContext>(own, shared, true);
    context->ownWindow_ = true;
    return context;
}

void GLContext::clearCurrent() {
    SDL_GL_MakeCurrent(nullptr, nullptr);
    setCurrent(nullptr);
}

// --- GLSurface ---

std::unique_ptr<GLSurface> GLSurface::create(int width, int height, ColorFormat color,
                                             DepthFormat depth) {
    if (width <= 0 || height <= 0 || !loadFramebufferFunctions()) return nullptr;
    std::unique_ptr<GLSurface> s(new GLSurface);
    s->width_ = width;
    s->height_ = height;
    s->colorFormat_ = color;

    GLint previousTexture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previousTexture);
    glGenTextures(1, &s->color_);
    glBindTexture(GL_TEXTURE_2D, s->color_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    if (color == ColorFormat::RGB565)
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_SHORT_5_6_5,
                     nullptr);
    else
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     nullptr);
    glBindTexture(GL_TEXTURE_2D, GLuint(previousTexture));

    fbo.genFramebuffers(1, &s->framebuffer_);
    fbo.bindFramebuffer(GL_FRAMEBUFFER_OES, s->framebuffer_);
    fbo.framebufferTexture2D(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_TEXTURE_2D,
                             s->color_, 0);
    if (depth != DepthFormat::None) {
        fbo.genRenderbuffers(1, &s->depth_);
        fbo.bindRenderbuffer(GL_RENDERBUFFER_OES, s->depth_);
        fbo.renderbufferStorage(GL_RENDERBUFFER_OES,
                                depth == DepthFormat::Depth16 ? GL_DEPTH_COMPONENT16_OES
                                                              : GL_DEPTH_COMPONENT24_OES,
                                width, height);
        fbo.framebufferRenderbuffer(GL_FRAMEBUFFER_OES, GL_DEPTH_ATTACHMENT_OES,
                                    GL_RENDERBUFFER_OES, s->depth_);
    }
    if (fbo.checkFramebufferStatus(GL_FRAMEBUFFER_OES) != GL_FRAMEBUFFER_COMPLETE_OES) {
        ccLog("GL surface: framebuffer incomplete (%d x %d)", width, height);
        return nullptr;
    }
    return s;
}

GLSurface::~GLSurface() {
    forgetPresentedSurface(this);
    if (!fbo.loaded || !GLContext::current()) return;
    if (boundFramebuffer() == framebuffer_) fbo.bindFramebuffer(GL_FRAMEBUFFER_OES, 0);
    if (framebuffer_) fbo.deleteFramebuffers(1, &framebuffer_);
    if (depth_) fbo.deleteRenderbuffers(1, &depth_);
    if (color_) GLState::deleteTextures(1, &color_);
}

void GLSurface::bind() const { fbo.bindFramebuffer(GL_FRAMEBUFFER_OES, framebuffer_); }

std::vector<uint8_t> GLSurface::readPixels() const {
    GLuint previous = boundFramebuffer();
    bind();
    std::vector<uint8_t> pixels(size_t(width_) * size_t(height_) * 4);
    GLint alignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    fbo.bindFramebuffer(GL_FRAMEBUFFER_OES, previous);
    // GL rows run bottom to top.
    size_t row = size_t(width_) * 4;
    for (int y = 0; y < height_ / 2; ++y)
        std::swap_ranges(pixels.begin() + long(size_t(y) * row),
                         pixels.begin() + long(size_t(y + 1) * row),
                         pixels.begin() + long(size_t(height_ - 1 - y) * row));
    return pixels;
}

// --- GLTextureTarget ---

std::unique_ptr<GLTextureTarget> GLTextureTarget::create(GLuint texture) {
    if (!texture || !loadFramebufferFunctions()) return nullptr;
    std::unique_ptr<GLTextureTarget> t(new GLTextureTarget);
    GLuint previous = boundFramebuffer();
    fbo.genFramebuffers(1, &t->framebuffer_);
    fbo.bindFramebuffer(GL_FRAMEBUFFER_OES, t->framebuffer_);
    fbo.framebufferTexture2D(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_TEXTURE_2D, texture,
                             0);
    GLenum status = fbo.checkFramebufferStatus(GL_FRAMEBUFFER_OES);
    fbo.bindFramebuffer(GL_FRAMEBUFFER_OES, previous);
    if (status != GL_FRAMEBUFFER_COMPLETE_OES) {
        ccLog("GL texture target: framebuffer incomplete (0x%04X)", unsigned(status));
        return nullptr;
    }
    return t;
}

GLTextureTarget::~GLTextureTarget() {
    if (!fbo.loaded || !GLContext::current() || !framebuffer_) return;
    if (boundFramebuffer() == framebuffer_) fbo.bindFramebuffer(GL_FRAMEBUFFER_OES, 0);
    fbo.deleteFramebuffers(1, &framebuffer_);
}

void GLTextureTarget::bind() const { fbo.bindFramebuffer(GL_FRAMEBUFFER_OES, framebuffer_); }

} // namespace platform

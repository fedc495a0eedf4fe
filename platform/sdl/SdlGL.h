#pragma once

#include "platform/GL.h"

struct SDL_Window;

namespace platform {

// Resolves the OES framebuffer entry points of the current context.
bool loadFramebufferFunctions();
void bindWindowFramebuffer();
// Tells the window that a surface it may read back is gone.
void forgetPresentedSurface(const GLSurface* surface);

class SdlGLContext final : public GLContext {
public:
    SdlGLContext(SDL_Window* window, void* context, bool owned);
    ~SdlGLContext() override;
    bool makeCurrent() override;
    Ref<GLContext> createSharedContext() override;
    void* handle() const { return context_; }

private:
    SDL_Window* window_;
    void* context_;
    bool owned_;
    bool ownWindow_ = false;
};

} // namespace platform

#pragma once

#include "platform/GL.h"
#include "platform/View.h"

#include <memory>

class EAGLView;

class EAGLViewDelegate {
public:
    virtual ~EAGLViewDelegate() = default;
    virtual void didResizeEAGLSurfaceForView(EAGLView* view) = 0;
};

// The view that carries the GL surface the director draws on. Touches that
// reach it go, unchanged, to its touch delegate.
class EAGLView : public platform::View {
public:
    // Null when the context or the surface cannot be made.
    static Ref<EAGLView> viewWithFrame(Rect frame, platform::ColorFormat format,
                                       platform::DepthFormat depth, bool retainedBacking);
    ~EAGLView() override;

    void layoutSubviews() override;

    bool autoresizesSurface() const { return _autoresize; }
    void setAutoresizesSurface(bool on);
    void swapBuffers();

    platform::GLContext* context() const { return _context; }
    Size surfaceSize() const { return _size; }
    GLuint framebuffer() const { return _framebuffer; }
    platform::TouchResponder* touchDelegate = nullptr;
    void setDelegate(EAGLViewDelegate* d) { _delegate = d; }

    void touchesBegan(const platform::TouchSet& t, platform::Event* e) override;
    void touchesMoved(const platform::TouchSet& t, platform::Event* e) override;
    void touchesEnded(const platform::TouchSet& t, platform::Event* e) override;
    void touchesCancelled(const platform::TouchSet& t, platform::Event* e) override;

private:
    EAGLView(Rect frame, platform::ColorFormat format, platform::DepthFormat depth);
    bool createSurface();

    platform::ColorFormat _format;
    platform::DepthFormat _depthFormat;
    bool _autoresize = false;
    platform::GLContext* _context = nullptr;
    GLuint _framebuffer = 0, _renderbuffer = 0, _depthBuffer = 0;
    Size _size;
    bool _hasBeenCurrent = false;
    EAGLViewDelegate* _delegate = nullptr;
    std::unique_ptr<platform::GLSurface> surface_;
};

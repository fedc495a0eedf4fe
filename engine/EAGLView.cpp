#include "engine/EAGLView.h"

#include "platform/Window.h"

#include <cmath>

Ref<EAGLView> EAGLView::viewWithFrame(Rect frame, platform::ColorFormat format,
                                      platform::DepthFormat depth, bool) {
    // The desktop surface never needs to keep its contents between frames,
    // so the retained-backing flag changes nothing here.
    Ref<EAGLView> view = Ref<EAGLView>::adopt(new EAGLView(frame, format, depth));
    if (!view->_context || !view->createSurface()) return nullptr;
    return view;
}

EAGLView::EAGLView(Rect frame, platform::ColorFormat format, platform::DepthFormat depth)
    : View(frame), _format(format), _depthFormat(depth) {
    if (platform::Window* window = platform::Window::main()) _context = window->context();
}

EAGLView::~EAGLView() {
    if (surface_ && _context) {
        platform::GLContext* previous = platform::GLContext::current();
        _context->makeCurrent();
        surface_.reset();
        if (previous && previous != _context) previous->makeCurrent();
    }
}

bool EAGLView::createSurface() {
    if (!_context || !_context->makeCurrent()) return false;
    int w = int(std::lround(frame().size.width));
    int h = int(std::lround(frame().size.height));
    auto surface = platform::GLSurface::create(w, h, _format, _depthFormat);
    if (!surface) return false;
    surface_ = std::move(surface);
    _framebuffer = surface_->framebuffer();
    _renderbuffer = surface_->colorBuffer();
    _depthBuffer = surface_->depthBuffer();
    _size = Size(float(w), float(h));
    // A re-created surface takes the place of the old one, which was the
    // bound framebuffer.
    surface_->bind();
    if (!_hasBeenCurrent) {
        glViewport(0, 0, w, h);
        glScissor(0, 0, w, h);
        _hasBeenCurrent = true;
    }
    if (_delegate) _delegate->didResizeEAGLSurfaceForView(this);
    platform::checkGLError("EAGLView createSurface");
    return true;
}

void EAGLView::setAutoresizesSurface(bool on) {
    _autoresize = on;
    if (on) layoutSubviews();
}

void EAGLView::layoutSubviews() {
    if (!_autoresize || !surface_) return;
    Size rounded(std::round(frame().size.width), std::round(frame().size.height));
    if (rounded == _size) return;
    surface_.reset();
    createSurface();
}

void EAGLView::swapBuffers() {
    if (!surface_) return;
    Ref<EAGLView> keep(this); // presenting may end the program's use of the view
    platform::GLContext* previous = platform::GLContext::current();
    if (previous != _context) _context->makeCurrent();
    if (platform::Window* window = this->window())
        window->present(this, *surface_);
    if (previous && previous != _context) previous->makeCurrent();
}

void EAGLView::touchesBegan(const platform::TouchSet& t, platform::Event* e) {
    if (touchDelegate) touchDelegate->touchesBegan(t, e);
}
void EAGLView::touchesMoved(const platform::TouchSet& t, platform::Event* e) {
    if (touchDelegate) touchDelegate->touchesMoved(t, e);
}
void EAGLView::touchesEnded(const platform::TouchSet& t, platform::Event* e) {
    if (touchDelegate) touchDelegate->touchesEnded(t, e);
}
void EAGLView::touchesCancelled(const platform::TouchSet& t, platform::Event* e) {
    if (touchDelegate) touchDelegate->touchesCancelled(t, e);
}

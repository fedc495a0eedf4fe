#include "tools/nebulark/TestPattern.h"

#include "platform/GL.h"

void TestPatternDelegate::applicationDidFinishLaunching() {
    window_ = platform::Window::create(Rect(0, 0, 320, 480));
    if (!window_) {
        platform::Application::shared().terminate();
        return;
    }
    view_ = make<platform::View>(Rect(0, 0, 320, 480));
    window_->addSubview(view_.get());
    window_->makeKeyAndVisible();
    window_->context()->makeCurrent();
    surface_ = platform::GLSurface::create(320, 480, platform::ColorFormat::RGBA8,
                                           platform::DepthFormat::None);
    if (!surface_) {
        platform::Application::shared().terminate();
        return;
    }
    link_ = platform::RunLoop::main().addDisplayLink(1, [this] { drawFrame(); });
}

void TestPatternDelegate::applicationWillTerminate() {
    if (link_) link_->invalidate();
    link_ = nullptr;
    surface_.reset();
}

void TestPatternDelegate::drawFrame() {
    surface_->bind();
    glViewport(0, 0, 320, 480);
    glClearColor(0.05f, 0.07f, 0.2f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrthof(0, 320, 0, 480, -1, 1);
    glMatrixMode(GL_MODELVIEW);

    struct Quad {
        float x, y, size;
        GLubyte r, g, b;
    };
    const Quad quads[] = {{80, 360, 70, 230, 60, 60},
                          {240, 360, 70, 60, 200, 90},
                          {80, 120, 70, 70, 120, 240},
                          {240, 120, 70, 240, 210, 60}};
    glEnableClientState(GL_VERTEX_ARRAY);
    for (size_t i = 0; i < std::size(quads); ++i) {
        const Quad& q = quads[i];
        float h = q.size / 2;
        const GLfloat vertices[] = {-h, -h, h, -h, -h, h, h, h};
        glLoadIdentity();
        glTranslatef(q.x, q.y, 0);
        glRotatef(float(frame_ * (i % 2 ? -2 : 2)), 0, 0, 1);
        glColor4ub(q.r, q.g, q.b, 255);
        glVertexPointer(2, GL_FLOAT, 0, vertices);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    ++frame_;
    window_->present(view_.get(), *surface_);
}

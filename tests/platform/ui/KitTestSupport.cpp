#include "tests/platform/ui/KitTestSupport.h"

#include "platform/ui/AlertView.h"
#include "platform/ui/Animator.h"
#include "platform/ui/ModalPanel.h"

#include <cstdlib>
#include <ostream>

using namespace platform;

namespace kit {

void KitTest::SetUp() {
    window_ = test::sharedWindow();
    ASSERT_NE(window_, nullptr);
    setClock(&clock_);
    RunLoop::main().reset();
    RunLoop::main().setVirtualClock(&clock_);
    Animator::shared().reset();
    gl_ = make<FakeGLView>(window_->bounds());
    window_->addSubview(gl_.get());
    surface_ = GLSurface::create(320, 480, ColorFormat::RGBA8, DepthFormat::None);
    ASSERT_TRUE(surface_);
    presentGL(0, 0, 1);
    input_ = std::make_unique<TouchInput>(window_);
}

void KitTest::TearDown() {
    input_.reset();
    ModalPanel::resetAll();
    Animator::shared().reset();
    window_->endAllModals();
    while (!window_->subviews().empty())
        window_->subviews().back()->removeFromSuperview();
    window_->context()->makeCurrent();
    surface_.reset();
    RunLoop::main().reset();
    RunLoop::main().setVirtualClock(nullptr);
    setClock(nullptr);
}

void KitTest::run(double seconds) {
    double end = clock_.monotonic() + seconds;
    for (int i = 0; i < 100000 && clock_.monotonic() < end - 1e-9; ++i)
        RunLoop::main().runEventSlice(end - clock_.monotonic());
    RunLoop::main().runPosted();
}

Image KitTest::frame() {
    window_->composite();
    return window_->lastFrame();
}

void KitTest::tap(Point p) {
    input_->began(1, p);
    input_->ended(1, p);
}

Point KitTest::centreOf(const View* v) {
    return v->convertPointToWindow(Point(v->bounds().size.width / 2, v->bounds().size.height / 2));
}

void KitTest::presentGL(float r, float g, float b) {
    window_->context()->makeCurrent();
    surface_->bind();
    glViewport(0, 0, surface_->width(), surface_->height());
    glClearColor(r, g, b, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    window_->present(gl_.get(), *surface_);
}

Rgb KitTest::pixel(const Image& img, int x, int y) {
    const uint8_t* p = img.rgba.data() + (size_t(y) * size_t(img.width) + size_t(x)) * 4;
    return Rgb{p[0], p[1], p[2]};
}

bool KitTest::near(Rgb a, Rgb b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

int KitTest::inkIn(const Image& img, Rect r, Rgb background) {
    int n = 0;
    for (int y = int(r.minY()); y < int(r.maxY()); ++y)
        for (int x = int(r.minX()); x < int(r.maxX()); ++x)
            if (x >= 0 && y >= 0 && x < img.width && y < img.height &&
                !near(pixel(img, x, y), background, 60))
                ++n;
    return n;
}

std::ostream& operator<<(std::ostream& o, const Rgb& c) {
    return o << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

} // namespace kit

#pragma once

#include "platform/Clock.h"
#include "platform/GL.h"
#include "platform/RunLoop.h"
#include "platform/TouchInput.h"
#include "platform/View.h"
#include "platform/Window.h"
#include "tests/common/TestSupport.h"

#include <memory>
#include <ostream>

namespace kit {

// Stands in for the GL view: a view showing a GL surface of one colour,
// recording the touches that reach it.
class FakeGLView : public platform::View {
public:
    explicit FakeGLView(Rect frame) : View(frame) {}
    int touches = 0;
    void touchesBegan(const platform::TouchSet&, platform::Event*) override { ++touches; }
};

struct Rgb {
    int r, g, b;
};
std::ostream& operator<<(std::ostream& o, const Rgb& c);

// The shared window on a manual clock, emptied before and after each test;
// a GL "scene" of one colour fills it.
class KitTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the main loop for `seconds` of the manual clock.
    void run(double seconds);
    // Composes a frame now and reads it back.
    platform::Image frame();
    // A tap through the platform's touch path.
    void tap(Point p);
    // The middle of a view, in window points.
    static Point centreOf(const platform::View* v);
    // Fills the GL surface and presents it in the fake GL view.
    void presentGL(float r, float g, float b);

    static Rgb pixel(const platform::Image& img, int x, int y);
    static bool near(Rgb a, Rgb b, int tolerance = 12);
    // Pixels in the rectangle that differ from `background` by more than 60.
    static int inkIn(const platform::Image& img, Rect r, Rgb background);

    platform::Window* window_ = nullptr;
    platform::ManualClock clock_;
    Ref<FakeGLView> gl_;
    std::unique_ptr<platform::GLSurface> surface_;
    std::unique_ptr<platform::TouchInput> input_;
};

} // namespace kit

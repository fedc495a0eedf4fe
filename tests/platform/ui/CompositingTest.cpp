#include "platform/ui/Animator.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/Label.h"
#include "tests/platform/ui/KitTestSupport.h"

#include <cmath>

using namespace platform;
using kit::Rgb;

namespace {

class CompositingTest : public kit::KitTest {};

// Fills its bounds with one colour and counts how often it was drawn.
class Swatch : public View {
public:
    Swatch(Rect frame, ccColor4F color) : View(frame), color_(color) {}
    int draws = 0;
    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& g) override {
        ++draws;
        g.setColor(color_);
        g.fillRect(bounds());
    }

private:
    ccColor4F color_;
};

} // namespace

TEST_F(CompositingTest, ViewsAreDrawnOverTheGLPictureWithAlphaHidingAndClipping) {
    auto red = make<Swatch>(Rect(10, 10, 100, 50), rgba(1, 0, 0));
    auto faded = make<View>(Rect(10, 100, 100, 50));
    faded->setBackgroundColor(rgba(1, 1, 1));
    faded->setAlpha(0.5f);
    auto hidden = make<Swatch>(Rect(10, 200, 100, 50), rgba(0, 1, 0));
    hidden->setHidden(true);
    auto clipper = make<View>(Rect(200, 10, 50, 50));
    clipper->setClipsToBounds(true);
    auto inside = make<Swatch>(Rect(25, 25, 100, 100), rgba(1, 1, 0));
    clipper->addSubview(inside.get());
    for (View* v :
         {(View*)red.get(), (View*)faded.get(), (View*)hidden.get(), (View*)clipper.get()})
        gl_->addSubview(v);

    platform::Image img = frame();
    ASSERT_EQ(img.width, 320);
    EXPECT_TRUE(near(pixel(img, 50, 30), Rgb{255, 0, 0})) << pixel(img, 50, 30);
    EXPECT_TRUE(near(pixel(img, 50, 125), Rgb{128, 128, 255})) << pixel(img, 50, 125);
    EXPECT_TRUE(near(pixel(img, 50, 225), Rgb{0, 0, 255})) << pixel(img, 50, 225);
    EXPECT_TRUE(near(pixel(img, 240, 50), Rgb{255, 255, 0})) << pixel(img, 240, 50);
    EXPECT_TRUE(near(pixel(img, 270, 50), Rgb{0, 0, 255})) << pixel(img, 270, 50); // clipped
    EXPECT_TRUE(near(pixel(img, 300, 300), Rgb{0, 0, 255}));

    // The GL picture that comes next shows under the same views.
    presentGL(0, 1, 0);
    img = window_->lastFrame();
    EXPECT_TRUE(near(pixel(img, 300, 300), Rgb{0, 255, 0}));
    EXPECT_TRUE(near(pixel(img, 50, 30), Rgb{255, 0, 0}));
}

TEST_F(CompositingTest, OnlyChangedViewsAreDrawnAgain) {
    auto a = make<Swatch>(Rect(0, 0, 40, 40), rgba(1, 0, 0));
    auto b = make<Swatch>(Rect(50, 0, 40, 40), rgba(0, 1, 0));
    gl_->addSubview(a.get());
    gl_->addSubview(b.get());
    frame();
    frame();
    EXPECT_EQ(a->draws, 1);
    EXPECT_EQ(b->draws, 1);

    a->setNeedsDisplay();
    b->setCenter(Point(200, 200)); // moving needs no drawing
    b->setAlpha(0.5f);
    frame();
    EXPECT_EQ(a->draws, 2);
    EXPECT_EQ(b->draws, 1);

    b->setFrame(Rect(0, 0, 80, 80)); // a new size does
    frame();
    EXPECT_EQ(b->draws, 2);
}

TEST_F(CompositingTest, AChangedViewIsShownAtTheNextRefreshWithoutTheGLView) {
    auto v = make<View>(Rect(0, 0, 50, 50));
    gl_->addSubview(v.get());
    run(0.05);
    uint64_t before = window_->presentedFrames();
    v->setBackgroundColor(rgba(1, 1, 1));
    run(0.05);
    EXPECT_EQ(window_->presentedFrames(), before + 1); // once, then quiet
    EXPECT_TRUE(near(pixel(window_->lastFrame(), 10, 10), Rgb{255, 255, 255}));
}

TEST_F(CompositingTest, TextIsDrawnAtThePixelScale) {
    // The same label at twice the scale covers four times the pixels.
    TextStyle style;
    style.font = Font::boldSystemFont(20);
    style.color = rgba(1, 1, 1);
    auto ink = [&](float scale) {
        Canvas canvas(int(200 * scale), int(40 * scale), scale);
        canvas.context().drawText("Settings", Rect(0, 0, 200, 40), style);
        std::vector<uint8_t> px;
        canvas.copyRGBA(px);
        int n = 0;
        for (size_t i = 3; i < px.size(); i += 4)
            n += px[i] > 128;
        return n;
    };
    int one = ink(1), two = ink(2);
    ASSERT_GT(one, 100);
    EXPECT_NEAR(double(two) / one, 4.0, 0.6);
}

TEST_F(CompositingTest, LabelsWrapAndCutLongTextWithinTheirBounds) {
    auto label = make<Label>(Rect(20, 20, 200, 60));
    label->setTextColor(rgba(1, 1, 1));
    label->setNumberOfLines(0);
    std::string huge;
    for (int i = 0; i < 20000; ++i)
        huge += "word ";
    label->setText(huge);
    auto empty = make<Label>(Rect(20, 100, 0, 0), "");
    gl_->addSubview(label.get());
    gl_->addSubview(empty.get());
    platform::Image img = frame();
    EXPECT_GT(inkIn(img, Rect(20, 20, 200, 60), Rgb{0, 0, 255}), 200);
    EXPECT_EQ(inkIn(img, Rect(20, 82, 200, 30), Rgb{0, 0, 255}), 0);
    label->setNumberOfLines(2);
    float twoLines = label->textSize().height;
    label->setNumberOfLines(1);
    EXPECT_NEAR(label->textSize().height * 2, twoLines, 2);
}

TEST_F(CompositingTest, AnimatedPropertiesMoveOnScreenAndReportOnceAtTheEnd) {
    auto v = make<View>(Rect(0, 0, 100, 100));
    v->setBackgroundColor(rgba(1, 1, 1));
    gl_->addSubview(v.get());
    std::vector<std::string> stops;
    int context = 7;
    View::beginAnimations("slide", &context);
    View::setAnimationDuration(1.0);
    View::setAnimationCurve(ViewAnimationCurve::Linear);
    View::setAnimationDidStopSelector(
        AnimationDidStopSelector("stopped", [&](const std::string& id, bool finished, void* ctx) {
            EXPECT_TRUE(finished);
            EXPECT_EQ(ctx, &context);
            stops.push_back(id);
        }));
    v->setFrame(Rect(200, 0, 100, 100));
    v->setAlpha(0);
    View::commitAnimations();
    EXPECT_EQ(v->frame().origin.x, 200); // the model value at once

    run(0.5);
    EXPECT_NEAR(v->presentationFrame().origin.x, 100, 5);
    EXPECT_NEAR(v->presentationAlpha(), 0.5, 0.05);
    platform::Image img = window_->lastFrame();
    EXPECT_TRUE(near(pixel(img, 150, 50), Rgb{128, 128, 255}, 20)) << pixel(img, 150, 50);
    EXPECT_TRUE(stops.empty());

    run(0.6);
    ASSERT_EQ(stops, std::vector<std::string>{"slide"});
    EXPECT_EQ(v->presentationFrame().origin.x, 200);
    run(1);
    EXPECT_EQ(stops.size(), 1u);
}

TEST_F(CompositingTest, ADirectChangeTakesOverAnAnimation) {
    auto v = make<View>(Rect(0, 0, 10, 10));
    gl_->addSubview(v.get());
    bool finished = true;
    View::animate(
        1.0, [&] { v->setAlpha(0); }, [&](bool f) { finished = f; });
    run(0.3);
    v->setAlpha(1);
    EXPECT_EQ(v->presentationAlpha(), 1);
    run(1);
    EXPECT_FALSE(finished);
    EXPECT_EQ(v->presentationAlpha(), 1);
}

TEST_F(CompositingTest, AFlipTurnsTheOldPictureThenShowsTheNewAndReportsOnce) {
    presentGL(1, 0, 0);
    auto screen = make<View>(window_->bounds());
    screen->setBackgroundColor(rgba(0, 1, 0));
    std::vector<std::string> ids;
    View::beginAnimations("show");
    View::setAnimationDuration(0.5);
    View::setAnimationCurve(ViewAnimationCurve::Linear);
    View::setAnimationDidStopSelector(AnimationDidStopSelector(
        "animDone", [&](const std::string& id, bool, void*) { ids.push_back(id); }));
    View::setAnimationTransition(ViewAnimationTransition::FlipFromLeft, gl_.get(), false);
    gl_->addSubview(screen.get());
    View::commitAnimations();

    // A quarter in: the old (red) picture turned 45 degrees, narrower, one
    // edge nearer than the other.
    run(0.125);
    platform::Image img = window_->lastFrame();
    auto redRows = [&](int x) {
        int n = 0;
        for (int y = 0; y < img.height; ++y)
            n += near(pixel(img, x, y), Rgb{255, 0, 0}, 40);
        return n;
    };
    int left = 0, right = 319;
    while (left < 320 && redRows(left) == 0)
        ++left;
    while (right >= 0 && redRows(right) == 0)
        --right;
    ASSERT_LT(left, right);
    EXPECT_GT(left, 10);
    EXPECT_LT(right, 300);
    EXPECT_GT(std::abs(redRows(left + 2) - redRows(right - 2)), 20) << "no perspective";
    EXPECT_TRUE(near(pixel(img, 5, 240), Rgb{0, 0, 0})) << pixel(img, 5, 240);

    // Three quarters in: the new (green) picture.
    run(0.25);
    img = window_->lastFrame();
    EXPECT_TRUE(near(pixel(img, 160, 240), Rgb{0, 255, 0}, 40)) << pixel(img, 160, 240);
    EXPECT_TRUE(near(pixel(img, 2, 240), Rgb{0, 0, 0}, 40)) << pixel(img, 2, 240);
    EXPECT_TRUE(ids.empty());

    run(0.2);
    EXPECT_EQ(ids, std::vector<std::string>{"show"});
    img = window_->lastFrame();
    EXPECT_TRUE(near(pixel(img, 2, 240), Rgb{0, 255, 0}));
    run(0.5);
    EXPECT_EQ(ids.size(), 1u);
}

TEST_F(CompositingTest, ACachedFlipKeepsThePictureTakenHalfWay) {
    auto screen = make<View>(window_->bounds());
    screen->setBackgroundColor(rgba(0, 1, 0));
    gl_->addSubview(screen.get());
    View::beginAnimations("hide");
    View::setAnimationDuration(0.5);
    View::setAnimationCurve(ViewAnimationCurve::Linear);
    View::setAnimationTransition(ViewAnimationTransition::FlipFromLeft, gl_.get(), true);
    screen->removeFromSuperview();
    View::commitAnimations();
    run(0.3);           // past half: the blue GL picture was taken
    presentGL(1, 1, 0); // the GL view's next picture is not in the cache
    EXPECT_TRUE(near(pixel(window_->lastFrame(), 160, 240), Rgb{0, 0, 255}, 40));
    run(0.3);
    EXPECT_TRUE(near(pixel(window_->lastFrame(), 160, 240), Rgb{255, 255, 0}));
}

TEST_F(CompositingTest, ZeroSizedAndAbsurdFramesAreHarmless) {
    float inf = std::numeric_limits<float>::infinity();
    auto zero = make<Label>(Rect(10, 10, 0, 0), "text");
    auto nan = make<Label>(Rect(std::nanf(""), 0, 50, std::nanf("")), "text");
    auto huge = make<View>(Rect(-inf, 0, inf, 1e30f));
    huge->setBackgroundColor(rgba(1, 1, 1, 0.01f));
    for (View* v : {(View*)zero.get(), (View*)nan.get(), (View*)huge.get()})
        gl_->addSubview(v);
    EXPECT_EQ(nan->frame().size.height, 0);
    EXPECT_LT(huge->frame().size.width, 1e6);
    platform::Image img = frame();
    EXPECT_EQ(img.width, 320);
}

#include "platform/ui/AlertView.h"
#include "platform/ui/Button.h"
#include "platform/ui/ViewController.h"
#include "tests/platform/ui/KitTestSupport.h"

using namespace platform;

namespace {

class TouchRoutingTest : public kit::KitTest {};

class Recorder : public View {
public:
    using View::View;
    int touches = 0;
    void touchesBegan(const TouchSet&, Event*) override { ++touches; }
};

// A strip at the bottom of the screen that holds a banner and lets touches
// in its top-left corner, or on the strip itself, reach what is beneath.
class ClipStrip : public View {
public:
    using View::View;
    View* hitTest(Point p) override {
        View* hit = View::hitTest(p);
        if (hit == this || Rect(0, 0, 280, 20).contains(p)) return nullptr;
        return hit;
    }
};

} // namespace

TEST_F(TouchRoutingTest, TouchesGoToTheDeepestInteractiveViewAndMayFallThrough) {
    auto strip = make<ClipStrip>(Rect(0, 405, 320, 75));
    auto banner = make<Recorder>(Rect(0, 25, 320, 50));
    auto inert = make<Recorder>(Rect(300, 0, 20, 20));
    inert->setUserInteractionEnabled(false);
    strip->addSubview(banner.get());
    banner->addSubview(inert.get());
    gl_->addSubview(strip.get());

    struct Case {
        Point at;
        const char* reaches;
    } cases[] = {
        {{160, 200}, "gl"},     // above the strip
        {{100, 410}, "gl"},     // the strip's own top, nothing of it there
        {{100, 440}, "banner"}, // on the banner
        {{310, 432}, "banner"}, // the inert child passes to its parent
        {{290, 410}, "gl"},     // right of the fall-through corner: the strip itself
    };
    for (const Case& c : cases) {
        int gl = gl_->touches, b = banner->touches;
        tap(c.at);
        std::string got = gl_->touches > gl ? "gl" : banner->touches > b ? "banner" : "none";
        EXPECT_EQ(got, c.reaches) << c.at.x << ", " << c.at.y;
    }

    // A banner under the corner still lets the corner through.
    banner->setFrame(Rect(0, 0, 320, 75));
    int gl = gl_->touches;
    tap(Point(100, 410));
    EXPECT_EQ(gl_->touches, gl + 1);
    tap(Point(100, 430));
    EXPECT_EQ(gl_->touches, gl + 1);
}

TEST_F(TouchRoutingTest, TransformedViewsAreHitWhereTheyAreShown) {
    auto v = make<Recorder>(Rect(100, 100, 100, 20));
    v->setTransform(AffineTransform::makeRotation(float(M_PI / 2))); // now 20 wide, 100 tall
    gl_->addSubview(v.get());
    tap(Point(150, 70));
    EXPECT_EQ(v->touches, 1);
    tap(Point(110, 110));
    EXPECT_EQ(v->touches, 1);
}

namespace {
class Screen : public ViewController {
public:
    std::string calls;
    void viewDidLoad() override { calls += "load "; }
    void viewWillAppear(bool) override { calls += "will "; }
    void viewDidAppear(bool) override { calls += "did "; }
    void viewWillDisappear(bool) override { calls += "willGo "; }
    void viewDidDisappear(bool) override { calls += "gone "; }
};
} // namespace

TEST_F(TouchRoutingTest, ControllersSeeTheirViewComeAndGo) {
    auto screen = make<Screen>();
    View* v = screen->view();
    EXPECT_EQ(screen->view(), v);
    auto inner = make<View>(Rect(0, 0, 10, 10));
    v->addSubview(inner.get());
    EXPECT_EQ(ViewController::controllerForView(inner.get()), screen.get());
    EXPECT_EQ(ViewController::controllerForView(gl_.get()), nullptr);
    gl_->addSubview(v);
    v->removeFromSuperview();
    EXPECT_EQ(screen->calls, "load will did willGo gone ");
}

TEST_F(TouchRoutingTest, APresentedControllerTakesEveryTouchUntilDismissed) {
    auto base = make<Screen>();
    auto modal = make<Screen>();
    auto button = make<Button>(Rect(10, 10, 100, 40));
    int presses = 0;
    button->addTarget(Selector<void()>("press", [&] { ++presses; }), ControlEventTouchUpInside);
    modal->view()->addSubview(button.get());
    base->presentModalViewController(modal.get(), true);
    EXPECT_EQ(modal->parentViewController(), base.get());
    run(ViewController::kModalSlideDuration + 0.05);
    tap(Point(50, 30));
    EXPECT_EQ(presses, 1);
    int gl = gl_->touches;
    modal->view()->setFrame(Rect(0, 240, 320, 240)); // a half-height sheet
    tap(Point(50, 100));
    EXPECT_EQ(gl_->touches, gl);

    modal->dismissModalViewControllerAnimated(true);
    tap(Point(50, 100)); // still sliding away: still modal
    EXPECT_EQ(gl_->touches, gl);
    run(ViewController::kModalSlideDuration + 0.05);
    EXPECT_EQ(modal->view()->superview(), nullptr);
    EXPECT_EQ(base->modalViewController(), nullptr);
    tap(Point(50, 100));
    EXPECT_EQ(gl_->touches, gl + 1);
}

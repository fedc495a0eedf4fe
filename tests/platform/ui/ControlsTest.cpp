#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Button.h"
#include "platform/ui/KeyFocus.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Switch.h"
#include "platform/ui/Toolbar.h"
#include "tests/platform/ui/KitTestSupport.h"

using namespace platform;
using kit::Rgb;

namespace {

class ControlsTest : public kit::KitTest {
protected:
    // Counts the control's reports of `events`.
    static void count(Control* c, unsigned events, int* n) {
        c->addTarget(Selector<void()>("count", [n] { ++*n; }), events);
    }
    void drag(Point from, Point to) {
        input_->began(2, from);
        input_->moved(2, Point((from.x + to.x) / 2, (from.y + to.y) / 2));
        input_->moved(2, to);
        input_->ended(2, to);
    }
};

} // namespace

TEST_F(ControlsTest, AButtonReportsAReleaseInsideOnceAndLightsUpWhilePressed) {
    auto button = make<Button>(Rect(20, 20, 120, 40));
    button->setTitle("Done");
    gl_->addSubview(button.get());
    int ups = 0;
    count(button.get(), ControlEventTouchUpInside, &ups);

    platform::Image idle = frame();
    EXPECT_TRUE(near(pixel(idle, 30, 40), Rgb{255, 255, 255})) << pixel(idle, 30, 40);
    EXPECT_GT(inkIn(idle, Rect(40, 25, 80, 30), Rgb{255, 255, 255}), 20); // the title
    input_->began(1, Point(80, 40));
    EXPECT_TRUE(button->highlighted());
    platform::Image pressed = frame();
    EXPECT_GT(pixel(pressed, 30, 40).b, pixel(pressed, 30, 40).r + 60) << pixel(pressed, 30, 40);
    input_->ended(1, Point(80, 40));
    EXPECT_EQ(ups, 1);

    drag(Point(80, 40), Point(80, 200)); // let go far away
    EXPECT_EQ(ups, 1);
    button->setEnabled(false);
    tap(Point(80, 40));
    EXPECT_EQ(ups, 1);
    EXPECT_LT(pixel(frame(), 30, 40).r, 200); // faded over the blue
}

TEST_F(ControlsTest, ASwitchToggledByATapReportsOnce) {
    auto sw = make<Switch>(Point(100, 100));
    gl_->addSubview(sw.get());
    int changes = 0;
    count(sw.get(), ControlEventValueChanged, &changes);
    EXPECT_EQ(sw->frame().size, Size(Switch::kWidth, Switch::kHeight));

    platform::Image off = frame();
    tap(Point(140, 113));
    EXPECT_TRUE(sw->isOn());
    EXPECT_EQ(changes, 1);
    run(0.3);
    platform::Image on = window_->lastFrame();
    // "ON" is blue on the left; "OFF" was white-grey on the right.
    EXPECT_GT(pixel(on, 110, 113).b, pixel(on, 110, 113).r + 60) << pixel(on, 110, 113);
    EXPECT_GT(pixel(off, 185, 113).r, 180) << pixel(off, 185, 113);

    drag(Point(180, 113), Point(110, 113)); // dragged to "off"
    EXPECT_FALSE(sw->isOn());
    EXPECT_EQ(changes, 2);
    drag(Point(110, 113), Point(105, 113)); // stays "off": no report
    EXPECT_EQ(changes, 2);
    sw->setOn(true);
    EXPECT_EQ(changes, 2); // set by code: not reported
    sw->setEnabled(false);
    tap(Point(140, 113));
    EXPECT_TRUE(sw->isOn());
    EXPECT_LT(sw->alpha(), 1);
}

TEST_F(ControlsTest, ASegmentIsSelectedByATap) {
    auto seg = make<SegmentedControl>(Rect(10, 100, 300, 30),
                                      std::vector<std::string>{"Tilt", "Drag", "Joystick"});
    seg->setSelectedSegmentIndex(0);
    gl_->addSubview(seg.get());
    int changes = 0;
    count(seg.get(), ControlEventValueChanged, &changes);
    tap(Point(260, 115));
    EXPECT_EQ(seg->selectedSegmentIndex(), 2);
    tap(Point(260, 115)); // already selected
    EXPECT_EQ(changes, 1);
    seg->setEnabled(false, 1);
    tap(Point(160, 115));
    EXPECT_EQ(seg->selectedSegmentIndex(), 2);
    drag(Point(60, 115), Point(160, 115)); // let go on another segment
    EXPECT_EQ(seg->selectedSegmentIndex(), 2);
    EXPECT_EQ(changes, 1);

    platform::Image img = frame();
    Rgb chosen = pixel(img, 290, 104), other = pixel(img, 30, 104);
    EXPECT_GT(chosen.b, chosen.r + 60) << chosen;
    EXPECT_GT(other.r, 200) << other;
    seg->setSelectedSegmentIndex(7); // ignored
    EXPECT_EQ(seg->selectedSegmentIndex(), 2);
}

TEST_F(ControlsTest, AToolbarSharesItsRoomAmongFlexibleSpaces) {
    auto bar = make<Toolbar>(Rect(0, 436, 320, Toolbar::kHeight));
    int helps = 0;
    auto help = make<BarButtonItem>("Help", BarButtonItemStyle::Bordered,
                                    Selector<void()>("help", [&] { ++helps; }));
    auto done = make<BarButtonItem>("Done", BarButtonItemStyle::Done, Selector<void()>());
    bar->setItems({help, BarButtonItem::flexibleSpace(), done});
    gl_->addSubview(bar.get());
    EXPECT_LT(help->button()->frame().minX(), 20);
    EXPECT_GT(done->button()->frame().maxX(), 300);
    EXPECT_LE(done->button()->frame().maxX(), 320);
    tap(help->button()->convertPointToWindow(Point(10, 10)));
    EXPECT_EQ(helps, 1);
    help->setEnabled(false);
    tap(help->button()->convertPointToWindow(Point(10, 10)));
    EXPECT_EQ(helps, 1);
    platform::Image img = frame();
    Rgb doneColour = pixel(img, int(done->button()->convertPointToWindow(Point(4, 15)).x), 451);
    EXPECT_GT(doneColour.b, doneColour.r + 60) << doneColour;
}

TEST_F(ControlsTest, AnActivityIndicatorTurnsOnlyWhileAnimating) {
    auto spinner = make<ActivityIndicatorView>(ActivityIndicatorStyle::WhiteLarge);
    spinner->setCenter(Point(160, 240));
    gl_->addSubview(spinner.get());
    EXPECT_TRUE(spinner->hidden());
    spinner->startAnimating();
    run(0.25);
    int phase = spinner->phase();
    EXPECT_GE(phase, 2);
    EXPECT_GT(inkIn(window_->lastFrame(), Rect(141, 221, 38, 38), Rgb{0, 0, 255}), 40);
    spinner->stopAnimating();
    run(0.25);
    EXPECT_EQ(spinner->phase(), phase);
    EXPECT_TRUE(spinner->hidden());
}

TEST_F(ControlsTest, TheKeyboardMovesAmongShownEnabledControlsInReadingOrderAndUsesThem) {
    // A bar at the bottom whose buttons differ a little in height, added
    // right to left; a segmented control and a switch on one line; a
    // hidden and a disabled button that Tab must pass over.
    auto done = make<Button>(Rect(240, 440, 70, 30));
    auto help = make<Button>(Rect(10, 436, 70, 36));
    auto seg = make<SegmentedControl>(Rect(10, 100, 180, 30),
                                      std::vector<std::string>{"A", "B", "C", "D"});
    auto toggle = make<Switch>(Point(200, 102));
    auto hidden = make<Button>(Rect(10, 200, 70, 30));
    auto disabled = make<Button>(Rect(10, 250, 70, 30));
    hidden->setHidden(true);
    disabled->setEnabled(false);
    for (View* v : std::initializer_list<View*>{done.get(), help.get(), seg.get(), toggle.get(),
                                                hidden.get(), disabled.get()})
        gl_->addSubview(v);
    KeyFocus focus(gl_.get());
    int pressed = 0, segChanges = 0, switchChanges = 0;
    count(done.get(), ControlEventTouchUpInside, &pressed);
    count(seg.get(), ControlEventValueChanged, &segChanges);
    count(toggle.get(), ControlEventValueChanged, &switchChanges);

    EXPECT_EQ(focus.controls(),
              (std::vector<Control*>{seg.get(), toggle.get(), help.get(), done.get()}));
    EXPECT_FALSE(focus.keyDown("return")); // nothing has the focus yet
    EXPECT_TRUE(focus.keyDown("up"));      // from nothing, up is the last
    EXPECT_EQ(focus.focused(), done.get());
    EXPECT_TRUE(focus.keyDown("return"));
    EXPECT_EQ(pressed, 1);
    focus.keyDown("tab"); // round to the first
    EXPECT_EQ(focus.focused(), seg.get());

    // Segments: the arrows stop at the ends and pass over a disabled one;
    // Return goes round.
    seg->setEnabled(false, 1);
    const std::vector<std::pair<const char*, int>> segKeys = {
        {"right", 0}, {"right", 2}, {"right", 3}, {"right", 3}, {"left", 2},
        {"left", 0},  {"left", 0},  {"return", 2}, {"space", 3}, {"return", 0}};
    for (const auto& [key, after] : segKeys) {
        EXPECT_TRUE(focus.keyDown(key));
        EXPECT_EQ(seg->selectedSegmentIndex(), after) << key;
    }
    EXPECT_EQ(segChanges, 8);

    focus.keyDown("down");
    EXPECT_EQ(focus.focused(), toggle.get());
    for (const char* key : {"return", "right", "left", "left", "space"})
        focus.keyDown(key);
    EXPECT_TRUE(toggle->isOn());
    EXPECT_EQ(switchChanges, 3);

    // The ring stands round the focused control, beside it.
    platform::Image img = frame();
    Rgb ring = pixel(img, 198, 115), inside = pixel(img, 250, 140);
    EXPECT_GT(ring.r, 200) << ring;
    EXPECT_LT(ring.b, 120) << ring;
    EXPECT_FALSE(near(inside, ring)) << inside;

    // A control hidden while it has the focus takes no more keys.
    toggle->setHidden(true);
    EXPECT_FALSE(focus.keyDown("return"));
    EXPECT_EQ(focus.focused(), nullptr);
    EXPECT_EQ(switchChanges, 3);
}

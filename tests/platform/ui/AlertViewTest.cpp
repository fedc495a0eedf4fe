#include "platform/ui/AlertView.h"
#include "platform/Keyboard.h"
#include "platform/ui/Button.h"
#include "platform/ui/TextView.h"
#include "tests/platform/ui/KitTestSupport.h"

using namespace platform;
using kit::Rgb;

namespace {

class AlertViewTest : public kit::KitTest {};

// A delegate that notes what it was told, and where the alert was then.
class Answers : public Object, public AlertViewDelegate {
public:
    explicit Answers(std::vector<std::string>* log) : log_(log) {}
    ~Answers() override { log_->push_back("released"); }
    void clickedButtonAtIndex(AlertView* a, int i) override {
        log_->push_back("clicked " + std::to_string(i) + (a->window() ? " shown" : " gone"));
    }
    void didDismissWithButtonIndex(AlertView* a, int i) override {
        log_->push_back("dismissed " + std::to_string(a->tag()) + ":" + std::to_string(i) +
                        (a->window() ? " shown" : " gone") +
                        (a->window() || Window::main()->modalView() ? " modal" : ""));
    }

private:
    std::vector<std::string>* log_;
};

} // namespace

TEST_F(AlertViewTest, TheIndexReachesTheDelegateAfterTheAlertIsGone) {
    std::vector<std::string> log;
    auto answers = make<Answers>(&log);
    auto alert = AlertView::make("You lost!", "What would you like to do?\n", answers.get(),
                                 "Try again", {"Quit"});
    alert->setTag(3);
    EXPECT_EQ(alert->cancelButtonIndex(), 0);
    EXPECT_EQ(alert->buttonTitleAtIndex(1), "Quit");
    alert->show();
    run(0.3);
    tap(centreOf(alert->buttonAtIndex(1)));
    EXPECT_EQ(log, std::vector<std::string>{"clicked 1 shown"});
    run(ModalPanel::kFadeDuration + 0.1);
    EXPECT_EQ(log, (std::vector<std::string>{"clicked 1 shown", "dismissed 3:1 gone"}));
    EXPECT_FALSE(alert->isVisible());
}

TEST_F(AlertViewTest, AModalAlertBlocksTouchesToTheGLViewAndDimsIt) {
    auto alert = AlertView::make("Help", "Okay?", nullptr, "Okay!");
    alert->show();
    run(0.3);
    platform::Image img = window_->lastFrame();
    EXPECT_TRUE(near(pixel(img, 5, 5), Rgb{0, 0, 140}, 12)) << pixel(img, 5, 5); // dimmed blue
    Rect box = alert->frame();
    EXPECT_GT(inkIn(img, Rect(box.origin.x + 20, box.origin.y + 5, box.size.width - 40, 25),
                    pixel(img, int(box.origin.x) + 10, int(box.origin.y) + 18)),
              30); // the title
    tap(Point(10, 10));
    tap(Point(160, 470));
    EXPECT_EQ(gl_->touches, 0);
    EXPECT_TRUE(alert->isVisible());
    tap(centreOf(alert->buttonAtIndex(0)));
    run(0.3);
    EXPECT_FALSE(alert->isVisible());
    tap(Point(10, 10));
    EXPECT_EQ(gl_->touches, 1);
}

TEST_F(AlertViewTest, KeysChooseAndPressButtons) {
    struct Case {
        std::vector<std::string> others;
        std::vector<std::string> keys;
        int pressed; // -1: still up
    } cases[] = {
        {{"Quit"}, {"return"}, 0},
        {{"Quit"}, {"right", "return"}, 1},
        {{"Quit"}, {"right", "right", "return"}, 0},
        {{"Quit"}, {"escape"}, -1},
        {{}, {"escape"}, 0},
        {{"A", "B"}, {"up", "return"}, 2}, // stacked: cancel at the bottom
    };
    for (const Case& c : cases) {
        std::vector<std::string> log;
        auto answers = make<Answers>(&log);
        auto alert = AlertView::make("t", "m", answers.get(), "Cancel", c.others);
        alert->show();
        run(0.3);
        for (auto& k : c.keys)
            EXPECT_TRUE(Keyboard::shared().keyDown(k));
        run(0.3);
        std::string expected =
            c.pressed < 0 ? "" : "dismissed 0:" + std::to_string(c.pressed) + " gone";
        EXPECT_EQ(log.empty() ? "" : log.back(), expected) << c.keys.back();
        ModalPanel::resetAll();
    }
    EXPECT_FALSE(Keyboard::shared().keyDown("return")); // nothing up, nobody answers
}

TEST_F(AlertViewTest, AnAlertShownWhileAnotherIsUpWaitsItsTurn) {
    std::vector<std::string> log;
    auto answers = make<Answers>(&log);
    auto first = AlertView::make("first", "", answers.get(), "OK");
    auto second = AlertView::make("second", "", answers.get(), "OK");
    first->setTag(1);
    second->setTag(2);
    first->show();
    second->show();
    EXPECT_EQ(AlertView::visibleAlert(), first.get());
    EXPECT_EQ(ModalPanel::pendingPanels(), 1u);
    run(0.3);
    Keyboard::shared().keyDown("return");
    run(0.3);
    EXPECT_EQ(AlertView::visibleAlert(), second.get());
    EXPECT_EQ(log.back(), "dismissed 1:0 gone");
    Keyboard::shared().keyDown("return");
    run(0.3);
    EXPECT_EQ(log.back(), "dismissed 2:0 gone");
    EXPECT_EQ(AlertView::visibleAlert(), nullptr);
}

TEST_F(AlertViewTest, ADelegateLetGoWhileItsAlertIsUpIsHeldToTheEnd) {
    std::vector<std::string> log;
    {
        auto answers = make<Answers>(&log);
        AlertView::make("Not Unlocked", "locked", answers.get(), "Okay!")->show();
    } // the screen and its reference to the alert are gone
    run(0.3);
    EXPECT_TRUE(log.empty());
    Keyboard::shared().keyDown("return");
    run(0.3);
    EXPECT_EQ(log, (std::vector<std::string>{"clicked 0 shown", "dismissed 0:0 gone", "released"}));
}

TEST_F(AlertViewTest, HugeTextsAndManyButtonsStayOnTheScreen) {
    std::string huge(200000, 'x');
    for (size_t i = 0; i < huge.size(); i += 7)
        huge[i] = ' ';
    std::vector<std::string> many(40, "Button");
    auto alert = AlertView::make(huge, huge, nullptr, "Cancel", many);
    alert->show();
    run(0.3);
    Rect f = alert->frame();
    EXPECT_GE(f.origin.y, 0);
    EXPECT_LE(f.origin.y + f.size.height, 480);
    EXPECT_EQ(alert->numberOfButtons(), 41);
    auto none = AlertView::make("", "", nullptr, "");
    none->show(); // waits; without buttons it can only be taken down by code
    alert->dismissWithClickedButtonIndex(0, false);
    EXPECT_EQ(AlertView::visibleAlert(), none.get());
    none->dismissWithClickedButtonIndex(0, false);
    EXPECT_EQ(AlertView::visibleAlert(), nullptr);
}

// Help texts run longer than the screen: the whole message can be read by
// dragging it, the wheel or Page Up/Down, and a drag over it presses nothing.
TEST_F(AlertViewTest, AMessageTooLongForTheScreenScrollsToItsEnd) {
    std::string text;
    for (int i = 1; i <= 60; ++i)
        text += "Line " + std::to_string(i) + "\n";
    text += "THE END";
    std::vector<std::string> log;
    auto answers = make<Answers>(&log);
    auto alert = AlertView::make("Help", text, answers.get(), "Okay!");
    alert->show();
    run(0.3);
    TextView* message = alert->messageView();
    ASSERT_TRUE(message->scrolls());
    float end = message->contentHeight() - message->bounds().size.height;
    EXPECT_EQ(message->contentOffset(), 0);
    Rect shown(message->originInWindow(), message->bounds().size);
    platform::Image top = frame();

    Keyboard::shared().keyDown("pagedown");
    float paged = message->contentOffset();
    EXPECT_GT(paged, 0);
    Point mid = centreOf(message);
    input_->wheel(mid, 0, -1); // towards the user: further down
    EXPECT_GT(message->contentOffset(), paged);
    input_->began(1, mid);
    input_->moved(1, Point(mid.x, mid.y - 2000));
    input_->ended(1, Point(mid.x, mid.y - 2000));
    EXPECT_EQ(message->contentOffset(), end);
    EXPECT_TRUE(log.empty()) << "a drag over the message pressed a button";
    EXPECT_TRUE(alert->isVisible());

    // What the window shows of the message moved with it.
    platform::Image bottom = frame();
    int changed = 0;
    for (int y = int(shown.minY()); y < int(shown.maxY()); ++y)
        for (int x = int(shown.minX()); x < int(shown.maxX()); ++x)
            changed += !near(pixel(top, x, y), pixel(bottom, x, y));
    EXPECT_GT(changed, 200);

    Keyboard::shared().keyDown("pageup");
    EXPECT_LT(message->contentOffset(), end);
    Keyboard::shared().keyDown("return"); // Enter still presses the button
    run(0.3);
    EXPECT_EQ(log.front(), "clicked 0 shown");
}

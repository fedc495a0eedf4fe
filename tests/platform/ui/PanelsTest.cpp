#include "platform/Keyboard.h"
#include "platform/ui/ActionSheet.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/XWMenuController.h"
#include "tests/platform/ui/KitTestSupport.h"

using namespace platform;
using kit::Rgb;

namespace {

class PanelsTest : public kit::KitTest {
protected:
    void TearDown() override {
        XWMenuController::sharedMenuController().setMenuVisible(false, false);
        KitTest::TearDown();
    }
};

class SheetAnswers : public Object, public ActionSheetDelegate {
public:
    std::vector<std::string> log;
    void didDismissWithButtonIndex(ActionSheet* s, int i) override {
        log.push_back(std::to_string(i) + (s->window() ? " shown" : " gone"));
    }
};

} // namespace

TEST_F(PanelsTest, AnActionSheetSlidesUpWithItsDestructiveButtonRedAndOnlyDismisses) {
    // As the high-score screen posts: two buttons, the second destructive.
    auto sheet =
        ActionSheet::make("Post Scores To Starboard", nullptr, "", "", {"Post All", "Cancel"});
    sheet->setDestructiveButtonIndex(1);
    sheet->setActionSheetStyle(ActionSheetStyle::BlackTranslucent);
    sheet->showInView(gl_.get());
    run(0.1);
    float midway = sheet->presentationFrame().minY();
    run(ActionSheet::kSlideDuration);
    Rect f = sheet->frame();
    EXPECT_EQ(f.maxY(), 480);
    EXPECT_GT(midway, f.minY() + 10); // it came from below

    platform::Image img = window_->lastFrame();
    Point red = centreOf(sheet->buttonAtIndex(1)), white = centreOf(sheet->buttonAtIndex(0));
    Rgb r = pixel(img, 40, int(red.y)), w = pixel(img, 40, int(white.y));
    EXPECT_GT(r.r, r.g + 80) << r;
    EXPECT_LT(w.r, r.r - 80) << w;                     // dark glass in this style
    EXPECT_LT(pixel(img, 5, int(f.minY()) + 3).b, 90); // black translucent over the blue

    tap(Point(160, 100)); // above the sheet: blocked, the sheet stays
    EXPECT_EQ(gl_->touches, 0);
    tap(red);
    run(ActionSheet::kSlideDuration + 0.05);
    EXPECT_FALSE(sheet->isVisible());
    tap(Point(160, 100));
    EXPECT_EQ(gl_->touches, 1);
}

TEST_F(PanelsTest, ASheetReportsAfterItHasGoneAndEscapeCancels) {
    auto answers = make<SheetAnswers>();
    auto sheet = ActionSheet::make("", answers.get(), "Cancel", "Delete", {"Keep"});
    EXPECT_EQ(sheet->destructiveButtonIndex(), 0);
    EXPECT_EQ(sheet->buttonTitleAtIndex(1), "Keep");
    EXPECT_EQ(sheet->cancelButtonIndex(), 2);
    sheet->showInView(gl_.get());
    run(0.4);
    EXPECT_TRUE(Keyboard::shared().keyDown("escape"));
    EXPECT_TRUE(answers->log.empty());
    run(0.4);
    EXPECT_EQ(answers->log, std::vector<std::string>{"2 gone"});
}

TEST_F(PanelsTest, AnAlertComesUpOverASheetAndTakesTheKeysFirst) {
    auto answers = make<SheetAnswers>();
    auto sheet = ActionSheet::make("", answers.get(), "Cancel", "", {});
    auto alert = AlertView::make("Help!", "text", nullptr, "Thanks!");
    sheet->showInView(gl_.get());
    alert->show();
    EXPECT_EQ(ModalPanel::visiblePanel(), alert.get());
    EXPECT_EQ(ModalPanel::pendingPanels(), 0u);
    run(0.4);
    tap(Point(160, 470)); // on the sheet's cancel button, under the alert
    Keyboard::shared().keyDown("return");
    run(0.4);
    EXPECT_FALSE(alert->isVisible());
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_TRUE(answers->log.empty());
    EXPECT_EQ(ModalPanel::visiblePanel(), sheet.get());
}

TEST_F(PanelsTest, TheBubbleMenuPointsAtItsTargetAndHidesOnAnyOtherTouch) {
    auto& menu = XWMenuController::sharedMenuController();
    int deleted = 0;
    menu.setMenuItems({{"Delete", Selector<void()>("del", [&] { ++deleted; })}, {"Post", {}}});
    menu.setTargetRect(Rect(100, 200, 120, 44), gl_.get());
    menu.setMenuVisible(true, false);
    ASSERT_TRUE(menu.isMenuVisible());
    Rect bubble = menu.menuView()->frame();
    EXPECT_LE(bubble.maxY(), 200); // above the row
    EXPECT_NEAR(bubble.origin.x + bubble.size.width / 2, 160, 40);
    platform::Image img = frame();
    EXPECT_LT(pixel(img, int(bubble.minX()) + 10, int(bubble.minY()) + 18).b, 120);

    // A touch elsewhere hides the menu and still reaches the game.
    tap(Point(160, 400));
    run(0.3);
    EXPECT_FALSE(menu.isMenuVisible());
    EXPECT_EQ(gl_->touches, 1);

    menu.setTargetRect(Rect(100, 20, 120, 44), gl_.get());
    menu.setMenuVisible(true, true);
    bubble = menu.menuView()->frame();
    EXPECT_GE(bubble.minY(), 64); // no room above: below
    tap(menu.menuView()->subviews().front()->convertPointToWindow(Point(10, 10)));
    EXPECT_EQ(deleted, 1);
    EXPECT_FALSE(menu.isMenuVisible());
    EXPECT_EQ(gl_->touches, 1);
}

#include "platform/ui/XWMenuController.h"

#include "platform/RunLoop.h"
#include "platform/Window.h"
#include "platform/ui/Button.h"
#include "platform/ui/Graphics.h"

#include <algorithm>

namespace platform {

namespace {

constexpr float kHeight = 38, kArrow = 10, kRadius = 8, kItemPad = 12;

// The bubble: a dark rounded box with an arrow at `arrowX`, pointing down
// (the bubble above its target) or up.
class Bubble : public View {
public:
    Bubble(Rect frame, float arrowX, bool pointsDown)
        : View(frame), arrowX_(arrowX), down_(pointsDown) {}
    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& g) override {
        Rect b = bounds();
        Rect box(0.5f, down_ ? 0.5f : kArrow + 0.5f, b.size.width - 1, b.size.height - kArrow - 1);
        g.fillGradientRoundedRect(box, kRadius, rgba(0.3f, 0.3f, 0.32f, 0.95f),
                                  rgba(0.05f, 0.05f, 0.06f, 0.95f), 0.12f);
        float tip = down_ ? b.size.height : 0, base = down_ ? box.maxY() - 0.5f : box.minY() + 0.5f;
        g.setColor(rgba(0.05f, 0.05f, 0.06f, 0.95f));
        if (!down_) g.setColor(rgba(0.3f, 0.3f, 0.32f, 0.95f));
        g.fillPolygon({{arrowX_ - kArrow, base}, {arrowX_ + kArrow, base}, {arrowX_, tip}});
    }

private:
    float arrowX_;
    bool down_;
};

// Lies over the whole window under the bubble: a touch that reaches it hides
// the menu and goes on to whatever is beneath.
class Catcher : public View {
public:
    using View::View;
    View* hitTest(Point) override {
        RunLoop::main().performOnMainThread(
            [] { XWMenuController::sharedMenuController().setMenuVisible(false, true); }, false);
        return nullptr;
    }
};

} // namespace

XWMenuController& XWMenuController::sharedMenuController() {
    // Never destroyed: views must not outlive the window system's end.
    static auto* shared = new XWMenuController;
    return *shared;
}

void XWMenuController::setMenuItems(std::vector<MenuItem> items) {
    items_ = std::move(items);
    if (visible_) build();
}

void XWMenuController::setTargetRect(Rect rect, View* view) {
    target_ = rect;
    targetView_ = view;
    if (visible_) build();
}

View* XWMenuController::menuView() const {
    return visible_ ? bubble_.get() : nullptr;
}

void XWMenuController::build() {
    Window* w = targetView_ ? targetView_->window() : nullptr;
    if (bubble_) bubble_->removeFromSuperview();
    if (catcher_) catcher_->removeFromSuperview();
    bubble_ = catcher_ = nullptr;
    if (!w || items_.empty()) return;

    Rect screen = w->bounds();
    Point a = targetView_->convertPointToWindow(target_.origin);
    Point b = targetView_->convertPointToWindow(
        Point(target_.origin.x + target_.size.width, target_.origin.y + target_.size.height));
    Rect t(std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x), std::abs(b.y - a.y));

    TextStyle ts;
    ts.font = Font::boldSystemFont(14);
    std::vector<float> widths;
    float width = 0;
    for (auto& item : items_) {
        widths.push_back(measureText(item.title, ts, 0).width + 2 * kItemPad);
        width += widths.back();
    }
    width = std::min(width, screen.size.width - 8);
    float total = kHeight + kArrow;
    bool above = t.minY() - total >= 0;
    float y = above ? t.minY() - total : std::min(t.maxY(), screen.size.height - total);
    float cx = t.origin.x + t.size.width / 2;
    float x = std::clamp(cx - width / 2, 4.0f, std::max(4.0f, screen.size.width - width - 4));
    float arrowX =
        std::clamp(cx - x, kRadius + kArrow, std::max(kRadius + kArrow, width - kRadius - kArrow));

    catcher_ = make<Catcher>(screen);
    bubble_ = make<Bubble>(Rect(x, y, width, total), arrowX, above);
    float ix = 0, iy = above ? 0 : kArrow;
    float scale = width / std::max(1.0f, [&] {
                      float sum = 0;
                      for (float v : widths)
                          sum += v;
                      return sum;
                  }());
    for (size_t i = 0; i < items_.size(); ++i) {
        auto button = make<Button>(Rect(ix, iy, widths[i] * scale, kHeight), ButtonType::Custom);
        button->setTitle(items_[i].title);
        button->setFont(ts.font);
        button->setTitleColor(rgba(0.6f, 0.8f, 1.0f), ControlStateHighlighted);
        Selector<void()> action = items_[i].action;
        button->addTarget(
            Selector<void()>("menuItem",
                             [action] {
                                 XWMenuController::sharedMenuController().setMenuVisible(false,
                                                                                         true);
                                 if (action) action();
                             }),
            ControlEventTouchUpInside);
        bubble_->addSubview(button.get());
        ix += widths[i] * scale;
    }
    w->addSubview(catcher_.get());
    w->addSubview(bubble_.get());
}

void XWMenuController::setMenuVisible(bool visible, bool animated) {
    if (visible == visible_) return;
    if (visible) {
        build();
        if (!bubble_) return;
        visible_ = true;
        if (animated) {
            bubble_->setAlpha(0);
            View::animate(kFadeDuration, [bubble = bubble_] { bubble->setAlpha(1); });
        }
        return;
    }
    visible_ = false;
    targetView_ = nullptr; // held only while the menu is up
    Ref<View> bubble = std::move(bubble_), catcher = std::move(catcher_);
    if (catcher) catcher->removeFromSuperview();
    if (!bubble) return;
    if (!animated) {
        bubble->removeFromSuperview();
        return;
    }
    View::animate(
        kFadeDuration, [&] { bubble->setAlpha(0); },
        [bubble](bool) { bubble->removeFromSuperview(); });
}

} // namespace platform

#include "platform/ui/ActionSheet.h"

#include "platform/ui/Label.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

constexpr float kMargin = 20, kButtonHeight = 46, kGap = 8, kPad = 14;

// White, red for the destructive choice, dark for the cancel button.
class SheetButton : public PanelButton {
public:
    explicit SheetButton(int index) : index_(index) { setFont(Font::boldSystemFont(19)); }

    void draw(GraphicsContext& g) override {
        auto* sheet = dynamic_cast<ActionSheet*>(superview());
        bool destructive = sheet && sheet->destructiveButtonIndex() == index_;
        bool cancel = sheet && sheet->cancelButtonIndex() == index_;
        bool dark = sheet && sheet->actionSheetStyle() != ActionSheetStyle::Default;
        Rect b = bounds();
        Rect box(1.5f, 1.5f, b.size.width - 3, b.size.height - 3);
        ccColor4F top = rgba(1, 1, 1), bottom = rgba(0.86f, 0.87f, 0.9f),
                  text = rgba(0.1f, 0.1f, 0.1f);
        if (destructive) {
            top = rgba(0.95f, 0.35f, 0.35f);
            bottom = rgba(0.75f, 0.05f, 0.05f);
            text = rgba(1, 1, 1);
        } else if (cancel || dark) {
            top = dark ? rgba(0.35f, 0.35f, 0.37f) : rgba(0.45f, 0.47f, 0.52f);
            bottom = dark ? rgba(0.12f, 0.12f, 0.13f) : rgba(0.22f, 0.24f, 0.3f);
            text = rgba(1, 1, 1);
        }
        if (highlighted()) {
            top = rgba(0.3f, 0.55f, 0.95f);
            bottom = rgba(0.1f, 0.3f, 0.8f);
            text = rgba(1, 1, 1);
        }
        g.fillGradientRoundedRect(box, 9, top, bottom, 0.15f);
        g.setColor(rgba(0, 0, 0, 0.55f));
        g.strokeRoundedRect(box, 9, 1);
        if (focused()) {
            g.setColor(rgba(0.4f, 0.7f, 1.0f));
            g.strokeRoundedRect(Rect(1, 1, b.size.width - 2, b.size.height - 2), 10, 2.5f);
        }
        drawTitle(g, 8, text);
    }

private:
    int index_;
};

} // namespace

ActionSheet::ActionSheet(std::string title, std::string cancel, std::string destructive,
                         std::vector<std::string> others)
    : ModalPanel(Rect(0, 0, 320, 100)), title_(std::move(title)) {
    titleLabel_ = ::make<Label>(Rect(), title_);
    titleLabel_->setFont(Font::systemFont(14));
    titleLabel_->setTextAlignment(TextAlignment::Center);
    titleLabel_->setNumberOfLines(3);
    addSubview(titleLabel_.get());
    if (!destructive.empty()) destructiveIndex_ = addButtonWithTitle(destructive);
    for (auto& t : others)
        addButtonWithTitle(t);
    if (!cancel.empty()) setCancelButtonIndex(addButtonWithTitle(cancel));
    setActionSheetStyle(ActionSheetStyle::Default);
}

Ref<PanelButton> ActionSheet::makeButton(const std::string&, int index) {
    return ::make<SheetButton>(index);
}

void ActionSheet::setDestructiveButtonIndex(int index) {
    destructiveIndex_ = index >= 0 && index < numberOfButtons() ? index : -1;
    for (int i = 0; i < numberOfButtons(); ++i)
        buttonAtIndex(i)->setNeedsDisplay();
}

void ActionSheet::setActionSheetStyle(ActionSheetStyle style) {
    style_ = style;
    titleLabel_->setTextColor(style == ActionSheetStyle::Default ? rgba(0.25f, 0.27f, 0.33f)
                                                                 : rgba(0.85f, 0.85f, 0.85f));
    setNeedsDisplay();
    for (int i = 0; i < numberOfButtons(); ++i)
        buttonAtIndex(i)->setNeedsDisplay();
}

void ActionSheet::showInView(View*) {
    showPanel();
}

void ActionSheet::layoutPanel(Size screen) {
    float inner = screen.width - 2 * kMargin;
    int n = numberOfButtons();
    float maxHeight = std::max(100.0f, screen.height - 20);
    TextStyle ts;
    ts.font = titleLabel_->font();
    ts.maxLines = titleLabel_->numberOfLines();
    float titleH = title_.empty() ? 0 : std::min(60.0f, measureText(title_, ts, inner).height);
    float y = kPad;
    titleLabel_->setFrame(Rect(kMargin, y, inner, titleH));
    if (titleH > 0) y += titleH + kGap + 2;
    // Buttons shrink (to a point) to fit the screen; the cancel button sits
    // apart at the bottom.
    float extra = cancelButtonIndex() >= 0 ? kGap : 0;
    float room = maxHeight - y - kPad - extra;
    float buttonH = n > 0 ? std::clamp(room / float(n) - kGap, 24.0f, kButtonHeight) : 0;
    for (int i = 0; i < n; ++i) {
        if (i == cancelButtonIndex()) y += extra;
        buttonAtIndex(i)->setFrame(Rect(kMargin, y, inner, buttonH));
        y += buttonH + kGap;
    }
    float height = std::min(maxHeight, y - (n > 0 ? kGap : 0) + kPad);
    setClipsToBounds(true);
    setFrame(Rect(0, screen.height - height, screen.width, height));
}

void ActionSheet::draw(GraphicsContext& g) {
    Rect b = bounds();
    switch (style_) {
    case ActionSheetStyle::Default:
        g.fillGradientRoundedRect(b, 0, rgba(0.72f, 0.75f, 0.8f, 0.95f),
                                  rgba(0.5f, 0.55f, 0.63f, 0.95f));
        break;
    case ActionSheetStyle::BlackTranslucent:
        g.setColor(rgba(0, 0, 0, 0.75f));
        g.fillRect(b);
        break;
    case ActionSheetStyle::BlackOpaque:
        g.setColor(rgba(0.05f, 0.05f, 0.05f));
        g.fillRect(b);
        break;
    }
    g.setColor(rgba(0, 0, 0, 0.6f));
    g.strokeLine(Point(0, 0.5f), Point(b.size.width, 0.5f), 1);
}

void ActionSheet::animateIn() {
    Rect f = frame();
    float restY = f.origin.y;
    setFrame(Rect(f.origin.x, restY + f.size.height, f.size.width, f.size.height));
    backdrop()->setAlpha(0);
    beginAnimations("ActionSheetShow");
    setAnimationDuration(kSlideDuration);
    setAnimationCurve(ViewAnimationCurve::EaseOut);
    setFrame(Rect(f.origin.x, restY, f.size.width, f.size.height));
    backdrop()->setAlpha(1);
    commitAnimations();
}

void ActionSheet::animateOut(std::function<void()> done) {
    Ref<View> backdrop(this->backdrop());
    Rect f = frame();
    animate(
        kSlideDuration,
        [&] {
            setAnimationCurve(ViewAnimationCurve::EaseIn);
            setFrame(Rect(f.origin.x, f.origin.y + f.size.height, f.size.width, f.size.height));
            backdrop->setAlpha(0);
        },
        [done = std::move(done)](bool) { done(); });
}

void ActionSheet::notifyClicked(int index) {
    if (delegate_) delegate_->clickedButtonAtIndex(this, index);
}

void ActionSheet::notifyDismissed(int index) {
    if (delegate_) delegate_->didDismissWithButtonIndex(this, index);
}

} // namespace platform

#include "platform/ui/AlertView.h"

#include "platform/Window.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "support/Log.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

constexpr float kPad = 12, kButtonHeight = 43, kGap = 8, kRadius = 10;
const ccColor4F kBoxColor = rgba(0.03f, 0.1f, 0.28f, 0.9f);

// The alert's own buttons: translucent glass, the cancel button darker; a
// white ring marks the one the keyboard would press.
class AlertButton : public Button {
public:
    AlertButton(std::string title, bool cancel)
        : Button(Rect(), ButtonType::Custom), cancel_(cancel) {
        setTitle(std::move(title));
        setFont(Font::boldSystemFont(17));
    }
    void setFocused(bool on) {
        if (on == focused_) return;
        focused_ = on;
        setNeedsDisplay();
    }
    bool focused() const { return focused_; }

    void draw(GraphicsContext& g) override {
        Rect b = bounds();
        Rect box(1.5f, 1.5f, b.size.width - 3, b.size.height - 3);
        ccColor4F top = cancel_ ? rgba(0.45f, 0.5f, 0.6f, 0.75f) : rgba(0.6f, 0.65f, 0.78f, 0.65f);
        ccColor4F bottom =
            cancel_ ? rgba(0.15f, 0.18f, 0.26f, 0.85f) : rgba(0.25f, 0.3f, 0.45f, 0.75f);
        if (highlighted()) {
            top = rgba(0.55f, 0.75f, 1.0f, 0.95f);
            bottom = rgba(0.15f, 0.35f, 0.8f, 0.95f);
        }
        g.fillGradientRoundedRect(box, 7, top, bottom, 0.25f);
        g.setColor(rgba(0, 0, 0, 0.6f));
        g.strokeRoundedRect(box, 7, 1);
        if (focused_) {
            g.setColor(rgba(1, 1, 1, 0.95f));
            g.strokeRoundedRect(Rect(1, 1, b.size.width - 2, b.size.height - 2), 8, 2);
        }
        TextStyle style;
        style.font = font();
        style.color = rgba(1, 1, 1);
        style.alignment = TextAlignment::Center;
        style.maxLines = 1;
        TextStyle shadow = style;
        shadow.color = rgba(0, 0, 0, 0.5f);
        Rect text(6, 0, b.size.width - 12, b.size.height);
        g.drawText(currentTitle(), Rect(text.origin.x, -1, text.size.width, text.size.height),
                   shadow, true);
        g.drawText(currentTitle(), text, style, true);
    }

private:
    bool cancel_;
    bool focused_ = false;
};

// The alert on screen and those waiting behind it.
AlertView* current = nullptr;
std::vector<Ref<AlertView>>& queue() {
    static auto* q = new std::vector<Ref<AlertView>>;
    return *q;
}

} // namespace

AlertView::AlertView(std::string title, std::string message, std::string cancel,
                     std::vector<std::string> others)
    : View(Rect(0, 0, kWidth, 100)), title_(std::move(title)), message_(std::move(message)) {
    titleLabel_ = ::make<Label>(Rect(), title_);
    titleLabel_->setFont(Font::boldSystemFont(18));
    titleLabel_->setTextColor(rgba(1, 1, 1));
    titleLabel_->setShadowColor(rgba(0, 0, 0, 0.6f));
    titleLabel_->setTextAlignment(TextAlignment::Center);
    titleLabel_->setNumberOfLines(3);
    titleLabel_->setUserInteractionEnabled(false);
    messageLabel_ = ::make<Label>(Rect(), message_);
    messageLabel_->setFont(Font::systemFont(16));
    messageLabel_->setTextColor(rgba(1, 1, 1));
    messageLabel_->setTextAlignment(TextAlignment::Center);
    messageLabel_->setNumberOfLines(0);
    messageLabel_->setUserInteractionEnabled(false);
    addSubview(titleLabel_.get());
    addSubview(messageLabel_.get());
    if (!cancel.empty()) {
        hasCancel_ = true;
        addButtonWithTitle(cancel);
    }
    for (auto& t : others)
        addButtonWithTitle(t);
}

AlertView::~AlertView() {
    if (Keyboard::shared().hasResponder(this)) Keyboard::shared().removeResponder(this);
    if (current == this) current = nullptr;
}

void AlertView::setDelegate(AlertViewDelegate* delegate, Object* owner) {
    delegate_ = delegate;
    delegateOwner_ = owner;
    if (visible_ || queued_) heldDelegate_ = owner;
}

int AlertView::addButtonWithTitle(const std::string& title) {
    int index = int(buttons_.size());
    bool cancel = hasCancel_ && index == 0;
    auto button = ::make<AlertButton>(title, cancel);
    button->addTarget(Control::Action("pressed", [this, index](Control*) { pressed(index); }),
                      ControlEventTouchUpInside);
    buttons_.push_back(button);
    addSubview(button.get());
    if (visible_) layout();
    return index;
}

std::string AlertView::buttonTitleAtIndex(int index) const {
    Button* b = buttonAtIndex(index);
    return b ? b->currentTitle() : std::string();
}

Button* AlertView::buttonAtIndex(int index) const {
    return index >= 0 && index < int(buttons_.size()) ? buttons_[size_t(index)].get() : nullptr;
}

std::vector<int> AlertView::visualOrder() const {
    std::vector<int> order;
    int n = int(buttons_.size());
    if (n == 2) return {0, 1};
    // Stacked: the others first, the cancel button at the bottom.
    for (int i = hasCancel_ ? 1 : 0; i < n; ++i)
        order.push_back(i);
    if (hasCancel_) order.push_back(0);
    return order;
}

void AlertView::layout() {
    Window* w = window() ? window() : Window::main();
    Size screen = w ? w->bounds().size : Size(320, 480);
    float inner = kWidth - 2 * kPad;
    float maxHeight = std::max(120.0f, screen.height - 40);
    int n = int(buttons_.size());

    TextStyle ts;
    ts.font = titleLabel_->font();
    ts.maxLines = titleLabel_->numberOfLines();
    float titleH = title_.empty() ? 0 : std::min(measureText(title_, ts, inner).height, 80.0f);
    float textTop = kPad + titleH + (titleH > 0 ? 4 : 0);

    // Buttons side by side when there are two, else stacked; when a stack
    // would not fit, in columns, as small as still makes them buttons.
    std::vector<int> order = visualOrder();
    int columns = n == 2 ? 2 : 1;
    float buttonH = kButtonHeight, gap = kGap;
    float forButtons = maxHeight - textTop - kPad - gap;
    auto rowsFor = [n](int cols) { return (n + cols - 1) / cols; };
    while (n > 0 && rowsFor(columns) * (buttonH + gap) - gap > forButtons) {
        if (buttonH > 28) {
            buttonH = std::max(28.0f, forButtons / float(rowsFor(columns)) - gap);
            gap = 4;
        } else if (columns < 4) {
            ++columns;
        } else {
            break; // the rest is cut off at the bottom of the box
        }
    }
    int rows = n > 0 ? rowsFor(columns) : 0;
    float buttonsH = rows > 0 ? std::min(forButtons, rows * (buttonH + gap) - gap) : 0;

    TextStyle ms;
    ms.font = messageLabel_->font();
    float room = maxHeight - textTop - buttonsH - kPad - 2 * kGap;
    float messageH = message_.empty() ? 0
                                      : std::clamp(measureText(message_, ms, inner).height, 0.0f,
                                                   std::max(0.0f, room));

    titleLabel_->setFrame(Rect(kPad, kPad, inner, titleH));
    messageLabel_->setFrame(Rect(kPad, textTop, inner, messageH));
    float y = textTop + messageH + (messageH > 0 ? kGap + 4 : 0);
    float bw = (inner - float(columns - 1) * gap) / float(columns);
    for (size_t k = 0; k < order.size(); ++k) {
        int row = int(k) / columns, column = int(k) % columns;
        buttons_[size_t(order[k])]->setFrame(
            Rect(kPad + float(column) * (bw + gap), y + float(row) * (buttonH + gap), bw, buttonH));
    }
    float height = std::min(maxHeight, y + buttonsH + kPad);
    setClipsToBounds(true);
    setFrame(Rect(std::round((screen.width - kWidth) / 2), std::round((screen.height - height) / 2),
                  kWidth, height));
}

void AlertView::draw(GraphicsContext& g) {
    Rect b = bounds();
    Rect box(1.5f, 1.5f, b.size.width - 3, b.size.height - 3);
    g.setColor(kBoxColor);
    g.fillRoundedRect(box, kRadius);
    // A sheen over the top.
    g.fillGradientRoundedRect(Rect(box.origin.x, box.origin.y, box.size.width, 30), kRadius,
                              rgba(1, 1, 1, 0.22f), rgba(1, 1, 1, 0.02f));
    g.setColor(rgba(1, 1, 1, 0.9f));
    g.strokeRoundedRect(box, kRadius, 2);
}

// --- showing and dismissing ---

void AlertView::show() {
    if (visible_ || queued_) return;
    queued_ = true;
    heldDelegate_ = delegateOwner_;
    if (current) {
        queue().push_back(Ref<AlertView>(this));
        return;
    }
    present();
}

void AlertView::present() {
    Window* w = Window::main();
    if (!w) {
        ccLog("AlertView: no window to show \"%s\" in", title_.c_str());
        queued_ = false;
        heldDelegate_ = nullptr;
        return;
    }
    queued_ = false;
    visible_ = true;
    dismissing_ = false;
    current = this;
    layout();
    backdrop_ = ::make<View>(w->bounds());
    backdrop_->setBackgroundColor(rgba(0, 0, 0, 0.45f));
    backdrop_->addSubview(this);
    w->addSubview(backdrop_.get());
    w->beginModal(backdrop_.get());
    Keyboard::shared().addResponder(this, Keyboard::kModalPriority);
    focused_ = -1;
    setFocus(hasCancel_ ? 0 : (buttons_.empty() ? -1 : visualOrder().front()));

    // Dims in and pops up.
    backdrop_->setAlpha(0);
    setTransform(AffineTransform::makeScale(1.15f, 1.15f));
    beginAnimations("AlertShow");
    setAnimationDuration(kFadeDuration);
    setAnimationCurve(ViewAnimationCurve::EaseOut);
    backdrop_->setAlpha(1);
    setTransform(AffineTransform());
    commitAnimations();
}

void AlertView::setFocus(int index) {
    if (index == focused_) return;
    if (auto* old = dynamic_cast<AlertButton*>(buttonAtIndex(focused_))) old->setFocused(false);
    focused_ = index;
    if (auto* now = dynamic_cast<AlertButton*>(buttonAtIndex(focused_))) now->setFocused(true);
}

void AlertView::pressed(int index) {
    if (!visible_ || dismissing_) return;
    Ref<AlertView> keep(this);
    if (delegate_) delegate_->clickedButtonAtIndex(this, index);
    dismissWithClickedButtonIndex(index, true);
}

void AlertView::dismissWithClickedButtonIndex(int index, bool animated) {
    if (queued_) {
        // Never shown: leaves the queue quietly.
        Ref<AlertView> keep(this);
        std::erase_if(queue(), [this](const Ref<AlertView>& a) { return a.get() == this; });
        queued_ = false;
        heldDelegate_ = nullptr;
        return;
    }
    if (!visible_ || dismissing_) return;
    dismissing_ = true;
    Keyboard::shared().removeResponder(this);
    if (!animated || !backdrop_->window()) {
        finishDismissal(index);
        return;
    }
    Ref<AlertView> keep(this);
    // Touches stay with the alert until it has gone.
    animate(
        kFadeDuration, [&] { backdrop_->setAlpha(0); },
        [keep, index](bool) { keep->finishDismissal(index); });
}

void AlertView::finishDismissal(int index) {
    if (!visible_) return;
    Ref<AlertView> keep(this);
    if (Window* w = backdrop_->window()) w->endModal(backdrop_.get());
    removeFromSuperview();
    backdrop_->removeFromSuperview();
    backdrop_ = nullptr;
    visible_ = false;
    dismissing_ = false;
    if (current == this) current = nullptr;
    Ref<Object> held = std::move(heldDelegate_);
    if (delegate_) delegate_->didDismissWithButtonIndex(this, index);
    held = nullptr;
    // The next alert in line, unless the delegate showed one already.
    if (!current && !queue().empty()) {
        Ref<AlertView> next = queue().front();
        queue().erase(queue().begin());
        next->present();
    }
}

bool AlertView::keyDown(const std::string& key) {
    if (!visible_ || dismissing_) return true;
    std::vector<int> order = visualOrder();
    auto at = std::find(order.begin(), order.end(), focused_);
    int pos = at == order.end() ? 0 : int(at - order.begin());
    int n = int(order.size());
    if (key == "return" || key == "enter" || key == "space") {
        if (focused_ >= 0) pressed(focused_);
    } else if (key == "escape") {
        if (hasCancel_ && buttons_.size() == 1) pressed(0);
    } else if (n > 0 && (key == "left" || key == "up")) {
        setFocus(order[size_t((pos + n - 1) % n)]);
    } else if (n > 0 && (key == "right" || key == "down" || key == "tab")) {
        setFocus(order[size_t((pos + 1) % n)]);
    }
    // Nothing beneath a modal alert hears keys.
    return true;
}

AlertView* AlertView::visibleAlert() {
    return current;
}
size_t AlertView::pendingAlerts() {
    return queue().size();
}

void AlertView::resetAll() {
    std::vector<Ref<AlertView>> waiting = std::move(queue());
    queue().clear();
    for (auto& a : waiting) {
        a->queued_ = false;
        a->heldDelegate_ = nullptr;
    }
    if (Ref<AlertView> a = current) {
        Keyboard::shared().removeResponder(a.get());
        if (a->backdrop_) {
            if (Window* w = a->backdrop_->window()) w->endModal(a->backdrop_.get());
            a->backdrop_->removeFromSuperview();
        }
        a->removeFromSuperview();
        a->backdrop_ = nullptr;
        a->visible_ = false;
        a->dismissing_ = false;
        a->heldDelegate_ = nullptr;
        current = nullptr;
    }
}

} // namespace platform

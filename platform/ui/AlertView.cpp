#include "platform/ui/AlertView.h"

#include "platform/ui/Label.h"
#include "platform/ui/TextView.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

constexpr float kPad = 12, kButtonHeight = 43, kGap = 8, kRadius = 10;
const ccColor4F kBoxColor = rgba(0.03f, 0.1f, 0.28f, 0.9f);

// The alert's own buttons: translucent glass, the cancel button darker; a
// white ring marks the one the keyboard would press.
class AlertButton : public PanelButton {
public:
    explicit AlertButton(int index) : index_(index) { setFont(Font::boldSystemFont(17)); }

    void draw(GraphicsContext& g) override {
        auto* panel = dynamic_cast<ModalPanel*>(superview());
        bool cancel = panel && panel->cancelButtonIndex() == index_;
        Rect b = bounds();
        Rect box(1.5f, 1.5f, b.size.width - 3, b.size.height - 3);
        ccColor4F top = cancel ? rgba(0.45f, 0.5f, 0.6f, 0.75f) : rgba(0.6f, 0.65f, 0.78f, 0.65f);
        ccColor4F bottom =
            cancel ? rgba(0.15f, 0.18f, 0.26f, 0.85f) : rgba(0.25f, 0.3f, 0.45f, 0.75f);
        if (highlighted()) {
            top = rgba(0.55f, 0.75f, 1.0f, 0.95f);
            bottom = rgba(0.15f, 0.35f, 0.8f, 0.95f);
        }
        g.fillGradientRoundedRect(box, 7, top, bottom, 0.25f);
        g.setColor(rgba(0, 0, 0, 0.6f));
        g.strokeRoundedRect(box, 7, 1);
        if (focused()) {
            g.setColor(rgba(1, 1, 1, 0.95f));
            g.strokeRoundedRect(Rect(1, 1, b.size.width - 2, b.size.height - 2), 8, 2);
        }
        drawTitle(g, 6, rgba(0, 0, 0, 0.5f), -1); // a shadow above
        drawTitle(g, 6, rgba(1, 1, 1));
    }

private:
    int index_;
};

} // namespace

AlertView::AlertView(std::string title, std::string message, std::string cancel,
                     std::vector<std::string> others)
    : ModalPanel(Rect(0, 0, kWidth, 100)), title_(std::move(title)), message_(std::move(message)) {
    titleLabel_ = ::make<Label>(Rect(), title_);
    titleLabel_->setFont(Font::boldSystemFont(18));
    titleLabel_->setTextColor(rgba(1, 1, 1));
    titleLabel_->setShadowColor(rgba(0, 0, 0, 0.6f));
    titleLabel_->setTextAlignment(TextAlignment::Center);
    titleLabel_->setNumberOfLines(3);
    messageView_ = ::make<TextView>(Rect(), message_);
    messageView_->setFont(Font::systemFont(16));
    messageView_->setTextColor(rgba(1, 1, 1));
    messageView_->setTextAlignment(TextAlignment::Center);
    addSubview(titleLabel_.get());
    addSubview(messageView_.get());
    if (!cancel.empty()) {
        addButtonWithTitle(cancel);
        setCancelButtonIndex(0);
    }
    for (auto& t : others)
        addButtonWithTitle(t);
}

Ref<PanelButton> AlertView::makeButton(const std::string&, int index) {
    return ::make<AlertButton>(index);
}

std::vector<int> AlertView::visualOrder() const {
    int n = numberOfButtons();
    if (n == 2) return {0, 1};
    // Stacked: the others first, the cancel button at the bottom.
    std::vector<int> order;
    for (int i = 0; i < n; ++i)
        if (i != cancelButtonIndex()) order.push_back(i);
    if (cancelButtonIndex() >= 0) order.push_back(cancelButtonIndex());
    return order;
}

AlertView* AlertView::visibleAlert() {
    for (ModalPanel* p : visiblePanels())
        if (auto* alert = dynamic_cast<AlertView*>(p)) return alert;
    return nullptr;
}

bool AlertView::keyDown(const std::string& key) {
    float page = messageView_->bounds().size.height * kPageShare;
    if (key == "pageup") {
        messageView_->scrollBy(-page);
        return true;
    }
    if (key == "pagedown") {
        messageView_->scrollBy(page);
        return true;
    }
    return ModalPanel::keyDown(key);
}

int AlertView::escapeButtonIndex() const {
    return numberOfButtons() == 1 ? cancelButtonIndex() : -1;
}

void AlertView::layoutPanel(Size screen) {
    float inner = kWidth - 2 * kPad;
    float maxHeight = std::max(120.0f, screen.height - 40);
    int n = numberOfButtons();

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

    // A message taller than the room left scrolls inside it.
    float room = maxHeight - textTop - buttonsH - kPad - 2 * kGap;
    messageView_->setFrame(Rect(kPad, textTop, inner, 0));
    float messageH = std::clamp(messageView_->contentHeight(), 0.0f, std::max(0.0f, room));

    titleLabel_->setFrame(Rect(kPad, kPad, inner, titleH));
    messageView_->setFrame(Rect(kPad, textTop, inner, messageH));
    float y = textTop + messageH + (messageH > 0 ? kGap + 4 : 0);
    float bw = (inner - float(columns - 1) * gap) / float(columns);
    for (size_t k = 0; k < order.size(); ++k) {
        int row = int(k) / columns, column = int(k) % columns;
        buttonAtIndex(order[k])->setFrame(
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

void AlertView::animateIn() {
    // Dims in and pops up.
    backdrop()->setAlpha(0);
    setTransform(AffineTransform::makeScale(1.15f, 1.15f));
    beginAnimations("AlertShow");
    setAnimationDuration(kFadeDuration);
    setAnimationCurve(ViewAnimationCurve::EaseOut);
    backdrop()->setAlpha(1);
    setTransform(AffineTransform());
    commitAnimations();
}

void AlertView::animateOut(std::function<void()> done) {
    Ref<View> backdrop(this->backdrop());
    animate(
        kFadeDuration, [&] { backdrop->setAlpha(0); }, [done = std::move(done)](bool) { done(); });
}

void AlertView::notifyClicked(int index) {
    if (delegate_) delegate_->clickedButtonAtIndex(this, index);
}

void AlertView::notifyDismissed(int index) {
    if (delegate_) delegate_->didDismissWithButtonIndex(this, index);
}

} // namespace platform

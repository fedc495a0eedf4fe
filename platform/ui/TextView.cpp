#include "platform/ui/TextView.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {
constexpr float kBarWidth = 3, kBarInset = 2, kMinBar = 16;
}

TextView::TextView(Rect frame, std::string text) : View(frame) {
    label_ = ::make<Label>(Rect(), std::move(text));
    label_->setNumberOfLines(0);
    bar_ = ::make<View>();
    bar_->setBackgroundColor(rgba(1, 1, 1, 0.45f));
    bar_->setUserInteractionEnabled(false);
    setClipsToBounds(true);
    addSubview(label_.get());
    addSubview(bar_.get());
    relayout();
}

void TextView::setText(std::string text) {
    label_->setText(std::move(text));
    relayout();
}

void TextView::setFont(Font font) {
    label_->setFont(std::move(font));
    relayout();
}

void TextView::setFrame(Rect frame) {
    View::setFrame(frame);
    relayout();
}

void TextView::relayout() {
    float width = bounds().size.width;
    TextStyle style;
    style.font = label_->font();
    float needed = label_->text().empty() ? 0 : measureText(label_->text(), style, width).height;
    contentHeight_ = std::min(std::ceil(needed), kMaxContentHeight);
    setContentOffset(offset_);
    place();
}

void TextView::setContentOffset(float offset) {
    float most = std::max(0.0f, contentHeight_ - bounds().size.height);
    offset = std::isnan(offset) ? 0 : std::clamp(offset, 0.0f, most);
    if (offset == offset_ && label_->frame().origin.y == -offset) return;
    offset_ = offset;
    place();
}

void TextView::place() {
    Size size = bounds().size;
    label_->setFrame(Rect(0, -offset_, size.width, std::max(contentHeight_, size.height)));
    bar_->setHidden(!scrolls());
    if (!scrolls()) return;
    float track = size.height - 2 * kBarInset;
    float length = std::max(kMinBar, track * size.height / contentHeight_);
    float travel = track - length;
    float at = travel * offset_ / (contentHeight_ - size.height);
    bar_->setFrame(
        Rect(size.width - kBarWidth - kBarInset, kBarInset + at, kBarWidth, std::max(0.0f, length)));
}

View* TextView::hitTest(Point point) {
    // Only text that scrolls wants touches; other text lets them through.
    if (!scrolls() || hidden() || !pointInside(point)) return nullptr;
    return this;
}

bool TextView::scrollWheel(float, float dy) {
    if (!scrolls() || !std::isfinite(dy)) return false;
    scrollBy(-dy * kWheelStep);
    return true;
}

void TextView::touchesBegan(const TouchSet& touches, Event*) {
    if (touch_ || touches.empty()) return;
    touch_ = touches.front();
    touchY_ = touch_->locationInView(this).y;
    offsetAtTouch_ = offset_;
}

void TextView::touchesMoved(const TouchSet& touches, Event*) {
    for (auto& t : touches)
        if (t == touch_) setContentOffset(offsetAtTouch_ - (t->locationInView(this).y - touchY_));
}

void TextView::touchesEnded(const TouchSet& touches, Event*) {
    for (auto& t : touches)
        if (t == touch_) touch_ = nullptr;
}

void TextView::touchesCancelled(const TouchSet& touches, Event* event) {
    touchesEnded(touches, event);
}

} // namespace platform

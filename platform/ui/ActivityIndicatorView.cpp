#include "platform/ui/ActivityIndicatorView.h"

#include "platform/ui/Graphics.h"

#include <cmath>

namespace platform {

namespace {
constexpr int kSpokes = 12;
}

ActivityIndicatorView::ActivityIndicatorView(ActivityIndicatorStyle style)
    : View(Rect(0, 0, style == ActivityIndicatorStyle::WhiteLarge ? 37 : 20,
                style == ActivityIndicatorStyle::WhiteLarge ? 37 : 20)),
      style_(style) {
    setUserInteractionEnabled(false);
    setHidden(true);
}

ActivityIndicatorView::~ActivityIndicatorView() {
    if (timer_) timer_->invalidate();
}

void ActivityIndicatorView::startAnimating() {
    if (animating_) return;
    animating_ = true;
    setHidden(false);
    updateTimer();
}

void ActivityIndicatorView::stopAnimating() {
    if (!animating_) return;
    animating_ = false;
    if (hidesWhenStopped_) setHidden(true);
    updateTimer();
}

void ActivityIndicatorView::setHidesWhenStopped(bool hides) {
    hidesWhenStopped_ = hides;
    if (!animating_) setHidden(hides);
}

void ActivityIndicatorView::didMoveToWindow() {
    updateTimer();
}

void ActivityIndicatorView::updateTimer() {
    // Turns only where it can be seen; the timer holds no reference to it.
    bool wanted = animating_ && window();
    if (wanted == (timer_ && timer_->isValid())) return;
    if (!wanted) {
        timer_->invalidate();
        timer_ = nullptr;
        return;
    }
    timer_ = RunLoop::main().scheduleTimer(1.0 / kSpokes, true, [this] {
        phase_ = (phase_ + 1) % kSpokes;
        setNeedsDisplay();
    });
}

void ActivityIndicatorView::draw(GraphicsContext& g) {
    Rect b = bounds();
    float cx = b.size.width / 2, cy = b.size.height / 2;
    float outer = std::min(cx, cy), inner = outer * 0.45f;
    float width = std::max(1.5f, outer * 0.22f);
    ccColor4F base =
        style_ == ActivityIndicatorStyle::Gray ? rgba(0.35f, 0.35f, 0.35f) : rgba(1, 1, 1);
    for (int i = 0; i < kSpokes; ++i) {
        // The newest spoke is brightest; those behind it fade out.
        int age = (phase_ - i + kSpokes) % kSpokes;
        ccColor4F c = base;
        c.a = 1.0f - float(age) / float(kSpokes) * 0.85f;
        float a = float(i) * 2 * float(M_PI) / kSpokes - float(M_PI) / 2;
        g.setColor(c);
        g.strokeLine(
            Point(cx + std::cos(a) * inner, cy + std::sin(a) * inner),
            Point(cx + std::cos(a) * (outer - width / 2), cy + std::sin(a) * (outer - width / 2)),
            width);
    }
}

} // namespace platform

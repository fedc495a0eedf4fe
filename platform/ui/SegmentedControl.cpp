#include "platform/ui/SegmentedControl.h"

#include <algorithm>

namespace platform {

SegmentedControl::SegmentedControl(Rect frame, std::vector<std::string> titles)
    : Control(frame), titles_(std::move(titles)), enabled_(titles_.size(), true) {}

void SegmentedControl::insertSegmentWithTitle(const std::string& title, int index) {
    index = std::clamp(index, 0, numberOfSegments());
    titles_.insert(titles_.begin() + index, title);
    enabled_.insert(enabled_.begin() + index, true);
    if (selected_ >= index) ++selected_;
    setNeedsDisplay();
}

void SegmentedControl::removeAllSegments() {
    titles_.clear();
    enabled_.clear();
    selected_ = kNoSegment;
    setNeedsDisplay();
}

std::string SegmentedControl::titleForSegmentAtIndex(int index) const {
    return index >= 0 && index < numberOfSegments() ? titles_[size_t(index)] : std::string();
}

void SegmentedControl::setTitle(const std::string& title, int index) {
    if (index < 0 || index >= numberOfSegments()) return;
    titles_[size_t(index)] = title;
    setNeedsDisplay();
}

void SegmentedControl::setEnabled(bool enabled, int segment) {
    if (segment < 0 || segment >= numberOfSegments()) return;
    enabled_[size_t(segment)] = enabled;
    setNeedsDisplay();
}

bool SegmentedControl::isEnabledForSegmentAtIndex(int segment) const {
    return segment >= 0 && segment < numberOfSegments() && enabled_[size_t(segment)];
}

void SegmentedControl::setSelectedSegmentIndex(int index) {
    if (index != kNoSegment && (index < 0 || index >= numberOfSegments())) return;
    if (index == selected_) return;
    selected_ = index;
    setNeedsDisplay();
}

void SegmentedControl::setSegmentedControlStyle(SegmentedControlStyle style) {
    style_ = style;
    setNeedsDisplay();
}

int SegmentedControl::segmentAt(Point p) const {
    int n = numberOfSegments();
    float w = bounds().size.width;
    if (n == 0 || w <= 0 || p.x < 0 || p.x >= w || p.y < 0 || p.y >= bounds().size.height)
        return kNoSegment;
    return std::min(n - 1, int(p.x / (w / float(n))));
}

bool SegmentedControl::pressKey(const std::string& key) {
    bool wraps = key == "return" || key == "space";
    int step = key == "left" ? -1 : 1;
    if (!enabled() || (!wraps && key != "left" && key != "right")) return false;
    int n = numberOfSegments();
    // From no selection the first step lands on the first (or last) segment.
    int at = selected_ == kNoSegment ? (step > 0 ? -1 : n) : selected_;
    for (int tried = 0; tried < n; ++tried) {
        at += step;
        if (wraps) at = (at + n) % n;
        if (at < 0 || at >= n) break;
        if (!isEnabledForSegmentAtIndex(at)) continue;
        if (at == selected_) break;
        selected_ = at;
        setNeedsDisplay();
        sendActionsForControlEvents(ControlEventValueChanged);
        break;
    }
    return true;
}

bool SegmentedControl::beginTracking(Touch* touch) {
    pressed_ = segmentAt(touch->locationInView(this));
    if (!isEnabledForSegmentAtIndex(pressed_)) return false;
    setNeedsDisplay();
    return true;
}

void SegmentedControl::endTracking(Touch* touch, bool) {
    int pressed = std::exchange(pressed_, kNoSegment);
    setNeedsDisplay();
    // Only a release on the segment that was pressed selects it.
    if (segmentAt(touch->locationInView(this)) != pressed || pressed == selected_) return;
    selected_ = pressed;
    sendActionsForControlEvents(ControlEventValueChanged);
}

void SegmentedControl::draw(GraphicsContext& g) {
    Rect b = bounds();
    int n = numberOfSegments();
    float radius = style_ == SegmentedControlStyle::Plain ? 9 : 6;
    Rect box(0.5f, 0.5f, b.size.width - 1, b.size.height - 1);
    bool bar = style_ == SegmentedControlStyle::Bar;
    ccColor4F top = bar ? rgba(0.55f, 0.6f, 0.68f) : rgba(1, 1, 1);
    ccColor4F bottom = bar ? rgba(0.35f, 0.4f, 0.48f) : rgba(0.9f, 0.9f, 0.9f);
    float fade = enabled() ? 1.0f : 0.5f;
    g.fillGradientRoundedRect(box, radius, top, bottom);
    if (n == 0) return;
    float w = b.size.width / float(n);
    for (int i = 0; i < n; ++i) {
        Rect seg(float(i) * w, 0, w, b.size.height);
        bool chosen = i == selected_ || i == pressed_;
        if (chosen) {
            g.save();
            g.clip(seg);
            g.fillGradientRoundedRect(box, radius, rgba(0.45f, 0.62f, 0.95f),
                                      rgba(0.12f, 0.35f, 0.82f), 0.2f);
            g.restore();
        }
        if (i > 0) {
            g.setColor(rgba(0.5f, 0.5f, 0.52f));
            g.strokeLine(Point(seg.origin.x, 0), Point(seg.origin.x, b.size.height), 1);
        }
        TextStyle s;
        s.font = Font::boldSystemFont(bar ? 12 : 13);
        s.alignment = TextAlignment::Center;
        s.maxLines = 1;
        bool light = chosen || bar;
        s.color = light ? rgba(1, 1, 1) : rgba(0.3f, 0.3f, 0.33f);
        s.color.a = fade * (enabled_[size_t(i)] ? 1.0f : 0.4f);
        g.drawText(titles_[size_t(i)], Rect(seg.origin.x + 3, 0, seg.size.width - 6, b.size.height),
                   s, true);
    }
    g.setColor(rgba(0.45f, 0.45f, 0.48f));
    g.strokeRoundedRect(box, radius, 1);
}

} // namespace platform

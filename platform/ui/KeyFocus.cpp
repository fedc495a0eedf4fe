#include "platform/ui/KeyFocus.h"

#include "platform/ui/Graphics.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

// How far the ring stands out from the control, and its line.
constexpr float kRingGap = 3, kRingWidth = 2.5f, kRingRadius = 6;
// Controls whose middles are this close in height share a line.
constexpr float kLineSlop = 8;

class FocusRing : public View {
public:
    FocusRing() {
        setUserInteractionEnabled(false);
        setBackgroundColor(ccColor4F{0, 0, 0, 0});
    }
    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& g) override {
        g.setColor(ccColor4F{1.0f, 0.6f, 0.1f, 1.0f});
        Rect r = bounds();
        float inset = kRingWidth / 2;
        g.strokeRoundedRect(Rect(r.origin.x + inset, r.origin.y + inset,
                                 r.size.width - 2 * inset, r.size.height - 2 * inset),
                            kRingRadius, kRingWidth);
    }
};

bool canFocus(const View* v) {
    return !v->hidden() && v->userInteractionEnabled() && v->alpha() >= 0.01f;
}

void collect(View* v, std::vector<Control*>& out) {
    if (!canFocus(v)) return;
    if (auto* control = dynamic_cast<Control*>(v)) {
        // A control's own parts (a switch's strip, a button's label) are
        // not controls of their own.
        if (control->enabled()) out.push_back(control);
        return;
    }
    for (const Ref<View>& sub : v->subviews())
        collect(sub.get(), out);
}

Point middleInWindow(const Control* c) {
    Rect b = c->bounds();
    return c->convertPointToWindow(
        Point(b.origin.x + b.size.width / 2, b.origin.y + b.size.height / 2));
}

} // namespace

void KeyFocus::setRoot(View* root) {
    if (root == root_) return;
    clear();
    root_ = root;
}

std::vector<Control*> KeyFocus::controls() const {
    std::vector<Control*> found;
    if (!root_) return found;
    collect(root_, found);
    std::vector<std::pair<Point, Control*>> placed;
    placed.reserve(found.size());
    for (Control* c : found)
        placed.emplace_back(middleInWindow(c), c);
    // Top to bottom; then each line, left to right.
    std::stable_sort(placed.begin(), placed.end(),
                     [](const auto& a, const auto& b) { return a.first.y < b.first.y; });
    for (size_t line = 0; line < placed.size();) {
        size_t end = line + 1;
        while (end < placed.size() && placed[end].first.y - placed[line].first.y < kLineSlop)
            ++end;
        std::stable_sort(placed.begin() + std::ptrdiff_t(line),
                         placed.begin() + std::ptrdiff_t(end),
                         [](const auto& a, const auto& b) { return a.first.x < b.first.x; });
        line = end;
    }
    found.clear();
    for (const auto& p : placed)
        found.push_back(p.second);
    return found;
}

bool KeyFocus::keyDown(const std::string& key) {
    bool forward = key == "tab" || key == "down";
    if (forward || key == "up") {
        std::vector<Control*> all = controls();
        if (all.empty()) {
            clear();
            return false;
        }
        auto at = std::find(all.begin(), all.end(), focused_.get());
        size_t n = all.size();
        size_t next;
        if (at == all.end())
            next = forward ? 0 : n - 1;
        else
            next = (size_t(at - all.begin()) + (forward ? 1 : n - 1)) % n;
        focus(all[next]);
        return true;
    }
    if (!focused_) return false;
    std::vector<Control*> all = controls();
    if (std::find(all.begin(), all.end(), focused_.get()) == all.end()) {
        // Gone, hidden or disabled since: the key finds nobody.
        clear();
        return false;
    }
    Ref<Control> keep = focused_;
    return keep->pressKey(key);
}

void KeyFocus::focus(Control* control) {
    focused_ = Ref<Control>(control);
    if (!ring_) ring_ = make<FocusRing>();
    // Beside the control, above it, so that it moves with it (a scrolled
    // table) and is not clipped by it (a switch clips its strip).
    View* parent = control->superview();
    if (!parent) return;
    Rect f = control->frame();
    ring_->setFrame(Rect(f.origin.x - kRingGap, f.origin.y - kRingGap,
                         f.size.width + 2 * kRingGap, f.size.height + 2 * kRingGap));
    parent->addSubview(ring_.get());
}

void KeyFocus::clear() {
    focused_ = nullptr;
    if (ring_) ring_->removeFromSuperview();
}

} // namespace platform

#include "platform/View.h"

#include "platform/Window.h"
#include "platform/ui/Animator.h"
#include "platform/ui/ViewController.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace platform {

namespace {
// Frames that would poison layout and drawing (NaN, infinite or absurd
// sizes) are kept within reach.
float sane(float v, float limit) {
    if (!std::isfinite(v)) return 0;
    return std::clamp(v, -limit, limit);
}
Rect saneFrame(Rect r) {
    constexpr float kCoord = 1e6f, kSize = 1e5f;
    return Rect(sane(r.origin.x, kCoord), sane(r.origin.y, kCoord),
                std::max(0.0f, sane(r.size.width, kSize)),
                std::max(0.0f, sane(r.size.height, kSize)));
}
} // namespace

View::View(Rect frame) : frame_(saneFrame(frame)), shownFrame_(frame_) {}

View::~View() {
    for (auto& v : subviews_)
        v->superview_ = nullptr;
}

void View::changed() {
    if (Window* w = window()) w->setNeedsComposite();
}

void View::setFrame(Rect frame) {
    frame = saneFrame(frame);
    bool resized = frame.size != frame_.size;
    Rect old = frame_;
    frame_ = frame;
    if (!Animator::shared().recordFrame(this, old, frame)) shownFrame_ = frame;
    if (resized) needsDisplay_ = true;
    changed();
    layoutSubviews();
}

Point View::center() const {
    return Point(frame_.origin.x + frame_.size.width / 2, frame_.origin.y + frame_.size.height / 2);
}

void View::setCenter(Point c) {
    setFrame(Rect(c.x - frame_.size.width / 2, c.y - frame_.size.height / 2, frame_.size.width,
                  frame_.size.height));
}

void View::setTransform(const AffineTransform& t) {
    AffineTransform old = transform_;
    transform_ = t;
    if (!Animator::shared().recordTransform(this, old, t)) shownTransform_ = t;
    changed();
}

void View::setAlpha(float alpha) {
    alpha = std::isfinite(alpha) ? std::clamp(alpha, 0.0f, 1.0f) : 1.0f;
    float old = alpha_;
    alpha_ = alpha;
    if (!Animator::shared().recordAlpha(this, old, alpha)) shownAlpha_ = alpha;
    changed();
}

void View::setHidden(bool hidden) {
    if (hidden == hidden_) return;
    hidden_ = hidden;
    changed();
}

void View::setBackgroundColor(ccColor4F color) {
    if (color == backgroundColor_) return;
    backgroundColor_ = color;
    changed();
}

void View::setClipsToBounds(bool clips) {
    if (clips == clipsToBounds_) return;
    clipsToBounds_ = clips;
    changed();
}

void View::setNeedsDisplay() {
    needsDisplay_ = true;
    changed();
}

View* View::viewWithTag(int tag) {
    if (tag_ == tag) return this;
    for (auto& v : subviews_)
        if (View* found = v->viewWithTag(tag)) return found;
    return nullptr;
}

// --- hierarchy ---

void View::addSubview(View* view) {
    insertSubview(view, subviews_.size());
}

void View::insertSubview(View* view, size_t index) {
    if (!view || view == this || isDescendantOfView(view)) return;
    Ref<View> keep(view);
    view->moveToSuperview(this, index);
}

void View::moveToSuperview(View* parent, size_t index) {
    Ref<View> keep(this);
    Window* before = window();
    ViewController* c = controller_;
    bool entering = parent && !before && parent->window();
    if (entering && c) c->viewWillAppear(Animator::shared().recording());
    if (superview_) {
        View* old = std::exchange(superview_, nullptr);
        std::erase_if(old->subviews_, [this](const Ref<View>& v) { return v.get() == this; });
        old->changed();
    }
    if (parent) {
        index = std::min(index, parent->subviews_.size());
        parent->subviews_.insert(parent->subviews_.begin() + std::ptrdiff_t(index), keep);
        superview_ = parent;
        changed();
        layoutSubviews();
    }
    notifyWindowChange(before);
    if (entering && c) c->viewDidAppear(Animator::shared().recording());
}

void View::notifyWindowChange(Window* before) {
    if (window() == before) return;
    didMoveToWindow();
    // A copy: a view may rearrange its subviews when it changes windows.
    std::vector<Ref<View>> subs = subviews_;
    for (auto& v : subs)
        if (v->superview_ == this) v->notifyWindowChange(before);
}

void View::bringSubviewToFront(View* view) {
    if (view && view->superview_ == this) insertSubview(view, subviews_.size());
}

void View::sendSubviewToBack(View* view) {
    if (view && view->superview_ == this) insertSubview(view, 0);
}

void View::removeFromSuperview() {
    if (!superview_) return;
    Ref<View> keep(this);
    ViewController* c = controller_;
    bool leaving = window() != nullptr;
    bool animated = Animator::shared().recording();
    if (leaving && c) c->viewWillDisappear(animated);
    moveToSuperview(nullptr, 0);
    if (leaving && c) c->viewDidDisappear(animated);
}

bool View::isDescendantOfView(const View* view) const {
    for (const View* v = this; v; v = v->superview_)
        if (v == view) return true;
    return false;
}

Window* View::window() const {
    const View* v = this;
    while (v->superview_)
        v = v->superview_;
    return dynamic_cast<Window*>(const_cast<View*>(v));
}

// --- coordinates and touches ---

AffineTransform View::transformToSuperview(bool presentation) const {
    Rect f = presentation ? shownFrame_ : frame_;
    const AffineTransform& t = presentation ? shownTransform_ : transform_;
    AffineTransform m = AffineTransform::makeTranslation(-f.size.width / 2, -f.size.height / 2);
    m = AffineTransform::concat(m, t);
    return AffineTransform::concat(
        m, AffineTransform::makeTranslation(f.origin.x + f.size.width / 2,
                                            f.origin.y + f.size.height / 2));
}

Point View::convertPointToWindow(Point p) const {
    for (const View* v = this; v && v->superview_; v = v->superview_)
        p = v->transformToSuperview().apply(p);
    return p;
}

Point View::convertPointFromWindow(Point p) const {
    AffineTransform toWindow;
    for (const View* v = this; v && v->superview_; v = v->superview_)
        toWindow = AffineTransform::concat(toWindow, v->transformToSuperview());
    return AffineTransform::invert(toWindow).apply(p);
}

Point View::convertPoint(Point p, const View* to) const {
    Point w = convertPointToWindow(p);
    return to ? to->convertPointFromWindow(w) : w;
}

View* View::hitTest(Point point) {
    if (hidden_ || !userInteractionEnabled_ || alpha_ < 0.01f) return nullptr;
    if (!pointInside(point)) return nullptr;
    for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it) {
        View* sub = it->get();
        Point local = AffineTransform::invert(sub->transformToSuperview()).apply(point);
        if (View* hit = sub->hitTest(local)) return hit;
    }
    return this;
}

Point Touch::locationInView(const View* view) const {
    return view ? view->convertPointFromWindow(location_) : location_;
}

Point Touch::previousLocationInView(const View* view) const {
    return view ? view->convertPointFromWindow(previous_) : previous_;
}

void Touch::update(TouchPhase phase, Point windowLocation, double timestamp) {
    previous_ = phase == TouchPhase::Began ? windowLocation : location_;
    location_ = windowLocation;
    phase_ = phase;
    timestamp_ = timestamp;
}

// --- animation blocks ---

void View::beginAnimations(const std::string& id, void* context) {
    Animator::shared().begin(id, context);
}
void View::commitAnimations() {
    Animator::shared().commit();
}
void View::setAnimationDuration(double s) {
    Animator::shared().setDuration(s);
}
void View::setAnimationDelay(double s) {
    Animator::shared().setDelay(s);
}
void View::setAnimationCurve(ViewAnimationCurve c) {
    Animator::shared().setCurve(c);
}
void View::setAnimationDelegate(Object* d) {
    Animator::shared().setDelegate(d);
}
void View::setAnimationDidStopSelector(AnimationDidStopSelector s) {
    Animator::shared().setDidStop(std::move(s));
}
void View::setAnimationTransition(ViewAnimationTransition t, View* view, bool cache) {
    Animator::shared().setTransition(t, view, cache);
}
void View::setAnimationsEnabled(bool on) {
    Animator::shared().setEnabled(on);
}
bool View::areAnimationsEnabled() {
    return Animator::shared().enabled();
}

void View::animate(double seconds, const std::function<void()>& changes,
                   std::function<void(bool)> completion) {
    Animator& a = Animator::shared();
    a.begin("", nullptr);
    a.setDuration(seconds);
    a.setCompletion(std::move(completion));
    if (changes) changes();
    a.commit();
}

} // namespace platform

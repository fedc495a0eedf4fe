#include "platform/View.h"

#include "platform/Window.h"

#include <algorithm>
#include <utility>

namespace platform {

View::~View() {
    for (auto& v : subviews_) v->superview_ = nullptr;
}

void View::setFrame(Rect frame) {
    frame_ = frame;
    layoutSubviews();
}

void View::addSubview(View* view) {
    if (!view || view == this) return;
    Ref<View> keep(view);
    view->removeFromSuperview();
    subviews_.push_back(keep);
    view->superview_ = this;
    view->layoutSubviews();
}

void View::removeFromSuperview() {
    if (!superview_) return;
    View* parent = std::exchange(superview_, nullptr);
    Ref<View> keep(this);
    std::erase_if(parent->subviews_, [this](const Ref<View>& v) { return v.get() == this; });
}

Window* View::window() const {
    const View* v = this;
    while (v->superview_) v = v->superview_;
    return dynamic_cast<Window*>(const_cast<View*>(v));
}

Point View::originInWindow() const {
    Point p;
    for (const View* v = this; v && v->superview_; v = v->superview_) {
        p.x += v->frame_.origin.x;
        p.y += v->frame_.origin.y;
    }
    return p;
}

View* View::hitTest(Point point) {
    if (hidden_ || !userInteractionEnabled_) return nullptr;
    if (!bounds().contains(point)) return nullptr;
    for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it) {
        View* sub = it->get();
        Point local(point.x - sub->frame_.origin.x, point.y - sub->frame_.origin.y);
        if (View* hit = sub->hitTest(local)) return hit;
    }
    return this;
}

Point Touch::locationInView(const View* view) const {
    if (!view) return location_;
    Point o = view->originInWindow();
    return Point(location_.x - o.x, location_.y - o.y);
}

Point Touch::previousLocationInView(const View* view) const {
    if (!view) return previous_;
    Point o = view->originInWindow();
    return Point(previous_.x - o.x, previous_.y - o.y);
}

void Touch::update(TouchPhase phase, Point windowLocation, double timestamp) {
    previous_ = phase == TouchPhase::Began ? windowLocation : location_;
    location_ = windowLocation;
    phase_ = phase;
    timestamp_ = timestamp;
}

} // namespace platform

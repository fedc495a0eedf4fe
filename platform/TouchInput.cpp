#include "platform/TouchInput.h"

#include "platform/Clock.h"
#include "platform/View.h"

namespace platform {

Ref<Event> TouchInput::makeEvent(double timestamp) const {
    auto event = make<Event>();
    TouchSet all;
    for (auto& [finger, a] : active_)
        all.push_back(a.touch);
    event->setAllTouches(std::move(all));
    event->setTimestamp(timestamp);
    return event;
}

void TouchInput::began(int64_t finger, Point point) {
    if (active_.count(finger)) cancelled(finger);
    View* view = root_ ? root_->hitTest(point) : nullptr;
    if (!view) return;
    if (!view->multipleTouchEnabled()) {
        for (auto& [f, a] : active_)
            if (a.view.get() == view) return; // this view follows one finger only
    }
    double now = clock().monotonic();
    auto touch = make<Touch>();
    touch->setView(view);
    touch->update(TouchPhase::Began, point, now);
    active_[finger] = {touch, Ref<View>(view)};
    auto event = makeEvent(now);
    view->touchesBegan({touch}, event.get());
}

void TouchInput::moved(int64_t finger, Point point) {
    auto it = active_.find(finger);
    if (it == active_.end()) return;
    Active a = it->second;
    if (a.touch->locationInView(nullptr) == point) return;
    double now = clock().monotonic();
    a.touch->update(TouchPhase::Moved, point, now);
    auto event = makeEvent(now);
    a.view->touchesMoved({a.touch}, event.get());
}

void TouchInput::ended(int64_t finger, Point point) {
    auto it = active_.find(finger);
    if (it == active_.end()) return;
    Active a = it->second;
    double now = clock().monotonic();
    a.touch->update(TouchPhase::Ended, point, now);
    auto event = makeEvent(now);
    active_.erase(finger);
    a.view->touchesEnded({a.touch}, event.get());
}

void TouchInput::cancelled(int64_t finger) {
    auto it = active_.find(finger);
    if (it == active_.end()) return;
    Active a = it->second;
    double now = clock().monotonic();
    a.touch->update(TouchPhase::Cancelled, a.touch->locationInView(nullptr), now);
    auto event = makeEvent(now);
    active_.erase(finger);
    a.view->touchesCancelled({a.touch}, event.get());
}

bool TouchInput::wheel(Point point, float dx, float dy) {
    if (!root_) return false;
    Ref<View> keep(root_->hitTest(point));
    for (View* v = keep.get(); v; v = v->superview())
        if (v->scrollWheel(dx, dy)) return true;
    return false;
}

void TouchInput::cancelAll() {
    while (!active_.empty())
        cancelled(active_.begin()->first);
}

} // namespace platform

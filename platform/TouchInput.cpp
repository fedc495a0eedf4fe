#include "platform/TouchInput.h"

#include "platform/Clock.h"
#include "platform/View.h"

#include <algorithm>

namespace platform {

namespace {
constexpr size_t kFingers = 10;
} // namespace

TouchInput::TouchInput(View* root) : root_(root) {
    active_.reserve(kFingers);
    spare_.reserve(kFingers);
}

std::vector<TouchInput::Active>::iterator TouchInput::find(int64_t finger) {
    return std::find_if(active_.begin(), active_.end(),
                        [finger](const Active& a) { return a.finger == finger; });
}

std::vector<TouchInput::Active>::const_iterator TouchInput::find(int64_t finger) const {
    return std::find_if(active_.begin(), active_.end(),
                        [finger](const Active& a) { return a.finger == finger; });
}

void TouchInput::forget(int64_t finger) {
    auto it = find(finger);
    if (it != active_.end()) active_.erase(it);
}

void TouchInput::recycle(Ref<Touch> touch) {
    if (touch->retainCount() == 1 && spare_.size() < kFingers) spare_.push_back(std::move(touch));
}

template <class Send>
void TouchInput::deliver(const Ref<Touch>& touch, double timestamp, Send&& send) {
    if (!event_ || event_->retainCount() > 1) event_ = make<Event>();
    Ref<Event> event = event_;
    all_.clear();
    for (auto& a : active_)
        all_.push_back(a.touch);
    event->setAllTouches(all_);
    event->setTimestamp(timestamp);
    if (delivering_) {
        send(TouchSet{touch}, event.get());
        return;
    }
    struct Delivering {
        TouchInput& input;
        ~Delivering() {
            input.delivering_ = false;
            input.one_.clear();
        }
    } delivering{*this};
    delivering_ = true;
    one_.assign(1, touch);
    send(one_, event.get());
    // Lifted fingers are not kept alive by the event kept for the next one.
    event = nullptr;
    if (event_->retainCount() == 1) {
        all_.clear();
        event_->setAllTouches(all_);
    }
}

void TouchInput::began(int64_t finger, Point point) {
    if (isDown(finger)) cancelled(finger);
    View* view = root_ ? root_->hitTest(point) : nullptr;
    if (!view) return;
    if (!view->multipleTouchEnabled()) {
        for (auto& a : active_)
            if (a.view.get() == view) return; // this view follows one finger only
    }
    double now = clock().monotonic();
    Ref<Touch> touch;
    if (spare_.empty()) {
        touch = make<Touch>();
    } else {
        touch = std::move(spare_.back());
        spare_.pop_back();
        touch->setTapCount(1);
    }
    touch->setView(view);
    touch->update(TouchPhase::Began, point, now);
    // In finger order, as the event lists them.
    auto at = std::find_if(active_.begin(), active_.end(),
                           [finger](const Active& a) { return a.finger > finger; });
    active_.insert(at, Active{finger, touch, Ref<View>(view)});
    deliver(touch, now, [view](const TouchSet& set, Event* e) { view->touchesBegan(set, e); });
}

void TouchInput::moved(int64_t finger, Point point) {
    auto it = find(finger);
    if (it == active_.end()) return;
    Active a = *it;
    if (a.touch->locationInView(nullptr) == point) return;
    double now = clock().monotonic();
    a.touch->update(TouchPhase::Moved, point, now);
    deliver(a.touch, now, [&a](const TouchSet& set, Event* e) { a.view->touchesMoved(set, e); });
}

void TouchInput::ended(int64_t finger, Point point) {
    auto it = find(finger);
    if (it == active_.end()) return;
    Active a = *it;
    double now = clock().monotonic();
    a.touch->update(TouchPhase::Ended, point, now);
    deliver(a.touch, now, [&](const TouchSet& set, Event* e) {
        forget(finger);
        a.view->touchesEnded(set, e);
    });
    recycle(std::move(a.touch));
}

void TouchInput::cancelled(int64_t finger) {
    auto it = find(finger);
    if (it == active_.end()) return;
    Active a = *it;
    double now = clock().monotonic();
    a.touch->update(TouchPhase::Cancelled, a.touch->locationInView(nullptr), now);
    deliver(a.touch, now, [&](const TouchSet& set, Event* e) {
        forget(finger);
        a.view->touchesCancelled(set, e);
    });
    recycle(std::move(a.touch));
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
        cancelled(active_.front().finger);
}

} // namespace platform

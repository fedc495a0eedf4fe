#pragma once

#include "platform/Touch.h"
#include "support/Geometry.h"

#include <cstdint>
#include <vector>

namespace platform {

class View;

// Turns finger positions from any source (mouse, touch screen, script) into
// touches delivered to views. A finger keeps its Touch object and its view
// from going down until it is lifted or cancelled.
class TouchInput {
public:
    explicit TouchInput(View* root);

    // `point` in root-view (window) points.
    void began(int64_t finger, Point point);
    void moved(int64_t finger, Point point);
    void ended(int64_t finger, Point point);
    void cancelled(int64_t finger);
    void cancelAll();
    // The mouse wheel over `point`: offered to the view under it, then to
    // its superviews, until one uses it.
    bool wheel(Point point, float dx, float dy);

    View* root() const { return root_; }
    bool isDown(int64_t finger) const { return find(finger) != active_.end(); }
    size_t activeCount() const { return active_.size(); }

private:
    struct Active {
        int64_t finger;
        Ref<Touch> touch;
        Ref<View> view;
    };
    // The fingers down, by finger number (few: a flat list, kept room).
    std::vector<Active>::iterator find(int64_t finger);
    std::vector<Active>::const_iterator find(int64_t finger) const;
    void forget(int64_t finger);
    // A lifted finger's touch that nobody kept is used again by the next.
    void recycle(Ref<Touch> touch);
    // Hands `touch` alone in a set, with an event of every finger down, to
    // `send`. The event and the sets are reused from one call to the next
    // while nobody else keeps the event (as the platform reuses its own), so
    // that a moving finger allocates nothing; a call nested in another
    // makes its own.
    template <class Send>
    void deliver(const Ref<Touch>& touch, double timestamp, Send&& send);

    View* root_;
    std::vector<Active> active_;
    std::vector<Ref<Touch>> spare_;
    Ref<Event> event_;
    TouchSet all_, one_;
    bool delivering_ = false;
};

} // namespace platform

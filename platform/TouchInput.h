#pragma once

#include "platform/Touch.h"
#include "support/Geometry.h"

#include <cstdint>
#include <map>

namespace platform {

class View;

// Turns finger positions from any source (mouse, touch screen, script) into
// touches delivered to views. A finger keeps its Touch object and its view
// from going down until it is lifted or cancelled.
class TouchInput {
public:
    explicit TouchInput(View* root) : root_(root) {}

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
    bool isDown(int64_t finger) const { return active_.count(finger) != 0; }
    size_t activeCount() const { return active_.size(); }

private:
    struct Active {
        Ref<Touch> touch;
        Ref<View> view;
    };
    Ref<Event> makeEvent(double timestamp) const;

    View* root_;
    std::map<int64_t, Active> active_;
};

} // namespace platform

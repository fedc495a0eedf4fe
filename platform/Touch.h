#pragma once

#include "support/Geometry.h"
#include "support/Ref.h"

#include <vector>

namespace platform {

class View;

enum class TouchPhase { Began, Moved, Stationary, Ended, Cancelled };

// One finger on the screen. The same object stands for the finger from the
// moment it goes down until it is lifted or cancelled, so it can serve as a
// key for the whole gesture.
class Touch : public Object {
public:
    // Location in `view`'s coordinates (origin top-left, y down, points);
    // in window coordinates when `view` is null.
    Point locationInView(const View* view) const;
    Point previousLocationInView(const View* view) const;
    TouchPhase phase() const { return phase_; }
    int tapCount() const { return tapCount_; }
    double timestamp() const { return timestamp_; }
    View* view() const { return view_; }

    // Used by the window when it delivers input.
    void update(TouchPhase phase, Point windowLocation, double timestamp);
    void setView(View* view) { view_ = view; }
    void setTapCount(int count) { tapCount_ = count; }

private:
    Point location_;
    Point previous_;
    TouchPhase phase_ = TouchPhase::Began;
    int tapCount_ = 1;
    double timestamp_ = 0;
    View* view_ = nullptr;
};

using TouchSet = std::vector<Ref<Touch>>;

// The event a set of touches arrives with: every touch currently down.
class Event : public Object {
public:
    const TouchSet& allTouches() const { return allTouches_; }
    double timestamp() const { return timestamp_; }

    // Copied into the event's own list, which keeps its room.
    void setAllTouches(const TouchSet& touches) { allTouches_ = touches; }
    void setTimestamp(double t) { timestamp_ = t; }

private:
    TouchSet allTouches_;
    double timestamp_ = 0;
};

// Receives touches in their four phases.
class TouchResponder {
public:
    virtual ~TouchResponder() = default;
    virtual void touchesBegan(const TouchSet& touches, Event* event) = 0;
    virtual void touchesMoved(const TouchSet& touches, Event* event) = 0;
    virtual void touchesEnded(const TouchSet& touches, Event* event) = 0;
    virtual void touchesCancelled(const TouchSet& touches, Event* event) = 0;
};

} // namespace platform

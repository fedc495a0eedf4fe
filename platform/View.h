#pragma once

#include "platform/Touch.h"
#include "support/Geometry.h"
#include "support/Ref.h"

#include <vector>

namespace platform {

class Window;

// A rectangle of the window that can hold other views and receive touches.
// Frames are in the superview's coordinates, in points, origin top-left.
class View : public Object, public TouchResponder {
public:
    explicit View(Rect frame = Rect()) : frame_(frame) {}
    ~View() override;

    Rect frame() const { return frame_; }
    virtual void setFrame(Rect frame);
    Rect bounds() const { return Rect(Point(), frame_.size); }

    View* superview() const { return superview_; }
    const std::vector<Ref<View>>& subviews() const { return subviews_; }
    void addSubview(View* view);
    void removeFromSuperview();
    // The window this view is shown in, if any.
    Window* window() const;

    bool userInteractionEnabled() const { return userInteractionEnabled_; }
    void setUserInteractionEnabled(bool on) { userInteractionEnabled_ = on; }
    bool multipleTouchEnabled() const { return multipleTouchEnabled_; }
    void setMultipleTouchEnabled(bool on) { multipleTouchEnabled_ = on; }
    bool hidden() const { return hidden_; }
    void setHidden(bool hidden) { hidden_ = hidden; }

    // Origin of this view in window coordinates.
    Point originInWindow() const;
    // The deepest visible, interactive view under `point` (in this view's
    // coordinates), or null.
    View* hitTest(Point point);

    // Called after the frame changed or the view moved into a window.
    virtual void layoutSubviews() {}
    // Draws the view's own content into the window's frame; views without
    // content draw nothing.
    virtual void drawInWindow() {}

    void touchesBegan(const TouchSet&, Event*) override {}
    void touchesMoved(const TouchSet&, Event*) override {}
    void touchesEnded(const TouchSet&, Event*) override {}
    void touchesCancelled(const TouchSet&, Event*) override {}

private:
    Rect frame_;
    View* superview_ = nullptr;
    std::vector<Ref<View>> subviews_;
    bool userInteractionEnabled_ = true;
    bool multipleTouchEnabled_ = false;
    bool hidden_ = false;
};

} // namespace platform

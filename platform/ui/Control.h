#pragma once

#include "platform/View.h"
#include "support/Selector.h"

#include <string>
#include <type_traits>
#include <vector>

namespace platform {

// What a control reports (a bit set).
enum ControlEvent : unsigned {
    ControlEventTouchDown = 1u << 0,
    ControlEventTouchUpInside = 1u << 1,
    ControlEventTouchUpOutside = 1u << 2,
    ControlEventTouchCancel = 1u << 3,
    ControlEventValueChanged = 1u << 4,
};

// The looks a control has (a bit set; Normal is none of them).
enum ControlState : unsigned {
    ControlStateNormal = 0,
    ControlStateHighlighted = 1u << 0,
    ControlStateDisabled = 1u << 1,
    ControlStateSelected = 1u << 2,
};

// A view that follows one finger and reports what it does to actions: a
// press and release inside is TouchUpInside; controls with a value report
// ValueChanged. While the finger is down the control is highlighted when it
// is inside (with some room around the control, as fingers are wide).
class Control : public View {
public:
    using Action = Selector<void(Control*)>;

    explicit Control(Rect frame = Rect()) : View(frame) {}

    // Calls `action` on each of `events`. Actions hold no reference to their
    // object: it removes them (or outlives the control).
    void addTarget(Action action, unsigned events);
    void addTarget(Selector<void()> action, unsigned events);
    // An action taking the control as its own class (a switch, a segmented
    // control, ...).
    template <class C>
    requires(std::is_base_of_v<Control, C> &&
             !std::is_same_v<C, Control>) void addTarget(Selector<void(C*)> action,
                                                         unsigned events) {
        std::string name = action.name();
        addTarget(Action(std::move(name), [action](Control* c) { action(dynamic_cast<C*>(c)); }),
                  events);
    }
    // Removes the actions named `name` (every action when empty).
    void removeTarget(const std::string& name = {});
    // Calls the actions registered for any of `events`, in the order added.
    void sendActionsForControlEvents(unsigned events);

    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool highlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted);
    bool selected() const { return selected_; }
    void setSelected(bool selected);
    unsigned state() const;
    bool isTracking() const { return tracking_ != nullptr; }

    // How far outside its bounds a finger still counts as inside.
    static constexpr float kTouchSlop = 30;

    // A key pressed while the control has the keyboard's focus (KeyFocus).
    // Here Return and Space press it as a tap does (TouchUpInside); controls
    // with a value also take the left and right arrows. True when used.
    virtual bool pressKey(const std::string& key);

    void touchesBegan(const TouchSet& touches, Event* event) override;
    void touchesMoved(const TouchSet& touches, Event* event) override;
    void touchesEnded(const TouchSet& touches, Event* event) override;
    void touchesCancelled(const TouchSet& touches, Event* event) override;

protected:
    // Subclasses follow the finger here; false from begin stops tracking.
    virtual bool beginTracking(Touch* /*touch*/) { return true; }
    virtual void continueTracking(Touch* /*touch*/) {}
    // `inside`: the finger was lifted over the control.
    virtual void endTracking(Touch* /*touch*/, bool /*inside*/) {}
    virtual void cancelTracking() {}
    // Called when enabled, highlighted or selected changed.
    virtual void stateChanged() { setNeedsDisplay(); }
    bool touchInside(Touch* touch) const;

private:
    struct Target {
        Action action;
        unsigned events;
    };
    std::vector<Target> targets_;
    Ref<Touch> tracking_;
    bool enabled_ = true;
    bool highlighted_ = false;
    bool selected_ = false;
};

} // namespace platform

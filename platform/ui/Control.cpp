#include "platform/ui/Control.h"

#include <algorithm>

namespace platform {

void Control::addTarget(Action action, unsigned events) {
    if (!action || !events) return;
    targets_.push_back(Target{std::move(action), events});
}

void Control::addTarget(Selector<void()> action, unsigned events) {
    if (!action) return;
    std::string name = action.name();
    addTarget(Action(std::move(name), [action](Control*) { action(); }), events);
}

void Control::removeTarget(const std::string& name) {
    std::erase_if(targets_,
                  [&](const Target& t) { return name.empty() || t.action.name() == name; });
}

void Control::sendActionsForControlEvents(unsigned events) {
    // An action may remove actions, or release the control's last owner.
    Ref<Control> keep(this);
    std::vector<Target> targets = targets_;
    for (const Target& t : targets)
        if (t.events & events) t.action(this);
}

void Control::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (!enabled && tracking_) {
        tracking_ = nullptr;
        highlighted_ = false;
        cancelTracking();
    }
    stateChanged();
}

void Control::setHighlighted(bool highlighted) {
    if (highlighted == highlighted_) return;
    highlighted_ = highlighted;
    stateChanged();
}

void Control::setSelected(bool selected) {
    if (selected == selected_) return;
    selected_ = selected;
    stateChanged();
}

bool Control::pressKey(const std::string& key) {
    if (!enabled_ || (key != "return" && key != "space")) return false;
    sendActionsForControlEvents(ControlEventTouchUpInside);
    return true;
}

unsigned Control::state() const {
    unsigned s = ControlStateNormal;
    if (highlighted_) s |= ControlStateHighlighted;
    if (!enabled_) s |= ControlStateDisabled;
    if (selected_) s |= ControlStateSelected;
    return s;
}

bool Control::touchInside(Touch* touch) const {
    Point p = touch->locationInView(this);
    Rect b = bounds();
    return p.x >= -kTouchSlop && p.y >= -kTouchSlop && p.x < b.size.width + kTouchSlop &&
           p.y < b.size.height + kTouchSlop;
}

void Control::touchesBegan(const TouchSet& touches, Event*) {
    if (!enabled_ || tracking_ || touches.empty()) return;
    Ref<Control> keep(this);
    Touch* touch = touches.front().get();
    if (!beginTracking(touch)) return;
    tracking_ = touch;
    setHighlighted(true);
    sendActionsForControlEvents(ControlEventTouchDown);
}

void Control::touchesMoved(const TouchSet& touches, Event*) {
    for (auto& t : touches) {
        if (t != tracking_) continue;
        setHighlighted(touchInside(t.get()));
        continueTracking(t.get());
    }
}

void Control::touchesEnded(const TouchSet& touches, Event*) {
    for (auto& t : touches) {
        if (t != tracking_) continue;
        Ref<Control> keep(this);
        tracking_ = nullptr;
        bool inside = touchInside(t.get());
        setHighlighted(false);
        endTracking(t.get(), inside);
        sendActionsForControlEvents(inside ? ControlEventTouchUpInside
                                           : ControlEventTouchUpOutside);
    }
}

void Control::touchesCancelled(const TouchSet& touches, Event*) {
    for (auto& t : touches) {
        if (t != tracking_) continue;
        Ref<Control> keep(this);
        tracking_ = nullptr;
        setHighlighted(false);
        cancelTracking();
        sendActionsForControlEvents(ControlEventTouchCancel);
    }
}

} // namespace platform

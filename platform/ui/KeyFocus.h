#pragma once

#include "platform/ui/Control.h"

#include <string>
#include <vector>

namespace platform {

// Keyboard use of the controls on a screen of views. Tab and the down arrow
// move the focus to the next control in reading order (top to bottom, then
// left to right, wrapping round), the up arrow to the one before; the
// focused control gets the other keys (Control::pressKey) and a ring drawn
// round it. Only controls that are shown, enabled and take touches can have
// the focus. Nothing has it before the first Tab or arrow, so that someone
// using a mouse or a finger never sees the ring.
//
// The owner (a screen, itself a KeyResponder) passes its keys on; the root
// view is not held.
class KeyFocus {
public:
    explicit KeyFocus(View* root = nullptr) : root_(root) {}
    ~KeyFocus() { clear(); }
    KeyFocus(const KeyFocus&) = delete;
    KeyFocus& operator=(const KeyFocus&) = delete;

    void setRoot(View* root);
    // True when the key was used.
    bool keyDown(const std::string& key);
    Control* focused() const { return focused_.get(); }
    // No control has the focus; the ring goes.
    void clear();

    // The controls that can have the focus, in the order Tab visits them.
    std::vector<Control*> controls() const;

private:
    void focus(Control* control);

    View* root_;
    Ref<Control> focused_;
    Ref<View> ring_;
};

} // namespace platform

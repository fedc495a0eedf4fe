#pragma once

#include <string>
#include <vector>

namespace platform {

// Something that reacts to key presses: a modal view, a menu, a screen's back
// button. Keys are named as SDL names them, lower-cased ("up", "down",
// "left", "right", "return", "escape", "space", "tab", "a", ...).
class KeyResponder {
public:
    virtual ~KeyResponder() = default;
    // True when the key was used: it is then offered to nobody else.
    virtual bool keyDown(const std::string& key) = 0;
};

// Offers key presses to responders in ascending priority, the most recently
// added first among equal priorities (as touches are offered). Responders
// are not held: they remove themselves before they go. Main thread only.
//
// The arrow keys also tilt the accelerometer, whatever a responder does with
// them; that happens before the responders are asked.
class Keyboard {
public:
    // Modal views (alerts, sheets) come before anything on the screen.
    static constexpr int kModalPriority = -1000000;

    static Keyboard& shared();

    void addResponder(KeyResponder* responder, int priority = 0);
    void removeResponder(KeyResponder* responder);
    bool hasResponder(const KeyResponder* responder) const;

    // Offers a press to the responders; true when one used it.
    bool keyDown(const std::string& key);

private:
    struct Entry {
        KeyResponder* responder;
        int priority;
    };
    std::vector<Entry> responders_;
};

} // namespace platform

#include "platform/Keyboard.h"

#include <algorithm>

namespace platform {

Keyboard& Keyboard::shared() {
    static Keyboard keyboard;
    return keyboard;
}

void Keyboard::addResponder(KeyResponder* responder, int priority) {
    removeResponder(responder);
    // Before the first entry of the same or a higher priority: newest first.
    auto at = std::find_if(responders_.begin(), responders_.end(),
                           [&](const Entry& e) { return e.priority >= priority; });
    responders_.insert(at, Entry{responder, priority});
}

void Keyboard::removeResponder(KeyResponder* responder) {
    std::erase_if(responders_, [&](const Entry& e) { return e.responder == responder; });
}

bool Keyboard::hasResponder(const KeyResponder* responder) const {
    return std::any_of(responders_.begin(), responders_.end(),
                       [&](const Entry& e) { return e.responder == responder; });
}

bool Keyboard::keyDown(const std::string& key) {
    // A responder may add or remove responders (a back key leaves the screen):
    // walk a snapshot and skip those removed on the way.
    const std::vector<Entry> snapshot = responders_;
    for (const Entry& e : snapshot) {
        if (!hasResponder(e.responder)) continue;
        if (e.responder->keyDown(key)) return true;
    }
    return false;
}

} // namespace platform

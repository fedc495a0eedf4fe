#include "engine/TouchDispatcher.h"

#include "support/Error.h"

#include <algorithm>

namespace {
constexpr const char* kInvalidArgument = "InvalidArgument";

// Hands every touch of `touches` to `handle`; those it takes leave the set
// afterwards when the handler swallows them. In place, so that a touch
// allocates nothing.
template <class Handle>
void walkTouches(TouchSet& touches, bool swallows, Handle&& handle) {
    size_t kept = 0;
    for (size_t i = 0; i < touches.size(); ++i) {
        if (handle(touches[i]) && swallows) continue;
        if (kept != i) touches[kept] = std::move(touches[i]);
        ++kept;
    }
    touches.resize(kept);
}
} // namespace

// --- handlers ---

TouchHandler::TouchHandler(const void* identity, Object* keepAlive, int priority)
    : identity_(identity), delegate_(keepAlive), priority_(priority) {
    ccAssert(identity != nullptr, "Touch delegate may not be nil");
}

bool TouchHandler::ccTouchesBegan(TouchSet&, Event*) {
    ccAssertionFailed("override");
}
bool TouchHandler::ccTouchesMoved(TouchSet&, Event*) { ccAssertionFailed("override"); }
bool TouchHandler::ccTouchesEnded(TouchSet&, Event*) { ccAssertionFailed("override"); }
bool TouchHandler::ccTouchesCancelled(TouchSet&, Event*) { ccAssertionFailed("override"); }

Ref<StandardTouchHandler> StandardTouchHandler::handlerWithDelegate(StandardTouchDelegate* d,
                                                                    int priority) {
    return make<StandardTouchHandler>(d, priority);
}

StandardTouchHandler::StandardTouchHandler(StandardTouchDelegate* d, int priority)
    : TouchHandler(TouchDispatcher::identityOf(d), dynamic_cast<Object*>(d), priority),
      delegate_(d) {}

bool StandardTouchHandler::ccTouchesBegan(TouchSet& t, Event* e) {
    return delegate_->ccTouchesBegan(t, e);
}
bool StandardTouchHandler::ccTouchesMoved(TouchSet& t, Event* e) {
    return delegate_->ccTouchesMoved(t, e);
}
bool StandardTouchHandler::ccTouchesEnded(TouchSet& t, Event* e) {
    return delegate_->ccTouchesEnded(t, e);
}
bool StandardTouchHandler::ccTouchesCancelled(TouchSet& t, Event* e) {
    return delegate_->ccTouchesCancelled(t, e);
}

Ref<TargetedTouchHandler> TargetedTouchHandler::handlerWithDelegate(TargetedTouchDelegate* d,
                                                                    int priority, bool swallows) {
    return make<TargetedTouchHandler>(d, priority, swallows);
}

TargetedTouchHandler::TargetedTouchHandler(TargetedTouchDelegate* d, int priority, bool swallows)
    : TouchHandler(TouchDispatcher::identityOf(d), dynamic_cast<Object*>(d), priority),
      delegate_(d), swallowsTouches_(swallows) {
    claimedTouches_.reserve(2);
}

bool TargetedTouchHandler::claimed(Touch* touch) const {
    return std::any_of(claimedTouches_.begin(), claimedTouches_.end(),
                       [touch](const Ref<Touch>& t) { return t.get() == touch; });
}

bool TargetedTouchHandler::ccTouchesBegan(TouchSet& touches, Event* event) {
    walkTouches(touches, swallowsTouches_, [&](const Ref<Touch>& touch) {
        if (!delegate_->ccTouchBegan(touch.get(), event)) return false;
        if (!claimed(touch.get())) claimedTouches_.push_back(touch);
        return true;
    });
    return false;
}

void TargetedTouchHandler::updateKnown(TouchSet& touches, Event* event, TouchPhaseKind phase) {
    walkTouches(touches, swallowsTouches_, [&](const Ref<Touch>& touch) {
        if (!claimed(touch.get())) return false;
        switch (phase) {
        case TouchPhaseKind::Moved:
            delegate_->ccTouchMoved(touch.get(), event);
            break;
        case TouchPhaseKind::Ended:
            delegate_->ccTouchEnded(touch.get(), event);
            break;
        default:
            delegate_->ccTouchCancelled(touch.get(), event);
            break;
        }
        if (phase != TouchPhaseKind::Moved) std::erase(claimedTouches_, touch);
        return true;
    });
}

bool TargetedTouchHandler::ccTouchesMoved(TouchSet& t, Event* e) {
    updateKnown(t, e, TouchPhaseKind::Moved);
    return false;
}
bool TargetedTouchHandler::ccTouchesEnded(TouchSet& t, Event* e) {
    updateKnown(t, e, TouchPhaseKind::Ended);
    return false;
}
bool TargetedTouchHandler::ccTouchesCancelled(TouchSet& t, Event* e) {
    updateKnown(t, e, TouchPhaseKind::Cancelled);
    return false;
}

// --- dispatcher ---

TouchDispatcher& TouchDispatcher::sharedDispatcher() {
    // Made once, under the language's own guard; lives for the whole process.
    static TouchDispatcher* dispatcher = new TouchDispatcher;
    return *dispatcher;
}

TouchDispatcher::TouchDispatcher() { touchHandlers.reserve(8); }

void TouchDispatcher::addHandler(TouchHandler* handler) {
    size_t position = 0;
    for (auto& h : touchHandlers) {
        if (h->priority() < handler->priority()) ++position;
        if (h->delegateIdentity() == handler->delegateIdentity())
            ccRaise(kInvalidArgument, "Delegate already added to touch dispatcher.");
    }
    touchHandlers.insert(touchHandlers.begin() + long(position), Ref<TouchHandler>(handler));
}

void TouchDispatcher::addTargetedDelegate(TargetedTouchDelegate* delegate, int priority,
                                          bool swallowsTouches) {
    addHandler(TargetedTouchHandler::handlerWithDelegate(delegate, priority, swallowsTouches).get());
}

void TouchDispatcher::addStandardDelegate(StandardTouchDelegate* delegate, int priority) {
    addHandler(StandardTouchHandler::handlerWithDelegate(delegate, priority).get());
}

void TouchDispatcher::removeDelegate(const void* identity) {
    if (!identity) return;
    auto it = std::find_if(touchHandlers.begin(), touchHandlers.end(),
                           [identity](const auto& h) { return h->delegateIdentity() == identity; });
    if (it != touchHandlers.end()) touchHandlers.erase(it);
}

void TouchDispatcher::removeAllDelegates() { touchHandlers.clear(); }

void TouchDispatcher::setPriorityForIdentity(int priority, const void* identity) {
    if (!identity) ccRaise(kInvalidArgument, "Got nil touch delegate");
    auto it = std::find_if(touchHandlers.begin(), touchHandlers.end(),
                           [identity](const auto& h) { return h->delegateIdentity() == identity; });
    if (it == touchHandlers.end()) ccRaise(kInvalidArgument, "Touch delegate not found");
    if ((*it)->priority() == priority) return;
    Ref<TouchHandler> handler = *it;
    handler->setPriority(priority);
    touchHandlers.erase(it);
    addHandler(handler.get());
}

void TouchDispatcher::dispatch(const TouchSet& touches, Event* event, TouchPhaseKind phase) {
    if (!dispatchEvents_) return;
    // The handlers as the event found them (a handler may add or remove
    // handlers) and the touches nobody swallowed yet, in the lists of the
    // last event: a touch allocates nothing. A dispatch nested in another
    // makes its own.
    std::vector<Ref<TouchHandler>> nestedSnapshot;
    TouchSet nestedRemaining;
    struct Lists {
        TouchDispatcher& d;
        const bool nested;
        std::vector<Ref<TouchHandler>>& snapshot;
        TouchSet& remaining;
        ~Lists() {
            d.dispatching_ = nested;
            snapshot.clear();
            remaining.clear();
        }
    } lists{*this, dispatching_, dispatching_ ? nestedSnapshot : snapshot_,
            dispatching_ ? nestedRemaining : remaining_};
    dispatching_ = true;
    std::vector<Ref<TouchHandler>>& snapshot = lists.snapshot;
    TouchSet& remaining = lists.remaining;
    snapshot = touchHandlers;
    remaining = touches;
    for (auto& handler : snapshot) {
        bool handled = false;
        switch (phase) {
        case TouchPhaseKind::Began:
            handled = handler->ccTouchesBegan(remaining, event);
            break;
        case TouchPhaseKind::Moved:
            handled = handler->ccTouchesMoved(remaining, event);
            break;
        case TouchPhaseKind::Ended:
            handled = handler->ccTouchesEnded(remaining, event);
            break;
        case TouchPhaseKind::Cancelled:
            handled = handler->ccTouchesCancelled(remaining, event);
            break;
        }
        if (handled || remaining.empty()) break;
    }
}

void TouchDispatcher::touchesBegan(const TouchSet& t, Event* e) { dispatch(t, e, TouchPhaseKind::Began); }
void TouchDispatcher::touchesMoved(const TouchSet& t, Event* e) { dispatch(t, e, TouchPhaseKind::Moved); }
void TouchDispatcher::touchesEnded(const TouchSet& t, Event* e) { dispatch(t, e, TouchPhaseKind::Ended); }
void TouchDispatcher::touchesCancelled(const TouchSet& t, Event* e) {
    dispatch(t, e, TouchPhaseKind::Cancelled);
}

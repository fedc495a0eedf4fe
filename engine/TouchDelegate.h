#pragma once

#include "platform/Touch.h"

using platform::Event;
using platform::Touch;
using platform::TouchSet;

// Receives each touch on its own. ccTouchBegan answers whether the delegate
// claims the touch; only claimed touches' later phases reach it.
class TargetedTouchDelegate {
public:
    virtual ~TargetedTouchDelegate() = default;
    virtual bool ccTouchBegan(Touch* touch, Event* event) = 0;
    virtual void ccTouchMoved(Touch*, Event*) {}
    virtual void ccTouchEnded(Touch*, Event*) {}
    virtual void ccTouchCancelled(Touch*, Event*) {}
};

// Receives the whole remaining set of touches; answering true ends the
// dispatch of that phase. Phases a delegate does not handle answer false.
class StandardTouchDelegate {
public:
    virtual ~StandardTouchDelegate() = default;
    virtual bool ccTouchesBegan(const TouchSet&, Event*) { return false; }
    virtual bool ccTouchesMoved(const TouchSet&, Event*) { return false; }
    virtual bool ccTouchesEnded(const TouchSet&, Event*) { return false; }
    virtual bool ccTouchesCancelled(const TouchSet&, Event*) { return false; }
};

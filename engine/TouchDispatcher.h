#pragma once

#include "engine/TouchDelegate.h"
#include "support/Ref.h"

#include <type_traits>
#include <vector>

enum class TouchPhaseKind { Began, Moved, Ended, Cancelled };

// Wraps one delegate and keeps it alive while registered.
class TouchHandler : public Object {
public:
    int priority() const { return priority_; }
    void setPriority(int p) { priority_ = p; }
    // The delegate's object identity, whatever its kind.
    const void* delegateIdentity() const { return identity_; }

    virtual bool ccTouchesBegan(TouchSet& touches, Event* event);
    virtual bool ccTouchesMoved(TouchSet& touches, Event* event);
    virtual bool ccTouchesEnded(TouchSet& touches, Event* event);
    virtual bool ccTouchesCancelled(TouchSet& touches, Event* event);

protected:
    TouchHandler(const void* identity, Object* keepAlive, int priority);

private:
    const void* identity_;
    Ref<Object> delegate_;
    int priority_;
};

class StandardTouchHandler : public TouchHandler {
public:
    static Ref<StandardTouchHandler> handlerWithDelegate(StandardTouchDelegate* delegate,
                                                         int priority);
    StandardTouchHandler(StandardTouchDelegate* delegate, int priority);
    StandardTouchDelegate* delegate() const { return delegate_; }

    bool ccTouchesBegan(TouchSet& touches, Event* event) override;
    bool ccTouchesMoved(TouchSet& touches, Event* event) override;
    bool ccTouchesEnded(TouchSet& touches, Event* event) override;
    bool ccTouchesCancelled(TouchSet& touches, Event* event) override;

private:
    StandardTouchDelegate* delegate_;
};

class TargetedTouchHandler : public TouchHandler {
public:
    static Ref<TargetedTouchHandler> handlerWithDelegate(TargetedTouchDelegate* delegate,
                                                         int priority, bool swallowsTouches);
    TargetedTouchHandler(TargetedTouchDelegate* delegate, int priority, bool swallowsTouches);
    TargetedTouchDelegate* delegate() const { return delegate_; }
    bool swallowsTouches() const { return swallowsTouches_; }
    const std::vector<Ref<Touch>>& claimedTouches() const { return claimedTouches_; }

    bool ccTouchesBegan(TouchSet& touches, Event* event) override;
    bool ccTouchesMoved(TouchSet& touches, Event* event) override;
    bool ccTouchesEnded(TouchSet& touches, Event* event) override;
    bool ccTouchesCancelled(TouchSet& touches, Event* event) override;

private:
    bool claimed(Touch* touch) const;
    void updateKnown(TouchSet& touches, Event* event, TouchPhaseKind phase);

    TargetedTouchDelegate* delegate_;
    bool swallowsTouches_;
    std::vector<Ref<Touch>> claimedTouches_;
};

// Hands the GL view's touches to the registered handlers, lowest priority
// number first and, among equal priorities, the newest first.
class TouchDispatcher : public platform::TouchResponder {
public:
    static TouchDispatcher& sharedDispatcher();

    void addTargetedDelegate(TargetedTouchDelegate* delegate, int priority, bool swallowsTouches);
    void addStandardDelegate(StandardTouchDelegate* delegate, int priority);
    // Removes the handler of `delegate` (of either kind), given as the
    // object that registered.
    void removeDelegate(const void* delegate);
    template <class D>
    void removeDelegate(D* delegate) {
        removeDelegate(identityOf(delegate));
    }
    void removeAllDelegates();
    template <class D>
    void setPriority(int priority, D* delegate) {
        setPriorityForIdentity(priority, delegate ? identityOf(delegate) : nullptr);
    }

    bool dispatchEvents() const { return dispatchEvents_; }
    void setDispatchEvents(bool on) { dispatchEvents_ = on; }

    void touchesBegan(const TouchSet& touches, Event* event) override;
    void touchesMoved(const TouchSet& touches, Event* event) override;
    void touchesEnded(const TouchSet& touches, Event* event) override;
    void touchesCancelled(const TouchSet& touches, Event* event) override;

    const std::vector<Ref<TouchHandler>>& handlers() const { return touchHandlers; }

    // The most derived object of a polymorphic delegate: one object is one
    // delegate, whichever of its bases registered it.
    template <class D>
    static const void* identityOf(D* delegate) {
        if constexpr (std::is_polymorphic_v<D>)
            return dynamic_cast<const void*>(delegate);
        else
            return delegate;
    }

private:
    TouchDispatcher();
    void addHandler(TouchHandler* handler);
    void setPriorityForIdentity(int priority, const void* identity);
    void dispatch(const TouchSet& touches, Event* event, TouchPhaseKind phase);

    std::vector<Ref<TouchHandler>> touchHandlers;
    bool dispatchEvents_ = true;
    // The lists of the event being dispatched, kept for the next one.
    std::vector<Ref<TouchHandler>> snapshot_;
    TouchSet remaining_;
    bool dispatching_ = false;
};

#pragma once

#include "engine/Action.h"
#include "support/Geometry.h"
#include "support/Selector.h"

// An action that does its work at once, in start; its duration is 0.
class InstantAction : public FiniteTimeAction {
    CC_ACTION_COPY(InstantAction)
public:
    static Ref<InstantAction> action();
    InstantAction() : FiniteTimeAction(0) {}

    bool isDone() override { return true; }
    void step(float dt) override;
    void update(float) override {}

    Ref<InstantAction> reverse() { return action_cast<InstantAction>(reverseAction()); }

protected:
    // An instant action undoes nothing: its reverse is a copy.
    Ref<Action> reverseAction() override { return copyAction(); }
};

class Show : public InstantAction {
    CC_ACTION_COPY(Show)
public:
    static Ref<Show> action();
    void start() override;

protected:
    Ref<Action> reverseAction() override;
};

class Hide : public InstantAction {
    CC_ACTION_COPY(Hide)
public:
    static Ref<Hide> action();
    void start() override;

protected:
    Ref<Action> reverseAction() override;
};

class ToggleVisibility : public InstantAction {
    CC_ACTION_COPY(ToggleVisibility)
public:
    static Ref<ToggleVisibility> action();
    void start() override;
};

class Place : public InstantAction {
    CC_ACTION_COPY(Place)
public:
    static Ref<Place> actionWithPosition(Point position);
    explicit Place(Point position) : position(position) {}
    void start() override;

protected:
    Point position;
};

// Calls an operation of an object when it runs. The object is kept alive as
// long as the action lives.
class CallFunc : public InstantAction {
    CC_ACTION_COPY(CallFunc)
public:
    static Ref<CallFunc> actionWithTarget(Object* target, Selector<void()> selector);
    CallFunc(Object* target, Selector<void()> selector);

    Object* targetCallback() const { return targetCallback_.get(); }

    void start() override;
    // Makes the call; does nothing when no operation was given.
    virtual void execute();

protected:
    explicit CallFunc(Object* target) : targetCallback_(target) {}

    Ref<Object> targetCallback_;
    Selector<void()> selector;
};

// Calls object.operation(node running the action).
class CallFuncN : public CallFunc {
    CC_ACTION_COPY(CallFuncN)
public:
    static Ref<CallFuncN> actionWithTarget(Object* target, Selector<void(Node*)> selector);
    CallFuncN(Object* target, Selector<void(Node*)> selector);

    void execute() override;

protected:
    Selector<void(Node*)> selectorN;
};

// Calls object.operation(node running the action, data). The data is not
// owned.
class CallFuncND : public CallFunc {
    CC_ACTION_COPY(CallFuncND)
public:
    static Ref<CallFuncND> actionWithTarget(Object* target, Selector<void(Node*, void*)> selector,
                                            void* data);
    CallFuncND(Object* target, Selector<void(Node*, void*)> selector, void* data);

    void execute() override;

protected:
    Selector<void(Node*, void*)> selectorND;
    void* data;
};

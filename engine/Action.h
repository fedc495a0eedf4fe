#pragma once

#include "support/Error.h"
#include "support/Ref.h"

#include <string>

class Node;
class IntervalAction;

inline constexpr int kActionTagInvalid = -1;

class Action;

// Narrows a copy or a reverse to the class it is known to have.
template <class T>
Ref<T> action_cast(const Ref<Action>& action) {
    T* narrowed = dynamic_cast<T*>(action.get());
    ccAssert(narrowed != nullptr || !action, "Action: unexpected class");
    return Ref<T>(narrowed);
}

// Declares the copy of a class: a new action of that class built from the
// same parameters (and carrying the same target and tag), not the run state.
#define CC_ACTION_COPY(Class)                                                                      \
public:                                                                                            \
    Ref<Class> copy() const {                                                                      \
        return action_cast<Class>(copyAction());                                                   \
    }                                                                                              \
                                                                                                   \
protected:                                                                                         \
    Ref<Action> copyAction() const override;                                                       \
                                                                                                   \
public:

// Something that changes a node over time. The action manager sets the
// target, calls start, steps the action once a frame until it is done, then
// calls stop. Composites drive their inner actions through the same calls.
class Action : public Object {
public:
    static Ref<Action> action();
    Action() = default;

    Node* target() const { return target_; }
    void setTarget(Node* target) { target_ = target; }
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

    virtual void start() {}
    virtual void stop() {}
    virtual bool isDone() { return true; }
    virtual void step(float dt);
    virtual void update(float t);

    // A new action doing the opposite, or none where there is none.
    Ref<Action> reverse() { return reverseAction(); }
    Ref<Action> copy() const { return copyAction(); }

    virtual std::string description() const;

protected:
    virtual Ref<Action> reverseAction() { return nullptr; }
    virtual Ref<Action> copyAction() const;
    // The part of every copy the base carries.
    void copyBaseTo(Action& copy) const {
        copy.target_ = target_;
        copy.tag_ = tag_;
    }

    Node* target_ = nullptr;
    int tag_ = kActionTagInvalid;
};

// An action that ends after a known time.
class FiniteTimeAction : public Action {
public:
    float duration() const { return duration_; }
    void setDuration(float d) { duration_ = d; }

    Ref<FiniteTimeAction> reverse() { return action_cast<FiniteTimeAction>(reverseAction()); }
    Ref<FiniteTimeAction> copy() const { return action_cast<FiniteTimeAction>(copyAction()); }

protected:
    FiniteTimeAction() = default;
    explicit FiniteTimeAction(float d) : duration_(d) {}
    Ref<Action> copyAction() const override = 0;

    float duration_ = 0;
};

// Runs an interval action again and again; never done.
class RepeatForever : public Action {
    CC_ACTION_COPY(RepeatForever)
public:
    static Ref<RepeatForever> actionWithAction(IntervalAction* action);
    explicit RepeatForever(IntervalAction* action);
    ~RepeatForever() override;

    IntervalAction* innerAction() const { return other.get(); }

    void start() override;
    void step(float dt) override;
    bool isDone() override { return false; }

    Ref<RepeatForever> reverse() { return action_cast<RepeatForever>(reverseAction()); }

protected:
    Ref<Action> reverseAction() override;

    Ref<IntervalAction> other;
};

// Runs an action with its time scaled by `speed`.
class Speed : public Action {
    CC_ACTION_COPY(Speed)
public:
    static Ref<Speed> actionWithAction(Action* action, float speed);
    Speed(Action* action, float speed);
    ~Speed() override;

    Action* innerAction() const { return other.get(); }
    float speed() const { return speed_; }
    void setSpeed(float s) { speed_ = s; }

    void start() override;
    void stop() override;
    void step(float dt) override;
    bool isDone() override;

    Ref<Speed> reverse() { return action_cast<Speed>(reverseAction()); }

protected:
    Ref<Action> reverseAction() override;

    Ref<Action> other;
    float speed_;
};

#pragma once

#include "engine/IntervalAction.h"

// Runs an inner interval action with its progress reshaped by f(t). The
// inner action is driven only through update, never stepped by itself, and
// is not stopped with the wrapper (an eased Animate keeps its last frame).
class EaseAction : public IntervalAction {
    CC_ACTION_COPY(EaseAction)
public:
    static Ref<EaseAction> actionWithAction(IntervalAction* action);
    explicit EaseAction(IntervalAction* action);

    IntervalAction* innerAction() const { return other.get(); }

    void start() override;
    void update(float t) override;

protected:
    Ref<Action> reverseAction() override;
    virtual float ease(float t) const { return t; }

    Ref<IntervalAction> other;
};

// Expands to the creation, copy and curve of one easing class.
#define CC_EASE_CLASS(Class, Base)                                                                 \
    class Class : public Base {                                                                    \
        CC_ACTION_COPY(Class)                                                                      \
    public:                                                                                        \
        static Ref<Class> actionWithAction(IntervalAction* action) { return make<Class>(action); } \
        explicit Class(IntervalAction* action) : Base(action) {}                                   \
                                                                                                   \
    protected:                                                                                     \
        Ref<Action> reverseAction() override;                                                      \
        float ease(float t) const override;                                                        \
    };

// Easing with a rate.
class EaseRateAction : public EaseAction {
    CC_ACTION_COPY(EaseRateAction)
public:
    static Ref<EaseRateAction> actionWithAction(IntervalAction* action, float rate);
    EaseRateAction(IntervalAction* action, float rate) : EaseAction(action), rate_(rate) {}

    float rate() const { return rate_; }
    void setRate(float r) { rate_ = r; }

protected:
    Ref<Action> reverseAction() override;

    float rate_;
};

#define CC_EASE_RATE_CLASS(Class)                                                                  \
    class Class : public EaseRateAction {                                                          \
        CC_ACTION_COPY(Class)                                                                      \
    public:                                                                                        \
        static Ref<Class> actionWithAction(IntervalAction* action, float rate) {                   \
            return make<Class>(action, rate);                                                      \
        }                                                                                          \
        Class(IntervalAction* action, float rate) : EaseRateAction(action, rate) {}                \
                                                                                                   \
    protected:                                                                                     \
        Ref<Action> reverseAction() override;                                                      \
        float ease(float t) const override;                                                        \
    };

// t^rate
CC_EASE_RATE_CLASS(EaseIn)
// t^(1/rate)
CC_EASE_RATE_CLASS(EaseOut)
// t^rate accelerating to the middle, mirrored after it
CC_EASE_RATE_CLASS(EaseInOut)

CC_EASE_CLASS(EaseExponentialIn, EaseAction)
CC_EASE_CLASS(EaseExponentialOut, EaseAction)
CC_EASE_CLASS(EaseExponentialInOut, EaseAction)
CC_EASE_CLASS(EaseSineIn, EaseAction)
CC_EASE_CLASS(EaseSineOut, EaseAction)
CC_EASE_CLASS(EaseSineInOut, EaseAction)

// Base of the elastic curves; has no reverse of its own.
class EaseElastic : public EaseAction {
    CC_ACTION_COPY(EaseElastic)
public:
    static constexpr float kDefaultPeriod = 0.3f;
    static Ref<EaseElastic> actionWithAction(IntervalAction* action, float period = kDefaultPeriod);
    explicit EaseElastic(IntervalAction* action, float period = kDefaultPeriod)
        : EaseAction(action), period_(period) {}

    float period() const { return period_; }
    void setPeriod(float p) { period_ = p; }

protected:
    Ref<Action> reverseAction() override;

    float period_;
};

#define CC_EASE_ELASTIC_CLASS(Class)                                                               \
    class Class : public EaseElastic {                                                             \
        CC_ACTION_COPY(Class)                                                                      \
    public:                                                                                        \
        static Ref<Class> actionWithAction(IntervalAction* action,                                 \
                                           float period = kDefaultPeriod) {                        \
            return make<Class>(action, period);                                                    \
        }                                                                                          \
        explicit Class(IntervalAction* action, float period = kDefaultPeriod)                      \
            : EaseElastic(action, period) {}                                                       \
                                                                                                   \
    protected:                                                                                     \
        Ref<Action> reverseAction() override;                                                      \
        float ease(float t) const override;                                                        \
    };

CC_EASE_ELASTIC_CLASS(EaseElasticIn)
CC_EASE_ELASTIC_CLASS(EaseElasticOut)

// The period 0 is replaced by 0.45 at the first update and stays so.
class EaseElasticInOut : public EaseElastic {
    CC_ACTION_COPY(EaseElasticInOut)
public:
    static Ref<EaseElasticInOut> actionWithAction(IntervalAction* action,
                                                  float period = kDefaultPeriod) {
        return make<EaseElasticInOut>(action, period);
    }
    explicit EaseElasticInOut(IntervalAction* action, float period = kDefaultPeriod)
        : EaseElastic(action, period) {}

    void update(float t) override;

protected:
    Ref<Action> reverseAction() override;
    float ease(float t) const override;
};

// Base of the bounce curves.
class EaseBounce : public EaseAction {
    CC_ACTION_COPY(EaseBounce)
public:
    static Ref<EaseBounce> actionWithAction(IntervalAction* action) {
        return make<EaseBounce>(action);
    }
    explicit EaseBounce(IntervalAction* action) : EaseAction(action) {}

    // The bouncing curve from 0 to 1 that the three classes fold.
    static float bounceTime(float t);

protected:
    Ref<Action> reverseAction() override;
};

CC_EASE_CLASS(EaseBounceIn, EaseBounce)
CC_EASE_CLASS(EaseBounceOut, EaseBounce)
CC_EASE_CLASS(EaseBounceInOut, EaseBounce)

CC_EASE_CLASS(EaseBackIn, EaseAction)
CC_EASE_CLASS(EaseBackOut, EaseAction)
CC_EASE_CLASS(EaseBackInOut, EaseAction)

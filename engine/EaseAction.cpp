#include "engine/EaseAction.h"

#include <cmath>

namespace {
constexpr float kPi = 3.1415927f;
constexpr float kHalfPi = kPi / 2;
} // namespace

// --- EaseAction ---

Ref<EaseAction> EaseAction::actionWithAction(IntervalAction* action) {
    return make<EaseAction>(action);
}

static float easedDuration(IntervalAction* action) {
    ccAssert(action != nullptr, "Ease: arguments must be non-nil");
    return action->duration();
}

EaseAction::EaseAction(IntervalAction* action)
    : IntervalAction(easedDuration(action)), other(action) {}

Ref<Action> EaseAction::copyAction() const {
    auto copy = make<EaseAction>(other->copy().get());
    copyBaseTo(*copy);
    return copy;
}

void EaseAction::start() {
    IntervalAction::start();
    other->setTarget(target_);
    other->start();
}

void EaseAction::update(float t) {
    other->update(ease(t));
}

Ref<Action> EaseAction::reverseAction() {
    return make<EaseAction>(other->reverse().get());
}

// Copies and reverses of the wrappers: the same class, or its mirror, around
// the inner action's copy or reverse.
#define CC_EASE_COPY(Class, ...)                                                                   \
    Ref<Action> Class::copyAction() const {                                                        \
        auto copy = make<Class>(other->copy().get() __VA_OPT__(, ) __VA_ARGS__);                   \
        copyBaseTo(*copy);                                                                         \
        return copy;                                                                               \
    }
#define CC_EASE_REVERSE(Class, Reverse, ...)                                                       \
    Ref<Action> Class::reverseAction() {                                                           \
        return make<Reverse>(other->reverse().get() __VA_OPT__(, ) __VA_ARGS__);                   \
    }

// --- rate ---

Ref<EaseRateAction> EaseRateAction::actionWithAction(IntervalAction* action, float rate) {
    return make<EaseRateAction>(action, rate);
}

CC_EASE_COPY(EaseRateAction, rate_)
CC_EASE_REVERSE(EaseRateAction, EaseRateAction, rate_)
CC_EASE_COPY(EaseIn, rate_)
CC_EASE_REVERSE(EaseIn, EaseIn, 1 / rate_)
float EaseIn::ease(float t) const {
    return std::pow(t, rate_);
}

CC_EASE_COPY(EaseOut, rate_)
CC_EASE_REVERSE(EaseOut, EaseOut, 1 / rate_)
float EaseOut::ease(float t) const {
    return std::pow(t, 1 / rate_);
}

CC_EASE_COPY(EaseInOut, rate_)
CC_EASE_REVERSE(EaseInOut, EaseInOut, rate_)
float EaseInOut::ease(float t) const {
    float u = t * 2;
    if (u < 1) return 0.5f * std::pow(u, rate_);
    if (rate_ != std::floor(rate_)) {
        // A fractional power of the negative u - 2 has no real value; the
        // mirror image of the first half is what the integral rates give too.
        return 1 - 0.5f * std::pow(2 - u, rate_);
    }
    float sign = static_cast<long long>(rate_) % 2 != 0 ? 1.0f : -1.0f;
    return sign * 0.5f * (std::pow(u - 2, rate_) + sign * 2);
}

// --- exponential ---

CC_EASE_COPY(EaseExponentialIn)
CC_EASE_REVERSE(EaseExponentialIn, EaseExponentialOut)
float EaseExponentialIn::ease(float t) const {
    return t == 0 ? 0 : std::pow(2.0f, 10 * (t - 1)) - 0.001f;
}

CC_EASE_COPY(EaseExponentialOut)
CC_EASE_REVERSE(EaseExponentialOut, EaseExponentialIn)
float EaseExponentialOut::ease(float t) const {
    return t == 1 ? 1 : 1 - std::pow(2.0f, -10 * t);
}

CC_EASE_COPY(EaseExponentialInOut)
CC_EASE_REVERSE(EaseExponentialInOut, EaseExponentialInOut)
float EaseExponentialInOut::ease(float t) const {
    float u = t * 2;
    if (u < 1) return 0.5f * std::pow(2.0f, 10 * (u - 1));
    return 0.5f * (2 - std::pow(2.0f, -10 * (u - 1)));
}

// --- sine ---

CC_EASE_COPY(EaseSineIn)
CC_EASE_REVERSE(EaseSineIn, EaseSineOut)
float EaseSineIn::ease(float t) const {
    return 1 - std::cos(t * kHalfPi);
}

CC_EASE_COPY(EaseSineOut)
CC_EASE_REVERSE(EaseSineOut, EaseSineIn)
float EaseSineOut::ease(float t) const {
    return std::sin(t * kHalfPi);
}

CC_EASE_COPY(EaseSineInOut)
CC_EASE_REVERSE(EaseSineInOut, EaseSineInOut)
float EaseSineInOut::ease(float t) const {
    return -0.5f * (std::cos(kPi * t) - 1);
}

// --- elastic ---

Ref<EaseElastic> EaseElastic::actionWithAction(IntervalAction* action, float period) {
    return make<EaseElastic>(action, period);
}

CC_EASE_COPY(EaseElastic, period_)
Ref<Action> EaseElastic::reverseAction() {
    ccAssertionFailed("Override me");
}

CC_EASE_COPY(EaseElasticIn, period_)
CC_EASE_REVERSE(EaseElasticIn, EaseElasticOut, period_)
float EaseElasticIn::ease(float t) const {
    if (t == 0 || t == 1) return t;
    float p = period_;
    return std::pow(2.0f, 10 * (t - 1)) * std::sin((t - 1 - p / 4) * (-2 * kPi) / p);
}

CC_EASE_COPY(EaseElasticOut, period_)
CC_EASE_REVERSE(EaseElasticOut, EaseElasticIn, period_)
float EaseElasticOut::ease(float t) const {
    if (t == 0 || t == 1) return t;
    float p = period_;
    return 1 + std::pow(2.0f, -10 * t) * std::sin((t - p / 4) * 2 * kPi / p);
}

CC_EASE_COPY(EaseElasticInOut, period_)
CC_EASE_REVERSE(EaseElasticInOut, EaseElasticInOut, period_)
void EaseElasticInOut::update(float t) {
    if (t != 0 && t != 1 && period_ == 0) period_ = 0.45f;
    EaseElastic::update(t);
}
float EaseElasticInOut::ease(float t) const {
    if (t == 0 || t == 1) return t;
    float u = t * 2 - 1;
    float p = period_;
    float wave = std::sin((u - p / 4) * 2 * kPi / p);
    if (u < 0) return -0.5f * std::pow(2.0f, 10 * u) * wave;
    return 1 + 0.5f * std::pow(2.0f, -10 * u) * wave;
}

// --- bounce ---

CC_EASE_COPY(EaseBounce)
CC_EASE_REVERSE(EaseBounce, EaseBounce)

float EaseBounce::bounceTime(float t) {
    // The thresholds are compared in double precision.
    if (t < 1 / 2.75) return 7.5625f * t * t;
    if (t < 2 / 2.75) {
        t -= 1.5f / 2.75f;
        return 7.5625f * t * t + 0.75f;
    }
    if (t < 2.5 / 2.75) {
        t -= 2.25f / 2.75f;
        return 7.5625f * t * t + 0.9375f;
    }
    t -= 2.625f / 2.75f;
    return 7.5625f * t * t + 0.984375f;
}

CC_EASE_COPY(EaseBounceIn)
CC_EASE_REVERSE(EaseBounceIn, EaseBounceOut)
float EaseBounceIn::ease(float t) const {
    return 1 - bounceTime(1 - t);
}

CC_EASE_COPY(EaseBounceOut)
CC_EASE_REVERSE(EaseBounceOut, EaseBounceIn)
float EaseBounceOut::ease(float t) const {
    return bounceTime(t);
}

CC_EASE_COPY(EaseBounceInOut)
CC_EASE_REVERSE(EaseBounceInOut, EaseBounceInOut)
float EaseBounceInOut::ease(float t) const {
    if (t < 0.5f) return 0.5f * (1 - bounceTime(1 - t * 2));
    return 0.5f + 0.5f * bounceTime(t * 2 - 1);
}

// --- back ---

CC_EASE_COPY(EaseBackIn)
CC_EASE_REVERSE(EaseBackIn, EaseBackOut)
float EaseBackIn::ease(float t) const {
    return t * t * (2.70158f * t - 1.70158f);
}

CC_EASE_COPY(EaseBackOut)
CC_EASE_REVERSE(EaseBackOut, EaseBackIn)
float EaseBackOut::ease(float t) const {
    float u = t - 1;
    return u * u * (2.70158f * u + 1.70158f) + 1;
}

CC_EASE_COPY(EaseBackInOut)
CC_EASE_REVERSE(EaseBackInOut, EaseBackInOut)
float EaseBackInOut::ease(float t) const {
    float u = t * 2;
    if (u < 1) return 0.5f * u * u * (3.5949094f * u - 2.5949094f);
    float v = u - 2;
    return 0.5f * v * v * (3.5949094f * v + 2.5949094f) + 1;
}

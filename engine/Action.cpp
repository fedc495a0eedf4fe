#include "engine/Action.h"

#include "engine/IntervalAction.h"
#include "support/ClassName.h"
#include "support/Log.h"

#include <cstdio>

namespace {
constexpr const char* kNonNil = "Argument must be non-nil";
}

// --- Action ---

Ref<Action> Action::action() {
    return make<Action>();
}

void Action::step(float) {
    ccLog("[Action step]. override me");
}

void Action::update(float) {
    ccLog("[Action update]. override me");
}

std::string Action::description() const {
    char buf[160];
    std::snprintf(buf, sizeof buf, "<%s = %p | Tag = %d>", className(*this).c_str(),
                  static_cast<const void*>(this), tag_);
    return buf;
}

Ref<Action> Action::copyAction() const {
    auto copy = make<Action>();
    copyBaseTo(*copy);
    return copy;
}

// --- RepeatForever ---

Ref<RepeatForever> RepeatForever::actionWithAction(IntervalAction* action) {
    return make<RepeatForever>(action);
}

RepeatForever::RepeatForever(IntervalAction* action) : other(action) {
    ccAssert(action != nullptr, kNonNil);
}

RepeatForever::~RepeatForever() = default;

Ref<Action> RepeatForever::copyAction() const {
    auto copy = make<RepeatForever>(other->copy().get());
    copyBaseTo(*copy);
    return copy;
}

void RepeatForever::start() {
    Action::start();
    other->setTarget(target_);
    other->start();
}

void RepeatForever::step(float dt) {
    other->step(dt);
    // The time past the end is dropped: the next step is a first step again.
    if (other->isDone()) other->start();
}

Ref<Action> RepeatForever::reverseAction() {
    return make<RepeatForever>(other->reverse().get());
}

// --- Speed ---

Ref<Speed> Speed::actionWithAction(Action* action, float speed) {
    return make<Speed>(action, speed);
}

Speed::Speed(Action* action, float speed) : other(action), speed_(speed) {
    ccAssert(action != nullptr, kNonNil);
}

Speed::~Speed() = default;

Ref<Action> Speed::copyAction() const {
    auto copy = make<Speed>(other->copy().get(), speed_);
    copyBaseTo(*copy);
    return copy;
}

void Speed::start() {
    Action::start();
    other->setTarget(target_);
    other->start();
}

void Speed::stop() {
    other->stop();
    Action::stop();
}

void Speed::step(float dt) {
    other->step(dt * speed_);
}

bool Speed::isDone() {
    return other->isDone();
}

Ref<Action> Speed::reverseAction() {
    return make<Speed>(other->reverse().get(), speed_);
}

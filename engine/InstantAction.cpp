#include "engine/InstantAction.h"

#include "engine/Node.h"

// --- InstantAction ---

Ref<InstantAction> InstantAction::action() {
    return make<InstantAction>();
}

Ref<Action> InstantAction::copyAction() const {
    auto copy = make<InstantAction>();
    copyBaseTo(*copy);
    return copy;
}

void InstantAction::step(float) {
    update(1);
}

// --- visibility ---

Ref<Show> Show::action() {
    return make<Show>();
}

Ref<Action> Show::copyAction() const {
    auto copy = make<Show>();
    copyBaseTo(*copy);
    return copy;
}

void Show::start() {
    InstantAction::start();
    target_->setVisible(true);
}

Ref<Action> Show::reverseAction() {
    return make<Hide>();
}

Ref<Hide> Hide::action() {
    return make<Hide>();
}

Ref<Action> Hide::copyAction() const {
    auto copy = make<Hide>();
    copyBaseTo(*copy);
    return copy;
}

void Hide::start() {
    InstantAction::start();
    target_->setVisible(false);
}

Ref<Action> Hide::reverseAction() {
    return make<Show>();
}

Ref<ToggleVisibility> ToggleVisibility::action() {
    return make<ToggleVisibility>();
}

Ref<Action> ToggleVisibility::copyAction() const {
    auto copy = make<ToggleVisibility>();
    copyBaseTo(*copy);
    return copy;
}

void ToggleVisibility::start() {
    InstantAction::start();
    target_->setVisible(!target_->visible());
}

// --- Place ---

Ref<Place> Place::actionWithPosition(Point position) {
    return make<Place>(position);
}

Ref<Action> Place::copyAction() const {
    auto copy = make<Place>(position);
    copyBaseTo(*copy);
    return copy;
}

void Place::start() {
    InstantAction::start();
    target_->setPosition(position);
}

// --- calls ---

Ref<CallFunc> CallFunc::actionWithTarget(Object* target, Selector<void()> selector) {
    return make<CallFunc>(target, std::move(selector));
}

CallFunc::CallFunc(Object* target, Selector<void()> selector)
    : targetCallback_(target), selector(std::move(selector)) {}

Ref<Action> CallFunc::copyAction() const {
    auto copy = make<CallFunc>(targetCallback_.get(), selector);
    copyBaseTo(*copy);
    return copy;
}

void CallFunc::start() {
    InstantAction::start();
    // The call may drop the last other reference to this action (a callback
    // that stops its own sequence).
    Ref<CallFunc> keep(this);
    execute();
}

void CallFunc::execute() {
    if (selector) selector();
}

Ref<CallFuncN> CallFuncN::actionWithTarget(Object* target, Selector<void(Node*)> selector) {
    return make<CallFuncN>(target, std::move(selector));
}

CallFuncN::CallFuncN(Object* target, Selector<void(Node*)> selector)
    : CallFunc(target), selectorN(std::move(selector)) {}

Ref<Action> CallFuncN::copyAction() const {
    auto copy = make<CallFuncN>(targetCallback_.get(), selectorN);
    copyBaseTo(*copy);
    return copy;
}

void CallFuncN::execute() {
    if (selectorN) selectorN(target_);
}

Ref<CallFuncND> CallFuncND::actionWithTarget(Object* target, Selector<void(Node*, void*)> selector,
                                             void* data) {
    return make<CallFuncND>(target, std::move(selector), data);
}

CallFuncND::CallFuncND(Object* target, Selector<void(Node*, void*)> selector, void* data)
    : CallFunc(target), selectorND(std::move(selector)), data(data) {}

Ref<Action> CallFuncND::copyAction() const {
    auto copy = make<CallFuncND>(targetCallback_.get(), selectorND, data);
    copyBaseTo(*copy);
    return copy;
}

void CallFuncND::execute() {
    if (selectorND) selectorND(target_, data);
}

#include "engine/IntervalAction.h"

#include "engine/Node.h"
#include "support/PointExtensions.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr const char* kNonNil = "Argument must be non-nil";
constexpr float kPi = 3.1415927f;

// Runs `action` on `target` from a composite's start.
void startOn(FiniteTimeAction* action, Node* target) {
    action->setTarget(target);
    action->start();
}

template <class Pair>
Ref<FiniteTimeAction> foldLeft(std::initializer_list<Ref<FiniteTimeAction>> list) {
    Ref<FiniteTimeAction> folded;
    for (const auto& action : list) {
        if (!folded)
            folded = action;
        else
            folded = make<Pair>(folded.get(), action.get());
    }
    return folded;
}

} // namespace

uint8_t ccTruncateToByte(float value) {
    // Conversions of out-of-range floats are undefined; such values only come
    // from absurd inputs, and any byte will do for them.
    if (!(value > float(INT_MIN) && value < float(INT_MAX))) return 0;
    return static_cast<uint8_t>(static_cast<unsigned>(static_cast<int>(value)) & 0xffu);
}

// --- IntervalAction ---

Ref<IntervalAction> IntervalAction::actionWithDuration(float d) {
    return make<IntervalAction>(d);
}

IntervalAction::IntervalAction() {
    ccRaise("IntervalActionInit", "Init not supported. Use InitWithDuration");
}

IntervalAction::IntervalAction(float d) : FiniteTimeAction(d == 0 ? 1e-8f : d) {}

Ref<Action> IntervalAction::copyAction() const {
    auto copy = make<IntervalAction>(duration_);
    copyBaseTo(*copy);
    return copy;
}

void IntervalAction::start() {
    FiniteTimeAction::start();
    elapsed_ = 0;
    firstTick = true;
}

void IntervalAction::step(float dt) {
    // The dt of the first step belongs to the frame before the action ran.
    if (firstTick) {
        firstTick = false;
        elapsed_ = 0;
    } else {
        elapsed_ += dt;
    }
    update(std::min(1.0f, elapsed_ / duration_));
}

Ref<Action> IntervalAction::reverseAction() {
    ccRaise("ReverseActionNotImplemented", "Reverse Action not implemented");
}

// --- Sequence ---

Ref<Sequence> Sequence::actionOne(FiniteTimeAction* one, FiniteTimeAction* two) {
    return make<Sequence>(one, two);
}

Ref<FiniteTimeAction> Sequence::actions(std::initializer_list<Ref<FiniteTimeAction>> list) {
    return foldLeft<Sequence>(list);
}

static float sequenceDuration(FiniteTimeAction* one, FiniteTimeAction* two) {
    ccAssert(one != nullptr, "Sequence: argument one must be non-nil");
    ccAssert(two != nullptr, "Sequence: argument two must be non-nil");
    return one->duration() + two->duration();
}

Sequence::Sequence(FiniteTimeAction* one, FiniteTimeAction* two)
    : IntervalAction(sequenceDuration(one, two)), actions_{one, two} {}

Ref<Action> Sequence::copyAction() const {
    auto copy = make<Sequence>(actions_[0]->copy().get(), actions_[1]->copy().get());
    copyBaseTo(*copy);
    return copy;
}

void Sequence::start() {
    IntervalAction::start();
    actions_[0]->setTarget(target_);
    actions_[1]->setTarget(target_);
    split = actions_[0]->duration() / duration_;
    last = -1;
}

void Sequence::update(float t) {
    int found;
    float local;
    if (t >= split) {
        found = 1;
        local = split == 1 ? 1 : (t - split) / (1 - split);
        if (last == -1) {
            // The first action never ran: the first update already lies past it.
            actions_[0]->start();
            actions_[0]->update(1);
            actions_[0]->stop();
        }
    } else {
        found = 0;
        local = split == 0 ? 1 : t / split;
    }
    if (found != last) {
        if (last != -1) {
            actions_[last]->update(1);
            actions_[last]->stop();
        }
        actions_[found]->start();
    }
    actions_[found]->update(local);
    last = found;
}

Ref<Action> Sequence::reverseAction() {
    return make<Sequence>(actions_[1]->reverse().get(), actions_[0]->reverse().get());
}

// --- Spawn ---

Ref<Spawn> Spawn::actionOne(FiniteTimeAction* one, FiniteTimeAction* two) {
    return make<Spawn>(one, two);
}

Ref<FiniteTimeAction> Spawn::actions(std::initializer_list<Ref<FiniteTimeAction>> list) {
    return foldLeft<Spawn>(list);
}

static float spawnDuration(FiniteTimeAction* one, FiniteTimeAction* two) {
    ccAssert(one != nullptr, "Spawn: argument one must be non-nil");
    ccAssert(two != nullptr, "Spawn: argument two must be non-nil");
    return std::max(one->duration(), two->duration());
}

Spawn::Spawn(FiniteTimeAction* a, FiniteTimeAction* b)
    : IntervalAction(spawnDuration(a, b)), one(a), two(b) {
    float d1 = a->duration(), d2 = b->duration();
    if (d1 > d2)
        two = Sequence::actionOne(b, DelayTime::actionWithDuration(d1 - d2).get());
    else if (d1 < d2)
        one = Sequence::actionOne(a, DelayTime::actionWithDuration(d2 - d1).get());
}

Ref<Action> Spawn::copyAction() const {
    auto copy = make<Spawn>(one->copy().get(), two->copy().get());
    copyBaseTo(*copy);
    return copy;
}

void Spawn::start() {
    IntervalAction::start();
    startOn(one.get(), target_);
    startOn(two.get(), target_);
}

void Spawn::update(float t) {
    one->update(t);
    two->update(t);
}

Ref<Action> Spawn::reverseAction() {
    return make<Spawn>(one->reverse().get(), two->reverse().get());
}

// --- Repeat ---

Ref<Repeat> Repeat::actionWithAction(FiniteTimeAction* action, unsigned times) {
    return make<Repeat>(action, times);
}

static float repeatDuration(FiniteTimeAction* action, unsigned times) {
    ccAssert(action != nullptr, kNonNil);
    return action->duration() * static_cast<float>(times);
}

Repeat::Repeat(FiniteTimeAction* action, unsigned times)
    : IntervalAction(repeatDuration(action, times)), times(times), other(action) {}

Ref<Action> Repeat::copyAction() const {
    auto copy = make<Repeat>(other->copy().get(), times);
    copyBaseTo(*copy);
    return copy;
}

void Repeat::start() {
    total = 0;
    IntervalAction::start();
    startOn(other.get(), target_);
}

void Repeat::update(float t) {
    float a = static_cast<float>(times) * t;
    float b = static_cast<float>(total + 1);
    if (a > b) {
        // One repetition per call, however many boundaries were passed.
        other->update(1);
        ++total;
        other->stop();
        other->start();
        other->update(0);
    } else if (t == 1) {
        ++total;
        other->update(1);
    } else {
        other->update(std::min(1.0f, a - std::floor(a)));
    }
}

Ref<Action> Repeat::reverseAction() {
    return make<Repeat>(other->reverse().get(), times);
}

// --- DelayTime ---

Ref<DelayTime> DelayTime::actionWithDuration(float d) {
    return make<DelayTime>(d);
}

Ref<Action> DelayTime::copyAction() const {
    auto copy = make<DelayTime>(duration_);
    copyBaseTo(*copy);
    return copy;
}

Ref<Action> DelayTime::reverseAction() {
    return make<DelayTime>(duration_);
}

// --- ReverseTime ---

Ref<ReverseTime> ReverseTime::actionWithAction(FiniteTimeAction* action) {
    return make<ReverseTime>(action);
}

static float innerDuration(FiniteTimeAction* action) {
    ccAssert(action != nullptr, kNonNil);
    return action->duration();
}

ReverseTime::ReverseTime(FiniteTimeAction* action)
    : IntervalAction(innerDuration(action)), other(action) {}

Ref<Action> ReverseTime::copyAction() const {
    auto copy = make<ReverseTime>(other->copy().get());
    copyBaseTo(*copy);
    return copy;
}

void ReverseTime::start() {
    IntervalAction::start();
    startOn(other.get(), target_);
}

void ReverseTime::stop() {
    other->stop();
    IntervalAction::stop();
}

void ReverseTime::update(float t) {
    other->update(1 - t);
}

Ref<Action> ReverseTime::reverseAction() {
    return other->copy();
}

// --- MoveTo, MoveBy ---

Ref<MoveTo> MoveTo::actionWithDuration(float d, Point position) {
    return make<MoveTo>(d, position);
}

MoveTo::MoveTo(float d, Point position) : IntervalAction(d), endPosition(position) {}

Ref<Action> MoveTo::copyAction() const {
    auto copy = make<MoveTo>(duration_, endPosition);
    copyBaseTo(*copy);
    return copy;
}

void MoveTo::start() {
    IntervalAction::start();
    startPosition = target_->position();
    delta = ccpSub(endPosition, startPosition);
}

void MoveTo::update(float t) {
    target_->setPosition(Point(startPosition.x + delta.x * t, startPosition.y + delta.y * t));
}

Ref<MoveBy> MoveBy::actionWithDuration(float d, Point offset) {
    return make<MoveBy>(d, offset);
}

MoveBy::MoveBy(float d, Point offset) : MoveTo(d, offset) {
    delta = offset;
}

Ref<Action> MoveBy::copyAction() const {
    auto copy = make<MoveBy>(duration_, delta);
    copyBaseTo(*copy);
    return copy;
}

void MoveBy::start() {
    Point offset = delta;
    MoveTo::start();
    delta = offset;
}

Ref<Action> MoveBy::reverseAction() {
    return make<MoveBy>(duration_, ccpNeg(delta));
}

// --- JumpBy, JumpTo ---

Ref<JumpBy> JumpBy::actionWithDuration(float d, Point offset, float height, int jumps) {
    return make<JumpBy>(d, offset, height, jumps);
}

JumpBy::JumpBy(float d, Point offset, float height, int jumps)
    : IntervalAction(d), delta(offset), height(height), jumps(jumps) {}

Ref<Action> JumpBy::copyAction() const {
    auto copy = make<JumpBy>(duration_, delta, height, jumps);
    copyBaseTo(*copy);
    return copy;
}

void JumpBy::start() {
    IntervalAction::start();
    startPosition = target_->position();
}

void JumpBy::update(float t) {
    float y = delta.y * t + height * std::fabs(std::sin(t * kPi * static_cast<float>(jumps)));
    float x = delta.x * t;
    target_->setPosition(Point(startPosition.x + x, startPosition.y + y));
}

Ref<Action> JumpBy::reverseAction() {
    return make<JumpBy>(duration_, ccpNeg(delta), height, jumps);
}

Ref<JumpTo> JumpTo::actionWithDuration(float d, Point position, float height, int jumps) {
    return make<JumpTo>(d, position, height, jumps);
}

JumpTo::JumpTo(float d, Point position, float height, int jumps)
    : JumpBy(d, position, height, jumps), endPosition(position) {}

Ref<Action> JumpTo::copyAction() const {
    auto copy = make<JumpTo>(duration_, endPosition, height, jumps);
    copyBaseTo(*copy);
    return copy;
}

void JumpTo::start() {
    JumpBy::start();
    delta = ccpSub(endPosition, startPosition);
}

// --- BezierBy ---

namespace {
float bezierAt(float a, float b, float c, float d, float t) {
    float u = 1 - t;
    return std::pow(u, 3.0f) * a + 3 * t * std::pow(u, 2.0f) * b + 3 * std::pow(t, 2.0f) * u * c +
           std::pow(t, 3.0f) * d;
}
} // namespace

Ref<BezierBy> BezierBy::actionWithDuration(float d, ccBezierConfig config) {
    return make<BezierBy>(d, config);
}

BezierBy::BezierBy(float d, ccBezierConfig config) : IntervalAction(d), config(config) {}

Ref<Action> BezierBy::copyAction() const {
    auto copy = make<BezierBy>(duration_, config);
    copyBaseTo(*copy);
    return copy;
}

void BezierBy::start() {
    IntervalAction::start();
    startPosition = target_->position();
}

void BezierBy::update(float t) {
    const ccBezierConfig& c = config;
    float x =
        bezierAt(c.startPosition.x, c.controlPoint_1.x, c.controlPoint_2.x, c.endPosition.x, t);
    float y =
        bezierAt(c.startPosition.y, c.controlPoint_1.y, c.controlPoint_2.y, c.endPosition.y, t);
    target_->setPosition(Point(startPosition.x + x, startPosition.y + y));
}

Ref<Action> BezierBy::reverseAction() {
    ccBezierConfig r;
    r.startPosition = ccpNeg(config.startPosition);
    r.endPosition = ccpNeg(config.endPosition);
    r.controlPoint_1 = ccpNeg(config.controlPoint_1);
    r.controlPoint_2 = ccpNeg(config.controlPoint_2);
    return make<BezierBy>(duration_, r);
}

// --- ScaleTo, ScaleBy ---

Ref<ScaleTo> ScaleTo::actionWithDuration(float d, float scale) {
    return make<ScaleTo>(d, scale, scale);
}

Ref<ScaleTo> ScaleTo::actionWithDuration(float d, float scaleX, float scaleY) {
    return make<ScaleTo>(d, scaleX, scaleY);
}

ScaleTo::ScaleTo(float d, float scaleX, float scaleY)
    : IntervalAction(d), endScaleX(scaleX), endScaleY(scaleY) {}

Ref<Action> ScaleTo::copyAction() const {
    auto copy = make<ScaleTo>(duration_, endScaleX, endScaleY);
    copyBaseTo(*copy);
    return copy;
}

void ScaleTo::start() {
    IntervalAction::start();
    startScaleX = target_->scaleX();
    startScaleY = target_->scaleY();
    deltaX = endScaleX - startScaleX;
    deltaY = endScaleY - startScaleY;
}

void ScaleTo::update(float t) {
    target_->setScaleX(startScaleX + deltaX * t);
    target_->setScaleY(startScaleY + deltaY * t);
}

Ref<ScaleBy> ScaleBy::actionWithDuration(float d, float scale) {
    return make<ScaleBy>(d, scale, scale);
}

Ref<ScaleBy> ScaleBy::actionWithDuration(float d, float scaleX, float scaleY) {
    return make<ScaleBy>(d, scaleX, scaleY);
}

Ref<Action> ScaleBy::copyAction() const {
    auto copy = make<ScaleBy>(duration_, endScaleX, endScaleY);
    copyBaseTo(*copy);
    return copy;
}

void ScaleBy::start() {
    ScaleTo::start();
    deltaX = startScaleX * endScaleX - startScaleX;
    deltaY = startScaleY * endScaleY - startScaleY;
}

Ref<Action> ScaleBy::reverseAction() {
    return make<ScaleBy>(duration_, 1 / endScaleX, 1 / endScaleY);
}

// --- RotateBy, RotateTo ---

Ref<RotateBy> RotateBy::actionWithDuration(float d, float angle) {
    return make<RotateBy>(d, angle);
}

Ref<Action> RotateBy::copyAction() const {
    auto copy = make<RotateBy>(duration_, angle);
    copyBaseTo(*copy);
    return copy;
}

void RotateBy::start() {
    IntervalAction::start();
    startAngle = target_->rotation();
}

void RotateBy::update(float t) {
    target_->setRotation(startAngle + angle * t);
}

Ref<Action> RotateBy::reverseAction() {
    return make<RotateBy>(duration_, -angle);
}

Ref<RotateTo> RotateTo::actionWithDuration(float d, float angle) {
    return make<RotateTo>(d, angle);
}

Ref<Action> RotateTo::copyAction() const {
    auto copy = make<RotateTo>(duration_, angle);
    copyBaseTo(*copy);
    return copy;
}

void RotateTo::start() {
    IntervalAction::start();
    startAngle = target_->rotation();
    startAngle = startAngle > 0 ? std::fmod(startAngle, 360.0f) : std::fmod(startAngle, -360.0f);
    diffAngle = angle - startAngle;
    if (diffAngle > 180) diffAngle -= 360;
    if (diffAngle < -180) diffAngle += 360;
}

void RotateTo::update(float t) {
    target_->setRotation(startAngle + diffAngle * t);
}

// --- opacity and colour ---

RGBAProtocol* RGBAIntervalAction::rgbaTarget() {
    if (!rgba_) {
        rgba_ = dynamic_cast<RGBAProtocol*>(target_);
        ccAssert(rgba_ != nullptr, "Action: target must offer opacity and colour");
    }
    return rgba_;
}

void RGBAIntervalAction::start() {
    IntervalAction::start();
    rgba_ = nullptr;
    rgbaTarget();
}

Ref<FadeIn> FadeIn::actionWithDuration(float d) {
    return make<FadeIn>(d);
}

Ref<Action> FadeIn::copyAction() const {
    auto copy = make<FadeIn>(duration_);
    copyBaseTo(*copy);
    return copy;
}

void FadeIn::update(float t) {
    rgbaTarget()->setOpacity(ccTruncateToByte(255 * t));
}

Ref<Action> FadeIn::reverseAction() {
    return make<FadeOut>(duration_);
}

Ref<FadeOut> FadeOut::actionWithDuration(float d) {
    return make<FadeOut>(d);
}

Ref<Action> FadeOut::copyAction() const {
    auto copy = make<FadeOut>(duration_);
    copyBaseTo(*copy);
    return copy;
}

void FadeOut::update(float t) {
    rgbaTarget()->setOpacity(ccTruncateToByte(255 * (1 - t)));
}

Ref<Action> FadeOut::reverseAction() {
    return make<FadeIn>(duration_);
}

Ref<FadeTo> FadeTo::actionWithDuration(float d, uint8_t opacity) {
    return make<FadeTo>(d, opacity);
}

Ref<Action> FadeTo::copyAction() const {
    auto copy = make<FadeTo>(duration_, toOpacity);
    copyBaseTo(*copy);
    return copy;
}

void FadeTo::start() {
    RGBAIntervalAction::start();
    fromOpacity = rgbaTarget()->opacity();
}

void FadeTo::update(float t) {
    float from = fromOpacity;
    rgbaTarget()->setOpacity(ccTruncateToByte(from + (float(toOpacity) - from) * t));
}

Ref<TintTo> TintTo::actionWithDuration(float d, uint8_t red, uint8_t green, uint8_t blue) {
    return make<TintTo>(d, red, green, blue);
}

Ref<Action> TintTo::copyAction() const {
    auto copy = make<TintTo>(duration_, to.r, to.g, to.b);
    copyBaseTo(*copy);
    return copy;
}

void TintTo::start() {
    RGBAIntervalAction::start();
    from = rgbaTarget()->color();
}

void TintTo::update(float t) {
    auto channel = [t](uint8_t f, uint8_t e) {
        return ccTruncateToByte(float(f) + (float(e) - float(f)) * t);
    };
    rgbaTarget()->setColor(
        ccColor3B{channel(from.r, to.r), channel(from.g, to.g), channel(from.b, to.b)});
}

Ref<TintBy> TintBy::actionWithDuration(float d, int16_t red, int16_t green, int16_t blue) {
    return make<TintBy>(d, red, green, blue);
}

Ref<Action> TintBy::copyAction() const {
    auto copy = make<TintBy>(duration_, deltaR, deltaG, deltaB);
    copyBaseTo(*copy);
    return copy;
}

void TintBy::start() {
    RGBAIntervalAction::start();
    ccColor3B c = rgbaTarget()->color();
    fromR = c.r;
    fromG = c.g;
    fromB = c.b;
}

void TintBy::update(float t) {
    auto channel = [t](int16_t f, int16_t d) { return ccTruncateToByte(float(f) + float(d) * t); };
    rgbaTarget()->setColor(
        ccColor3B{channel(fromR, deltaR), channel(fromG, deltaG), channel(fromB, deltaB)});
}

Ref<Action> TintBy::reverseAction() {
    return make<TintBy>(duration_, int16_t(-deltaR), int16_t(-deltaG), int16_t(-deltaB));
}

// --- Blink ---

Ref<Blink> Blink::actionWithDuration(float d, int blinks) {
    return make<Blink>(d, blinks);
}

Ref<Action> Blink::copyAction() const {
    auto copy = make<Blink>(duration_, times);
    copyBaseTo(*copy);
    return copy;
}

void Blink::update(float t) {
    float slice = 1.0f / static_cast<float>(times);
    float m = std::fmod(t, slice);
    target_->setVisible(m > slice / 2);
}

Ref<Action> Blink::reverseAction() {
    return make<Blink>(duration_, times);
}

// --- Animate ---

static float animationDuration(AnimationProtocol* animation) {
    ccAssert(animation != nullptr, "Animate: argument Animation must be non-nil");
    return static_cast<float>(animation->frameCount()) * animation->delay();
}

Ref<Animate> Animate::actionWithAnimation(AnimationProtocol* animation, bool restoreOriginalFrame) {
    return make<Animate>(animation, restoreOriginalFrame);
}

Animate::Animate(AnimationProtocol* animation, bool restoreOriginalFrame)
    : IntervalAction(animationDuration(animation)), animation_(animation),
      restoreOriginalFrame(restoreOriginalFrame) {}

Ref<Action> Animate::copyAction() const {
    auto copy = make<Animate>(animation_.get(), restoreOriginalFrame);
    copyBaseTo(*copy);
    return copy;
}

FrameProtocol* Animate::frameTarget() {
    auto* sprite = dynamic_cast<FrameProtocol*>(target_);
    ccAssert(sprite != nullptr, "Animate: target must display frames");
    return sprite;
}

void Animate::start() {
    IntervalAction::start();
    origFrame = frameTarget()->displayFrame();
}

void Animate::stop() {
    if (restoreOriginalFrame && origFrame) frameTarget()->setDisplayFrame(origFrame.get());
    IntervalAction::stop();
}

void Animate::update(float t) {
    size_t n = animation_->frameCount();
    // An empty animation has nothing to show.
    if (n == 0) return;
    size_t index = 0;
    if (t != 0) {
        float slice = 1.0f / static_cast<float>(n);
        float whole = t / slice;
        index = whole >= static_cast<float>(n) ? n : static_cast<size_t>(whole);
    }
    if (index >= n) index = n - 1;
    Object* frame = animation_->frameAtIndex(index);
    FrameProtocol* sprite = frameTarget();
    if (!sprite->isFrameDisplayed(frame)) sprite->setDisplayFrame(frame);
}

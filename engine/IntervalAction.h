#pragma once

#include "engine/Action.h"
#include "engine/FrameProtocol.h"
#include "engine/RGBAProtocol.h"
#include "support/Geometry.h"

#include <cstdint>
#include <initializer_list>

// An action that turns the time since its first step into a progress t from
// 0 to 1 and hands it to update(). The first step always delivers 0 (its dt
// is not counted) and the last one exactly 1.
class IntervalAction : public FiniteTimeAction {
    CC_ACTION_COPY(IntervalAction)
public:
    static Ref<IntervalAction> actionWithDuration(float d);
    // Creation without a duration is refused.
    IntervalAction();
    // A duration of exactly 0 is kept as 1e-8 so that progress stays defined.
    explicit IntervalAction(float d);

    float elapsed() const { return elapsed_; }

    void start() override;
    bool isDone() override { return elapsed_ >= duration_; }
    void step(float dt) override;

    Ref<IntervalAction> reverse() { return action_cast<IntervalAction>(reverseAction()); }

protected:
    Ref<Action> reverseAction() override;

    float elapsed_ = 0;
    bool firstTick = true;
};

// Two actions one after the other. Longer sequences are nested pairs.
class Sequence : public IntervalAction {
    CC_ACTION_COPY(Sequence)
public:
    static Ref<Sequence> actionOne(FiniteTimeAction* one, FiniteTimeAction* two);
    // Folds left: (((a, b), c), …); a list of one is that action itself.
    static Ref<FiniteTimeAction> actions(std::initializer_list<Ref<FiniteTimeAction>> list);
    Sequence(FiniteTimeAction* one, FiniteTimeAction* two);

    FiniteTimeAction* actionAt(int i) const { return actions_[i].get(); }

    void start() override;
    void update(float t) override;

protected:
    Ref<Action> reverseAction() override;

    Ref<FiniteTimeAction> actions_[2];
    float split = 0;
    int last = -1;
};

// Two actions side by side; the shorter one is padded with a delay.
class Spawn : public IntervalAction {
    CC_ACTION_COPY(Spawn)
public:
    static Ref<Spawn> actionOne(FiniteTimeAction* one, FiniteTimeAction* two);
    static Ref<FiniteTimeAction> actions(std::initializer_list<Ref<FiniteTimeAction>> list);
    Spawn(FiniteTimeAction* one, FiniteTimeAction* two);

    void start() override;
    void update(float t) override;

protected:
    Ref<Action> reverseAction() override;

    Ref<FiniteTimeAction> one;
    Ref<FiniteTimeAction> two;
};

// An action a number of times; done when that many repetitions completed,
// at most one of them per update.
class Repeat : public IntervalAction {
    CC_ACTION_COPY(Repeat)
public:
    static Ref<Repeat> actionWithAction(FiniteTimeAction* action, unsigned times);
    Repeat(FiniteTimeAction* action, unsigned times);

    unsigned repetitions() const { return total; }

    void start() override;
    void update(float t) override;
    bool isDone() override { return total == times; }

protected:
    Ref<Action> reverseAction() override;

    unsigned times;
    unsigned total = 0;
    Ref<FiniteTimeAction> other;
};

// Does nothing for its duration.
class DelayTime : public IntervalAction {
    CC_ACTION_COPY(DelayTime)
public:
    static Ref<DelayTime> actionWithDuration(float d);
    explicit DelayTime(float d) : IntervalAction(d) {}

    void update(float) override {}

protected:
    Ref<Action> reverseAction() override;
};

// Plays an action backwards.
class ReverseTime : public IntervalAction {
    CC_ACTION_COPY(ReverseTime)
public:
    static Ref<ReverseTime> actionWithAction(FiniteTimeAction* action);
    explicit ReverseTime(FiniteTimeAction* action);

    void start() override;
    void stop() override;
    void update(float t) override;

protected:
    Ref<Action> reverseAction() override;

    Ref<FiniteTimeAction> other;
};

// --- property actions: each reads its start value when it starts ---

class MoveTo : public IntervalAction {
    CC_ACTION_COPY(MoveTo)
public:
    static Ref<MoveTo> actionWithDuration(float d, Point position);
    MoveTo(float d, Point position);

    void start() override;
    void update(float t) override;

protected:
    Point endPosition;
    Point startPosition;
    Point delta;
};

class MoveBy : public MoveTo {
    CC_ACTION_COPY(MoveBy)
public:
    static Ref<MoveBy> actionWithDuration(float d, Point offset);
    MoveBy(float d, Point offset);

    void start() override;

protected:
    Ref<Action> reverseAction() override;
};

class JumpBy : public IntervalAction {
    CC_ACTION_COPY(JumpBy)
public:
    static Ref<JumpBy> actionWithDuration(float d, Point offset, float height, int jumps);
    JumpBy(float d, Point offset, float height, int jumps);

    void start() override;
    void update(float t) override;

protected:
    Ref<Action> reverseAction() override;

    Point startPosition;
    Point delta;
    float height;
    int jumps;
};

// Aims at a destination: the offset is worked out at each start, so a
// restarted or copied JumpTo still lands there.
class JumpTo : public JumpBy {
    CC_ACTION_COPY(JumpTo)
public:
    static Ref<JumpTo> actionWithDuration(float d, Point position, float height, int jumps);
    JumpTo(float d, Point position, float height, int jumps);

    void start() override;

protected:
    Point endPosition;
};

struct ccBezierConfig {
    Point startPosition;
    Point endPosition;
    Point controlPoint_1;
    Point controlPoint_2;
};

// Moves along a cubic Bézier curve given relative to the start position.
class BezierBy : public IntervalAction {
    CC_ACTION_COPY(BezierBy)
public:
    static Ref<BezierBy> actionWithDuration(float d, ccBezierConfig config);
    BezierBy(float d, ccBezierConfig config);

    void start() override;
    void update(float t) override;

protected:
    Ref<Action> reverseAction() override;

    ccBezierConfig config;
    Point startPosition;
};

class ScaleTo : public IntervalAction {
    CC_ACTION_COPY(ScaleTo)
public:
    static Ref<ScaleTo> actionWithDuration(float d, float scale);
    static Ref<ScaleTo> actionWithDuration(float d, float scaleX, float scaleY);
    ScaleTo(float d, float scaleX, float scaleY);

    void start() override;
    void update(float t) override;

protected:
    float startScaleX = 0, startScaleY = 0;
    float endScaleX, endScaleY;
    float deltaX = 0, deltaY = 0;
};

// Multiplies the scale by the factors.
class ScaleBy : public ScaleTo {
    CC_ACTION_COPY(ScaleBy)
public:
    static Ref<ScaleBy> actionWithDuration(float d, float scale);
    static Ref<ScaleBy> actionWithDuration(float d, float scaleX, float scaleY);
    ScaleBy(float d, float scaleX, float scaleY) : ScaleTo(d, scaleX, scaleY) {}

    void start() override;

protected:
    Ref<Action> reverseAction() override;
};

class RotateBy : public IntervalAction {
    CC_ACTION_COPY(RotateBy)
public:
    static Ref<RotateBy> actionWithDuration(float d, float angle);
    RotateBy(float d, float angle) : IntervalAction(d), angle(angle) {}

    void start() override;
    void update(float t) override;

protected:
    Ref<Action> reverseAction() override;

    float angle;
    float startAngle = 0;
};

// Turns to an angle the short way round (at most 180 degrees).
class RotateTo : public IntervalAction {
    CC_ACTION_COPY(RotateTo)
public:
    static Ref<RotateTo> actionWithDuration(float d, float angle);
    RotateTo(float d, float angle) : IntervalAction(d), angle(angle) {}

    void start() override;
    void update(float t) override;

protected:
    float angle;
    float startAngle = 0;
    float diffAngle = 0;
};

// Base of the actions that drive opacity or colour.
class RGBAIntervalAction : public IntervalAction {
public:
    explicit RGBAIntervalAction(float d) : IntervalAction(d) {}
    void start() override;

protected:
    RGBAProtocol* rgbaTarget();

    RGBAProtocol* rgba_ = nullptr;
};

class FadeIn : public RGBAIntervalAction {
    CC_ACTION_COPY(FadeIn)
public:
    static Ref<FadeIn> actionWithDuration(float d);
    explicit FadeIn(float d) : RGBAIntervalAction(d) {}

    void update(float t) override;

protected:
    Ref<Action> reverseAction() override;
};

class FadeOut : public RGBAIntervalAction {
    CC_ACTION_COPY(FadeOut)
public:
    static Ref<FadeOut> actionWithDuration(float d);
    explicit FadeOut(float d) : RGBAIntervalAction(d) {}

    void update(float t) override;

protected:
    Ref<Action> reverseAction() override;
};

class FadeTo : public RGBAIntervalAction {
    CC_ACTION_COPY(FadeTo)
public:
    static Ref<FadeTo> actionWithDuration(float d, uint8_t opacity);
    FadeTo(float d, uint8_t opacity) : RGBAIntervalAction(d), toOpacity(opacity) {}

    void start() override;
    void update(float t) override;

protected:
    uint8_t toOpacity;
    uint8_t fromOpacity = 0;
};

class TintTo : public RGBAIntervalAction {
    CC_ACTION_COPY(TintTo)
public:
    static Ref<TintTo> actionWithDuration(float d, uint8_t red, uint8_t green, uint8_t blue);
    TintTo(float d, uint8_t red, uint8_t green, uint8_t blue)
        : RGBAIntervalAction(d), to{red, green, blue} {}

    void start() override;
    void update(float t) override;

protected:
    ccColor3B to;
    ccColor3B from;
};

// Adds signed deltas to the colour; channels leaving 0..255 wrap.
class TintBy : public RGBAIntervalAction {
    CC_ACTION_COPY(TintBy)
public:
    static Ref<TintBy> actionWithDuration(float d, int16_t red, int16_t green, int16_t blue);
    TintBy(float d, int16_t red, int16_t green, int16_t blue)
        : RGBAIntervalAction(d), deltaR(red), deltaG(green), deltaB(blue) {}

    void start() override;
    void update(float t) override;

protected:
    Ref<Action> reverseAction() override;

    int16_t deltaR, deltaG, deltaB;
    int16_t fromR = 0, fromG = 0, fromB = 0;
};

// Hides and shows the node `times` times: hidden in the first half of each
// slice. The node is left as the last update put it.
class Blink : public IntervalAction {
    CC_ACTION_COPY(Blink)
public:
    static Ref<Blink> actionWithDuration(float d, int blinks);
    Blink(float d, int blinks) : IntervalAction(d), times(blinks) {}

    void update(float t) override;

protected:
    Ref<Action> reverseAction() override;

    int times;
};

// Shows the frames of an animation in turn, `delay` seconds each; by
// default the frame shown before returns when it stops.
class Animate : public IntervalAction {
    CC_ACTION_COPY(Animate)
public:
    static Ref<Animate> actionWithAnimation(AnimationProtocol* animation,
                                            bool restoreOriginalFrame = true);
    explicit Animate(AnimationProtocol* animation, bool restoreOriginalFrame = true);

    AnimationProtocol* animation() const { return animation_.get(); }

    void start() override;
    void stop() override;
    void update(float t) override;

protected:
    FrameProtocol* frameTarget();

    Ref<AnimationProtocol> animation_;
    Ref<Object> origFrame;
    bool restoreOriginalFrame;
};

// 0..255 from a computed channel value: truncated toward zero, low 8 bits
// kept, so values outside the range wrap.
uint8_t ccTruncateToByte(float value);

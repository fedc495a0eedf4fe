#pragma once

#include "platform/RunLoop.h"
#include "platform/View.h"

#include <functional>
#include <string>
#include <vector>

namespace platform {

// Runs the views' animation blocks: records the changes made inside a block,
// moves what the window shows from the old values to the new ones, and makes
// the did-stop calls once the last frame of a block has been shown. The
// window advances it before each picture it composes; without a window it
// advances itself at every display refresh. Main thread only.
class Animator {
public:
    static Animator& shared();

    void begin(const std::string& id, void* context);
    void commit();
    void setDuration(double seconds);
    void setDelay(double seconds);
    void setCurve(ViewAnimationCurve curve);
    void setDelegate(Object* delegate);
    void setDidStop(AnimationDidStopSelector selector);
    void setCompletion(std::function<void(bool)> completion);
    void setTransition(ViewAnimationTransition transition, View* view, bool cache);
    void setEnabled(bool on) { enabled_ = on; }
    bool enabled() const { return enabled_; }

    // Inside a block whose changes are animated.
    bool recording() const { return !open_.empty() && enabled_; }

    // A property changed from `from` to `to`. True when the change is
    // animated (the view keeps showing `from` for now); false when the view
    // should show `to` at once. Either way a running animation of that
    // property is taken over.
    bool recordFrame(View* view, Rect from, Rect to);
    bool recordAlpha(View* view, float from, float to);
    bool recordTransform(View* view, const AffineTransform& from, const AffineTransform& to);

    // Moves every running animation to `now` (monotonic seconds).
    void advance(double now);
    // Hands the did-stop calls of the blocks that reached their end to the
    // run loop (they run at its next turn, after the frame was shown).
    void deliverFinished();
    bool running() const { return !running_.empty(); }

    // The turn of a view under a transition, for the window to draw.
    struct Turn {
        ViewAnimationTransition kind = ViewAnimationTransition::None;
        float progress = 0; // 0..1 along the curve
        bool cache = false;
        Object* oldPicture = nullptr;
        Object* newPicture = nullptr; // cached second half, once taken
    };
    // Null when `view` is not being turned.
    const Turn* turnFor(const View* view) const;
    // Keeps the cached picture of the second half.
    void setNewPicture(const View* view, Ref<Object> picture);

    // Drops every block without calling anything (between tests).
    void reset();

private:
    enum class Property { Frame, Alpha, Transform };
    struct Track {
        Ref<View> view;
        Property property;
        Rect frameFrom, frameTo;
        float alphaFrom = 1, alphaTo = 1;
        AffineTransform transformFrom, transformTo;
    };
    struct Block : Object {
        std::string id;
        void* context = nullptr;
        double duration = 0.2, delay = 0, start = 0;
        ViewAnimationCurve curve = ViewAnimationCurve::EaseInOut;
        Ref<Object> delegate;
        AnimationDidStopSelector didStop;
        std::function<void(bool)> completion;
        std::vector<Track> tracks;
        Ref<View> turnView;
        Turn turn;
        Ref<Object> oldPicture, newPicture;
        bool finished = false;
        bool interrupted = false;
    };

    Animator();
    Track* recordTrack(View* view, Property property);
    void takeOver(View* view, Property property);
    void apply(const Track& track, float t);
    static float ease(ViewAnimationCurve curve, float t);
    void requestFrames();
    void callFinished();

    std::vector<Ref<Block>> open_;
    std::vector<Ref<Block>> running_;
    // Reached their end; their calls wait for the run loop's next turn.
    std::vector<Ref<Block>> finished_;
    Ref<RunLoopTimer> ownLink_;
    bool enabled_ = true;
};

} // namespace platform

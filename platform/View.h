#pragma once

#include "platform/Touch.h"
#include "support/AffineTransform.h"
#include "support/Geometry.h"
#include "support/Ref.h"
#include "support/Selector.h"
#include "support/Types.h"

#include <functional>
#include <string>
#include <vector>

namespace platform {

class Window;
class GraphicsContext;
class ViewController;

// How a view animation turns a view over (setAnimationTransition).
enum class ViewAnimationTransition { None, FlipFromLeft, FlipFromRight };

enum class ViewAnimationCurve { EaseInOut, EaseIn, EaseOut, Linear };

// Called when an animation block has run: its identifier, whether it ran to
// its end, and the context given to beginAnimations.
using AnimationDidStopSelector =
    Selector<void(const std::string& animationID, bool finished, void* context)>;

// A rectangle of the window that can hold other views, draw content and
// receive touches. Frames are in the superview's coordinates, in points,
// origin top-left. The transform turns the view about its centre.
//
// Frame, centre, alpha and transform are animated when they change inside an
// animation block (beginAnimations ... commitAnimations): they take their new
// value at once, while the window shows them moving towards it.
class View : public Object, public TouchResponder {
public:
    explicit View(Rect frame = Rect());
    ~View() override;

    // --- geometry ---
    Rect frame() const { return frame_; }
    virtual void setFrame(Rect frame);
    Rect bounds() const { return Rect(Point(), frame_.size); }
    Point center() const;
    void setCenter(Point center);
    const AffineTransform& transform() const { return transform_; }
    void setTransform(const AffineTransform& transform);

    // --- appearance ---
    float alpha() const { return alpha_; }
    void setAlpha(float alpha);
    bool hidden() const { return hidden_; }
    void setHidden(bool hidden);
    // Filled behind the content; transparent (the default) fills nothing.
    ccColor4F backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(ccColor4F color);
    // Subviews (and content) outside the bounds are cut off.
    bool clipsToBounds() const { return clipsToBounds_; }
    void setClipsToBounds(bool clips);
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    // This view or the first descendant with `tag`, depth first.
    View* viewWithTag(int tag);

    // --- hierarchy ---
    View* superview() const { return superview_; }
    const std::vector<Ref<View>>& subviews() const { return subviews_; }
    // Adds on top of the other subviews (moving it from where it was).
    void addSubview(View* view);
    void insertSubview(View* view, size_t index);
    void bringSubviewToFront(View* view);
    void sendSubviewToBack(View* view);
    void removeFromSuperview();
    bool isDescendantOfView(const View* view) const;
    // The window this view is shown in, if any.
    Window* window() const;

    // --- content ---
    // The content must be drawn again before the window next shows it.
    void setNeedsDisplay();
    bool needsDisplay() const { return needsDisplay_; }
    void clearNeedsDisplay() { needsDisplay_ = false; }
    // Views that draw content answer true and draw it in draw(), in their
    // bounds, in points; the window keeps what they drew until the next
    // setNeedsDisplay (or a change of size or pixel scale).
    virtual bool drawsContent() const { return false; }
    virtual void draw(GraphicsContext& /*g*/) {}
    // What the window keeps for the view between frames (drawn content).
    Object* backing() const { return backing_.get(); }
    void setBacking(Ref<Object> backing) { backing_ = std::move(backing); }

    // Called after the frame changed or the view moved into another superview.
    virtual void layoutSubviews() {}
    // The view entered or left a window.
    virtual void didMoveToWindow() {}

    // --- what is on screen while animations run ---
    Rect presentationFrame() const { return shownFrame_; }
    float presentationAlpha() const { return shownAlpha_; }
    const AffineTransform& presentationTransform() const { return shownTransform_; }
    // Maps the view's own coordinates to its superview's.
    AffineTransform transformToSuperview(bool presentation = false) const;

    // --- touches ---
    bool userInteractionEnabled() const { return userInteractionEnabled_; }
    void setUserInteractionEnabled(bool on) { userInteractionEnabled_ = on; }
    bool multipleTouchEnabled() const { return multipleTouchEnabled_; }
    void setMultipleTouchEnabled(bool on) { multipleTouchEnabled_ = on; }
    // Whether `point` (own coordinates) is inside the view.
    virtual bool pointInside(Point point) const { return bounds().contains(point); }
    // The deepest visible, interactive view under `point` (in this view's
    // coordinates), or null. Views may answer differently (let touches fall
    // through to what is beneath).
    virtual View* hitTest(Point point);

    // The mouse wheel turned over the view (`dy` > 0: away from the user,
    // in notches). True when the view used it; else its superview is asked.
    virtual bool scrollWheel(float /*dx*/, float /*dy*/) { return false; }
    // What views that scroll move by: points per notch of the wheel, and
    // the share of what is in sight per Page Up or Page Down.
    static constexpr float kWheelStep = 40, kPageShare = 0.8f;

    // Coordinates between this view and the window (or another view).
    Point convertPointToWindow(Point point) const;
    Point convertPointFromWindow(Point point) const;
    Point convertPoint(Point point, const View* to) const;
    // Origin of this view in window coordinates.
    Point originInWindow() const { return convertPointToWindow(Point()); }

    // The controller whose view this is, if any (see ViewController).
    ViewController* viewController() const { return controller_; }
    void setViewController(ViewController* controller) { controller_ = controller; }

    void touchesBegan(const TouchSet&, Event*) override {}
    void touchesMoved(const TouchSet&, Event*) override {}
    void touchesEnded(const TouchSet&, Event*) override {}
    void touchesCancelled(const TouchSet&, Event*) override {}

    // --- animation blocks (main thread) ---
    // Changes of animatable properties until the matching commitAnimations
    // are animated together. Blocks nest; the outermost commit starts them.
    static void beginAnimations(const std::string& animationID, void* context = nullptr);
    static void commitAnimations();
    // Seconds (default 0.2); a delay before the changes start (default 0).
    static void setAnimationDuration(double seconds);
    static void setAnimationDelay(double seconds);
    static void setAnimationCurve(ViewAnimationCurve curve);
    // Kept alive until the did-stop call has been made.
    static void setAnimationDelegate(Object* delegate);
    static void setAnimationDidStopSelector(AnimationDidStopSelector selector);
    // Turns `view` over while the block's changes to it (and its subviews)
    // happen: its old picture on the first half, the new on the second.
    // With `cache`, the new picture is taken once, half-way; without, it is
    // drawn afresh every frame.
    static void setAnimationTransition(ViewAnimationTransition transition, View* view, bool cache);
    // Off: changes inside blocks happen at once (did-stop calls still come).
    static void setAnimationsEnabled(bool enabled);
    static bool areAnimationsEnabled();
    // The same in one call: `changes` animated over `seconds`, then
    // `completion` (finished or not), on the main thread.
    static void animate(double seconds, const std::function<void()>& changes,
                        std::function<void(bool finished)> completion = {});

private:
    friend class Animator;
    void moveToSuperview(View* superview, size_t index);
    void notifyWindowChange(Window* before);
    // Something the window shows changed.
    void changed();

    Rect frame_;
    AffineTransform transform_;
    float alpha_ = 1;
    Rect shownFrame_;
    AffineTransform shownTransform_;
    float shownAlpha_ = 1;
    ccColor4F backgroundColor_;
    View* superview_ = nullptr;
    std::vector<Ref<View>> subviews_;
    ViewController* controller_ = nullptr;
    Ref<Object> backing_;
    int tag_ = 0;
    bool userInteractionEnabled_ = true;
    bool multipleTouchEnabled_ = false;
    bool hidden_ = false;
    bool clipsToBounds_ = false;
    bool needsDisplay_ = true;
};

} // namespace platform

#pragma once

#include "platform/View.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Button.h"

#include <string>

// Posted on the default notification center, with no object, around every
// slide of the banner strip.
inline constexpr const char* kBannerWillSlideInNotification = "BannerWillSlideIn";
inline constexpr const char* kBannerDidSlideInNotification = "BannerDidSlideIn";
inline constexpr const char* kBannerWillSlideOutNotification = "BannerWillSlideOut";
inline constexpr const char* kBannerDidSlideOutNotification = "BannerDidSlideOut";

// The strip at the bottom of the screen that holds the ad banner: it clips
// it, slides it in from below and out again, and lets touches that miss the
// banner (and the top-left 280 x 20 points of the strip) fall through to the
// view beneath. It takes touches only while a banner is in.
class XWBannerClipView : public platform::View {
public:
    static constexpr float kHeight = 75;
    static constexpr double kSlideDuration = 0.4;
    // The top-left corner of the strip where touches always reach the game.
    static constexpr Rect kFallThroughRect{Point(0, 0), Size(280, 20)};

    explicit XWBannerClipView(Rect frame);

    // Puts `view` at the bottom of the strip, in sight, with the purchase
    // button above it and the background view behind it.
    void addSubviewAtBottom(View* view);
    // The same, with `view` (and the sliding view) just below the strip's
    // edge, out of sight.
    void addSubviewOutsideAtBottom(View* view);
    // Places `view` out of sight and slides it up into view.
    void slideInSubview(View* view);
    // Slides every subview back to its place.
    void slideInSubviews();
    // Slides `view` down out of sight, then removes it.
    void slideOutSubview(View* view);
    // Slides every subview down by the strip's height, then removes the
    // banners among them.
    void slideOutSubviews();

    bool purchaseButtonVisible() const { return purchaseButtonVisible_; }
    void setPurchaseButtonVisible(bool visible) { setPurchaseButtonVisible(visible, false); }
    void setPurchaseButtonVisible(bool visible, bool animated);
    bool purchaseButtonBusy() const { return purchaseButtonBusy_; }
    // The spinner turns while busy.
    void setPurchaseButtonBusy(bool busy);

    platform::Button* purchaseButton();
    platform::View* backgroundView();
    platform::ActivityIndicatorView* activityIndicator();
    platform::View* slidingView() const { return slidingView_.get(); }

    View* hitTest(Point point) override;

private:
    // Gives `views` the downward shift `dy` (0: in place) in one animation
    // between the two notifications of the direction, then calls `done`.
    void slide(const std::vector<Ref<View>>& views, bool in, float dy, std::function<void()> done);
    // The views the strip keeps for itself, never removed after a slide.
    bool isOwnView(const View* view) const;

    Ref<View> slidingView_;
    Ref<View> backgroundView_;
    Ref<platform::Button> purchaseButton_;
    Ref<platform::ActivityIndicatorView> activityIndicator_;
    bool purchaseButtonVisible_ = false;
    bool purchaseButtonBusy_ = false;
};

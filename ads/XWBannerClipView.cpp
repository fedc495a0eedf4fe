#include "ads/XWBannerClipView.h"

#include "platform/NotificationCenter.h"

using namespace platform;

namespace {

void post(const char* name) {
    NotificationCenter::defaultCenter().postNotificationName(name);
}

AffineTransform down(float dy) {
    return dy == 0 ? AffineTransform::identity() : AffineTransform::makeTranslation(0, dy);
}

} // namespace

XWBannerClipView::XWBannerClipView(Rect frame) : View(frame) {
    setClipsToBounds(true);
    setUserInteractionEnabled(false);
}

Button* XWBannerClipView::purchaseButton() {
    if (!purchaseButton_) {
        purchaseButton_ = make<Button>(Rect(), ButtonType::Custom);
        purchaseButton_->setBackgroundColor(rgba(0.1f, 0.1f, 0.1f, 0.8f));
        purchaseButton_->setAlpha(0);
    }
    return purchaseButton_.get();
}

View* XWBannerClipView::backgroundView() {
    if (!backgroundView_) {
        backgroundView_ = make<View>();
        backgroundView_->setBackgroundColor(rgba(0, 0, 0, 0.5f));
        backgroundView_->setAlpha(0);
    }
    return backgroundView_.get();
}

ActivityIndicatorView* XWBannerClipView::activityIndicator() {
    if (!activityIndicator_) activityIndicator_ = make<ActivityIndicatorView>();
    return activityIndicator_.get();
}

bool XWBannerClipView::isOwnView(const View* view) const {
    return view == purchaseButton_.get() || view == backgroundView_.get() ||
           view == slidingView_.get() || view == activityIndicator_.get();
}

void XWBannerClipView::addSubviewAtBottom(View* view) {
    float W = frame().size.width, H = frame().size.height;
    Rect f = view->frame();
    float h = f.size.height;
    view->setFrame(Rect(f.origin.x, H - h, f.size.width, h));
    addSubview(view);

    purchaseButton()->setFrame(Rect(0, H - h - 24, W, h + 24));
    Rect v = view->frame();
    backgroundView()->setFrame(
        Rect(v.origin.x + 1, v.origin.y + 1, v.size.width - 2, v.size.height - 2));

    if (!slidingView_) slidingView_ = make<View>(bounds());
    ActivityIndicatorView* spinner = activityIndicator();
    Size s = spinner->frame().size;
    spinner->setFrame(Rect(304 - s.width / 2, 15 - s.height / 2, s.width, s.height));
    // Behind the banner, so that it stays on top.
    for (View* own :
         {backgroundView(), static_cast<View*>(purchaseButton()), static_cast<View*>(spinner)})
        if (own->superview() != this) insertSubview(own, 0);
    if (slidingView_->superview() != this) addSubview(slidingView_.get());
    sendSubviewToBack(slidingView_.get());

    float a = purchaseButtonVisible_ ? 1 : 0;
    purchaseButton()->setAlpha(a);
    backgroundView()->setAlpha(a);
    slidingView_->setTransform(AffineTransform::identity());
}

void XWBannerClipView::addSubviewOutsideAtBottom(View* view) {
    addSubviewAtBottom(view);
    float h = view->frame().size.height;
    view->setTransform(down(h));
    slidingView_->setTransform(down(h));
}

void XWBannerClipView::slide(const std::vector<Ref<View>>& views, bool in, float dy,
                             std::function<void()> done) {
    Ref<XWBannerClipView> self(this);
    View::animate(
        kSlideDuration,
        [&] {
            post(in ? kBannerWillSlideInNotification : kBannerWillSlideOutNotification);
            for (const Ref<View>& v : views)
                v->setTransform(down(dy));
        },
        [self, in, done = std::move(done)](bool) {
            self->setUserInteractionEnabled(in);
            post(in ? kBannerDidSlideInNotification : kBannerDidSlideOutNotification);
            if (done) done();
        });
}

void XWBannerClipView::slideInSubview(View* view) {
    addSubviewOutsideAtBottom(view);
    slide({Ref<View>(view), slidingView_}, true, 0, nullptr);
}

void XWBannerClipView::slideInSubviews() {
    std::vector<Ref<View>> views = subviews();
    if (slidingView_ && slidingView_->superview() != this) views.push_back(slidingView_);
    slide(views, true, 0, nullptr);
}

void XWBannerClipView::slideOutSubview(View* view) {
    Ref<View> gone(view);
    std::vector<Ref<View>> views{gone};
    if (slidingView_) views.push_back(slidingView_);
    slide(views, false, view->frame().size.height, [this, gone] {
        if (gone->superview() == this && !isOwnView(gone.get())) gone->removeFromSuperview();
    });
}

void XWBannerClipView::slideOutSubviews() {
    // Only what slid out goes: a banner that slides in meanwhile stays.
    std::vector<Ref<View>> views = subviews();
    slide(views, false, frame().size.height, [this, views] {
        for (const Ref<View>& v : views)
            if (v->superview() == this && !isOwnView(v.get())) v->removeFromSuperview();
    });
}

void XWBannerClipView::setPurchaseButtonVisible(bool visible, bool animated) {
    purchaseButtonVisible_ = visible;
    float a = visible ? 1 : 0;
    if (animated) View::beginAnimations("PurchaseFade");
    purchaseButton()->setAlpha(a);
    backgroundView()->setAlpha(a);
    if (animated) View::commitAnimations();
}

void XWBannerClipView::setPurchaseButtonBusy(bool busy) {
    purchaseButtonBusy_ = busy;
    if (busy)
        activityIndicator()->startAnimating();
    else
        activityIndicator()->stopAnimating();
}

View* XWBannerClipView::hitTest(Point point) {
    if (kFallThroughRect.contains(point)) return nullptr;
    View* hit = View::hitTest(point);
    return hit == this || hit == slidingView_.get() ? nullptr : hit;
}

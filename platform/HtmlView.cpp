#include "platform/HtmlView.h"

#include "platform/Http.h"
#include "platform/RunLoop.h"
#include "platform/ui/Graphics.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

namespace platform {

namespace {
// A finger that moves further than this scrolls instead of tapping.
constexpr float kTapSlop = 8;
const std::string kNoTitle;
} // namespace

HtmlView::HtmlView(Rect frame) : View(frame) {
    setBackgroundColor(rgba(1, 1, 1));
    setClipsToBounds(true);
}

HtmlView::~HtmlView() {
    cancelLoads();
}

void HtmlView::cancelLoads() {
    for (auto& [url, cancel] : loads_) *cancel = true;
    loads_.clear();
}

void HtmlView::loadHTMLString(const std::string& html, const std::string& baseURL) {
    cancelLoads();
    imagesAsked_ = 0;
    offset_ = 0;
    document_ = std::make_unique<HtmlDocument>(html, baseURL);
    laidOutWidth_ = laidOutHeight_ = -1;
    relayout();
    fetchImages();
    if (loads_.empty() && delegate_) delegate_->htmlViewDidFinishLoad(this);
}

void HtmlView::setScalesPageToFit(bool on) {
    if (on == scalesPageToFit_) return;
    scalesPageToFit_ = on;
    laidOutWidth_ = -1;
    relayout();
}

const std::string& HtmlView::title() const {
    return document_ ? document_->title() : kNoTitle;
}

Size HtmlView::contentSize() const {
    if (!document_) return Size();
    Size s = document_->contentSize();
    return Size(s.width * scale_, s.height * scale_);
}

void HtmlView::setContentOffset(float y) {
    float most = std::max(0.0f, contentSize().height - bounds().size.height);
    y = std::isfinite(y) ? std::clamp(y, 0.0f, most) : 0;
    if (y == offset_) return;
    offset_ = y;
    setNeedsDisplay();
}

bool HtmlView::scrollWheel(float, float dy) {
    if (contentSize().height <= bounds().size.height || !std::isfinite(dy)) return false;
    setContentOffset(offset_ - dy * kWheelStep);
    return true;
}

void HtmlView::layoutSubviews() {
    relayout();
}

void HtmlView::relayout() {
    Size size = bounds().size;
    if (!document_ || (size.width == laidOutWidth_ && size.height == laidOutHeight_)) return;
    laidOutWidth_ = size.width;
    laidOutHeight_ = size.height;
    float width = std::max(size.width, 1.0f);
    float needed = document_->layout(width, size.height);
    scale_ = 1;
    if (scalesPageToFit_ && needed > width) {
        // Laid out again at the page's own width, then shown smaller.
        document_->layout(needed, size.height * needed / width);
        scale_ = width / needed;
    }
    setContentOffset(offset_);
    setNeedsDisplay();
}

void HtmlView::fetchImages() {
    if (!document_) return;
    for (const std::string& url : document_->wantedImages()) {
        bool asked = std::any_of(loads_.begin(), loads_.end(),
                                 [&](const auto& load) { return load.first == url; });
        if (asked) continue;
        if (imagesAsked_ >= kMaxImages) {
            document_->setImage(url, nullptr);
            continue;
        }
        ++imagesAsked_;
        CancelFlag cancel = makeCancelFlag();
        loads_.emplace_back(url, cancel);
        HttpRequest request;
        request.url = url;
        request.redirects = Redirects::Follow;
        request.maxBodyBytes = kMaxImageBytes;
        if (!userAgent_.empty()) request.headers.emplace_back("User-Agent", userAgent_);
        RunLoop& loop = RunLoop::main();
        runInBackground([&loop, request, cancel, this] {
            HttpResponse response = httpGet(request, cancel);
            Ref<DecodedImage> image;
            if (response.succeeded() && !*cancel)
                image = DecodedImage::imageWithData(
                    reinterpret_cast<const uint8_t*>(response.body.data()), response.body.size(),
                    kMaxImageSide);
            // `this` is only reached on the main thread, and only when the
            // load was not cancelled (the view cancels its loads as it goes).
            loop.performOnMainThread(
                [cancel, url = request.url, image = std::move(image), this]() mutable {
                    if (!*cancel) imageArrived(url, std::move(image));
                },
                false);
        });
    }
}

void HtmlView::imageArrived(const std::string& url, Ref<DecodedImage> image) {
    std::erase_if(loads_, [&](const auto& load) { return load.first == url; });
    if (!document_) return;
    document_->setImage(url, std::move(image));
    laidOutWidth_ = -1;
    relayout();
    // The new layout may name pictures that were hidden before.
    fetchImages();
    if (loads_.empty() && delegate_) delegate_->htmlViewDidFinishLoad(this);
}

void HtmlView::draw(GraphicsContext& g) {
    if (!document_) return;
    cairo_t* cr = g.cairo();
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, bounds().size.width, bounds().size.height);
    cairo_clip(cr);
    cairo_translate(cr, 0, -offset_);
    cairo_scale(cr, scale_, scale_);
    Rect visible(0, offset_ / scale_, bounds().size.width / scale_, bounds().size.height / scale_);
    document_->draw(cr, visible);
    cairo_restore(cr);
}

std::string HtmlView::linkAt(Point p) {
    if (!document_ || scale_ <= 0) return {};
    return document_->linkAt(Point(p.x / scale_, (p.y + offset_) / scale_));
}

void HtmlView::touchesBegan(const TouchSet& touches, Event*) {
    if (touches.empty()) return;
    touchStart_ = touches.front()->locationInView(this);
    dragging_ = false;
}

void HtmlView::touchesMoved(const TouchSet& touches, Event*) {
    if (touches.empty()) return;
    Point now = touches.front()->locationInView(this);
    Point before = touches.front()->previousLocationInView(this);
    if (std::hypot(now.x - touchStart_.x, now.y - touchStart_.y) > kTapSlop) dragging_ = true;
    if (dragging_) setContentOffset(offset_ - (now.y - before.y));
}

void HtmlView::touchesEnded(const TouchSet& touches, Event*) {
    if (touches.empty() || dragging_) return;
    std::string url = linkAt(touches.front()->locationInView(this));
    if (!url.empty() && delegate_) delegate_->htmlViewDidFollowLink(this, url);
}

void HtmlView::touchesCancelled(const TouchSet&, Event*) {
    dragging_ = false;
}

} // namespace platform

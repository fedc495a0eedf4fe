#pragma once

#include "platform/Background.h"
#include "platform/HtmlDocument.h"
#include "platform/View.h"

#include <memory>
#include <string>
#include <vector>

namespace platform {

class HtmlView;

// Told what happens in an HtmlView. Both calls are optional.
class HtmlViewDelegate {
public:
    virtual ~HtmlViewDelegate() = default;
    // The player tapped a link; the view shows nothing new by itself.
    virtual void htmlViewDidFollowLink(HtmlView* /*view*/, const std::string& /*url*/) {}
    // Every picture of the page has arrived (or failed).
    virtual void htmlViewDidFinishLoad(HtmlView* /*view*/) {}
};

// A view showing an HTML page (see HtmlDocument): pictures named by the
// page are fetched over http(s) with their own limits, a drag scrolls a
// page taller than the view, and a tap on a link goes to the delegate.
class HtmlView : public View {
public:
    explicit HtmlView(Rect frame = Rect());
    ~HtmlView() override;

    void loadHTMLString(const std::string& html, const std::string& baseURL);
    // Pages wider than the view are shown smaller, to fit its width.
    bool scalesPageToFit() const { return scalesPageToFit_; }
    void setScalesPageToFit(bool on);
    // Sent with the requests for the page's pictures.
    void setUserAgent(std::string agent) { userAgent_ = std::move(agent); }
    HtmlViewDelegate* delegate() const { return delegate_; }
    void setDelegate(HtmlViewDelegate* delegate) { delegate_ = delegate; }

    const std::string& title() const;
    // Pictures of the page still on their way.
    bool isLoading() const { return !loads_.empty(); }
    // The page's size (after scaling) and how far it is scrolled down.
    Size contentSize() const;
    float contentOffset() const { return offset_; }
    void setContentOffset(float y);
    // The absolute URL of the link at `point` (view coordinates), or empty.
    std::string linkAt(Point point);

    static constexpr int kMaxImages = 24;
    static constexpr size_t kMaxImageBytes = size_t(1) << 20;
    static constexpr int kMaxImageSide = 2048;

    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& g) override;
    void layoutSubviews() override;
    // A page taller than the view scrolls under the mouse wheel.
    bool scrollWheel(float dx, float dy) override;
    void touchesBegan(const TouchSet& touches, Event* event) override;
    void touchesMoved(const TouchSet& touches, Event* event) override;
    void touchesEnded(const TouchSet& touches, Event* event) override;
    void touchesCancelled(const TouchSet& touches, Event* event) override;

private:
    void relayout();
    void fetchImages();
    void cancelLoads();
    void imageArrived(const std::string& url, Ref<DecodedImage> image);

    std::unique_ptr<HtmlDocument> document_;
    HtmlViewDelegate* delegate_ = nullptr;
    std::string userAgent_;
    std::vector<std::pair<std::string, CancelFlag>> loads_;
    int imagesAsked_ = 0;
    float scale_ = 1;
    float offset_ = 0;
    float laidOutWidth_ = -1, laidOutHeight_ = -1;
    bool scalesPageToFit_ = false;
    Point touchStart_;
    bool dragging_ = false;
};

} // namespace platform

#pragma once

#include "ads/AdSettings.h"
#include "platform/Http.h"
#include "platform/View.h"
#include "platform/ui/Label.h"

#include <optional>
#include <string>

namespace platform {
class ViewController;
}

class CometBannerView;

// What a Comet banner asks of its owner and tells it.
class CometAdDelegate {
public:
    virtual ~CometAdDelegate() = default;
    virtual std::string publisherIdForAd(CometBannerView* ad) = 0;
    virtual platform::ViewController* currentViewControllerForAd(CometBannerView* /*ad*/) {
        return nullptr;
    }
    virtual ccColor4F adBackgroundColorForAd(CometBannerView* /*ad*/) {
        return ccColor4F{0, 0, 0, 1};
    }
    virtual ccColor4F primaryTextColorForAd(CometBannerView* /*ad*/) {
        return ccColor4F{1, 1, 1, 1};
    }
    virtual ccColor4F secondaryTextColorForAd(CometBannerView* /*ad*/) {
        return ccColor4F{1, 1, 1, 1};
    }
    // An ad arrived and is shown (after every successful request).
    virtual void didReceiveAd(CometBannerView* /*ad*/) {}
    virtual void didFailToReceiveAd(CometBannerView* /*ad*/) {}
};

// One ad of the Comet network: a line to catch the eye, a line more, and
// where a tap leads.
struct CometAd {
    std::string headline;
    std::string text;
    std::string clickURL;
};

// Reads the Comet server's answer, a JSON object:
//   {"status": "ok", "headline": "...", "text": "...", "clickurl": "https://..."}
// or {"status": "noad"}. Nothing when it holds no ad that can be shown (the
// headline is required; texts are cut to kMaxTextBytes at a character).
std::optional<CometAd> parseCometAd(const std::string& body);

// The Comet network's banner (320 x 50): a text ad in the owner's colours,
// fetched as JSON from the ad server's "/comet/ad" and opened with the
// system when tapped.
class CometBannerView : public platform::View {
public:
    // A banner that starts loading at once and reports to `delegate` (not
    // held).
    static Ref<CometBannerView> requestAdWithDelegate(CometAdDelegate* delegate);
    explicit CometBannerView(CometAdDelegate* delegate);
    ~CometBannerView() override;

    // Asks the server for another ad (the one shown stays until it comes).
    void requestFreshAd();
    // Stops for good: no answer or callback any more.
    void cancel();

    CometAdDelegate* delegate() const { return delegate_; }
    const std::optional<CometAd>& ad() const { return ad_; }
    bool isRequesting() const { return task_ != nullptr; }
    // What the request for `publisherId` asks, after "/comet/ad?".
    static std::string requestQuery(const std::string& publisherId);

    static constexpr Size kSize{320, 50};
    static constexpr size_t kMaxAnswerBytes = size_t(16) << 10;
    static constexpr size_t kMaxTextBytes = 200;

    void touchesBegan(const platform::TouchSet& touches, platform::Event* event) override;
    void touchesEnded(const platform::TouchSet& touches, platform::Event* event) override;
    void touchesCancelled(const platform::TouchSet& touches, platform::Event* event) override;

private:
    void received(const platform::HttpResponse& response);
    void show(const CometAd& ad);

    CometAdDelegate* delegate_;
    std::optional<CometAd> ad_;
    Ref<platform::HttpTask> task_;
    Ref<platform::Label> headline_;
    Ref<platform::Label> text_;
    bool pressed_ = false;
};

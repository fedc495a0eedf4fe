#pragma once

#include "ads/AdSettings.h"
#include "ads/OrbitAdBrowserViewController.h"
#include "ads/RedirectChecker.h"
#include "platform/Background.h"
#include "platform/HtmlView.h"
#include "platform/ImageDecoder.h"
#include "platform/NotificationCenter.h"
#include "platform/RunLoop.h"
#include "platform/View.h"
#include "platform/ui/Control.h"

#include <optional>
#include <string>

namespace platform {
class XmlElement;
}

class OrbitBannerView;

// What an Orbit banner tells its owner. Each call is optional; the defaults
// behave as a delegate that does not answer it.
class OrbitBannerViewDelegate {
public:
    virtual ~OrbitBannerViewDelegate() = default;
    // The publisher identifier sent with each request (required: without
    // it the banner asks for nothing).
    virtual std::optional<std::string> publisherIdForOrbitBannerView(OrbitBannerView*) {
        return std::nullopt;
    }
    // The first ad is shown.
    virtual void orbitBannerViewDidLoadOrbitAd(OrbitBannerView*) {}
    // A request failed or the server had no ad.
    virtual void orbitBannerView(OrbitBannerView*, const AdError& /*error*/) {}
    // Before a tap is acted upon; false cancels it.
    virtual std::optional<bool> orbitBannerViewActionShouldBegin(OrbitBannerView*,
                                                                 bool /*willLeaveApplication*/) {
        return std::nullopt;
    }
};

// The Orbit ad network's banner (320 x 50): asks the server for an ad,
// shows an image or an HTML text ad, asks again at the interval the server
// names, and opens the ad's target on a tap: through the system, or in the
// in-app browser, after a preflight that finds where the target redirects.
//
// Everything from the server is treated as hostile: the answer and its
// picture are size-capped, XML is read without document types, targets go
// to the system only with the schemes it is allowed to open, and the
// browser fetches http and https only.
class OrbitBannerView : public platform::View,
                        public RedirectCheckerDelegate,
                        public OrbitAdBrowserViewControllerDelegate {
public:
    explicit OrbitBannerView(Rect frame);
    ~OrbitBannerView() override;

    OrbitBannerViewDelegate* delegate() const { return delegate_; }
    // Asks for an ad at once when the delegate changed.
    void setDelegate(OrbitBannerViewDelegate* delegate);

    // Starts a request in the background (or shows why it cannot).
    void requestAd();
    void setRefreshTimerActive(bool active);
    // The banner was tapped.
    void tapThrough(platform::Control* sender = nullptr);
    // Stops for good: no request, answer, refresh or callback any more. For
    // owners that let the banner go while something may still hold it.
    void cancelAdRequests();

    // Sets the ad up from the server's answer (main thread). `image` is the
    // picture the answer named, if it could be had.
    void setUpAd(const platform::XmlElement& root, Ref<platform::DecodedImage> image);

    const std::string& advertisingSection() const { return advertisingSection_; }
    void setAdvertisingSection(std::string section) { advertisingSection_ = std::move(section); }
    bool bannerLoaded() const { return bannerLoaded_; }
    // The in-app browser is up (or a tap's preflight runs): no refresh.
    bool bannerViewActionInProgress() const { return bannerViewActionInProgress_; }
    int refreshAnimation() const { return refreshAnimation_; }
    void setRefreshAnimation(int kind) { refreshAnimation_ = kind; }
    platform::DecodedImage* bannerImage() const { return _bannerImage.get(); }
    bool tapThroughLeavesApp() const { return _tapThroughLeavesApp; }
    bool shouldScaleWebView() const { return _shouldScaleWebView; }
    bool shouldSkipLinkPreflight() const { return _shouldSkipLinkPreflight; }
    const std::string& tapThroughURL() const { return _tapThroughURL; }
    int refreshInterval() const { return _refreshInterval; }
    platform::RunLoopTimer* refreshTimer() const { return _refreshTimer.get(); }
    OrbitAdBrowserViewController* browser() const { return browser_.get(); }
    RedirectChecker* redirectChecker() const { return checker_.get(); }
    // Whether a request is under way.
    bool isRequesting() const { return request_ != nullptr; }
    // The label shown when the delegate cannot be asked (empty: none).
    std::string errorLabelText() const;

    // "Orbit/3.0 (<device model>)"
    static std::string userAgent();
    // The request's query for `publisherId` and `section`.
    static std::string requestQuery(const std::string& publisherId, const std::string& section);
    // Targets the system opens itself even when the ad asks for the
    // in-app browser.
    static bool isDeviceSupported(const std::string& url);

    static constexpr double kFlipDuration = 1.5;
    static constexpr size_t kMaxAnswerBytes = size_t(64) << 10;
    static constexpr size_t kMaxImageBytes = size_t(512) << 10;
    static constexpr int kMaxImageSide = 1024;
    // Longer refresh intervals are cut to this (seconds).
    static constexpr int kMaxRefreshInterval = 24 * 60 * 60;

    // RedirectCheckerDelegate
    void checker(RedirectChecker* checker, const std::string& redirectURL) override;
    void checker(RedirectChecker* checker, const std::string& data, const std::string& mimeType,
                 const std::string& textEncoding) override;
    void checker(RedirectChecker* checker, const AdError& error) override;
    // OrbitAdBrowserViewControllerDelegate
    void orbitAdBrowserControllerDidDismiss(OrbitAdBrowserViewController* browser) override;

private:
    void setup();
    void showErrorLabel(const std::string& text);
    void asyncRequestAdWithPublisherId(const std::string& publisherId);
    void reportError(const std::string& description, int code);
    void showAdView(View* adView);
    // Presents the in-app browser for `url`, showing `data` when the
    // preflight brought the page already.
    void presentBrowser(const std::string& url, const std::string* data = nullptr,
                        const std::string& mimeType = {}, const std::string& textEncoding = {});
    // A tap led nowhere: refresh resumes.
    void endAction();
    void appDidBecomeActive(platform::Notification*);
    void appWillResignActive(platform::Notification*);

    std::string advertisingSection_;
    bool bannerLoaded_ = false;
    bool bannerViewActionInProgress_ = false;
    int refreshAnimation_ = 0;
    OrbitBannerViewDelegate* delegate_ = nullptr;
    Ref<platform::DecodedImage> _bannerImage;
    bool _tapThroughLeavesApp = false;
    bool _shouldScaleWebView = false;
    bool _shouldSkipLinkPreflight = false;
    bool _statusBarWasVisible = false;
    std::string _tapThroughURL;
    int _refreshInterval = 0;
    Ref<platform::RunLoopTimer> _refreshTimer;

    // The request under way, if any.
    platform::CancelFlag request_;
    Ref<RedirectChecker> checker_;
    Ref<OrbitAdBrowserViewController> browser_;
    Ref<platform::View> errorLabel_;
    bool cancelled_ = false;
};

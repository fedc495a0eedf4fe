#pragma once

#include "ads/CometBannerView.h"
#include "ads/OrbitBannerView.h"
#include "ads/XWBannerClipView.h"
#include "platform/NotificationCenter.h"
#include "platform/RunLoop.h"
#include "platform/ui/Control.h"
#include "platform/ui/ViewController.h"
#include "support/Ref.h"
#include "support/Singleton.h"

#include <memory>
#include <string>

class HouseAdServer;
class XWBannerManager;

class XWBannerManagerDelegate {
public:
    virtual ~XWBannerManagerDelegate() = default;
    virtual void bannerManagerDidPushPurchaseButton(XWBannerManager* /*manager*/) {}
};

// Banner modes: which ad network fills the strip.
enum : int {
    kBannerModeNone = 0, // none chosen yet: the start of the rotation
    kBannerModeComet = 1,
    kBannerModePlatform = 2, // the platform's own banner: none on this desktop
    kBannerModeOrbit = 3,
    kBannerModeExhausted = 99, // every network in the order has failed
};

// Puts one ad banner at the bottom of the screen, over the GL view, and
// decides which network fills it: Orbit, then Comet, falling to the next
// when one fails; when all have failed it shows nothing until the
// application next becomes active.
class XWBannerManager : public Object, public OrbitBannerViewDelegate, public CometAdDelegate {
public:
    static XWBannerManager& sharedManager();
    // Lets the shared manager go (the end of the application, tests).
    static void purgeSharedManager();
    XWBannerManager();
    ~XWBannerManager() override;

    // Attaches the banner strip to `controller`'s view and starts the
    // rotation; with ads off (AdSettings) attaches nothing.
    void addAdsToViewController(platform::ViewController* controller);
    void setDefaultBannerMode();
    int nextBannerNetworkAfterCurrent() const;
    void setBannerMode(int mode);
    void removeAllBannersExceptForMode(int mode);
    void removeAds();
    bool isBannerVisible() const;

    int bannerMode() const { return _bannerMode; }
    XWBannerManagerDelegate* delegate() const { return _delegate; }
    void setDelegate(XWBannerManagerDelegate* delegate) { _delegate = delegate; }
    platform::ViewController* viewControllerWithBanner() const {
        return viewControllerWithBanner_.get();
    }
    XWBannerClipView* bannerClipView();
    OrbitBannerView* orbitBannerView() const { return orbitBannerView_.get(); }
    CometBannerView* cometBannerView() const { return cometBannerView_.get(); }
    platform::RunLoopTimer* refreshTimer() const { return refreshTimer_.get(); }
    bool orbitBannerShowing() const { return orbitBannerShowing_; }
    bool cometBannerShowing() const { return cometBannerShowing_; }
    // The house-ad server, when this process runs it.
    HouseAdServer* houseAdServer() const { return houseAdServer_.get(); }

    void appDidBecomeActive(platform::Notification* notification);
    void purchaseButtonPushed(platform::Control* sender);
    // The Comet banner's refresh.
    void refreshAd();
    // The platform banner took too long.
    void cancelAppleAds();

    bool orbitSupported() const { return true; }
    bool cometSupported() const { return true; }
    // Whether the platform has its own ad banner: not this desktop.
    bool iAdsSupported() const { return false; }

    // CometAdDelegate
    std::string publisherIdForAd(CometBannerView* ad) override;
    platform::ViewController* currentViewControllerForAd(CometBannerView* ad) override;
    ccColor4F adBackgroundColorForAd(CometBannerView* ad) override;
    ccColor4F primaryTextColorForAd(CometBannerView* ad) override;
    ccColor4F secondaryTextColorForAd(CometBannerView* ad) override;
    void didReceiveAd(CometBannerView* ad) override;
    void didFailToReceiveAd(CometBannerView* ad) override;
    // OrbitBannerViewDelegate
    std::optional<std::string> publisherIdForOrbitBannerView(OrbitBannerView* banner) override;
    void orbitBannerViewDidLoadOrbitAd(OrbitBannerView* banner) override;
    void orbitBannerView(OrbitBannerView* banner, const AdError& error) override;

    static constexpr const char* kCometPublisherId = "a14c3e9b07d2f58";
    static constexpr const char* kOrbitPublisherId = "6f1e0b9d4c2a87e35d10f9b2c4e6a718";
    static constexpr double kCometRefreshInterval = 12.5;
    // The rotation order, in five slots.
    static constexpr int kBannerOrder[5] = {kBannerModeOrbit, kBannerModeComet, 0, 0, 0};

private:
    void releaseOrbitBannerView();
    void releaseCometBannerView();

    Ref<platform::ViewController> viewControllerWithBanner_;
    Ref<XWBannerClipView> bannerClipView_;
    bool iAdBannerShowing_ = false;
    Ref<CometBannerView> cometBannerView_;
    Ref<platform::RunLoopTimer> refreshTimer_;
    bool cometBannerShowing_ = false;
    Ref<OrbitBannerView> orbitBannerView_;
    bool orbitBannerShowing_ = false;
    int _bannerMode = kBannerModeNone;
    XWBannerManagerDelegate* _delegate = nullptr;
    std::unique_ptr<HouseAdServer> houseAdServer_;
    SingletonGuard<XWBannerManager> guard_;
};

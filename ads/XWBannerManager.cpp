#include "ads/XWBannerManager.h"

#include "ads/HouseAdServer.h"
#include "platform/AppNotifications.h"
#include "platform/Files.h"
#include "support/Log.h"

using namespace platform;

namespace {
Shared<XWBannerManager> shared;
} // namespace

XWBannerManager& XWBannerManager::sharedManager() {
    return shared.get();
}

void XWBannerManager::purgeSharedManager() {
    shared.purge();
}

XWBannerManager::XWBannerManager() {
    NotificationCenter::defaultCenter().addObserver(
        this, ccSelector(this, &XWBannerManager::appDidBecomeActive),
        kApplicationDidBecomeActiveNotification);
}

XWBannerManager::~XWBannerManager() {
    NotificationCenter::defaultCenter().removeObserver(this);
    releaseOrbitBannerView();
    releaseCometBannerView();
    if (refreshTimer_) refreshTimer_->invalidate();
    if (bannerClipView_) {
        bannerClipView_->purchaseButton()->removeTarget();
        bannerClipView_->removeFromSuperview();
    }
    // Its server goes with it.
    AdSettings& settings = AdSettings::shared();
    if (houseAdServer_ && settings.serverURL == houseAdServer_->baseURL())
        settings.serverURL.clear();
}

void XWBannerManager::addAdsToViewController(ViewController* controller) {
    AdSettings& settings = AdSettings::shared();
    if (!settings.enabled || !controller) return;
    if (settings.serverURL.empty()) {
        auto server = std::make_unique<HouseAdServer>(resourceDirectory());
        if (!server->start()) {
            ccLog("Ads: the house-ad server could not start");
            return;
        }
        settings.serverURL = server->baseURL();
        houseAdServer_ = std::move(server);
    }
    viewControllerWithBanner_ = controller;
    controller->view()->addSubview(bannerClipView());
    setDefaultBannerMode();
}

XWBannerClipView* XWBannerManager::bannerClipView() {
    if (!bannerClipView_) {
        float height = viewControllerWithBanner_
                           ? viewControllerWithBanner_->view()->bounds().size.height
                           : 480;
        bannerClipView_ = make<XWBannerClipView>(
            Rect(0, height - XWBannerClipView::kHeight, 320, XWBannerClipView::kHeight));
        bannerClipView_->purchaseButton()->addTarget(
            ccSelector(this, &XWBannerManager::purchaseButtonPushed), ControlEventTouchUpInside);
    }
    return bannerClipView_.get();
}

void XWBannerManager::setDefaultBannerMode() {
    setBannerMode(kBannerModeNone);
    setBannerMode(nextBannerNetworkAfterCurrent());
}

int XWBannerManager::nextBannerNetworkAfterCurrent() const {
    if (_bannerMode == kBannerModeExhausted) return kBannerModeExhausted;
    if (_bannerMode == kBannerModeNone) return kBannerOrder[0];
    for (size_t i = 0; i + 1 < std::size(kBannerOrder); ++i)
        if (kBannerOrder[i] == _bannerMode)
            return kBannerOrder[i + 1] != 0 ? kBannerOrder[i + 1] : kBannerModeExhausted;
    return kBannerModeExhausted;
}

void XWBannerManager::setBannerMode(int mode) {
    if (mode == _bannerMode) return;
    _bannerMode = mode;
    switch (mode) {
    case kBannerModeOrbit:
        if (!orbitSupported()) break;
        if (!orbitBannerView_) {
            orbitBannerView_ = make<OrbitBannerView>(Rect(0, 0, 320, 50));
            orbitBannerView_->setBackgroundColor(ccColor4F{0, 0, 0, 1});
            orbitBannerView_->setDelegate(this);
        }
        removeAllBannersExceptForMode(kBannerModeOrbit);
        return;
    case kBannerModeComet:
        if (!cometSupported()) break;
        if (!cometBannerView_) cometBannerView_ = CometBannerView::requestAdWithDelegate(this);
        removeAllBannersExceptForMode(kBannerModeComet);
        return;
    case kBannerModePlatform:
        // The desktop has no banner of its own (iAdsSupported): the mode
        // passes on.
        break;
    default:
        removeAllBannersExceptForMode(mode);
        return;
    }
    setBannerMode(nextBannerNetworkAfterCurrent());
}

void XWBannerManager::releaseOrbitBannerView() {
    if (!orbitBannerView_) return;
    orbitBannerView_->cancelAdRequests();
    orbitBannerView_->removeFromSuperview();
    orbitBannerView_ = nullptr;
}

void XWBannerManager::releaseCometBannerView() {
    if (!cometBannerView_) return;
    cometBannerView_->cancel();
    cometBannerView_->removeFromSuperview();
    cometBannerView_ = nullptr;
}

void XWBannerManager::removeAllBannersExceptForMode(int mode) {
    if (mode != kBannerModeComet) {
        releaseCometBannerView();
        if (refreshTimer_) refreshTimer_->invalidate();
        refreshTimer_ = nullptr;
        cometBannerShowing_ = false;
    }
    if (mode != kBannerModePlatform) iAdBannerShowing_ = false;
    if (mode != kBannerModeOrbit) {
        releaseOrbitBannerView();
        orbitBannerShowing_ = false;
    }
    if (mode == kBannerModeNone) bannerClipView()->setPurchaseButtonVisible(false, true);
}

void XWBannerManager::removeAds() {
    iAdBannerShowing_ = cometBannerShowing_ = orbitBannerShowing_ = false;
    releaseOrbitBannerView();
    releaseCometBannerView();
    bannerClipView()->slideOutSubviews();
}

bool XWBannerManager::isBannerVisible() const {
    return iAdBannerShowing_ || cometBannerShowing_ || orbitBannerShowing_;
}

void XWBannerManager::appDidBecomeActive(Notification*) {
    if (_bannerMode == kBannerModeExhausted) setDefaultBannerMode();
}

void XWBannerManager::purchaseButtonPushed(Control*) {
    if (_delegate) _delegate->bannerManagerDidPushPurchaseButton(this);
}

void XWBannerManager::refreshAd() {
    if (cometBannerView_) cometBannerView_->requestFreshAd();
}

void XWBannerManager::cancelAppleAds() {
    ccLog("iAd: request cancelled");
    setBannerMode(nextBannerNetworkAfterCurrent());
}

// --- the Comet client ---

std::string XWBannerManager::publisherIdForAd(CometBannerView*) {
    return kCometPublisherId;
}

ViewController* XWBannerManager::currentViewControllerForAd(CometBannerView*) {
    return viewControllerWithBanner_.get();
}

ccColor4F XWBannerManager::adBackgroundColorForAd(CometBannerView*) {
    return ccColor4F{0.208f, 0.435f, 0.659f, 1};
}

ccColor4F XWBannerManager::primaryTextColorForAd(CometBannerView*) {
    return ccColor4F{1, 1, 1, 1};
}

ccColor4F XWBannerManager::secondaryTextColorForAd(CometBannerView*) {
    return ccColor4F{1, 1, 1, 1};
}

void XWBannerManager::didReceiveAd(CometBannerView* ad) {
    ccLog("Comet: Did receive ad");
    if (cometBannerShowing_) return;
    cometBannerShowing_ = true;
    bannerClipView()->slideInSubview(ad);
    if (refreshTimer_) refreshTimer_->invalidate();
    // The timer is invalidated before the manager goes.
    refreshTimer_ =
        RunLoop::main().scheduleTimer(kCometRefreshInterval, true, [this] { refreshAd(); });
}

void XWBannerManager::didFailToReceiveAd(CometBannerView*) {
    ccLog("Comet: Did fail to receive ad");
    cometBannerShowing_ = false;
    releaseCometBannerView();
    setBannerMode(nextBannerNetworkAfterCurrent());
}

// --- the Orbit client ---

std::optional<std::string> XWBannerManager::publisherIdForOrbitBannerView(OrbitBannerView*) {
    return std::string(kOrbitPublisherId);
}

void XWBannerManager::orbitBannerViewDidLoadOrbitAd(OrbitBannerView* banner) {
    orbitBannerShowing_ = true;
    bannerClipView()->slideInSubview(banner);
}

void XWBannerManager::orbitBannerView(OrbitBannerView*, const AdError& error) {
    ccLog("Orbit: Did fail to receive ad, %s", error.description.c_str());
    bannerClipView()->slideOutSubviews();
    setBannerMode(nextBannerNetworkAfterCurrent());
}

#include "ads/XWBannerManager.h"

namespace {
Shared<XWBannerManager> shared;
} // namespace

XWBannerManager& XWBannerManager::sharedManager() { return shared.get(); }

void XWBannerManager::addAdsToViewController(platform::ViewController*) {}

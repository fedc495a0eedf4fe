#pragma once

#include "support/Ref.h"
#include "support/Singleton.h"

namespace platform {
class ViewController;
}

// The advertising banner strip at the bottom of the GL view.
class XWBannerManager : public Object {
public:
    static XWBannerManager& sharedManager();
    XWBannerManager() = default;

    // Attaches the banner strip to `controller`'s view. The ad rotation
    // between the networks fills this in; until it does, there are no ads
    // and nothing is attached.
    void addAdsToViewController(platform::ViewController* controller);

private:
    SingletonGuard<XWBannerManager> guard_;
};

// deps: ads
// Any bytes as an Orbit ad answer, read and set up as the banner does it,
// with and without the picture it names: one report each time, and what is
// shown stays inside the banner.
#include "ads/OrbitBannerView.h"
#include "platform/XmlDocument.h"

#include <cstdio>
#include <cstdlib>

namespace {

struct Counter : OrbitBannerViewDelegate {
    int reports = 0;
    // An empty identifier: setting the delegate makes no request.
    std::optional<std::string> publisherIdForOrbitBannerView(OrbitBannerView*) override {
        return std::string();
    }
    void orbitBannerViewDidLoadOrbitAd(OrbitBannerView*) override { ++reports; }
    void orbitBannerView(OrbitBannerView*, const AdError&) override { ++reports; }
};

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fuzz_adxml: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto doc = platform::XmlDocument::parse(reinterpret_cast<const char*>(data), size,
                                            OrbitBannerView::kMaxAnswerBytes);
    if (!doc) return 0;
    static Ref<platform::DecodedImage> picture = platform::DecodedImage::imageWithRGBA(
        640, 10, std::vector<uint8_t>(640 * 10 * 4, 255), platform::ImageAlpha::None);
    for (bool withPicture : {false, true}) {
        Counter counter;
        auto banner = make<OrbitBannerView>(Rect(0, 0, 320, 50));
        banner->setDelegate(&counter);
        banner->setUpAd(doc->root(), withPicture ? picture : nullptr);
        if (counter.reports != 1) fail("not exactly one report");
        for (const Ref<platform::View>& v : banner->subviews()) {
            Rect f = v->frame();
            if (!(f.minX() >= 0 && f.minY() >= 0 && f.maxX() <= 320 && f.maxY() <= 50))
                fail("an ad outside the banner");
        }
        if (banner->refreshInterval() < 0 ||
            banner->refreshInterval() > OrbitBannerView::kMaxRefreshInterval)
            fail("refresh interval out of range");
    }
    return 0;
}

// deps: ads
// Any bytes as a Comet ad answer: an ad read from it always has a headline,
// and no text longer than allowed or cut inside a character.
#include "ads/CometBannerView.h"

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fuzz_cometjson: %s\n", what);
    std::abort();
}

bool wholeCharacters(const std::string& s) {
    // A cut never leaves a lead byte without its continuation bytes.
    size_t i = s.size();
    size_t continuation = 0;
    while (i > 0 && (uint8_t(s[i - 1]) & 0xC0) == 0x80) {
        --i;
        ++continuation;
    }
    if (i == 0) return continuation == 0;
    uint8_t lead = uint8_t(s[i - 1]);
    size_t need = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    return need == continuation;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto ad = parseCometAd(std::string(reinterpret_cast<const char*>(data), size));
    if (!ad) return 0;
    if (ad->headline.empty()) fail("an ad without a headline");
    for (const std::string* s : {&ad->headline, &ad->text}) {
        if (s->size() > CometBannerView::kMaxTextBytes) fail("text longer than allowed");
        if (!wholeCharacters(*s)) fail("text cut inside a character");
    }
    return 0;
}

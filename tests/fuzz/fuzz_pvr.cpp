// deps: render
// Parses any bytes as a .pvr file and decodes every level it finds; also
// decodes the bytes as a header-less PVRTC stream of a size they choose.
#include "platform/PvrtcDecoder.h"
#include "render/PVRTexture.h"
#include "support/Log.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (ccSetLogSink([](const std::string&) {}), true);
    (void)quiet;
    std::vector<uint8_t> rgba;
    auto pvr = make<PVRTexture>();
    if (pvr->unpackPVRData(data, size)) {
        int bpp = pvr->internalFormat() == GL_COMPRESSED_RGBA_PVRTC_2BPPV1_IMG ? 2 : 4;
        uint32_t w = pvr->width(), h = pvr->height();
        for (const auto& level : pvr->imageData()) {
            if (level.size() != platform::pvrtcLevelSize(w, h, bpp)) std::abort();
            if (w <= 1024 && h <= 1024) {
                rgba.assign(size_t(w) * h * 4, 0);
                platform::decodePvrtc(level.data(), level.size(), w, h, bpp, rgba.data());
            }
            w = std::max<uint32_t>(w >> 1, 1);
            h = std::max<uint32_t>(h >> 1, 1);
        }
    }
    if (size >= 2) {
        int bpp = data[0] & 1 ? 2 : 4;
        unsigned w = 1u << (data[0] >> 1) % 8, h = 1u << (data[1] % 8);
        rgba.assign(size_t(w) * h * 4, 0);
        bool ok = platform::decodePvrtc(data + 2, size - 2, w, h, bpp, rgba.data());
        if (ok != (size - 2 >= platform::pvrtcLevelSize(w, h, bpp))) std::abort();
    }
    return 0;
}

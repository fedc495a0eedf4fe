// deps: platform
// Decodes any bytes as a PNG; whatever decodes must be consistent and draw
// into every buffer layout a texture uses.
#include "platform/ImageDecoder.h"
#include "support/Log.h"

#include <cstdlib>
#include <vector>

using namespace platform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (ccSetLogSink([](const std::string&) {}), true);
    (void)quiet;
    Ref<DecodedImage> image = DecodedImage::imageWithData(data, size);
    if (!image) return 0;
    if (image->width() <= 0 || image->height() <= 0 ||
        image->pixels().size() != size_t(image->width()) * size_t(image->height()) * 4)
        std::abort();
    if (image->width() > 1024 || image->height() > 1024) return 0;
    int w = 1, h = 1;
    while (w < image->width())
        w *= 2;
    while (h < image->height())
        h *= 2;
    for (auto format : {ImageBufferFormat::RGBAPremultiplied, ImageBufferFormat::RGBNoAlpha,
                        ImageBufferFormat::Alpha8}) {
        std::vector<uint8_t> buffer(size_t(w) * size_t(h) * 4);
        if (!image->drawInto(buffer.data(), w, h, format)) std::abort();
    }
    return 0;
}

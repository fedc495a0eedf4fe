// deps: support
// Reads any bytes as a TGA image; a success must hold exactly its pixels.
#include "support/Tga.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ImageTGA* image = tgaLoadFromMemory(data, size);
    if (image->status == kTGAOk && image->imageData.size() != size_t(image->width) *
                                                                  size_t(image->height) *
                                                                  (image->pixelDepth / 8))
        std::abort();
    if (image->status != kTGAOk && image->status != kTGAErrorReadingFile &&
        image->status != kTGAErrorIndexedColor && image->status != kTGAErrorMemory &&
        image->status != kTGAErrorUnsupportedType)
        std::abort();
    tgaDestroy(image);
    return 0;
}

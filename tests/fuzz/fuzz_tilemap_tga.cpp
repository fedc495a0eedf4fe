// deps: render support
// Reads any bytes as the TGA picture of a tile map; the cells read are
// exactly the picture's.
#include "render/TileMapAtlas.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ImageTGA* image = tgaLoadFromMemory(data, size);
    std::vector<ccColor3B> cells;
    size_t used = 0;
    if (image->status == kTGAOk && TileMapAtlas::cellsOfTGA(*image, cells, used) &&
        (cells.size() != size_t(image->width) * size_t(image->height) || used > cells.size()))
        std::abort();
    tgaDestroy(image);
    return 0;
}

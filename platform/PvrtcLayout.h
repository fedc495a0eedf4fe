#pragma once

// How PVRTC data is laid out, shared by the runtime decoder and the
// generator's encoder so that the two always agree.

#include <algorithm>
#include <cstddef>

namespace platform {

// Blocks are stored in Morton order: the low bits of y and x interleaved (y
// in the lowest bit), then the remaining high bits of the longer side.
inline size_t pvrtcBlockIndex(unsigned x, unsigned y, unsigned blocksX, unsigned blocksY) {
    unsigned shorter = std::min(blocksX, blocksY);
    size_t index = 0;
    int shift = 0;
    for (unsigned bit = 1; bit < shorter; bit <<= 1) {
        if (y & bit) index |= size_t(1) << shift;
        ++shift;
        if (x & bit) index |= size_t(1) << shift;
        ++shift;
    }
    size_t rest = (blocksX > blocksY ? x : y) / shorter;
    return index | rest << shift;
}

// Block coordinates wrap around the picture's edges.
inline int pvrtcWrap(int v, int n) {
    return ((v % n) + n) % n;
}

} // namespace platform

#pragma once

#include <cstdint>
#include <vector>

// PVRTC 4 bpp encoding (the format the engine's software decoder reads) and
// the version 2 PVR container.
namespace resgen {

// Encodes one level: `rgba` holds width x height straight-alpha pixels, rows
// top to bottom; both sides powers of two. Returns the blocks (64 bits each,
// modulation word then colour word, little-endian) in the decoder's Morton
// order; levels under 8 x 8 pixels still take 2 x 2 blocks. `refinements`
// rounds of least-squares fitting follow the first guess.
std::vector<uint8_t> encodePvrtc4(const uint8_t* rgba, unsigned width, unsigned height,
                                  int refinements = 4);

// Halves a straight-alpha picture (2 x 2 box filter weighted by alpha);
// a side of 1 stays 1.
std::vector<uint8_t> halvePicture(const std::vector<uint8_t>& rgba, unsigned width,
                                  unsigned height);

// A complete .pvr file: 52-byte header and every level from `width` x
// `height` down to 1 x 1 when `mipmaps`, else level 0 only.
std::vector<uint8_t> pvrFile4(const std::vector<uint8_t>& rgba, unsigned width, unsigned height,
                              bool mipmaps);

} // namespace resgen

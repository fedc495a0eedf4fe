#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Largest output inflateMemory() produces. Tile-map layers are a few hundred
// KiB at most; a tiny hostile input must not make us allocate without bound.
inline constexpr size_t kInflateMaxOutput = size_t(64) << 20;

// Inflates gzip- or zlib-wrapped data (the header is detected). Returns the
// inflated length with the bytes in `out`; on any failure (corrupt or
// truncated stream, output over `maxOutput`, no memory) returns 0 and leaves
// `out` empty.
size_t inflateMemory(const uint8_t* in, size_t inLength, std::vector<uint8_t>& out,
                     size_t maxOutput = kInflateMaxOutput);

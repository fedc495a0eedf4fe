#pragma once

#include "platform/GL.h"

#include <cstddef>
#include <cstdint>

// PVRTC (version 1) in software: desktop GL drivers do not offer it, so
// compressed data is decoded to RGBA8888 when it is uploaded.
namespace platform {

// Bytes of one level of `width` x `height` pixels: 64-bit blocks of 4 x 4
// (4 bpp) or 8 x 4 (2 bpp) pixels, never fewer than 2 x 2 blocks.
size_t pvrtcLevelSize(unsigned width, unsigned height, int bpp);

// Decodes one level into `rgba` (width x height x 4 bytes, the first row of
// the data first). False, with `rgba` untouched, when `bpp` is not 2 or 4,
// a side is 0, not a power of two or over 8192, or `size` is too small.
bool decodePvrtc(const uint8_t* data, size_t size, unsigned width, unsigned height, int bpp,
                 uint8_t* rgba);

// Stands in for glCompressedTexImage2D with the four PVRTC formats
// (0x8C00..0x8C03) on the bound texture: decodes and uploads RGBA8888.
// Returns the GL error the call produced: GL_INVALID_ENUM for another
// format, GL_INVALID_VALUE for unusable sizes or too little data.
GLenum compressedTexImage2DPvrtc(GLint level, GLenum internalFormat, GLsizei width, GLsizei height,
                                 GLsizei imageSize, const void* data);

} // namespace platform

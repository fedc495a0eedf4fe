#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Result codes of tgaLoad().
enum {
    kTGAOk = 0,
    kTGAErrorFileOpen = 1,
    kTGAErrorReadingFile = 2, // also: truncated data, impossible sizes
    kTGAErrorIndexedColor = 3,
    kTGAErrorMemory = 4,
    kTGAErrorUnsupportedType = 5, // also: unsupported bits per pixel
};

// A TGA image as read: types 2 (true colour), 3 (grey) and 10 (run-length
// true colour), without image ID or colour map. 24- and 32-bit pixels are in
// RGB(A) order; rows run bottom to top.
struct ImageTGA {
    int status = kTGAOk;
    uint8_t type = 0;
    uint8_t pixelDepth = 0; // bits per pixel
    int width = 0, height = 0;
    std::vector<uint8_t> imageData;
    bool flipped = false; // the file had its origin at the top (rows were flipped)
};

// Never null; check `status`. Free with tgaDestroy().
ImageTGA* tgaLoad(const char* fileName);
ImageTGA* tgaLoadFromMemory(const uint8_t* data, size_t size);
void tgaDestroy(ImageTGA* info);

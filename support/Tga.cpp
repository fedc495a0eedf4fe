#include "support/Tga.h"

#include <algorithm>
#include <cstdio>
#include <new>

namespace {

constexpr size_t kHeaderSize = 18;
// Larger images are refused before anything is allocated.
constexpr size_t kMaxImageBytes = size_t(256) << 20;
constexpr long kMaxFileBytes = long(256) << 20;

unsigned le16(const uint8_t* p) {
    return unsigned(p[0]) | unsigned(p[1]) << 8;
}

bool readRLE(const uint8_t* p, const uint8_t* end, size_t bytesPerPixel, size_t pixels,
             uint8_t* out) {
    size_t done = 0;
    while (done < pixels) {
        if (p >= end) return false;
        uint8_t count = *p++;
        bool run = count & 0x80;
        size_t n = run ? size_t(count) - 127 : size_t(count) + 1;
        // A packet that runs past the image's last pixel is clipped.
        n = std::min(n, pixels - done);
        if (run) {
            if (size_t(end - p) < bytesPerPixel) return false;
            for (size_t i = 0; i < n; ++i)
                std::copy(p, p + bytesPerPixel, out + (done + i) * bytesPerPixel);
            p += bytesPerPixel;
        } else {
            size_t bytes = n * bytesPerPixel;
            if (size_t(end - p) < bytes) return false;
            std::copy(p, p + bytes, out + done * bytesPerPixel);
            p += bytes;
        }
        done += n;
    }
    return true;
}

void flipRows(ImageTGA& info, size_t rowBytes) {
    for (int y = 0; y < info.height / 2; ++y)
        std::swap_ranges(info.imageData.begin() + long(size_t(y) * rowBytes),
                         info.imageData.begin() + long(size_t(y + 1) * rowBytes),
                         info.imageData.begin() + long(size_t(info.height - 1 - y) * rowBytes));
}

void load(ImageTGA& info, const uint8_t* data, size_t size) {
    if (size < kHeaderSize) {
        info.status = kTGAErrorReadingFile;
        return;
    }
    info.type = data[2];
    info.width = int(le16(data + 12));
    info.height = int(le16(data + 14));
    info.pixelDepth = data[16];
    uint8_t descriptor = data[17];

    if (info.type == 1) {
        info.status = kTGAErrorIndexedColor;
        return;
    }
    if (info.type != 2 && info.type != 3 && info.type != 10) {
        info.status = kTGAErrorUnsupportedType;
        return;
    }
    if (info.pixelDepth != 8 && info.pixelDepth != 16 && info.pixelDepth != 24 &&
        info.pixelDepth != 32) {
        info.status = kTGAErrorUnsupportedType;
        return;
    }
    if (info.width == 0 || info.height == 0) {
        info.status = kTGAErrorReadingFile;
        return;
    }
    size_t bpp = info.pixelDepth / 8;
    size_t pixels = size_t(info.width) * size_t(info.height);
    size_t bytes = pixels * bpp;
    const uint8_t* p = data + kHeaderSize;
    const uint8_t* end = data + size;
    size_t available = size - kHeaderSize;
    // The data must be able to describe every pixel: raw pixels one by one,
    // run-length packets at most 128 pixels each.
    size_t needed = info.type == 10 ? (pixels + 127) / 128 * (1 + bpp) : bytes;
    if (available < needed) {
        info.status = kTGAErrorReadingFile;
        return;
    }
    if (bytes > kMaxImageBytes) {
        info.status = kTGAErrorMemory;
        return;
    }
    try {
        info.imageData.resize(bytes);
    } catch (const std::bad_alloc&) {
        info.status = kTGAErrorMemory;
        return;
    }
    if (info.type == 10) {
        if (!readRLE(p, end, bpp, pixels, info.imageData.data())) {
            info.imageData.clear();
            info.status = kTGAErrorReadingFile;
            return;
        }
    } else {
        std::copy(p, p + bytes, info.imageData.begin());
    }
    if (bpp >= 3)
        for (size_t i = 0; i < bytes; i += bpp)
            std::swap(info.imageData[i], info.imageData[i + 2]);
    if (descriptor & 0x20) {
        info.flipped = true;
        flipRows(info, size_t(info.width) * bpp);
    }
    info.status = kTGAOk;
}

} // namespace

ImageTGA* tgaLoadFromMemory(const uint8_t* data, size_t size) {
    auto* info = new ImageTGA;
    load(*info, data, data ? size : 0);
    return info;
}

ImageTGA* tgaLoad(const char* fileName) {
    auto* info = new ImageTGA;
    FILE* file = fileName ? std::fopen(fileName, "rb") : nullptr;
    if (!file) {
        info->status = kTGAErrorFileOpen;
        return info;
    }
    std::vector<uint8_t> bytes;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    if (size < 0 || size > kMaxFileBytes || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        info->status = kTGAErrorReadingFile;
        return info;
    }
    bytes.resize(size_t(size));
    bool ok = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    std::fclose(file);
    if (!ok) {
        info->status = kTGAErrorReadingFile;
        return info;
    }
    load(*info, bytes.data(), bytes.size());
    return info;
}

void tgaDestroy(ImageTGA* info) {
    delete info;
}

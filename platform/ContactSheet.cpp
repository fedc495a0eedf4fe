#include "platform/ContactSheet.h"

#include "platform/TextRenderer.h"

#include <algorithm>

namespace platform {

namespace {
constexpr uint8_t kPage = 40, kCaption = 230;
constexpr float kCaptionFont = 14;
} // namespace

void ContactSheet::add(const Image& picture, std::string caption) {
    items_.push_back({picture, std::move(caption)});
}

Image ContactSheet::compose() const {
    Image page;
    if (items_.empty()) return page;
    const int columns = std::max(1, std::min(columns_, int(items_.size())));
    const int rows = int((items_.size() + size_t(columns) - 1) / size_t(columns));
    const int cellW = cellSize_ + kGap, cellH = cellSize_ + kCaptionHeight + kGap;
    page.width = columns * cellW + kGap;
    page.height = rows * cellH + kGap;
    page.rgba.assign(size_t(page.width) * size_t(page.height) * 4, kPage);
    for (size_t i = 3; i < page.rgba.size(); i += 4)
        page.rgba[i] = 255;

    std::vector<uint8_t> coverage(size_t(cellSize_) * kCaptionHeight);
    for (size_t n = 0; n < items_.size(); ++n) {
        const Image& from = items_[n].picture;
        const int left = kGap + int(n % size_t(columns)) * cellW;
        const int top = kGap + int(n / size_t(columns)) * cellH;
        if (from.width > 0 && from.height > 0) {
            // Nearest-sample scaling to fit the cell, centred.
            const float scale = std::min(float(cellSize_) / float(from.width),
                                         float(cellSize_) / float(from.height));
            const int w = std::max(1, int(float(from.width) * scale));
            const int h = std::max(1, int(float(from.height) * scale));
            const int x0 = left + (cellSize_ - w) / 2, y0 = top + (cellSize_ - h) / 2;
            for (int y = 0; y < h; ++y) {
                const int sy = std::min(from.height - 1, int(float(y) / scale));
                for (int x = 0; x < w; ++x) {
                    const int sx = std::min(from.width - 1, int(float(x) / scale));
                    const uint8_t* s =
                        &from.rgba[(size_t(sy) * size_t(from.width) + size_t(sx)) * 4];
                    uint8_t* d =
                        &page.rgba[(size_t(y0 + y) * size_t(page.width) + size_t(x0 + x)) * 4];
                    std::copy(s, s + 3, d);
                }
            }
        }
        std::fill(coverage.begin(), coverage.end(), 0);
        drawText(items_[n].caption, "Helvetica", kCaptionFont,
                 Size(float(cellSize_), float(kCaptionHeight)), TextAlignment::Center,
                 coverage.data(), cellSize_, kCaptionHeight);
        for (int y = 0; y < kCaptionHeight; ++y)
            for (int x = 0; x < cellSize_; ++x) {
                const int c = coverage[size_t(y) * size_t(cellSize_) + size_t(x)];
                uint8_t* d = &page.rgba[(size_t(top + cellSize_ + y) * size_t(page.width) +
                                         size_t(left + x)) *
                                        4];
                for (int k = 0; k < 3; ++k)
                    d[k] = uint8_t((kCaption * c + d[k] * (255 - c)) / 255);
            }
    }
    return page;
}

bool ContactSheet::write(const std::string& path) const {
    Image page = compose();
    return !page.rgba.empty() && writePng(path, page);
}

} // namespace platform

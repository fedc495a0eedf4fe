#pragma once

#include "platform/Window.h"

#include <string>
#include <vector>

namespace platform {

// Pictures laid out on one dark page, each scaled into a cell of the same
// size (upright, keeping its shape) with its caption underneath.
class ContactSheet {
public:
    ContactSheet(int columns, int cellSize) : columns_(columns), cellSize_(cellSize) {}

    void add(const Image& picture, std::string caption);
    size_t size() const { return items_.size(); }
    Image compose() const;
    // Composes and writes a PNG file; false when it could not.
    bool write(const std::string& path) const;

    static constexpr int kCaptionHeight = 22;
    static constexpr int kGap = 8;

private:
    struct Item {
        Image picture;
        std::string caption;
    };
    int columns_, cellSize_;
    std::vector<Item> items_;
};

} // namespace platform

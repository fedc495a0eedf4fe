#pragma once

#include "render/AtlasNode.h"
#include "render/LabelProtocol.h"

#include <cstdint>
#include <string>

// A text drawn from a picture of equal character cells laid out in rows:
// byte b of the text shows cell (b - mapStartChar) mod 256, counted row by
// row from the top-left.
class LabelAtlas : public AtlasNode, public LabelProtocol {
public:
    // Null when the atlas cannot be allocated; a picture that cannot be
    // loaded gives a label that draws nothing.
    static Ref<LabelAtlas> labelAtlasWithString(const std::string& text,
                                                const std::string& charMapFile, int itemWidth,
                                                int itemHeight, uint8_t startCharMap);
    LabelAtlas() = default;

    void setString(const std::string& text) override;
    const std::string& string() const override { return string_; }
    uint8_t startCharMap() const { return mapStartChar; }

    void updateAtlasValues() override;
    void draw() override;

protected:
    bool initWithString(const std::string& text, const std::string& charMapFile, int itemWidth,
                        int itemHeight, uint8_t startCharMap);

    std::string string_;
    uint8_t mapStartChar = 0;
};

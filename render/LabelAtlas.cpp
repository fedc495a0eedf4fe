#include "render/LabelAtlas.h"

#include <algorithm>
#include <climits>

Ref<LabelAtlas> LabelAtlas::labelAtlasWithString(const std::string& text,
                                                 const std::string& charMapFile, int itemWidth,
                                                 int itemHeight, uint8_t startCharMap) {
    auto label = make<LabelAtlas>();
    if (!label->initWithString(text, charMapFile, itemWidth, itemHeight, startCharMap))
        return nullptr;
    return label;
}

bool LabelAtlas::initWithString(const std::string& text, const std::string& charMapFile,
                                int itemWidth, int itemHeight, uint8_t startCharMap) {
    auto capacity = unsigned(std::min<size_t>(text.size(), UINT_MAX));
    if (!initWithTileFile(charMapFile, itemWidth, itemHeight, capacity)) return false;
    mapStartChar = startCharMap;
    setString(text);
    return true;
}

void LabelAtlas::setString(const std::string& text) {
    string_ = text;
    updateAtlasValues();
    setContentSize(Size(float(text.size()) * float(itemWidth_), float(itemHeight_)));
}

void LabelAtlas::updateAtlasValues() {
    size_t n = string_.size();
    // A failed resize (logged) keeps the old capacity: only the characters
    // that fit are written.
    if (textureAtlas_->capacity() < n && n <= UINT_MAX) textureAtlas_->resizeCapacity(unsigned(n));
    n = std::min<size_t>(n, textureAtlas_->capacity());

    ccV3F_C4B_T2F_Quad quad{};
    const ccColor4B white{255, 255, 255, 255};
    quad.tl.colors = quad.bl.colors = quad.tr.colors = quad.br.colors = white;
    const auto w = float(itemWidth_), h = float(itemHeight_);
    for (size_t i = 0; i < n; ++i) {
        unsigned index = uint8_t(uint8_t(string_[i]) - mapStartChar);
        // A picture smaller than one cell has no grid: every cell is empty.
        unsigned row = itemsPerRow_ > 0 ? index / unsigned(itemsPerRow_) : 0;
        unsigned column = itemsPerRow_ > 0 ? index % unsigned(itemsPerRow_) : 0;
        float left = float(column) * texStepX_, right = left + texStepX_;
        float top = float(row) * texStepY_, bottom = top + texStepY_;
        const float x0 = float(i) * w, x1 = float(i + 1) * w;
        quad.tl.vertices = {x0, h, 0};
        quad.bl.vertices = {x0, 0, 0};
        quad.tr.vertices = {x1, h, 0};
        quad.br.vertices = {x1, 0, 0};
        quad.tl.texCoords = {left, top};
        quad.bl.texCoords = {left, bottom};
        quad.tr.texCoords = {right, top};
        quad.br.texCoords = {right, bottom};
        textureAtlas_->updateQuad(quad, unsigned(i));
    }
}

void LabelAtlas::draw() {
    drawQuads(unsigned(std::min<size_t>(string_.size(), textureAtlas_->capacity())));
}

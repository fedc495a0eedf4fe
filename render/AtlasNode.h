#pragma once

#include "engine/Node.h"
#include "engine/RGBAProtocol.h"
#include "render/Quad.h"
#include "render/TextureAtlas.h"

#include <string>

// The base of nodes that draw a grid of equal tiles cut from one picture
// through a whole TextureAtlas (character-map labels). Subclasses fill the
// quads in updateAtlasValues.
class AtlasNode : public Node, public RGBAProtocol {
public:
    // Null when the atlas cannot be allocated.
    static Ref<AtlasNode> atlasWithTileFile(const std::string& tile, int tileWidth, int tileHeight,
                                            unsigned itemsToRender);
    AtlasNode();

    // Every subclass provides it; the base raises.
    virtual void updateAtlasValues();

    Texture2D* texture() const { return textureAtlas_ ? textureAtlas_->texture() : nullptr; }
    void setTexture(Texture2D* texture);
    TextureAtlas* textureAtlas() const { return textureAtlas_.get(); }
    void setTextureAtlas(TextureAtlas* atlas) { textureAtlas_ = atlas; }

    uint8_t opacity() const override { return opacity_; }
    void setOpacity(uint8_t opacity) override;
    ccColor3B color() const override { return color_; }
    void setColor(ccColor3B color) override { color_ = color; }
    void setRGB(uint8_t r, uint8_t g, uint8_t b) { setColor(ccc3(r, g, b)); }
    ccBlendFunc blendFunc() const { return blendFunc_; }
    void setBlendFunc(ccBlendFunc blend) { blendFunc_ = blend; }
    bool doesOpacityModifyRGB() const { return opacityModifyRGB_; }
    void setOpacityModifyRGB(bool on) { opacityModifyRGB_ = on; }

    int itemsPerRow() const { return itemsPerRow_; }
    int itemsPerColumn() const { return itemsPerColumn_; }
    float texStepX() const { return texStepX_; }
    float texStepY() const { return texStepY_; }
    int itemWidth() const { return itemWidth_; }
    int itemHeight() const { return itemHeight_; }

    void draw() override;

protected:
    bool initWithTileFile(const std::string& tile, int tileWidth, int tileHeight,
                          unsigned itemsToRender);
    // Grid and texture steps from the texture's sizes.
    void calculateMaxItems();
    void calculateTexCoordsSteps();
    void updateBlendFunc();
    void updateOpacityModifyRGB();
    // The texture draw with the atlas's quads, `n` of them, tinted by the GL
    // colour.
    void drawQuads(unsigned n);

    Ref<TextureAtlas> textureAtlas_;
    int itemsPerRow_ = 0, itemsPerColumn_ = 0;
    float texStepX_ = 0, texStepY_ = 0;
    int itemWidth_ = 0, itemHeight_ = 0;
    ccBlendFunc blendFunc_ = kBlendPremultiplied;
    uint8_t opacity_ = 255;
    ccColor3B color_ = ccWHITE;
    bool opacityModifyRGB_ = false;
};

#include "render/AtlasNode.h"

#include "platform/GL.h"
#include "support/Error.h"

#include <cmath>

Ref<AtlasNode> AtlasNode::atlasWithTileFile(const std::string& tile, int tileWidth, int tileHeight,
                                            unsigned itemsToRender) {
    auto node = make<AtlasNode>();
    if (!node->initWithTileFile(tile, tileWidth, tileHeight, itemsToRender)) return nullptr;
    return node;
}

AtlasNode::AtlasNode() = default;

bool AtlasNode::initWithTileFile(const std::string& tile, int tileWidth, int tileHeight,
                                 unsigned itemsToRender) {
    // The grid divides the picture by the tile size.
    ccAssert(tileWidth > 0 && tileHeight > 0, "AtlasNode: tile sizes must be positive");
    itemWidth_ = tileWidth;
    itemHeight_ = tileHeight;
    opacity_ = 255;
    color_ = ccWHITE;
    opacityModifyRGB_ = false;
    blendFunc_ = kBlendPremultiplied;
    textureAtlas_ = TextureAtlas::textureAtlasWithFile(tile, itemsToRender);
    if (!textureAtlas_) return false;
    updateBlendFunc();
    updateOpacityModifyRGB();
    calculateMaxItems();
    calculateTexCoordsSteps();
    return true;
}

void AtlasNode::calculateMaxItems() {
    Texture2D* t = texture();
    Size s = t ? t->contentSize() : Size();
    itemsPerColumn_ = int(std::trunc(s.height / float(itemHeight_)));
    itemsPerRow_ = int(std::trunc(s.width / float(itemWidth_)));
}

void AtlasNode::calculateTexCoordsSteps() {
    Texture2D* t = texture();
    if (!t || t->pixelsWide() == 0 || t->pixelsHigh() == 0) {
        texStepX_ = texStepY_ = 0;
        return;
    }
    texStepX_ = float(itemWidth_) / float(t->pixelsWide());
    texStepY_ = float(itemHeight_) / float(t->pixelsHigh());
}

void AtlasNode::updateAtlasValues() {
    ccRaise("AtlasNode:Abstract", "updateAtlasValue not overriden");
}

void AtlasNode::updateBlendFunc() {
    Texture2D* t = texture();
    blendFunc_ = t && !t->hasPremultipliedAlpha() ? kBlendStraightAlpha : kBlendPremultiplied;
}

void AtlasNode::updateOpacityModifyRGB() {
    Texture2D* t = texture();
    opacityModifyRGB_ = t && t->hasPremultipliedAlpha();
}

void AtlasNode::setTexture(Texture2D* texture) {
    textureAtlas_->setTexture(texture);
    updateBlendFunc();
    updateOpacityModifyRGB();
}

void AtlasNode::setOpacity(uint8_t opacity) {
    opacity_ = opacity;
    if (opacityModifyRGB_) color_ = ccc3(opacity, opacity, opacity);
}

void AtlasNode::draw() {
    drawQuads(textureAtlas_ ? textureAtlas_->totalQuads() : 0);
}

void AtlasNode::drawQuads(unsigned n) {
    if (!textureAtlas_ || !texture()) return;
    platform::GLState& gl = platform::GLState::current();
    gl.setArrays(platform::GLState::kVertexArray | platform::GLState::kTexCoordArray);
    gl.useTexture(texture()->name());
    gl.setColor(color_.r, color_.g, color_.b, opacity_);
    gl.setBlendFunc(blendFunc_.src, blendFunc_.dst);
    textureAtlas_->drawNumberOfQuads(n);
}

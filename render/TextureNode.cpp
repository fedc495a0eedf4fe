#include "render/TextureNode.h"

#include "platform/GL.h"

TextureNode::TextureNode() {
    setAnchorPoint(Point(0.5f, 0.5f));
}

void TextureNode::setTexture(Texture2D* texture) {
    texture_ = texture;
    setContentSize(texture ? texture->contentSize() : Size());
    bool premultiplied = texture && texture->hasPremultipliedAlpha();
    if (texture && !premultiplied) blendFunc_ = kBlendStraightAlpha;
    opacityModifyRGB_ = premultiplied;
}

void TextureNode::setOpacity(uint8_t opacity) {
    opacity_ = opacity;
    if (opacityModifyRGB_) color_ = ccc3(opacity, opacity, opacity);
}

void TextureNode::draw() {
    if (!texture_) return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnable(GL_TEXTURE_2D);
    glColor4ub(color_.r, color_.g, color_.b, opacity_);
    bool newBlend = blendFunc_ != kBlendPremultiplied;
    if (newBlend) glBlendFunc(blendFunc_.src, blendFunc_.dst);
    texture_->drawAtPoint(Point(0, 0));
    if (newBlend) glBlendFunc(kBlendPremultiplied.src, kBlendPremultiplied.dst);
    glColor4ub(255, 255, 255, 255);
    glDisable(GL_TEXTURE_2D);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

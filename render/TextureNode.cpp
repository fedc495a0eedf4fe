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
    platform::GLState& gl = platform::GLState::current();
    gl.setArrays(platform::GLState::kVertexArray | platform::GLState::kTexCoordArray);
    gl.useTexture(texture_->name());
    gl.setColor(color_.r, color_.g, color_.b, opacity_);
    gl.setBlendFunc(blendFunc_.src, blendFunc_.dst);
    texture_->drawAtPoint(Point(0, 0));
}

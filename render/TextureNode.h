#pragma once

#include "engine/Node.h"
#include "engine/RGBAProtocol.h"
#include "render/Quad.h"
#include "render/Texture2D.h"
#include "support/Types.h"

// A node that draws one whole texture, tinted by its colour and opacity,
// with the picture's bottom-left corner at the node's origin.
class TextureNode : public Node, public RGBAProtocol {
public:
    TextureNode();

    Texture2D* texture() const { return texture_.get(); }
    // The content size becomes the texture's; a texture without
    // premultiplied alpha switches to straight-alpha blending.
    virtual void setTexture(Texture2D* texture);

    uint8_t opacity() const override { return opacity_; }
    // With opacityModifyRGB the colour becomes (opacity, opacity, opacity):
    // premultiplied pictures fade by darkening.
    void setOpacity(uint8_t opacity) override;
    ccColor3B color() const override { return color_; }
    void setColor(ccColor3B color) override { color_ = color; }
    void setRGB(uint8_t r, uint8_t g, uint8_t b) { setColor(ccc3(r, g, b)); }
    ccBlendFunc blendFunc() const { return blendFunc_; }
    void setBlendFunc(ccBlendFunc blend) { blendFunc_ = blend; }
    bool doesOpacityModifyRGB() const { return opacityModifyRGB_; }
    void setOpacityModifyRGB(bool on) { opacityModifyRGB_ = on; }

    void draw() override;

protected:
    Ref<Texture2D> texture_;
    ccBlendFunc blendFunc_ = kBlendPremultiplied;
    uint8_t opacity_ = 255;
    ccColor3B color_ = ccWHITE;
    bool opacityModifyRGB_ = false;
};

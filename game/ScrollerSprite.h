#pragma once

#include "render/Sprite.h"

#include <string>

// A sprite that draws its texture shifted vertically by texOffset / 512 of
// its height: a repeating texture scrolls as texOffset grows.
class ScrollerSprite : public Sprite {
public:
    static Ref<ScrollerSprite> spriteWithFile(const std::string& fileName);
    explicit ScrollerSprite(Texture2D* texture);

    float texOffset() const { return texOffset_; }
    void setTexOffset(float offset) { texOffset_ = offset; }

    void draw() override;

private:
    float texOffset_ = 0;
};

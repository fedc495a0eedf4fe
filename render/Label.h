#pragma once

#include "render/LabelProtocol.h"
#include "render/Texture2D.h"
#include "render/TextureNode.h"

#include <string>

// A text drawn with a system font into a texture of its own, made anew each
// time the text changes and never shared through the texture cache.
class Label : public TextureNode, public LabelProtocol {
public:
    // Sized to fit the text.
    static Ref<Label> labelWithString(const std::string& text, const std::string& fontName,
                                      float fontSize);
    // Set in a box of `dimensions` points with the given alignment.
    static Ref<Label> labelWithString(const std::string& text, Size dimensions,
                                      TextAlignment alignment, const std::string& fontName,
                                      float fontSize);
    Label(const std::string& text, const std::string& fontName, float fontSize);
    Label(const std::string& text, Size dimensions, TextAlignment alignment,
          const std::string& fontName, float fontSize);
    // A label needs its text and font: the plain creation is refused.
    Label();

    // A text the texture cannot hold (larger than the biggest texture) leaves
    // the label without a texture and of size zero.
    void setString(const std::string& text) override;
    const std::string& string() const override { return string_; }

    Size dimensions() const { return _dimensions; }
    TextAlignment alignment() const { return _alignment; }
    const std::string& fontName() const { return _fontName; }
    float fontSize() const { return _fontSize; }

protected:
    Size _dimensions;
    TextAlignment _alignment = kTextAlignmentCenter;
    std::string _fontName;
    float _fontSize = 0;
    std::string string_;
};

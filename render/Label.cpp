#include "render/Label.h"

#include "support/Error.h"

Ref<Label> Label::labelWithString(const std::string& text, const std::string& fontName,
                                  float fontSize) {
    return make<Label>(text, fontName, fontSize);
}

Ref<Label> Label::labelWithString(const std::string& text, Size dimensions, TextAlignment alignment,
                                  const std::string& fontName, float fontSize) {
    return make<Label>(text, dimensions, alignment, fontName, fontSize);
}

Label::Label(const std::string& text, const std::string& fontName, float fontSize)
    : Label(text, Size(), kTextAlignmentCenter, fontName, fontSize) {}

Label::Label(const std::string& text, Size dimensions, TextAlignment alignment,
             const std::string& fontName, float fontSize)
    : _dimensions(dimensions), _alignment(alignment), _fontName(fontName), _fontSize(fontSize) {
    setString(text);
}

Label::Label() {
    ccRaise("LabelInit", "Use initWithString:dimensions:aligment:fontName:font instead");
}

void Label::setString(const std::string& text) {
    string_ = text;
    Ref<Texture2D> texture =
        _dimensions.width == 0 && _dimensions.height == 0
            ? Texture2D::textureWithString(text, _fontName, _fontSize)
            : Texture2D::textureWithString(text, _dimensions, _alignment, _fontName, _fontSize);
    setTexture(texture.get());
}

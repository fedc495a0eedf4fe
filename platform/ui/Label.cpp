#include "platform/ui/Label.h"

#include <algorithm>

namespace platform {

Label::Label(Rect frame, std::string text) : View(frame), text_(std::move(text)) {
    style_.maxLines = 1;
    // Text is looked at, not touched: touches go to what holds it.
    setUserInteractionEnabled(false);
}

void Label::setText(std::string text) {
    if (text == text_) return;
    text_ = std::move(text);
    setNeedsDisplay();
}

void Label::setFont(Font font) {
    if (font == style_.font) return;
    style_.font = std::move(font);
    setNeedsDisplay();
}

void Label::setTextColor(ccColor4F color) {
    if (color == style_.color) return;
    style_.color = color;
    setNeedsDisplay();
}

void Label::setTextAlignment(TextAlignment alignment) {
    if (alignment == style_.alignment) return;
    style_.alignment = alignment;
    setNeedsDisplay();
}

void Label::setNumberOfLines(int lines) {
    lines = std::max(0, lines);
    if (lines == style_.maxLines) return;
    style_.maxLines = lines;
    setNeedsDisplay();
}

void Label::setShadowColor(ccColor4F color) {
    shadow_ = color;
    setNeedsDisplay();
}

Size Label::textSize() const {
    return measureText(text_, style_, bounds().size.width);
}

void Label::draw(GraphicsContext& g) {
    Rect r = bounds();
    if (shadow_.a > 0) {
        TextStyle s = style_;
        s.color = shadow_;
        g.drawText(text_, Rect(r.origin.x, r.origin.y + 1, r.size.width, r.size.height), s, true);
    }
    g.drawText(text_, r, style_, true);
}

} // namespace platform

#pragma once

#include "platform/View.h"
#include "platform/ui/Graphics.h"

#include <string>

namespace platform {

// Text in a view: one font, colour and alignment; wrapped over
// `numberOfLines` lines (0: as many as fit), vertically centred, and cut
// with an ellipsis when it does not fit.
class Label : public View {
public:
    explicit Label(Rect frame = Rect(), std::string text = {});

    const std::string& text() const { return text_; }
    void setText(std::string text);
    const Font& font() const { return style_.font; }
    void setFont(Font font);
    ccColor4F textColor() const { return style_.color; }
    void setTextColor(ccColor4F color);
    TextAlignment textAlignment() const { return style_.alignment; }
    void setTextAlignment(TextAlignment alignment);
    int numberOfLines() const { return style_.maxLines; }
    void setNumberOfLines(int lines);
    // A dark copy of the text one point below it (bar and button titles).
    void setShadowColor(ccColor4F color);

    // The size the text needs at this label's width.
    Size textSize() const;

    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& g) override;

private:
    std::string text_;
    TextStyle style_;
    ccColor4F shadow_{};
};

} // namespace platform

#pragma once

#include "platform/ui/Label.h"

#include <string>

namespace platform {

// Read-only text that may be taller than the view: wrapped to the view's
// width and, when it does not fit, scrolled by a drag, the mouse wheel or
// scrollBy, with a thin bar at the right edge showing where the view is in
// the text. Text beyond kMaxContentHeight points is cut with an ellipsis
// (one texture holds it all).
class TextView : public View {
public:
    static constexpr float kMaxContentHeight = 2000;

    explicit TextView(Rect frame = Rect(), std::string text = {});

    const std::string& text() const { return label_->text(); }
    void setText(std::string text);
    void setFont(Font font);
    void setTextColor(ccColor4F color) { label_->setTextColor(color); }
    void setTextAlignment(TextAlignment alignment) { label_->setTextAlignment(alignment); }
    const Font& font() const { return label_->font(); }

    // The height of the whole text at the view's width (capped as above).
    float contentHeight() const { return contentHeight_; }
    bool scrolls() const { return contentHeight_ > bounds().size.height; }
    float contentOffset() const { return offset_; }
    // Clamped to the text; NaN counts as 0.
    void setContentOffset(float offset);
    void scrollBy(float dy) { setContentOffset(offset_ + dy); }

    void setFrame(Rect frame) override;
    View* hitTest(Point point) override;
    bool scrollWheel(float dx, float dy) override;
    void touchesBegan(const TouchSet& touches, Event* event) override;
    void touchesMoved(const TouchSet& touches, Event* event) override;
    void touchesEnded(const TouchSet& touches, Event* event) override;
    void touchesCancelled(const TouchSet& touches, Event* event) override;

private:
    void relayout();
    void place();

    Ref<Label> label_;
    Ref<View> bar_;
    float contentHeight_ = 0, offset_ = 0;
    Ref<Touch> touch_;
    float touchY_ = 0, offsetAtTouch_ = 0;
};

} // namespace platform

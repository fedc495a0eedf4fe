#pragma once

#include "platform/ui/Control.h"
#include "platform/ui/Graphics.h"

#include <string>
#include <vector>

namespace platform {

enum class SegmentedControlStyle { Plain, Bordered, Bar };

// A row of segments of which one (or none) is selected. A tap on another
// segment selects it and reports ValueChanged once.
class SegmentedControl : public Control {
public:
    static constexpr int kNoSegment = -1;

    SegmentedControl(Rect frame, std::vector<std::string> titles);

    int numberOfSegments() const { return int(titles_.size()); }
    void insertSegmentWithTitle(const std::string& title, int index);
    void removeAllSegments();
    std::string titleForSegmentAtIndex(int index) const;
    void setTitle(const std::string& title, int index);
    void setEnabled(bool enabled, int segment);
    bool isEnabledForSegmentAtIndex(int segment) const;

    int selectedSegmentIndex() const { return selected_; }
    // Selects without reporting (kNoSegment for none; other values are
    // ignored).
    void setSelectedSegmentIndex(int index);

    SegmentedControlStyle segmentedControlStyle() const { return style_; }
    void setSegmentedControlStyle(SegmentedControlStyle style);

    // The segment under `p` (own coordinates), or kNoSegment.
    int segmentAt(Point p) const;

    // The arrows select the enabled segment to the left or right; Return
    // and Space the next one, round to the first. Reported as a tap is.
    bool pressKey(const std::string& key) override;

    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& g) override;

protected:
    bool beginTracking(Touch* touch) override;
    void endTracking(Touch* touch, bool inside) override;

private:
    std::vector<std::string> titles_;
    std::vector<bool> enabled_;
    int selected_ = kNoSegment;
    int pressed_ = kNoSegment;
    SegmentedControlStyle style_ = SegmentedControlStyle::Bordered;
};

} // namespace platform

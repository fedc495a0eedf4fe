#pragma once

#include "platform/ui/Button.h"
#include "support/Selector.h"

#include <string>
#include <vector>

namespace platform {

enum class BarStyle { Default, Black, BlackTranslucent };
enum class BarButtonItemStyle { Plain, Bordered, Done };

// An entry of a toolbar: a titled button, or room between buttons.
class BarButtonItem : public Object {
public:
    BarButtonItem(std::string title, BarButtonItemStyle style, Selector<void()> action);
    // Room that the toolbar shares out among its flexible spaces.
    static Ref<BarButtonItem> flexibleSpace();
    static Ref<BarButtonItem> fixedSpace(float width);

    const std::string& title() const { return title_; }
    BarButtonItemStyle style() const { return style_; }
    bool isSpace() const { return space_; }
    bool isFlexible() const { return flexible_; }
    // The item's width; 0 sizes it to its title.
    float width() const { return width_; }
    void setWidth(float width) { width_ = width; }
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

    // The button that shows the item once it is in a toolbar.
    Button* button() const { return button_.get(); }

private:
    friend class Toolbar;
    BarButtonItem() = default;

    std::string title_;
    BarButtonItemStyle style_ = BarButtonItemStyle::Plain;
    Selector<void()> action_;
    Ref<Button> button_;
    float width_ = 0;
    int tag_ = 0;
    bool space_ = false;
    bool flexible_ = false;
    bool enabled_ = true;
};

// A bar of buttons, laid out from the left with flexible spaces sharing
// the rest of the width.
class Toolbar : public View {
public:
    static constexpr float kHeight = 44;

    explicit Toolbar(Rect frame);

    const std::vector<Ref<BarButtonItem>>& items() const { return items_; }
    void setItems(std::vector<Ref<BarButtonItem>> items, bool animated = false);
    BarStyle barStyle() const { return barStyle_; }
    void setBarStyle(BarStyle style);

    void layoutSubviews() override;
    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& g) override;

private:
    std::vector<Ref<BarButtonItem>> items_;
    BarStyle barStyle_ = BarStyle::Default;
};

} // namespace platform

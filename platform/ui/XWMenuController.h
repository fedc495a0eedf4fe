#pragma once

#include "platform/View.h"
#include "support/Selector.h"

#include <string>
#include <vector>

namespace platform {

// An entry of the pop-up menu.
struct MenuItem {
    std::string title;
    Selector<void()> action;
};

// The pop-up bubble menu: a dark bubble of items pointing at a rectangle of
// a view, above it when there is room, else below. Choosing an item hides
// the menu and runs the item; a touch anywhere else hides it and goes on to
// what it touched. One menu for the whole program.
class XWMenuController {
public:
    static XWMenuController& sharedMenuController();

    const std::vector<MenuItem>& menuItems() const { return items_; }
    void setMenuItems(std::vector<MenuItem> items);
    // Where the bubble points: `rect` in `view`'s coordinates. The view is
    // held until the menu is hidden.
    void setTargetRect(Rect rect, View* view);
    bool isMenuVisible() const { return visible_; }
    // Shows the menu (when it has items and a target in a window) or hides it.
    void setMenuVisible(bool visible, bool animated);

    // The bubble while it is shown (tests).
    View* menuView() const;

    static constexpr double kFadeDuration = 0.15;

private:
    XWMenuController() = default;
    void build();

    std::vector<MenuItem> items_;
    Rect target_;
    Ref<View> targetView_;
    Ref<View> bubble_, catcher_;
    bool visible_ = false;
};

} // namespace platform

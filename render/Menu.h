#pragma once

#include "engine/Layer.h"
#include "engine/RGBAProtocol.h"
#include "platform/Keyboard.h"
#include "render/MenuItem.h"
#include "support/Types.h"

#include <climits>
#include <cstdint>
#include <vector>

enum tMenuState { kMenuStateWaiting = 0, kMenuStateTrackingTouch = 1 };

// Menus see touches before ordinary handlers.
inline constexpr int kMenuTouchPriority = INT_MIN + 1;

// A layer of menu items. A touch that begins on an item is tracked (and
// hidden from other handlers); the item under the finger is selected, and
// the one under it when the finger lifts is activated. One touch at a time.
// While it runs and shows, Up and Down move a highlight (the item's selected
// look) through the enabled items and Enter activates the highlighted one.
class Menu : public Layer, public RGBAProtocol, public platform::KeyResponder {
public:
    // The items are added in order, with z equal to their index; the list
    // ends at the first absent item.
    static Ref<Menu> menuWithItems(std::vector<Ref<MenuItem>> items);
    explicit Menu(std::vector<Ref<MenuItem>> items);
    // A menu is made with its items: the plain creation is refused.
    Menu();

    // Only menu items.
    using Node::addChild;
    Node* addChild(Node* child, int z, int tag) override;
    void removeChild(Node* child, bool cleanup) override;
    void removeAllChildrenWithCleanup(bool cleanup) override;

    void registerWithTouchDispatcher() override;
    void onEnter() override;
    void onExit() override;
    bool ccTouchBegan(Touch* touch, Event* event) override;
    void ccTouchMoved(Touch* touch, Event* event) override;
    void ccTouchEnded(Touch* touch, Event* event) override;
    void ccTouchCancelled(Touch* touch, Event* event) override;
    bool keyDown(const std::string& key) override;

    // Items centred on the menu's position, the first on top (left).
    void alignItemsVertically();
    void alignItemsVerticallyWithPadding(float padding);
    void alignItemsHorizontally();
    void alignItemsHorizontallyWithPadding(float padding);
    // A grid of columns (rows), holding the given numbers of items in turn:
    // items 5 points apart within a column (row), columns (rows) 10 apart.
    void alignItemsInRows(const std::vector<unsigned>& rowsPerColumn);
    void alignItemsInColumns(const std::vector<unsigned>& columnsPerRow);

    ccColor3B color() const override { return color_; }
    void setColor(ccColor3B color) override;
    void setRGB(uint8_t r, uint8_t g, uint8_t b) { setColor(ccc3(r, g, b)); }
    uint8_t opacity() const override { return opacity_; }
    void setOpacity(uint8_t opacity) override;

    int state() const { return state_; }
    MenuItem* selectedItem() const { return selectedItem_; }

protected:
    MenuItem* itemForTouch(Touch* touch);
    MenuItem* itemAt(size_t i) const { return static_cast<MenuItem*>(children_[i].get()); }
    // Moves the key highlight to the next usable item in `step` direction.
    void moveHighlight(int step);
    // Drops the key highlight, if there is one.
    void dropHighlight();
    // Items of the lines given, along `across` (true: columns side by side).
    void alignItemsInLines(const std::vector<unsigned>& counts, bool columns);

    int state_ = kMenuStateWaiting;
    // Not held: it is one of the children, and is forgotten when removed.
    MenuItem* selectedItem_ = nullptr;
    // The selected item was chosen with the keys.
    bool highlighted_ = false;
    uint8_t opacity_ = 255;
    ccColor3B color_ = ccWHITE;
};

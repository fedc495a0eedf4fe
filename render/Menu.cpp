#include "render/Menu.h"

#include "engine/Director.h"
#include "engine/TouchDispatcher.h"
#include "platform/System.h"
#include "support/Error.h"

#include <algorithm>

namespace {
constexpr float kDefaultPadding = 5;
// Between the items of one grid line, and between the lines.
constexpr float kGridItemPadding = 5;
constexpr float kGridLinePadding = 10;
} // namespace

Ref<Menu> Menu::menuWithItems(std::vector<Ref<MenuItem>> items) {
    return make<Menu>(std::move(items));
}

Menu::Menu(std::vector<Ref<MenuItem>> items) {
    setIsTouchEnabled(true);
    Director& director = Director::sharedDirector();
    Size s = director.winSize();
    setRelativeAnchorPoint(false);
    setAnchorPoint(Point(0.5f, 0.5f));
    setContentSize(s);
    // The status bar takes its thickness from the top of the screen.
    Rect bar = platform::StatusBar::frame();
    int orientation = director.deviceOrientation();
    float thickness = orientation == CCDeviceOrientationLandscapeLeft ||
                              orientation == CCDeviceOrientationLandscapeRight
                          ? bar.size.width
                          : bar.size.height;
    setPosition(Point(s.width / 2, (s.height - thickness) / 2));
    int z = 0;
    for (auto& item : items) {
        if (!item) break;
        addChild(item.get(), z++);
    }
    state_ = kMenuStateWaiting;
    selectedItem_ = nullptr;
}

Menu::Menu() {
    ccRaise("MenuInit", "Use initWithItems instead");
}

Node* Menu::addChild(Node* child, int z, int tag) {
    ccAssert(dynamic_cast<MenuItem*>(child) != nullptr,
             "Menu only supports MenuItem objects as children");
    return Layer::addChild(child, z, tag);
}

void Menu::removeChild(Node* child, bool cleanup) {
    if (child && child == selectedItem_) selectedItem_ = nullptr;
    Layer::removeChild(child, cleanup);
}

void Menu::removeAllChildrenWithCleanup(bool cleanup) {
    selectedItem_ = nullptr;
    Layer::removeAllChildrenWithCleanup(cleanup);
}

// --- touches ---

void Menu::registerWithTouchDispatcher() {
    TouchDispatcher::sharedDispatcher().addTargetedDelegate(this, kMenuTouchPriority, true);
}

void Menu::onEnter() {
    Layer::onEnter();
    platform::Keyboard::shared().addResponder(this);
}

void Menu::onExit() {
    platform::Keyboard::shared().removeResponder(this);
    // A touch being tracked ends with the menu's time on screen: otherwise a
    // menu shown again would refuse every touch. A key highlight ends too.
    dropHighlight();
    if (state_ == kMenuStateTrackingTouch) {
        if (selectedItem_) selectedItem_->unselected();
        selectedItem_ = nullptr;
        state_ = kMenuStateWaiting;
    }
    Layer::onExit();
}

void Menu::dropHighlight() {
    if (!highlighted_) return;
    if (selectedItem_) selectedItem_->unselected();
    selectedItem_ = nullptr;
    highlighted_ = false;
}

MenuItem* Menu::itemForTouch(Touch* touch) {
    Point location = Director::sharedDirector().convertToGL(touch->locationInView(touch->view()));
    for (size_t i = 0; i < children_.size(); ++i) {
        MenuItem* item = itemAt(i);
        Point local = item->convertToNodeSpace(location);
        Rect r = item->rect();
        r.origin = Point(0, 0);
        if (r.contains(local)) return item;
    }
    return nullptr;
}

bool Menu::ccTouchBegan(Touch* touch, Event*) {
    if (state_ != kMenuStateWaiting) return false;
    // A touch takes over from the keys.
    dropHighlight();
    selectedItem_ = itemForTouch(touch);
    if (!selectedItem_) return false;
    selectedItem_->selected();
    state_ = kMenuStateTrackingTouch;
    return true;
}

void Menu::ccTouchMoved(Touch* touch, Event*) {
    ccAssert(state_ == kMenuStateTrackingTouch, "[Menu ccTouchMoved] -- invalid state");
    MenuItem* current = itemForTouch(touch);
    if (current == selectedItem_) return;
    if (selectedItem_) selectedItem_->unselected();
    selectedItem_ = current;
    if (selectedItem_) selectedItem_->selected();
}

void Menu::ccTouchEnded(Touch*, Event*) {
    ccAssert(state_ == kMenuStateTrackingTouch, "[Menu ccTouchEnded] -- invalid state");
    state_ = kMenuStateWaiting;
    if (Ref<MenuItem> item = selectedItem_) {
        item->unselected();
        item->activate();
    }
}

void Menu::ccTouchCancelled(Touch*, Event*) {
    ccAssert(state_ == kMenuStateTrackingTouch, "[Menu ccTouchCancelled] -- invalid state");
    state_ = kMenuStateWaiting;
    if (selectedItem_) selectedItem_->unselected();
}

// --- keys ---

bool Menu::keyDown(const std::string& key) {
    if (state_ != kMenuStateWaiting) return false;
    for (Node* n = this; n; n = n->parent())
        if (!n->visible()) return false;
    if (key == "up" || key == "down") {
        moveHighlight(key == "down" ? 1 : -1);
        return true;
    }
    if (key == "return" && highlighted_ && selectedItem_) {
        Ref<MenuItem> item = selectedItem_;
        dropHighlight();
        item->activate();
        return true;
    }
    return false;
}

void Menu::moveHighlight(int step) {
    const int n = int(children_.size());
    if (n == 0) return;
    MenuItem* current = highlighted_ ? selectedItem_ : nullptr;
    int from = -1;
    for (int i = 0; i < n; ++i)
        if (itemAt(size_t(i)) == current) from = i;
    // Without a highlight, Down starts at the top and Up at the bottom.
    if (from < 0) from = step > 0 ? -1 : n;
    for (int k = 1; k <= n; ++k) {
        int i = ((from + step * k) % n + n) % n;
        MenuItem* item = itemAt(size_t(i));
        if (!item->isEnabled() || !item->visible()) continue;
        if (item == current) return;
        dropHighlight();
        selectedItem_ = item;
        highlighted_ = true;
        item->selected();
        return;
    }
}

// --- alignment ---

void Menu::alignItemsVertically() {
    alignItemsVerticallyWithPadding(kDefaultPadding);
}

void Menu::alignItemsVerticallyWithPadding(float padding) {
    float height = -padding;
    for (auto& child : children_)
        height += child->contentSize().height * child->scaleY() + padding;
    float y = height / 2;
    for (auto& child : children_) {
        float h = child->contentSize().height * child->scaleY();
        child->setPosition(Point(0, y - h / 2));
        y -= h + padding;
    }
}

void Menu::alignItemsHorizontally() {
    alignItemsHorizontallyWithPadding(kDefaultPadding);
}

void Menu::alignItemsHorizontallyWithPadding(float padding) {
    float width = -padding;
    for (auto& child : children_)
        width += child->contentSize().width * child->scaleX() + padding;
    float x = -width / 2;
    for (auto& child : children_) {
        float w = child->contentSize().width * child->scaleX();
        child->setPosition(Point(x + w / 2, 0));
        x += w + padding;
    }
}

void Menu::alignItemsInRows(const std::vector<unsigned>& rowsPerColumn) {
    alignItemsInLines(rowsPerColumn, true);
}

void Menu::alignItemsInColumns(const std::vector<unsigned>& columnsPerRow) {
    alignItemsInLines(columnsPerRow, false);
}

void Menu::alignItemsInLines(const std::vector<unsigned>& counts, bool columns) {
    for (unsigned count : counts)
        ccAssert(count > 0,
                 columns ? "Can't have zero rows on a column" : "Can't have zero columns on a row");
    uint64_t capacity = 0;
    for (unsigned count : counts)
        capacity += count;
    ccAssert(children_.size() <= capacity, "Too many menu items for the amount of rows/columns.");
    ccAssert(children_.size() == capacity, "Too many rows/columns for available menu items.");

    // Extent of an item along a line, and across it.
    auto along = [columns](const Node* n) {
        return columns ? n->contentSize().height * n->scaleY()
                       : n->contentSize().width * n->scaleX();
    };
    auto across = [columns](const Node* n) {
        return columns ? n->contentSize().width * n->scaleX()
                       : n->contentSize().height * n->scaleY();
    };

    std::vector<float> thickness(counts.size(), 0), length(counts.size(), 0);
    size_t next = 0;
    for (size_t line = 0; line < counts.size(); ++line) {
        length[line] = -kGridItemPadding;
        for (unsigned k = 0; k < counts[line]; ++k, ++next) {
            const Node* item = children_[next].get();
            thickness[line] = std::max(thickness[line], across(item));
            length[line] += along(item) + kGridItemPadding;
        }
    }
    float total = -kGridLinePadding;
    for (float t : thickness)
        total += t + kGridLinePadding;

    // Columns run left to right with their items top to bottom; rows run
    // top to bottom with their items left to right. Each line is centred on
    // the menu, each item centred across its line.
    float lineStart = -total / 2;
    next = 0;
    for (size_t line = 0; line < counts.size(); ++line) {
        float lineCentre = lineStart + thickness[line] / 2;
        float pos = -length[line] / 2;
        for (unsigned k = 0; k < counts[line]; ++k, ++next) {
            Node* item = children_[next].get();
            float a = along(item);
            float itemCentre = pos + a / 2;
            if (columns)
                item->setPosition(Point(lineCentre, -itemCentre));
            else
                item->setPosition(Point(itemCentre, -lineCentre));
            pos += a + kGridItemPadding;
        }
        lineStart += thickness[line] + kGridLinePadding;
    }
}

// --- colour ---

void Menu::setColor(ccColor3B color) {
    color_ = color;
    for (auto& child : children_)
        if (auto* rgba = dynamic_cast<RGBAProtocol*>(child.get())) rgba->setColor(color);
}

void Menu::setOpacity(uint8_t opacity) {
    opacity_ = opacity;
    for (auto& child : children_)
        if (auto* rgba = dynamic_cast<RGBAProtocol*>(child.get())) rgba->setOpacity(opacity);
}

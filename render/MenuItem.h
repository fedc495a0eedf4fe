#pragma once

#include "engine/Node.h"
#include "engine/RGBAProtocol.h"
#include "support/Selector.h"
#include "support/Types.h"

#include <cstdint>
#include <string>
#include <vector>

class AtlasSprite;

// The operation a menu item calls when activated, with the item as its
// argument.
using MenuSelector = Selector<void(Object*)>;

inline constexpr int kCurrentItem = 0xc0c05001;
inline constexpr int kZoomActionTag = 0xc0c05002;

// A node of a Menu with an operation to call on a target object when it is
// activated, an enabled flag and a hit rectangle.
class MenuItem : public Node {
public:
    static Ref<MenuItem> itemWithTarget(Object* target, MenuSelector selector);
    MenuItem(Object* target, MenuSelector selector);
    // An item is made with its target and operation: the plain creation is
    // refused.
    MenuItem();

    // Calls the operation with the item, when enabled and both were given.
    virtual void activate();
    virtual void selected() {}
    virtual void unselected() {}
    bool isEnabled() const { return isEnabled_; }
    virtual void setIsEnabled(bool enabled) { isEnabled_ = enabled; }
    // Where the item is in its parent's space.
    Rect rect() const;
    // Also lets the target go: a screen is usually the target of its own
    // menu's items, and would otherwise keep itself alive for ever.
    void cleanup() override;

    Object* target() const { return target_.get(); }

protected:
    // The invocation: held target and the operation to call on it.
    Ref<Object> target_;
    MenuSelector selector_;
    bool isEnabled_ = true;
};

// An item that shows a label (a node with text, colour and opacity: Label,
// BitmapFontAtlas or LabelAtlas). While selected it grows to 1.2 times its
// size; disabled it is drawn in the disabled colour.
class MenuItemLabel : public MenuItem, public RGBAProtocol {
public:
    static Ref<MenuItemLabel> itemWithLabel(Node* label, Object* target, MenuSelector selector);
    MenuItemLabel(Node* label, Object* target, MenuSelector selector);

    Node* label() const { return label_.get(); }
    // The label must offer text, colour and opacity.
    void setLabel(Node* label);
    // Changes the label's text; the item takes its new size.
    void setString(const std::string& text);

    void activate() override;
    void selected() override;
    void unselected() override;
    void setIsEnabled(bool enabled) override;

    ccColor3B disabledColor() const { return disabledColor_; }
    void setDisabledColor(ccColor3B color) { disabledColor_ = color; }

    ccColor3B color() const override;
    void setColor(ccColor3B color) override;
    void setRGB(uint8_t r, uint8_t g, uint8_t b) { setColor(ccc3(r, g, b)); }
    uint8_t opacity() const override;
    void setOpacity(uint8_t opacity) override;

    // The label draws in the item's space.
    void draw() override;

protected:
    RGBAProtocol* labelRGBA() const;

    Ref<Node> label_;
    ccColor3B colorBackup = ccWHITE;
    ccColor3B disabledColor_ = ccc3(126, 126, 126);
};

// A label item of a system-font Label, in the font name and size shared by
// all such items.
class MenuItemFont : public MenuItemLabel {
public:
    static void setFontSize(int size);
    static int fontSize();
    static void setFontName(const std::string& name);
    static std::string fontName();

    // An empty text fails an assertion.
    static Ref<MenuItemFont> itemFromString(const std::string& text);
    static Ref<MenuItemFont> itemFromString(const std::string& text, Object* target,
                                            MenuSelector selector);
    MenuItemFont(const std::string& text, Object* target, MenuSelector selector);
};

// A label item of a character-map LabelAtlas.
class MenuItemAtlasFont : public MenuItemLabel {
public:
    // An empty text fails an assertion; null when the label cannot be made.
    static Ref<MenuItemAtlasFont> itemFromString(const std::string& text,
                                                 const std::string& charMapFile, int itemWidth,
                                                 int itemHeight, uint8_t startCharMap);
    static Ref<MenuItemAtlasFont> itemFromString(const std::string& text,
                                                 const std::string& charMapFile, int itemWidth,
                                                 int itemHeight, uint8_t startCharMap,
                                                 Object* target, MenuSelector selector);
    MenuItemAtlasFont(Node* label, Object* target, MenuSelector selector);
};

// An item of pictures (nodes with colour and opacity, typically sprites):
// the selected one while selected, else the normal one; when disabled the
// disabled one, or the normal one if there is none.
class MenuItemSprite : public MenuItem, public RGBAProtocol {
public:
    static Ref<MenuItemSprite> itemFromNormalSprite(Node* normal, Node* selected);
    static Ref<MenuItemSprite> itemFromNormalSprite(Node* normal, Node* selected, Object* target,
                                                    MenuSelector selector);
    static Ref<MenuItemSprite> itemFromNormalSprite(Node* normal, Node* selected, Node* disabled);
    static Ref<MenuItemSprite> itemFromNormalSprite(Node* normal, Node* selected, Node* disabled,
                                                    Object* target, MenuSelector selector);
    MenuItemSprite(Node* normal, Node* selected, Node* disabled, Object* target,
                   MenuSelector selector);

    Node* normalImage() const { return normalImage_.get(); }
    Node* selectedImage() const { return selectedImage_.get(); }
    Node* disabledImage() const { return disabledImage_.get(); }
    bool isSelected() const { return selected_; }

    void selected() override { selected_ = true; }
    void unselected() override { selected_ = false; }

    // Read from the normal picture; written to all three.
    ccColor3B color() const override;
    void setColor(ccColor3B color) override;
    void setRGB(uint8_t r, uint8_t g, uint8_t b) { setColor(ccc3(r, g, b)); }
    uint8_t opacity() const override;
    void setOpacity(uint8_t opacity) override;

    void draw() override;

protected:
    bool selected_ = false;
    Ref<Node> normalImage_, selectedImage_, disabledImage_;
};

// A MenuItemSprite of sprites made from image files.
class MenuItemImage : public MenuItemSprite {
public:
    static Ref<MenuItemImage> itemFromNormalImage(const std::string& normal,
                                                  const std::string& selected);
    static Ref<MenuItemImage> itemFromNormalImage(const std::string& normal,
                                                  const std::string& selected, Object* target,
                                                  MenuSelector selector);
    static Ref<MenuItemImage> itemFromNormalImage(const std::string& normal,
                                                  const std::string& selected,
                                                  const std::string& disabled);
    // An empty `disabled` name means no disabled picture.
    static Ref<MenuItemImage> itemFromNormalImage(const std::string& normal,
                                                  const std::string& selected,
                                                  const std::string& disabled, Object* target,
                                                  MenuSelector selector);
    MenuItemImage(Node* normal, Node* selected, Node* disabled, Object* target,
                  MenuSelector selector);
};

// A MenuItemSprite whose pictures are atlas sprites, drawn by their manager:
// the item only switches their visibility, and passes its position, scale
// and rotation on to them.
class MenuItemAtlasSprite : public MenuItemSprite {
public:
    static Ref<MenuItemAtlasSprite> itemFromNormalSprite(AtlasSprite* normal,
                                                         AtlasSprite* selected);
    static Ref<MenuItemAtlasSprite> itemFromNormalSprite(AtlasSprite* normal, AtlasSprite* selected,
                                                         Object* target, MenuSelector selector);
    static Ref<MenuItemAtlasSprite> itemFromNormalSprite(AtlasSprite* normal, AtlasSprite* selected,
                                                         AtlasSprite* disabled);
    static Ref<MenuItemAtlasSprite> itemFromNormalSprite(AtlasSprite* normal, AtlasSprite* selected,
                                                         AtlasSprite* disabled, Object* target,
                                                         MenuSelector selector);
    MenuItemAtlasSprite(AtlasSprite* normal, AtlasSprite* selected, AtlasSprite* disabled,
                        Object* target, MenuSelector selector);

    void selected() override;
    void unselected() override;
    void setIsEnabled(bool enabled) override;

    void setPosition(Point p) override;
    void setScale(float s) override;
    void setScaleX(float s) override;
    void setScaleY(float s) override;
    void setRotation(float degrees) override;

    void draw() override {}

private:
    // The pictures given, without the absent ones.
    std::vector<Node*> images() const;
};

// Shows one of its sub-items at a time, as its only child at its centre;
// each activation moves on to the next one before the operation is called.
class MenuItemToggle : public MenuItem, public RGBAProtocol {
public:
    // At least one item.
    static Ref<MenuItemToggle> itemWithTarget(Object* target, MenuSelector selector,
                                              std::vector<Ref<MenuItem>> items);
    MenuItemToggle(Object* target, MenuSelector selector, std::vector<Ref<MenuItem>> items);

    unsigned selectedIndex() const { return selectedIndex_; }
    // An index past the last item fails an assertion.
    void setSelectedIndex(unsigned index);
    MenuItem* selectedItem() const;
    const std::vector<Ref<MenuItem>>& subItems() const { return subItems_; }

    void activate() override;
    void selected() override;
    void unselected() override;
    void setIsEnabled(bool enabled) override;

    ccColor3B color() const override { return color_; }
    void setColor(ccColor3B color) override;
    void setRGB(uint8_t r, uint8_t g, uint8_t b) { setColor(ccc3(r, g, b)); }
    uint8_t opacity() const override { return opacity_; }
    void setOpacity(uint8_t opacity) override;

    // Also the sub-items not shown, whose actions would otherwise outlive
    // the toggle.
    void cleanup() override;

protected:
    // Past the end until the first item is shown.
    unsigned selectedIndex_ = ~0u;
    std::vector<Ref<MenuItem>> subItems_;
    uint8_t opacity_ = 255;
    ccColor3B color_ = ccWHITE;
};

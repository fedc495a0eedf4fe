#include "render/MenuItem.h"

#include "engine/IntervalAction.h"
#include "render/AtlasSprite.h"
#include "render/Label.h"
#include "render/LabelAtlas.h"
#include "render/LabelProtocol.h"
#include "render/Sprite.h"
#include "support/Error.h"

namespace {

constexpr const char* kNonNil = "Argument must be non-nil";

RGBAProtocol* rgbaOf(Node* node) {
    return dynamic_cast<RGBAProtocol*>(node);
}

// The shared settings of MenuItemFont.
int& itemFontSize() {
    static int size = 32;
    return size;
}

std::string& itemFontName() {
    static std::string name = "Marker Felt";
    return name;
}

} // namespace

// --- MenuItem ---

Ref<MenuItem> MenuItem::itemWithTarget(Object* target, MenuSelector selector) {
    return make<MenuItem>(target, std::move(selector));
}

MenuItem::MenuItem(Object* target, MenuSelector selector) {
    setAnchorPoint(Point(0.5f, 0.5f));
    // Without either there is nothing to call.
    if (target && selector) {
        target_ = target;
        selector_ = std::move(selector);
    }
}

MenuItem::MenuItem() {
    ccRaise("MenuItemInit", "Init not supported. Use InitFromString");
}

void MenuItem::activate() {
    if (!isEnabled_ || !target_ || !selector_) return;
    // The operation may remove this item from its menu, or let the target go.
    Ref<MenuItem> keep(this);
    Ref<Object> target = target_;
    selector_(this);
}

void MenuItem::cleanup() {
    Node::cleanup();
    target_ = nullptr;
}

Rect MenuItem::rect() const {
    return Rect(position_.x - contentSize_.width * anchorPoint_.x,
                position_.y - contentSize_.height * anchorPoint_.y, contentSize_.width,
                contentSize_.height);
}

// --- MenuItemLabel ---

Ref<MenuItemLabel> MenuItemLabel::itemWithLabel(Node* label, Object* target,
                                                MenuSelector selector) {
    return make<MenuItemLabel>(label, target, std::move(selector));
}

MenuItemLabel::MenuItemLabel(Node* label, Object* target, MenuSelector selector)
    : MenuItem(target, std::move(selector)) {
    setLabel(label);
}

void MenuItemLabel::setLabel(Node* label) {
    ccAssert(label != nullptr, kNonNil);
    ccAssert(rgbaOf(label) && dynamic_cast<LabelProtocol*>(label),
             "MenuItemLabel: the label must have a text, a colour and an opacity");
    label_ = label;
    setContentSize(label->contentSize());
}

RGBAProtocol* MenuItemLabel::labelRGBA() const {
    return rgbaOf(label_.get());
}

void MenuItemLabel::setString(const std::string& text) {
    dynamic_cast<LabelProtocol*>(label_.get())->setString(text);
    setContentSize(label_->contentSize());
}

void MenuItemLabel::activate() {
    if (!isEnabled_) return;
    stopAllActions();
    setScale(1.0f);
    MenuItem::activate();
}

void MenuItemLabel::selected() {
    if (!isEnabled_) return;
    stopActionByTag(kZoomActionTag);
    auto zoom = ScaleTo::actionWithDuration(0.1f, 1.2f);
    zoom->setTag(kZoomActionTag);
    runAction(zoom.get());
}

void MenuItemLabel::unselected() {
    if (!isEnabled_) return;
    stopActionByTag(kZoomActionTag);
    auto zoom = ScaleTo::actionWithDuration(0.1f, 1.0f);
    zoom->setTag(kZoomActionTag);
    runAction(zoom.get());
}

void MenuItemLabel::setIsEnabled(bool enabled) {
    if (enabled != isEnabled_) {
        if (!enabled) {
            colorBackup = labelRGBA()->color();
            labelRGBA()->setColor(disabledColor_);
        } else {
            labelRGBA()->setColor(colorBackup);
        }
    }
    MenuItem::setIsEnabled(enabled);
}

ccColor3B MenuItemLabel::color() const {
    return labelRGBA()->color();
}

void MenuItemLabel::setColor(ccColor3B color) {
    labelRGBA()->setColor(color);
}

uint8_t MenuItemLabel::opacity() const {
    return labelRGBA()->opacity();
}

void MenuItemLabel::setOpacity(uint8_t opacity) {
    labelRGBA()->setOpacity(opacity);
}

void MenuItemLabel::draw() {
    label_->draw();
}

// --- MenuItemFont ---

void MenuItemFont::setFontSize(int size) {
    itemFontSize() = size;
}

int MenuItemFont::fontSize() {
    return itemFontSize();
}

void MenuItemFont::setFontName(const std::string& name) {
    itemFontName() = name;
}

std::string MenuItemFont::fontName() {
    return itemFontName();
}

Ref<MenuItemFont> MenuItemFont::itemFromString(const std::string& text) {
    return make<MenuItemFont>(text, nullptr, MenuSelector());
}

Ref<MenuItemFont> MenuItemFont::itemFromString(const std::string& text, Object* target,
                                               MenuSelector selector) {
    return make<MenuItemFont>(text, target, std::move(selector));
}

namespace {
Ref<Label> fontItemLabel(const std::string& text) {
    ccAssert(!text.empty(), "Value lenght must be greater than 0");
    return Label::labelWithString(text, itemFontName(), float(itemFontSize()));
}
} // namespace

MenuItemFont::MenuItemFont(const std::string& text, Object* target, MenuSelector selector)
    : MenuItemLabel(fontItemLabel(text).get(), target, std::move(selector)) {}

// --- MenuItemAtlasFont ---

Ref<MenuItemAtlasFont> MenuItemAtlasFont::itemFromString(const std::string& text,
                                                         const std::string& charMapFile,
                                                         int itemWidth, int itemHeight,
                                                         uint8_t startCharMap) {
    return itemFromString(text, charMapFile, itemWidth, itemHeight, startCharMap, nullptr,
                          MenuSelector());
}

Ref<MenuItemAtlasFont> MenuItemAtlasFont::itemFromString(const std::string& text,
                                                         const std::string& charMapFile,
                                                         int itemWidth, int itemHeight,
                                                         uint8_t startCharMap, Object* target,
                                                         MenuSelector selector) {
    ccAssert(!text.empty(), "value lenght must be greater than 0");
    auto label =
        LabelAtlas::labelAtlasWithString(text, charMapFile, itemWidth, itemHeight, startCharMap);
    if (!label) return nullptr;
    return make<MenuItemAtlasFont>(label.get(), target, std::move(selector));
}

MenuItemAtlasFont::MenuItemAtlasFont(Node* label, Object* target, MenuSelector selector)
    : MenuItemLabel(label, target, std::move(selector)) {}

// --- MenuItemSprite ---

Ref<MenuItemSprite> MenuItemSprite::itemFromNormalSprite(Node* normal, Node* selected) {
    return make<MenuItemSprite>(normal, selected, nullptr, nullptr, MenuSelector());
}

Ref<MenuItemSprite> MenuItemSprite::itemFromNormalSprite(Node* normal, Node* selected,
                                                         Object* target, MenuSelector selector) {
    return make<MenuItemSprite>(normal, selected, nullptr, target, std::move(selector));
}

Ref<MenuItemSprite> MenuItemSprite::itemFromNormalSprite(Node* normal, Node* selected,
                                                         Node* disabled) {
    return make<MenuItemSprite>(normal, selected, disabled, nullptr, MenuSelector());
}

Ref<MenuItemSprite> MenuItemSprite::itemFromNormalSprite(Node* normal, Node* selected,
                                                         Node* disabled, Object* target,
                                                         MenuSelector selector) {
    return make<MenuItemSprite>(normal, selected, disabled, target, std::move(selector));
}

MenuItemSprite::MenuItemSprite(Node* normal, Node* selected, Node* disabled, Object* target,
                               MenuSelector selector)
    : MenuItem(target, std::move(selector)) {
    ccAssert(normal != nullptr && selected != nullptr, kNonNil);
    normalImage_ = normal;
    selectedImage_ = selected;
    disabledImage_ = disabled;
    setContentSize(normal->contentSize());
}

ccColor3B MenuItemSprite::color() const {
    RGBAProtocol* rgba = rgbaOf(normalImage_.get());
    return rgba ? rgba->color() : ccWHITE;
}

void MenuItemSprite::setColor(ccColor3B color) {
    for (Node* image : {normalImage_.get(), selectedImage_.get(), disabledImage_.get()})
        if (RGBAProtocol* rgba = rgbaOf(image)) rgba->setColor(color);
}

uint8_t MenuItemSprite::opacity() const {
    RGBAProtocol* rgba = rgbaOf(normalImage_.get());
    return rgba ? rgba->opacity() : 255;
}

void MenuItemSprite::setOpacity(uint8_t opacity) {
    for (Node* image : {normalImage_.get(), selectedImage_.get(), disabledImage_.get()})
        if (RGBAProtocol* rgba = rgbaOf(image)) rgba->setOpacity(opacity);
}

void MenuItemSprite::draw() {
    if (isEnabled_)
        (selected_ ? selectedImage_ : normalImage_)->draw();
    else
        (disabledImage_ ? disabledImage_ : normalImage_)->draw();
}

// --- MenuItemImage ---

Ref<MenuItemImage> MenuItemImage::itemFromNormalImage(const std::string& normal,
                                                      const std::string& selected) {
    return itemFromNormalImage(normal, selected, std::string(), nullptr, MenuSelector());
}

Ref<MenuItemImage> MenuItemImage::itemFromNormalImage(const std::string& normal,
                                                      const std::string& selected, Object* target,
                                                      MenuSelector selector) {
    return itemFromNormalImage(normal, selected, std::string(), target, std::move(selector));
}

Ref<MenuItemImage> MenuItemImage::itemFromNormalImage(const std::string& normal,
                                                      const std::string& selected,
                                                      const std::string& disabled) {
    return itemFromNormalImage(normal, selected, disabled, nullptr, MenuSelector());
}

Ref<MenuItemImage> MenuItemImage::itemFromNormalImage(const std::string& normal,
                                                      const std::string& selected,
                                                      const std::string& disabled, Object* target,
                                                      MenuSelector selector) {
    auto normalSprite = Sprite::spriteWithFile(normal);
    auto selectedSprite = Sprite::spriteWithFile(selected);
    Ref<Sprite> disabledSprite;
    if (!disabled.empty()) disabledSprite = Sprite::spriteWithFile(disabled);
    return make<MenuItemImage>(normalSprite.get(), selectedSprite.get(), disabledSprite.get(),
                               target, std::move(selector));
}

MenuItemImage::MenuItemImage(Node* normal, Node* selected, Node* disabled, Object* target,
                             MenuSelector selector)
    : MenuItemSprite(normal, selected, disabled, target, std::move(selector)) {}

// --- MenuItemAtlasSprite ---

Ref<MenuItemAtlasSprite> MenuItemAtlasSprite::itemFromNormalSprite(AtlasSprite* normal,
                                                                   AtlasSprite* selected) {
    return make<MenuItemAtlasSprite>(normal, selected, nullptr, nullptr, MenuSelector());
}

Ref<MenuItemAtlasSprite> MenuItemAtlasSprite::itemFromNormalSprite(AtlasSprite* normal,
                                                                   AtlasSprite* selected,
                                                                   Object* target,
                                                                   MenuSelector selector) {
    return make<MenuItemAtlasSprite>(normal, selected, nullptr, target, std::move(selector));
}

Ref<MenuItemAtlasSprite> MenuItemAtlasSprite::itemFromNormalSprite(AtlasSprite* normal,
                                                                   AtlasSprite* selected,
                                                                   AtlasSprite* disabled) {
    return make<MenuItemAtlasSprite>(normal, selected, disabled, nullptr, MenuSelector());
}

Ref<MenuItemAtlasSprite> MenuItemAtlasSprite::itemFromNormalSprite(AtlasSprite* normal,
                                                                   AtlasSprite* selected,
                                                                   AtlasSprite* disabled,
                                                                   Object* target,
                                                                   MenuSelector selector) {
    return make<MenuItemAtlasSprite>(normal, selected, disabled, target, std::move(selector));
}

MenuItemAtlasSprite::MenuItemAtlasSprite(AtlasSprite* normal, AtlasSprite* selected,
                                         AtlasSprite* disabled, Object* target,
                                         MenuSelector selector)
    : MenuItemSprite(normal, selected, disabled, target, std::move(selector)) {
    normal->setVisible(true);
    selected->setVisible(false);
    if (disabled) disabled->setVisible(false);
}

std::vector<Node*> MenuItemAtlasSprite::images() const {
    std::vector<Node*> all;
    for (Node* image : {normalImage_.get(), selectedImage_.get(), disabledImage_.get()})
        if (image) all.push_back(image);
    return all;
}

void MenuItemAtlasSprite::selected() {
    MenuItemSprite::selected();
    if (!isEnabled_) return;
    normalImage_->setVisible(false);
    selectedImage_->setVisible(true);
}

void MenuItemAtlasSprite::unselected() {
    MenuItemSprite::unselected();
    if (!isEnabled_) return;
    normalImage_->setVisible(true);
    selectedImage_->setVisible(false);
}

void MenuItemAtlasSprite::setIsEnabled(bool enabled) {
    MenuItemSprite::setIsEnabled(enabled);
    if (enabled) {
        selectedImage_->setVisible(false);
        if (disabledImage_) disabledImage_->setVisible(false);
        normalImage_->setVisible(true);
    } else {
        normalImage_->setVisible(false);
        selectedImage_->setVisible(false);
        (disabledImage_ ? disabledImage_ : normalImage_)->setVisible(true);
    }
}

void MenuItemAtlasSprite::setPosition(Point p) {
    MenuItemSprite::setPosition(p);
    for (Node* image : images())
        image->setPosition(p);
}

void MenuItemAtlasSprite::setScale(float s) {
    MenuItemSprite::setScale(s);
    for (Node* image : images())
        image->setScale(s);
}

void MenuItemAtlasSprite::setScaleX(float s) {
    MenuItemSprite::setScaleX(s);
    for (Node* image : images())
        image->setScaleX(s);
}

void MenuItemAtlasSprite::setScaleY(float s) {
    MenuItemSprite::setScaleY(s);
    for (Node* image : images())
        image->setScaleY(s);
}

void MenuItemAtlasSprite::setRotation(float degrees) {
    MenuItemSprite::setRotation(degrees);
    for (Node* image : images())
        image->setRotation(degrees);
}

// --- MenuItemToggle ---

Ref<MenuItemToggle> MenuItemToggle::itemWithTarget(Object* target, MenuSelector selector,
                                                   std::vector<Ref<MenuItem>> items) {
    return make<MenuItemToggle>(target, std::move(selector), std::move(items));
}

MenuItemToggle::MenuItemToggle(Object* target, MenuSelector selector,
                               std::vector<Ref<MenuItem>> items)
    : MenuItem(target, std::move(selector)) {
    subItems_.reserve(std::max<size_t>(2, items.size()));
    // The list ends at the first absent item.
    for (auto& item : items) {
        if (!item) break;
        subItems_.push_back(item);
    }
    ccAssert(!subItems_.empty(), "MenuItemToggle: needs at least one item");
    setSelectedIndex(0);
}

MenuItem* MenuItemToggle::selectedItem() const {
    return subItems_[selectedIndex_].get();
}

void MenuItemToggle::setSelectedIndex(unsigned index) {
    ccAssert(index < subItems_.size(), "MenuItemToggle: index out of range");
    if (index == selectedIndex_) return;
    selectedIndex_ = index;
    if (Node* current = getChildByTag(kCurrentItem)) removeChild(current, false);
    MenuItem* item = subItems_[index].get();
    addChild(item, 0, kCurrentItem);
    Size s = item->contentSize();
    setContentSize(s);
    item->setPosition(Point(s.width / 2, s.height / 2));
}

void MenuItemToggle::activate() {
    if (!isEnabled_) return;
    setSelectedIndex(unsigned((selectedIndex_ + 1) % subItems_.size()));
    MenuItem::activate();
}

void MenuItemToggle::selected() {
    selectedItem()->selected();
}

void MenuItemToggle::unselected() {
    selectedItem()->unselected();
}

void MenuItemToggle::setIsEnabled(bool enabled) {
    MenuItem::setIsEnabled(enabled);
    for (auto& item : subItems_)
        item->setIsEnabled(enabled);
}

void MenuItemToggle::setColor(ccColor3B color) {
    color_ = color;
    for (auto& item : subItems_)
        if (RGBAProtocol* rgba = rgbaOf(item.get())) rgba->setColor(color);
}

void MenuItemToggle::setOpacity(uint8_t opacity) {
    opacity_ = opacity;
    for (auto& item : subItems_)
        if (RGBAProtocol* rgba = rgbaOf(item.get())) rgba->setOpacity(opacity);
}

void MenuItemToggle::cleanup() {
    Ref<Node> keep(this);
    MenuItem::cleanup();
    for (auto& item : subItems_)
        if (item->parent() != this) item->cleanup();
}

#include "platform/ui/Toolbar.h"

#include <algorithm>

namespace platform {

namespace {

constexpr float kMargin = 6, kItemHeight = 30;

// A bar button: a bordered (or blue "done") box with a white title.
class BarButton : public Button {
public:
    explicit BarButton(BarButtonItemStyle style)
        : Button(Rect(), ButtonType::Custom), style_(style) {
        setFont(Font::boldSystemFont(12));
    }
    void draw(GraphicsContext& g) override {
        Rect b = bounds();
        Rect box(0.5f, 0.5f, b.size.width - 1, b.size.height - 1);
        float fade = enabled() ? 1.0f : 0.45f;
        if (style_ != BarButtonItemStyle::Plain) {
            bool done = style_ == BarButtonItemStyle::Done;
            ccColor4F top = done ? rgba(0.35f, 0.55f, 0.95f, fade) : rgba(1, 1, 1, 0.28f * fade);
            ccColor4F bottom = done ? rgba(0.12f, 0.32f, 0.8f, fade) : rgba(1, 1, 1, 0.08f * fade);
            if (highlighted()) {
                top = rgba(0, 0, 0, 0.35f);
                bottom = rgba(0, 0, 0, 0.5f);
            }
            g.fillGradientRoundedRect(box, 5, top, bottom);
            g.setColor(rgba(0, 0, 0, 0.55f * fade));
            g.strokeRoundedRect(box, 5, 1);
        } else if (highlighted()) {
            g.setColor(rgba(1, 1, 1, 0.25f));
            g.fillRoundedRect(box, 5);
        }
        drawTitle(g, 4, rgba(1, 1, 1, fade));
    }

private:
    BarButtonItemStyle style_;
};

} // namespace

BarButtonItem::BarButtonItem(std::string title, BarButtonItemStyle style, Selector<void()> action)
    : title_(std::move(title)), style_(style), action_(std::move(action)) {}

Ref<BarButtonItem> BarButtonItem::flexibleSpace() {
    Ref<BarButtonItem> item = Ref<BarButtonItem>::adopt(new BarButtonItem);
    item->space_ = true;
    item->flexible_ = true;
    return item;
}

Ref<BarButtonItem> BarButtonItem::fixedSpace(float width) {
    Ref<BarButtonItem> item = Ref<BarButtonItem>::adopt(new BarButtonItem);
    item->space_ = true;
    item->width_ = width;
    return item;
}

void BarButtonItem::setEnabled(bool enabled) {
    enabled_ = enabled;
    if (button_) button_->setEnabled(enabled);
}

Toolbar::Toolbar(Rect frame) : View(frame) {}

void Toolbar::setItems(std::vector<Ref<BarButtonItem>> items, bool) {
    for (auto& item : items_)
        if (item->button_) item->button_->removeFromSuperview();
    items_ = std::move(items);
    for (auto& item : items_) {
        if (item->space_) continue;
        if (!item->button_) {
            auto button = make<BarButton>(item->style_);
            button->setTitle(item->title_);
            BarButtonItem* raw = item.get();
            button->addTarget(Selector<void()>("barButton",
                                               [raw] {
                                                   if (raw->action_) raw->action_();
                                               }),
                              ControlEventTouchUpInside);
            item->button_ = button;
        }
        item->button_->setEnabled(item->enabled_);
        addSubview(item->button_.get());
    }
    layoutSubviews();
}

void Toolbar::setBarStyle(BarStyle style) {
    barStyle_ = style;
    setNeedsDisplay();
}

void Toolbar::layoutSubviews() {
    float total = bounds().size.width - 2 * kMargin;
    float fixed = 0;
    int flexible = 0;
    std::vector<float> widths;
    for (auto& item : items_) {
        float w = item->width_;
        if (item->flexible_) {
            ++flexible;
        } else if (!item->space_ && w <= 0) {
            TextStyle s;
            s.font = Font::boldSystemFont(12);
            w = std::max(40.0f, measureText(item->title_, s, 0).width + 20);
        }
        widths.push_back(w);
        if (!item->flexible_) fixed += w + kMargin;
    }
    float share = flexible > 0 ? std::max(0.0f, total - fixed) / float(flexible) : 0;
    float x = kMargin;
    float y = (bounds().size.height - kItemHeight) / 2;
    for (size_t i = 0; i < items_.size(); ++i) {
        BarButtonItem& item = *items_[i];
        float w = item.flexible_ ? share : widths[i];
        if (item.button_) item.button_->setFrame(Rect(x, y, w, kItemHeight));
        x += w + (item.flexible_ ? 0 : kMargin);
    }
}

void Toolbar::draw(GraphicsContext& g) {
    Rect b = bounds();
    switch (barStyle_) {
    case BarStyle::Default:
        g.fillGradientRoundedRect(b, 0, rgba(0.69f, 0.74f, 0.8f), rgba(0.43f, 0.5f, 0.59f), 0.15f);
        break;
    case BarStyle::Black:
        g.fillGradientRoundedRect(b, 0, rgba(0.3f, 0.3f, 0.3f), rgba(0.05f, 0.05f, 0.05f), 0.1f);
        break;
    case BarStyle::BlackTranslucent:
        g.fillGradientRoundedRect(b, 0, rgba(0.2f, 0.2f, 0.2f, 0.75f), rgba(0, 0, 0, 0.75f), 0.1f);
        break;
    }
    g.setColor(rgba(0, 0, 0, 0.5f));
    g.strokeLine(Point(0, 0.5f), Point(b.size.width, 0.5f), 1);
}

} // namespace platform

#include "platform/ui/Button.h"

#include "platform/Files.h"
#include "support/Log.h"

#include <algorithm>

namespace platform {

Ref<DecodedImage> imageNamed(const std::string& name) {
    size_t dot = name.rfind('.');
    std::string path = dot == std::string::npos
                           ? pathForResource(name, "png")
                           : pathForResource(name.substr(0, dot), name.substr(dot + 1));
    if (path.empty()) {
        ccLog("Image: no resource named %s", name.c_str());
        return nullptr;
    }
    return DecodedImage::imageWithContentsOfFile(path);
}

Button::Button(Rect frame, ButtonType type) : Control(frame), type_(type) {
    if (type == ButtonType::RoundedRect) {
        titleColors_[ControlStateNormal] = rgba(0.2f, 0.31f, 0.52f);
        titleColors_[ControlStateHighlighted] = rgba(1, 1, 1);
    } else {
        titleColors_[ControlStateNormal] = rgba(1, 1, 1);
    }
}

template <class T>
const T* Button::lookup(const std::map<unsigned, T>& m, unsigned state) {
    auto it = m.find(state);
    if (it == m.end()) it = m.find(ControlStateNormal);
    return it == m.end() ? nullptr : &it->second;
}

unsigned Button::lookState() const {
    // One look at a time: disabled wins over highlighted wins over selected.
    if (!enabled()) return ControlStateDisabled;
    if (highlighted()) return ControlStateHighlighted;
    if (selected()) return ControlStateSelected;
    return ControlStateNormal;
}

void Button::setTitle(std::string title, unsigned state) {
    titles_[state] = std::move(title);
    setNeedsDisplay();
}

void Button::setTitleColor(ccColor4F color, unsigned state) {
    titleColors_[state] = color;
    setNeedsDisplay();
}

void Button::setImage(Ref<DecodedImage> image, unsigned state) {
    images_[state] = std::move(image);
    setNeedsDisplay();
}

void Button::setBackgroundImage(Ref<DecodedImage> image, unsigned state) {
    backgrounds_[state] = std::move(image);
    setNeedsDisplay();
}

void Button::setFont(Font font) {
    font_ = std::move(font);
    setNeedsDisplay();
}

std::string Button::currentTitle() const {
    const std::string* t = lookup(titles_, lookState());
    return t ? *t : std::string();
}

DecodedImage* Button::currentImage() const {
    const Ref<DecodedImage>* i = lookup(images_, lookState());
    return i ? i->get() : nullptr;
}

void Button::draw(GraphicsContext& g) {
    unsigned look = lookState();
    Rect b = bounds();
    // Without a disabled look of its own, a disabled button is its normal
    // look, faded.
    bool faded = look == ControlStateDisabled && !titles_.count(look) && !images_.count(look) &&
                 !backgrounds_.count(look);
    float fade = faded ? 0.4f : 1.0f;

    if (type_ == ButtonType::RoundedRect) {
        Rect box(b.origin.x + 0.5f, b.origin.y + 0.5f, b.size.width - 1, b.size.height - 1);
        if (look == ControlStateHighlighted)
            g.fillGradientRoundedRect(box, 9, rgba(0.3f, 0.55f, 0.95f), rgba(0.1f, 0.3f, 0.8f));
        else {
            g.setColor(rgba(1, 1, 1, fade));
            g.fillRoundedRect(box, 9);
        }
        g.setColor(rgba(0.45f, 0.47f, 0.5f, fade));
        g.strokeRoundedRect(box, 9, 1);
    }
    if (const Ref<DecodedImage>* bg = lookup(backgrounds_, look); bg && *bg)
        g.drawImage(**bg, b, fade);
    if (DecodedImage* image = currentImage()) {
        // Centred at its own size, scaled down to fit.
        float w = float(image->width()), h = float(image->height());
        float k =
            std::min({1.0f, b.size.width / std::max(1.0f, w), b.size.height / std::max(1.0f, h)});
        Rect r(b.origin.x + (b.size.width - w * k) / 2, b.origin.y + (b.size.height - h * k) / 2,
               w * k, h * k);
        g.drawImage(*image, r, fade);
    }
    const ccColor4F* c = lookup(titleColors_, look);
    ccColor4F color = c ? *c : rgba(1, 1, 1);
    color.a *= fade;
    drawTitle(g, 4, color);
}

void Button::drawTitle(GraphicsContext& g, float inset, ccColor4F color, float dy) const {
    std::string title = currentTitle();
    if (title.empty()) return;
    TextStyle style;
    style.font = font_;
    style.color = color;
    style.alignment = TextAlignment::Center;
    style.maxLines = 1;
    Rect b = bounds();
    g.drawText(title, Rect(inset, dy, b.size.width - 2 * inset, b.size.height), style, true);
}

} // namespace platform

#include "platform/ui/Switch.h"

#include "platform/ui/Graphics.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

constexpr float kKnob = 40, kRadius = 6;

// The part that slides: the blue "ON" half, the knob, the white "OFF" half.
class SwitchStrip : public View {
public:
    explicit SwitchStrip(Rect frame) : View(frame) { setUserInteractionEnabled(false); }
    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& g) override {
        float w = bounds().size.width, h = bounds().size.height;
        float half = (w - kKnob) / 2 + kKnob / 2; // each side runs under the knob
        g.fillGradientRoundedRect(Rect(0, 0, half + kRadius, h), kRadius, rgba(0.0f, 0.35f, 0.85f),
                                  rgba(0.25f, 0.55f, 0.98f));
        g.fillGradientRoundedRect(Rect(half - kRadius, 0, w - half + kRadius, h), kRadius,
                                  rgba(0.85f, 0.85f, 0.85f), rgba(0.99f, 0.99f, 0.99f));
        TextStyle s;
        s.font = Font::boldSystemFont(16);
        s.alignment = TextAlignment::Center;
        s.maxLines = 1;
        s.color = rgba(1, 1, 1);
        float side = (w - kKnob) / 2;
        g.drawText("ON", Rect(0, 0, side, h), s, true);
        s.color = rgba(0.45f, 0.45f, 0.45f);
        g.drawText("OFF", Rect(side + kKnob, 0, side, h), s, true);
        Rect knob(side, 0, kKnob, h);
        g.fillGradientRoundedRect(knob, kRadius, rgba(0.98f, 0.98f, 0.98f),
                                  rgba(0.78f, 0.78f, 0.8f));
        g.setColor(rgba(0.45f, 0.45f, 0.48f));
        g.strokeRoundedRect(Rect(knob.origin.x + 0.5f, 0.5f, kKnob - 1, h - 1), kRadius, 1);
    }
};

// The switch's rim, over the strip.
class SwitchRim : public View {
public:
    explicit SwitchRim(Rect frame) : View(frame) { setUserInteractionEnabled(false); }
    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& g) override {
        Rect b = bounds();
        g.setColor(rgba(0.4f, 0.4f, 0.42f));
        g.strokeRoundedRect(Rect(0.5f, 0.5f, b.size.width - 1, b.size.height - 1), kRadius, 1);
    }
};

} // namespace

Switch::Switch(Point origin) : Control(Rect(origin.x, origin.y, kWidth, kHeight)) {
    setClipsToBounds(true);
    strip_ = make<SwitchStrip>(Rect(restingX(false), 0, 2 * kWidth - kKnob, kHeight));
    frameView_ = make<SwitchRim>(bounds());
    addSubview(strip_.get());
    addSubview(frameView_.get());
}

void Switch::setFrame(Rect frame) {
    // One size only, as the strip is drawn for it.
    Control::setFrame(Rect(frame.origin.x, frame.origin.y, kWidth, kHeight));
}

float Switch::restingX(bool on) const {
    return on ? 0 : -(kWidth - kKnob);
}

void Switch::slideTo(float x, bool animated) {
    Rect f = strip_->frame();
    if (animated) {
        beginAnimations("SwitchSlide");
        setAnimationDuration(0.15);
    }
    strip_->setFrame(Rect(x, f.origin.y, f.size.width, f.size.height));
    if (animated) commitAnimations();
}

void Switch::setOn(bool on, bool animated) {
    on_ = on;
    slideTo(restingX(on), animated);
}

bool Switch::pressKey(const std::string& key) {
    if (!enabled()) return false;
    bool value = on_;
    if (key == "return" || key == "space") value = !on_;
    else if (key == "right") value = true;
    else if (key == "left") value = false;
    else return false;
    if (value == on_) return true;
    setOn(value, true);
    sendActionsForControlEvents(ControlEventValueChanged);
    return true;
}

bool Switch::beginTracking(Touch* touch) {
    touchStartX_ = touch->locationInView(this).x;
    stripStartX_ = strip_->frame().origin.x;
    dragged_ = false;
    return true;
}

void Switch::continueTracking(Touch* touch) {
    float dx = touch->locationInView(this).x - touchStartX_;
    if (std::fabs(dx) > 4) dragged_ = true;
    if (!dragged_) return;
    float x = std::clamp(stripStartX_ + dx, restingX(false), restingX(true));
    slideTo(x, false);
}

void Switch::endTracking(Touch*, bool inside) {
    bool value = on_;
    if (dragged_)
        value = strip_->frame().origin.x > restingX(false) / 2; // nearer to "on"
    else if (inside)
        value = !on_;
    bool changed = value != on_;
    setOn(value, true);
    if (changed) sendActionsForControlEvents(ControlEventValueChanged);
}

void Switch::cancelTracking() {
    setOn(on_, true);
}

void Switch::stateChanged() {
    // Disabled: greyed over, as the whole picture.
    setAlpha(enabled() ? 1.0f : 0.5f);
}

} // namespace platform

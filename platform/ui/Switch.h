#pragma once

#include "platform/ui/Control.h"

namespace platform {

// An on/off switch: a tap flips it, a drag moves it to the side it is let go
// on; each change of value reports ValueChanged once. Its size is fixed.
class Switch : public Control {
public:
    static constexpr float kWidth = 94, kHeight = 27;

    explicit Switch(Point origin = Point());

    bool isOn() const { return on_; }
    // Changes the value without reporting it.
    void setOn(bool on, bool animated = false);

    void setFrame(Rect frame) override;
    // Return and Space flip it; the right arrow turns it on, the left off.
    bool pressKey(const std::string& key) override;

protected:
    bool beginTracking(Touch* touch) override;
    void continueTracking(Touch* touch) override;
    void endTracking(Touch* touch, bool inside) override;
    void cancelTracking() override;
    void stateChanged() override;

private:
    // Where the sliding strip rests for a value.
    float restingX(bool on) const;
    void slideTo(float x, bool animated);

    Ref<View> strip_; // "ON", the knob and "OFF", side by side, clipped
    Ref<View> frameView_;
    bool on_ = false;
    float touchStartX_ = 0, stripStartX_ = 0;
    bool dragged_ = false;
};

} // namespace platform

#pragma once

#include "platform/Keyboard.h"
#include "platform/ui/Button.h"

#include <functional>
#include <string>
#include <type_traits>
#include <vector>

namespace platform {

// A button of a modal panel; a focused button is the one the keyboard
// would press, and shows it.
class PanelButton : public Button {
public:
    PanelButton() : Button(Rect(), ButtonType::Custom) {}
    bool focused() const { return focused_; }
    void setFocused(bool on) {
        if (on == focused_) return;
        focused_ = on;
        setNeedsDisplay();
    }

private:
    bool focused_ = false;
};

// What alerts and action sheets share: a box of buttons shown modally over
// a dimmed screen. One panel of a kind is up at a time (an alert may come up
// over an action sheet); another of the same kind shown meanwhile waits its
// turn. While up it takes every touch and every key: Enter presses the
// focused button (at first the cancel button), the arrow keys and Tab move
// the focus, Escape presses the button the panel gives it (if any). From
// show until its dismissal has been reported, the panel holds its delegate
// (when that is an Object) and the window holds the panel.
class ModalPanel : public View, public KeyResponder {
public:
    ~ModalPanel() override;

    // Adds a button after the others; returns its index.
    int addButtonWithTitle(const std::string& title);
    int numberOfButtons() const { return int(buttons_.size()); }
    std::string buttonTitleAtIndex(int index) const;
    int cancelButtonIndex() const { return cancelIndex_; }
    void setCancelButtonIndex(int index);
    // The button's view (null for a bad index).
    PanelButton* buttonAtIndex(int index) const;

    bool isVisible() const { return visible_; }
    // Takes the panel down as if the button had been pressed, without the
    // clicked call. Not animated: gone at once.
    void dismissWithClickedButtonIndex(int index, bool animated);
    // The button the keyboard would press (-1: none).
    int focusedButtonIndex() const { return focused_; }

    bool keyDown(const std::string& key) override;

    // The newest panel on screen, if any, and how many wait.
    static ModalPanel* visiblePanel();
    // Every panel on screen, the oldest first.
    static const std::vector<ModalPanel*>& visiblePanels();
    static size_t pendingPanels();
    // Takes every panel down and forgets the queue, calling no one (tests).
    static void resetAll();

    // Seconds a panel takes to come and go.
    static constexpr double kFadeDuration = 0.2;

protected:
    explicit ModalPanel(Rect frame) : View(frame) {}

    // Points `slot` at `delegate` and holds it while the panel is up when
    // it is an Object.
    template <class Interface, class D>
    void bindDelegate(Interface*& slot, D* delegate) {
        Object* owner = nullptr;
        if constexpr (std::is_base_of_v<Object, D>) owner = delegate;
        slot = delegate;
        setDelegateOwner(owner);
    }
    void setDelegateOwner(Object* owner);
    // Shows the panel, or queues it behind the one that is up.
    void showPanel();
    View* backdrop() const { return backdrop_.get(); }

    virtual Ref<PanelButton> makeButton(const std::string& title, int index) = 0;
    // Lays the panel out for a screen of `screen` points.
    virtual void layoutPanel(Size screen) = 0;
    // Runs once the panel is in the backdrop; `animateOut` calls `done` when
    // the panel is out of sight.
    virtual void animateIn() = 0;
    virtual void animateOut(std::function<void()> done) = 0;
    virtual void notifyClicked(int index) = 0;
    virtual void notifyDismissed(int index) = 0;
    // Buttons in the order they are laid out and walked by the keyboard.
    virtual std::vector<int> visualOrder() const;
    // The button Escape presses, or -1.
    virtual int escapeButtonIndex() const { return cancelIndex_; }
    // Colour of the dimmed screen behind.
    virtual ccColor4F backdropColor() const { return ccColor4F{0, 0, 0, 0.45f}; }

private:
    void present();
    void pressed(int index);
    void setFocus(int index);
    void finishDismissal(int index);

    std::vector<Ref<PanelButton>> buttons_;
    Ref<View> backdrop_;
    Object* delegateOwner_ = nullptr;
    Ref<Object> heldDelegate_;
    int cancelIndex_ = -1;
    int focused_ = -1;
    bool visible_ = false;
    bool queued_ = false;
    bool dismissing_ = false;
};

} // namespace platform

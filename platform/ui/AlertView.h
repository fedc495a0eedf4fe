#pragma once

#include "platform/Keyboard.h"
#include "platform/View.h"

#include <string>
#include <type_traits>
#include <vector>

namespace platform {

class AlertView;
class Button;
class Label;

// Told what became of an alert. Both calls are optional.
class AlertViewDelegate {
public:
    virtual ~AlertViewDelegate() = default;
    // A button was pressed; the alert is still on screen.
    virtual void clickedButtonAtIndex(AlertView* /*alert*/, int /*buttonIndex*/) {}
    // The alert has gone from the screen after `buttonIndex` was pressed.
    virtual void didDismissWithButtonIndex(AlertView* /*alert*/, int /*buttonIndex*/) {}
};

// A modal message box: a title, a wrapped message and buttons, over a
// dimmed screen. The cancel button has index 0 and the other buttons follow
// from 1 (without a cancel button they count from 0). While it is up it takes
// every touch and every key: Enter presses the chosen button (at first the
// cancel button), the arrow keys and Tab choose another, and Escape presses
// the cancel button when it is the only button. An alert shown while another
// is up waits its turn. From show() until its dismissal has been reported,
// the alert holds its delegate (when that is an Object) and the window holds
// the alert: the caller may let go of both.
//
//     AlertView::make("You lost!", "What would you like to do?\n", this, "Try again",
//                     {"Quit"})->show();
class AlertView : public View, public KeyResponder {
public:
    AlertView(std::string title, std::string message, std::string cancelButtonTitle,
              std::vector<std::string> otherButtonTitles);
    ~AlertView() override;

    template <class D>
    static Ref<AlertView> make(std::string title, std::string message, D* delegate,
                               std::string cancelButtonTitle,
                               std::vector<std::string> otherButtonTitles = {}) {
        auto alert = ::make<AlertView>(std::move(title), std::move(message),
                                       std::move(cancelButtonTitle), std::move(otherButtonTitles));
        alert->setDelegate(delegate);
        return alert;
    }
    static Ref<AlertView> make(std::string title, std::string message, std::nullptr_t,
                               std::string cancelButtonTitle,
                               std::vector<std::string> otherButtonTitles = {}) {
        return make<AlertViewDelegate>(std::move(title), std::move(message), nullptr,
                                       std::move(cancelButtonTitle), std::move(otherButtonTitles));
    }

    const std::string& title() const { return title_; }
    const std::string& message() const { return message_; }
    AlertViewDelegate* delegate() const { return delegate_; }
    template <class D>
    void setDelegate(D* delegate) {
        Object* owner = nullptr;
        if constexpr (std::is_base_of_v<Object, D>) owner = delegate;
        setDelegate(static_cast<AlertViewDelegate*>(delegate), owner);
    }
    // `owner` is the object to hold while the alert is up (may be null).
    void setDelegate(AlertViewDelegate* delegate, Object* owner);

    // Adds a button after the others; returns its index.
    int addButtonWithTitle(const std::string& title);
    int numberOfButtons() const { return int(buttons_.size()); }
    std::string buttonTitleAtIndex(int index) const;
    int cancelButtonIndex() const { return hasCancel_ ? 0 : -1; }

    // Shows the alert (or queues it behind the one that is up).
    void show();
    bool isVisible() const { return visible_; }
    // Takes the alert down as if the button had been pressed (without the
    // clicked call); not animated: gone at once.
    void dismissWithClickedButtonIndex(int index, bool animated);

    // The button the keyboard would press.
    int focusedButtonIndex() const { return focused_; }
    // The button's view, for tests and layout (null for a bad index).
    Button* buttonAtIndex(int index) const;

    bool keyDown(const std::string& key) override;

    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& g) override;

    // The alert on screen, if any, and how many wait behind it.
    static AlertView* visibleAlert();
    static size_t pendingAlerts();
    // Takes every alert down and forgets the queue without calling anyone
    // (between tests).
    static void resetAll();

    static constexpr float kWidth = 284;
    static constexpr double kFadeDuration = 0.2;

private:
    void present();
    void layout();
    void pressed(int index);
    void setFocus(int index);
    void finishDismissal(int index);
    // Buttons in the order they are drawn and walked by the keyboard.
    std::vector<int> visualOrder() const;

    std::string title_, message_;
    bool hasCancel_ = false;
    std::vector<Ref<Button>> buttons_;
    Ref<Label> titleLabel_, messageLabel_;
    Ref<View> backdrop_;
    AlertViewDelegate* delegate_ = nullptr;
    Object* delegateOwner_ = nullptr;
    Ref<Object> heldDelegate_;
    int focused_ = 0;
    bool visible_ = false;
    bool queued_ = false;
    bool dismissing_ = false;
};

} // namespace platform

#pragma once

#include "platform/ui/ModalPanel.h"

#include <string>
#include <vector>

namespace platform {

class AlertView;
class Label;
class TextView;

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
// dimmed screen (see ModalPanel for touches, keys and turns). The cancel
// button has index 0 and the other buttons follow from 1 (without a cancel
// button they count from 0). Escape presses the cancel button when it is
// the only button.
//
//     AlertView::make("You lost!", "What would you like to do?\n", this, "Try again",
//                     {"Quit"})->show();
class AlertView : public ModalPanel {
public:
    AlertView(std::string title, std::string message, std::string cancelButtonTitle,
              std::vector<std::string> otherButtonTitles);

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
        bindDelegate(delegate_, delegate);
    }

    // Shows the alert (or queues it behind the alert that is up).
    void show() { showPanel(); }
    // The alert on screen, if any.
    static AlertView* visibleAlert();
    // The message, which scrolls (drag, wheel, Page Up/Down) when too long.
    TextView* messageView() const { return messageView_.get(); }

    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& g) override;
    bool keyDown(const std::string& key) override;

    static constexpr float kWidth = 284;

protected:
    Ref<PanelButton> makeButton(const std::string& title, int index) override;
    void layoutPanel(Size screen) override;
    void animateIn() override;
    void animateOut(std::function<void()> done) override;
    void notifyClicked(int index) override;
    void notifyDismissed(int index) override;
    std::vector<int> visualOrder() const override;
    int escapeButtonIndex() const override;

private:
    std::string title_, message_;
    Ref<Label> titleLabel_;
    Ref<TextView> messageView_;
    AlertViewDelegate* delegate_ = nullptr;
};

} // namespace platform

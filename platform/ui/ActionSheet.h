#pragma once

#include "platform/ui/ModalPanel.h"

#include <string>
#include <vector>

namespace platform {

class ActionSheet;
class Label;

// Told what became of an action sheet. Both calls are optional; a sheet
// whose delegate does nothing just goes away when a button is pressed.
class ActionSheetDelegate {
public:
    virtual ~ActionSheetDelegate() = default;
    virtual void clickedButtonAtIndex(ActionSheet* /*sheet*/, int /*buttonIndex*/) {}
    virtual void didDismissWithButtonIndex(ActionSheet* /*sheet*/, int /*buttonIndex*/) {}
};

enum class ActionSheetStyle { Default = 0, BlackTranslucent = 1, BlackOpaque = 2 };

// A list of choices that slides up from the bottom of the screen (see
// ModalPanel for touches, keys and turns). Buttons count from 0: the
// destructive button first when given, then the others, the cancel button
// last. The destructive button is red; Escape presses the cancel button.
class ActionSheet : public ModalPanel {
public:
    ActionSheet(std::string title, std::string cancelButtonTitle,
                std::string destructiveButtonTitle, std::vector<std::string> otherButtonTitles);

    template <class D>
    static Ref<ActionSheet> make(std::string title, D* delegate, std::string cancelButtonTitle,
                                 std::string destructiveButtonTitle,
                                 std::vector<std::string> otherButtonTitles = {}) {
        auto sheet =
            ::make<ActionSheet>(std::move(title), std::move(cancelButtonTitle),
                                std::move(destructiveButtonTitle), std::move(otherButtonTitles));
        sheet->setDelegate(delegate);
        return sheet;
    }

    static Ref<ActionSheet> make(std::string title, std::nullptr_t, std::string cancelButtonTitle,
                                 std::string destructiveButtonTitle,
                                 std::vector<std::string> otherButtonTitles = {}) {
        return make<ActionSheetDelegate>(std::move(title), nullptr, std::move(cancelButtonTitle),
                                         std::move(destructiveButtonTitle),
                                         std::move(otherButtonTitles));
    }

    const std::string& title() const { return title_; }
    ActionSheetDelegate* delegate() const { return delegate_; }
    template <class D>
    void setDelegate(D* delegate) {
        bindDelegate(delegate_, delegate);
    }

    int destructiveButtonIndex() const { return destructiveIndex_; }
    void setDestructiveButtonIndex(int index);
    ActionSheetStyle actionSheetStyle() const { return style_; }
    void setActionSheetStyle(ActionSheetStyle style);

    // Slides up over the window `view` is in (or queues behind the panel
    // that is up).
    void showInView(View* view);

    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& g) override;

    static constexpr double kSlideDuration = 0.3;

protected:
    Ref<PanelButton> makeButton(const std::string& title, int index) override;
    void layoutPanel(Size screen) override;
    void animateIn() override;
    void animateOut(std::function<void()> done) override;
    void notifyClicked(int index) override;
    void notifyDismissed(int index) override;
    ccColor4F backdropColor() const override { return ccColor4F{0, 0, 0, 0.25f}; }

private:
    std::string title_;
    Ref<Label> titleLabel_;
    ActionSheetDelegate* delegate_ = nullptr;
    ActionSheetStyle style_ = ActionSheetStyle::Default;
    int destructiveIndex_ = -1;
};

} // namespace platform

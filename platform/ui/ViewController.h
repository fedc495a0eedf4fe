#pragma once

#include "platform/View.h"

#include <string>

namespace platform {

// Owns a screenful of views and is told when they come and go. The view is
// made on first use (loadView, then viewDidLoad). A controller presents
// another modally: its view covers the window, takes every touch, and
// slides up from the bottom when animated.
class ViewController : public Object {
public:
    ViewController() = default;
    ~ViewController() override;

    // Loads the view when there is none yet.
    View* view();
    void setView(View* view);
    bool isViewLoaded() const { return view_ != nullptr; }

    // Makes the view; the default is an empty view the size of the window.
    virtual void loadView();
    virtual void viewDidLoad() {}
    // The view is about to enter a window, or has; is about to leave, or has.
    virtual void viewWillAppear(bool /*animated*/) {}
    virtual void viewDidAppear(bool /*animated*/) {}
    virtual void viewWillDisappear(bool /*animated*/) {}
    virtual void viewDidDisappear(bool /*animated*/) {}

    const std::string& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }

    // Shows `controller`'s view over everything (held until dismissed).
    void presentModalViewController(ViewController* controller, bool animated);
    // Takes down the controller this one presents; called on the presented
    // controller itself, takes it down from its presenter.
    void dismissModalViewControllerAnimated(bool animated);
    ViewController* modalViewController() const { return modal_.get(); }
    // The controller that presents this one, if any.
    ViewController* parentViewController() const { return parent_; }

    // The nearest controller from `view` up through its superviews.
    static ViewController* controllerForView(const View* view);

    // Seconds a modal view takes to slide in or out.
    static constexpr double kModalSlideDuration = 0.3;

private:
    Ref<View> view_;
    Ref<ViewController> modal_;
    ViewController* parent_ = nullptr;
    std::string title_;
};

} // namespace platform

#include "platform/ui/ViewController.h"

#include "platform/Window.h"

namespace platform {

ViewController::~ViewController() {
    if (view_ && view_->viewController() == this) view_->setViewController(nullptr);
    if (modal_) modal_->parent_ = nullptr;
}

View* ViewController::view() {
    if (!view_) {
        loadView();
        if (!view_) setView(make<View>(Rect(0, 0, 320, 480)).get());
        viewDidLoad();
    }
    return view_.get();
}

void ViewController::setView(View* view) {
    if (view_ && view_->viewController() == this) view_->setViewController(nullptr);
    view_ = view;
    if (view_) view_->setViewController(this);
}

void ViewController::loadView() {
    Window* w = Window::main();
    Rect frame = w ? w->bounds() : Rect(0, 0, 320, 480);
    auto v = make<View>(frame);
    v->setBackgroundColor(ccColor4F{1, 1, 1, 1});
    setView(v.get());
}

ViewController* ViewController::controllerForView(const View* view) {
    for (const View* v = view; v; v = v->superview())
        if (v->viewController()) return v->viewController();
    return nullptr;
}

void ViewController::presentModalViewController(ViewController* controller, bool animated) {
    if (!controller || controller == this || modal_) return;
    Window* window = view_ && view_->window() ? view_->window() : Window::main();
    if (!window) return;
    modal_ = controller;
    controller->parent_ = this;
    View* v = controller->view();
    Rect full = window->bounds();
    if (animated) {
        v->setFrame(Rect(0, full.size.height, full.size.width, full.size.height));
        window->addSubview(v);
        window->beginModal(v);
        View::beginAnimations("presentModal");
        View::setAnimationDuration(kModalSlideDuration);
        View::setAnimationCurve(ViewAnimationCurve::EaseOut);
        v->setFrame(full);
        View::commitAnimations();
    } else {
        v->setFrame(full);
        window->addSubview(v);
        window->beginModal(v);
    }
}

void ViewController::dismissModalViewControllerAnimated(bool animated) {
    if (!modal_) {
        if (parent_) parent_->dismissModalViewControllerAnimated(animated);
        return;
    }
    Ref<ViewController> gone = std::move(modal_);
    gone->parent_ = nullptr;
    Ref<View> v(gone->view());
    auto takeDown = [gone, v] {
        if (Window* w = v->window()) w->endModal(v.get());
        v->removeFromSuperview();
    };
    if (!animated || !v->window()) {
        takeDown();
        return;
    }
    // Touches stay blocked until the view is gone.
    View::animate(
        kModalSlideDuration,
        [&] {
            View::setAnimationCurve(ViewAnimationCurve::EaseIn);
            Rect f = v->frame();
            v->setFrame(
                Rect(f.origin.x, v->window()->bounds().size.height, f.size.width, f.size.height));
        },
        [takeDown](bool) { takeDown(); });
}

} // namespace platform

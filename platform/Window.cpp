#include "platform/Window.h"

#include "platform/ui/Animator.h"

#include <algorithm>

namespace platform {

void Window::setNeedsComposite() {
    needsComposite_ = true;
    if (refreshLink_ && refreshLink_->isValid()) return;
    presentedAtLastRefresh_ = presentedFrames_;
    refreshLink_ = RunLoop::main().addDisplayLink(1, [this] { refresh(); });
}

void Window::refresh() {
    if (!needsComposite_ && !Animator::shared().running()) {
        refreshLink_->invalidate();
        refreshLink_ = nullptr;
        return;
    }
    // The GL view's frames carry the views along; only when it did not
    // present since the last refresh (paused, or no director) does the
    // window compose on its own.
    if (presentedFrames_ == presentedAtLastRefresh_) composite();
    presentedAtLastRefresh_ = presentedFrames_;
}

void Window::stopRefreshing() {
    if (refreshLink_) refreshLink_->invalidate();
    refreshLink_ = nullptr;
}

void Window::beginModal(View* view) {
    if (!view) return;
    endModal(view);
    modal_.push_back(Ref<View>(view));
}

void Window::endModal(View* view) {
    std::erase_if(modal_, [view](const Ref<View>& v) { return v.get() == view; });
}

View* Window::modalView() const {
    // A modal view taken out of the window no longer counts.
    for (auto it = modal_.rbegin(); it != modal_.rend(); ++it)
        if ((*it)->window() == this && !(*it)->hidden()) return it->get();
    return nullptr;
}

View* Window::hitTest(Point point) {
    View* modal = modalView();
    if (!modal) return View::hitTest(point);
    if (View* hit = modal->hitTest(modal->convertPointFromWindow(point))) return hit;
    return modal;
}

} // namespace platform

#include "platform/ui/ModalPanel.h"

#include "platform/Window.h"
#include "support/Log.h"

#include <algorithm>
#include <typeinfo>

namespace platform {

namespace {

// The panels on screen (at most one of each kind, the newest last) and
// those waiting for theirs to go.
std::vector<ModalPanel*>& up() {
    static auto* u = new std::vector<ModalPanel*>;
    return *u;
}
std::vector<Ref<ModalPanel>>& queue() {
    static auto* q = new std::vector<Ref<ModalPanel>>;
    return *q;
}
bool kindIsUp(const ModalPanel* panel) {
    return std::any_of(up().begin(), up().end(),
                       [&](const ModalPanel* p) { return typeid(*p) == typeid(*panel); });
}

} // namespace

ModalPanel::~ModalPanel() {
    if (Keyboard::shared().hasResponder(this)) Keyboard::shared().removeResponder(this);
    std::erase(up(), this);
}

void ModalPanel::setDelegateOwner(Object* owner) {
    delegateOwner_ = owner;
    if (visible_ || queued_) heldDelegate_ = owner;
}

int ModalPanel::addButtonWithTitle(const std::string& title) {
    int index = int(buttons_.size());
    Ref<PanelButton> button = makeButton(title, index);
    button->setTitle(title);
    button->addTarget(Control::Action("pressed", [this, index](Control*) { pressed(index); }),
                      ControlEventTouchUpInside);
    buttons_.push_back(button);
    addSubview(button.get());
    if (visible_ && window()) layoutPanel(window()->bounds().size);
    return index;
}

std::string ModalPanel::buttonTitleAtIndex(int index) const {
    PanelButton* b = buttonAtIndex(index);
    return b ? b->currentTitle() : std::string();
}

void ModalPanel::setCancelButtonIndex(int index) {
    cancelIndex_ = index >= 0 && index < numberOfButtons() ? index : -1;
    setNeedsDisplay();
    for (auto& b : buttons_)
        b->setNeedsDisplay();
}

PanelButton* ModalPanel::buttonAtIndex(int index) const {
    return index >= 0 && index < int(buttons_.size()) ? buttons_[size_t(index)].get() : nullptr;
}

std::vector<int> ModalPanel::visualOrder() const {
    std::vector<int> order;
    for (int i = 0; i < numberOfButtons(); ++i)
        order.push_back(i);
    return order;
}

void ModalPanel::showPanel() {
    if (visible_ || queued_) return;
    queued_ = true;
    heldDelegate_ = delegateOwner_;
    if (kindIsUp(this)) {
        queue().push_back(Ref<ModalPanel>(this));
        return;
    }
    present();
}

void ModalPanel::present() {
    Window* w = Window::main();
    queued_ = false;
    if (!w) {
        ccLog("ModalPanel: no window to show a panel in");
        heldDelegate_ = nullptr;
        return;
    }
    visible_ = true;
    dismissing_ = false;
    up().push_back(this);
    layoutPanel(w->bounds().size);
    backdrop_ = make<View>(w->bounds());
    backdrop_->setBackgroundColor(backdropColor());
    backdrop_->addSubview(this);
    w->addSubview(backdrop_.get());
    w->beginModal(backdrop_.get());
    Keyboard::shared().addResponder(this, Keyboard::kModalPriority);
    focused_ = -1;
    std::vector<int> order = visualOrder();
    setFocus(cancelIndex_ >= 0 ? cancelIndex_ : order.empty() ? -1 : order.front());
    animateIn();
}

void ModalPanel::setFocus(int index) {
    if (index == focused_) return;
    if (PanelButton* old = buttonAtIndex(focused_)) old->setFocused(false);
    focused_ = index;
    if (PanelButton* now = buttonAtIndex(focused_)) now->setFocused(true);
}

void ModalPanel::pressed(int index) {
    if (!visible_ || dismissing_) return;
    Ref<ModalPanel> keep(this);
    notifyClicked(index);
    dismissWithClickedButtonIndex(index, true);
}

void ModalPanel::dismissWithClickedButtonIndex(int index, bool animated) {
    if (queued_) {
        // Never shown: leaves the queue quietly.
        Ref<ModalPanel> keep(this);
        std::erase_if(queue(), [this](const Ref<ModalPanel>& p) { return p.get() == this; });
        queued_ = false;
        heldDelegate_ = nullptr;
        return;
    }
    if (!visible_ || dismissing_) return;
    dismissing_ = true;
    Keyboard::shared().removeResponder(this);
    if (!animated || !backdrop_->window()) {
        finishDismissal(index);
        return;
    }
    // Touches stay with the panel until it has gone.
    Ref<ModalPanel> keep(this);
    animateOut([keep, index] { keep->finishDismissal(index); });
}

void ModalPanel::finishDismissal(int index) {
    if (!visible_) return;
    Ref<ModalPanel> keep(this);
    if (Window* w = backdrop_->window()) w->endModal(backdrop_.get());
    removeFromSuperview();
    backdrop_->removeFromSuperview();
    backdrop_ = nullptr;
    visible_ = false;
    dismissing_ = false;
    std::erase(up(), this);
    Ref<Object> held = std::move(heldDelegate_);
    notifyDismissed(index);
    held = nullptr;
    // The next panel of this kind in line, unless the delegate showed one.
    auto next = std::find_if(queue().begin(), queue().end(),
                             [](const Ref<ModalPanel>& p) { return !kindIsUp(p.get()); });
    if (next != queue().end()) {
        Ref<ModalPanel> panel = *next;
        queue().erase(next);
        panel->present();
    }
}

bool ModalPanel::keyDown(const std::string& key) {
    if (!visible_ || dismissing_) return true;
    std::vector<int> order = visualOrder();
    auto at = std::find(order.begin(), order.end(), focused_);
    int pos = at == order.end() ? 0 : int(at - order.begin());
    int n = int(order.size());
    if (key == "return" || key == "enter" || key == "space") {
        if (focused_ >= 0) pressed(focused_);
    } else if (key == "escape") {
        if (int i = escapeButtonIndex(); i >= 0) pressed(i);
    } else if (n > 0 && (key == "left" || key == "up")) {
        setFocus(order[size_t((pos + n - 1) % n)]);
    } else if (n > 0 && (key == "right" || key == "down" || key == "tab")) {
        setFocus(order[size_t((pos + 1) % n)]);
    }
    // Nothing beneath a modal panel hears keys.
    return true;
}

ModalPanel* ModalPanel::visiblePanel() {
    return up().empty() ? nullptr : up().back();
}
const std::vector<ModalPanel*>& ModalPanel::visiblePanels() {
    return up();
}
size_t ModalPanel::pendingPanels() {
    return queue().size();
}

void ModalPanel::resetAll() {
    std::vector<Ref<ModalPanel>> waiting = std::move(queue());
    queue().clear();
    for (auto& p : waiting) {
        p->queued_ = false;
        p->heldDelegate_ = nullptr;
    }
    while (!up().empty()) {
        Ref<ModalPanel> p = up().back();
        up().pop_back();
        Keyboard::shared().removeResponder(p.get());
        if (p->backdrop_) {
            if (Window* w = p->backdrop_->window()) w->endModal(p->backdrop_.get());
            p->backdrop_->removeFromSuperview();
        }
        p->removeFromSuperview();
        p->backdrop_ = nullptr;
        p->visible_ = false;
        p->dismissing_ = false;
        p->heldDelegate_ = nullptr;
    }
}

} // namespace platform

#include "platform/ui/Animator.h"

#include "platform/Clock.h"
#include "platform/Window.h"

#include <algorithm>
#include <cmath>

namespace platform {

Animator::Animator() {
    finished_.reserve(8);
}

Animator& Animator::shared() {
    // Never destroyed: views may change after static destruction began.
    static Animator* animator = new Animator;
    return *animator;
}

void Animator::begin(const std::string& id, void* context) {
    auto block = make<Block>();
    block->id = id;
    block->context = context;
    open_.push_back(block);
}

void Animator::commit() {
    if (open_.empty()) return;
    Ref<Block> block = open_.back();
    open_.pop_back();
    block->start = clock().monotonic();
    if (!enabled_) {
        // Changes already showed at once; the did-stop call still comes.
        block->duration = 0;
        block->delay = 0;
    }
    running_.push_back(block);
    requestFrames();
}

void Animator::setDuration(double s) {
    if (!open_.empty()) open_.back()->duration = std::isfinite(s) ? std::max(0.0, s) : 0.0;
}
void Animator::setDelay(double s) {
    if (!open_.empty()) open_.back()->delay = std::isfinite(s) ? std::max(0.0, s) : 0.0;
}
void Animator::setCurve(ViewAnimationCurve c) {
    if (!open_.empty()) open_.back()->curve = c;
}
void Animator::setDelegate(Object* d) {
    if (!open_.empty()) open_.back()->delegate = d;
}
void Animator::setDidStop(AnimationDidStopSelector s) {
    if (!open_.empty()) open_.back()->didStop = std::move(s);
}
void Animator::setCompletion(std::function<void(bool)> c) {
    if (!open_.empty()) open_.back()->completion = std::move(c);
}

void Animator::setTransition(ViewAnimationTransition kind, View* view, bool cache) {
    if (open_.empty() || !view || kind == ViewAnimationTransition::None) return;
    Block& b = *open_.back();
    b.turnView = view;
    b.turn.kind = kind;
    b.turn.cache = cache;
    // The picture before the block's changes: the first half shows it.
    if (Window* w = view->window()) b.oldPicture = w->snapshot(view);
    b.turn.oldPicture = b.oldPicture.get();
}

void Animator::takeOver(View* view, Property property) {
    for (auto& block : running_) {
        auto n = block->tracks.size();
        std::erase_if(block->tracks, [&](const Track& t) {
            return t.view.get() == view && t.property == property;
        });
        if (block->tracks.size() != n) block->interrupted = true;
    }
}

Animator::Track* Animator::recordTrack(View* view, Property property) {
    takeOver(view, property);
    if (!recording()) return nullptr;
    auto& tracks = open_.back()->tracks;
    for (auto& t : tracks)
        if (t.view.get() == view && t.property == property) return &t;
    tracks.push_back(Track{Ref<View>(view), property, {}, {}, 1, 1, {}, {}});
    Track& t = tracks.back();
    // From what is on screen now, so that a change of course is smooth.
    t.frameFrom = view->presentationFrame();
    t.alphaFrom = view->presentationAlpha();
    t.transformFrom = view->presentationTransform();
    return &t;
}

bool Animator::recordFrame(View* view, Rect, Rect to) {
    Track* t = recordTrack(view, Property::Frame);
    if (t) t->frameTo = to;
    return t != nullptr;
}

bool Animator::recordAlpha(View* view, float, float to) {
    Track* t = recordTrack(view, Property::Alpha);
    if (t) t->alphaTo = to;
    return t != nullptr;
}

bool Animator::recordTransform(View* view, const AffineTransform&, const AffineTransform& to) {
    Track* t = recordTrack(view, Property::Transform);
    if (t) t->transformTo = to;
    return t != nullptr;
}

float Animator::ease(ViewAnimationCurve curve, float t) {
    switch (curve) {
    case ViewAnimationCurve::Linear:
        return t;
    case ViewAnimationCurve::EaseIn:
        return t * t;
    case ViewAnimationCurve::EaseOut:
        return t * (2 - t);
    case ViewAnimationCurve::EaseInOut:
        break;
    }
    return t * t * (3 - 2 * t);
}

void Animator::apply(const Track& tr, float t) {
    auto mix = [t](float a, float b) { return a + (b - a) * t; };
    View& v = *tr.view;
    switch (tr.property) {
    case Property::Frame: {
        const Rect &a = tr.frameFrom, &b = tr.frameTo;
        v.shownFrame_ = Rect(mix(a.origin.x, b.origin.x), mix(a.origin.y, b.origin.y),
                             mix(a.size.width, b.size.width), mix(a.size.height, b.size.height));
        break;
    }
    case Property::Alpha:
        v.shownAlpha_ = mix(tr.alphaFrom, tr.alphaTo);
        break;
    case Property::Transform: {
        const AffineTransform &a = tr.transformFrom, &b = tr.transformTo;
        v.shownTransform_ = {mix(a.a, b.a), mix(a.b, b.b),   mix(a.c, b.c),
                             mix(a.d, b.d), mix(a.tx, b.tx), mix(a.ty, b.ty)};
        break;
    }
    }
}

void Animator::advance(double now) {
    for (auto& block : running_) {
        Block& b = *block;
        if (b.finished) continue;
        double elapsed = now - b.start - b.delay;
        float t = b.duration > 0 ? float(std::clamp(elapsed / b.duration, 0.0, 1.0)) : 1.0f;
        // A block with nothing to move ends at once.
        if (b.tracks.empty() && !b.turnView) t = 1;
        float e = t >= 1 ? 1.0f : ease(b.curve, t);
        for (const Track& tr : b.tracks)
            apply(tr, e);
        b.turn.progress = e;
        if (t >= 1) b.finished = true;
    }
}

void Animator::deliverFinished() {
    auto finished = [](const Ref<Block>& b) { return b->finished; };
    if (std::none_of(running_.begin(), running_.end(), finished)) return;
    // The last frame of a turn showed its picture; the next shows the view
    // itself again.
    if (Window* w = Window::main()) w->setNeedsComposite();
    // A call holding only the animator (which lives for good) is posted
    // without allocating; it makes the calls of every block waiting then.
    RunLoop::main().performOnMainThread([this] { callFinished(); }, false);
    for (auto& block : running_)
        if (block->finished) finished_.push_back(block);
    std::erase_if(running_, finished);
}

void Animator::callFinished() {
    while (!finished_.empty()) {
        // The block (and the delegate it holds) lives until its call is made.
        Ref<Block> block = std::move(finished_.front());
        finished_.erase(finished_.begin());
        bool finished = !block->interrupted;
        if (block->didStop) block->didStop(block->id, finished, block->context);
        if (block->completion) block->completion(finished);
    }
}

const Animator::Turn* Animator::turnFor(const View* view) const {
    // The newest turn of a view wins.
    for (auto it = running_.rbegin(); it != running_.rend(); ++it)
        if ((*it)->turnView.get() == view) return &(*it)->turn;
    return nullptr;
}

void Animator::setNewPicture(const View* view, Ref<Object> picture) {
    for (auto it = running_.rbegin(); it != running_.rend(); ++it) {
        if ((*it)->turnView.get() != view) continue;
        (*it)->newPicture = std::move(picture);
        (*it)->turn.newPicture = (*it)->newPicture.get();
        return;
    }
}

void Animator::requestFrames() {
    if (Window* w = Window::main()) {
        w->setNeedsComposite();
        return;
    }
    if (ownLink_ && ownLink_->isValid()) return;
    ownLink_ = RunLoop::main().addDisplayLink(1, [this] {
        if (Window* w = Window::main()) {
            w->setNeedsComposite(); // the window takes over
        } else {
            advance(clock().monotonic());
            deliverFinished();
        }
        if (!running() || Window::main()) {
            ownLink_->invalidate();
            ownLink_ = nullptr;
        }
    });
}

void Animator::reset() {
    open_.clear();
    running_.clear();
    finished_.clear();
    if (ownLink_) ownLink_->invalidate();
    ownLink_ = nullptr;
    enabled_ = true;
}

} // namespace platform

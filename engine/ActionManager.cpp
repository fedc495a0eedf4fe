#include "engine/ActionManager.h"

#include "engine/Action.h"
#include "engine/Node.h"
#include "engine/Scheduler.h"

#include <algorithm>
#include <utility>

namespace {

Shared<ActionManager>& shared() {
    static Shared<ActionManager> s;
    return s;
}

} // namespace

// What the manager's timer calls. The timer keeps it alive, not the manager,
// so releasing the shared manager really ends it; a ticker whose manager is
// gone takes its timer out of the scheduler when it next fires.
class ActionManagerTicker : public Object {
public:
    explicit ActionManagerTicker(ActionManager* manager) : manager_(manager) {}
    void tick(float dt) {
        if (manager_)
            manager_->tick(dt);
        else if (timer_)
            Scheduler::sharedScheduler().unscheduleTimer(std::exchange(timer_, nullptr));
    }
    ActionManager* manager_;
    Timer* timer_ = nullptr;
};

struct ActionManager::Element : HashSetEntry {
    std::vector<Ref<Action>> actions;
    Ref<Node> target;
    int actionIndex = 0;
    Action* currentAction = nullptr;
    bool currentActionSalvaged = false;
    bool paused = false;
};

ActionManager& ActionManager::sharedManager() {
    return shared().get();
}

void ActionManager::purgeSharedManager() {
    if (Ref<ActionManager> old = shared().take()) {
        old->retired_ = true;
        old->guard_.retire();
    }
}

ActionManager* ActionManager::existingManager() {
    return shared().peek();
}

ActionManager::ActionManager() : ticker_(make<ActionManagerTicker>(this)) {
    // Room for the targets let go in one pass, so that the first finished
    // action of a game does not grow the list mid-frame.
    releasedTargets_.reserve(16);
    timer_ = Timer::timerWithTarget(
        ticker_.get(), UpdateSelector("tick", [t = ticker_.get()](float dt) { t->tick(dt); }));
    ticker_->timer_ = timer_.get();
    Scheduler::sharedScheduler().scheduleTimer(timer_.get());
}

ActionManager::~ActionManager() {
    ticker_->manager_ = nullptr;
    // Unlink everything first: letting targets and actions go may call back
    // into removals, which must find nothing.
    std::vector<Element*> all;
    all.reserve(targets.count());
    for (size_t b = 0; b < targets.bucketCount(); ++b)
        for (HashSetEntry* e = targets.bucket(b); e; e = e->hashNext)
            all.push_back(static_cast<Element*>(e));
    for (Element* e : all)
        targets.remove(e->hashKey);
    currentTarget = nullptr;
    for (Element* e : all)
        delete e;
    releasedTargets_.clear();
}

ActionManager::Element* ActionManager::elementFor(Node* target) const {
    return static_cast<Element*>(targets.find(target));
}

void ActionManager::deleteElement(Element* element) {
    targets.remove(element->hashKey);
    Ref<Node> target = std::move(element->target);
    std::vector<Ref<Action>> actions = std::move(element->actions);
    delete element;
    if (passDepth_ > 0 && target) releasedTargets_.push_back(std::move(target));
}

// --- adding ---

void ActionManager::addAction(Action* action, Node* target, bool paused) {
    ccAssert(action != nullptr, "Argument action must be non-nil");
    ccAssert(target != nullptr, "Argument target must be non-nil");

    Element* element = elementFor(target);
    if (!element) {
        element = new Element;
        element->paused = paused;
        element->target = target;
        targets.insert(element, target);
    }
    std::vector<Ref<Action>>& actions = element->actions;
    if (actions.capacity() == 0)
        actions.reserve(4);
    else if (actions.size() == actions.capacity())
        actions.reserve(actions.capacity() * 2);
    ccAssert(std::none_of(actions.begin(), actions.end(),
                          [action](const Ref<Action>& a) { return a.get() == action; }),
             "runAction: Action already running");

    actions.emplace_back(action);
    action->setTarget(target);
    action->start();
}

// --- removing ---

void ActionManager::removeActionAtIndex(size_t index, Element* element) {
    // The pass holds the action it is stepping; it only needs to know that
    // the action is gone.
    if (element->actions[index].get() == element->currentAction && !element->currentActionSalvaged)
        element->currentActionSalvaged = true;

    Ref<Action> removed = std::move(element->actions[index]);
    element->actions.erase(element->actions.begin() + static_cast<ptrdiff_t>(index));
    // The pass goes on with the action that followed.
    if (element->actionIndex >= static_cast<int>(index)) --element->actionIndex;

    if (element->actions.empty()) {
        if (currentTarget == element)
            currentTargetSalvaged = true;
        else
            deleteElement(element);
    }
    // `removed` goes last: ending it may reach back into the manager.
}

void ActionManager::removeAction(Action* action) {
    if (!action || !action->target()) return;
    if (Element* element = elementFor(action->target())) removeFromElement(action, element);
}

void ActionManager::removeFromElement(Action* action, Element* element) {
    auto& actions = element->actions;
    auto it = std::find_if(actions.begin(), actions.end(),
                           [action](const Ref<Action>& a) { return a.get() == action; });
    if (it != actions.end())
        removeActionAtIndex(static_cast<size_t>(it - actions.begin()), element);
}

void ActionManager::removeActionByTag(int tag, Node* target) {
    ccAssert(tag != kActionTagInvalid, "Invalid tag");
    ccAssert(target != nullptr, "Target should be ! nil");
    Element* element = elementFor(target);
    if (!element) return;
    for (size_t i = 0; i < element->actions.size(); ++i) {
        Action* a = element->actions[i].get();
        if (a->tag() == tag && a->target() == target) {
            removeActionAtIndex(i, element);
            return;
        }
    }
}

void ActionManager::removeAllActionsFromTarget(Node* target) {
    if (!target) return;
    Element* element = elementFor(target);
    if (!element) return;
    auto& actions = element->actions;
    if (element->currentAction && !element->currentActionSalvaged &&
        std::any_of(actions.begin(), actions.end(),
                    [element](const Ref<Action>& a) { return a.get() == element->currentAction; }))
        element->currentActionSalvaged = true;

    std::vector<Ref<Action>> removed = std::move(actions);
    actions = std::vector<Ref<Action>>();
    // The step index is left as it is: an action run again from a callback
    // is first stepped by the next pass.
    if (currentTarget == element)
        currentTargetSalvaged = true;
    else
        deleteElement(element);
    // `removed` goes last: ending the actions may reach back into the manager.
}

void ActionManager::removeAllActions() {
    std::vector<Ref<Node>> all;
    all.reserve(targets.count());
    for (size_t b = 0; b < targets.bucketCount(); ++b)
        for (HashSetEntry* e = targets.bucket(b); e; e = e->hashNext)
            all.push_back(static_cast<Element*>(e)->target);
    for (auto& target : all)
        removeAllActionsFromTarget(target.get());
}

// --- queries and pausing ---

Action* ActionManager::getActionByTag(int tag, Node* target) {
    ccAssert(tag != kActionTagInvalid, "Invalid tag");
    Element* element = elementFor(target);
    if (!element) return nullptr;
    for (auto& a : element->actions)
        if (a->tag() == tag) return a.get();
    return nullptr;
}

int ActionManager::numberOfRunningActionsInTarget(Node* target) {
    Element* element = elementFor(target);
    return element ? static_cast<int>(element->actions.size()) : 0;
}

void ActionManager::pauseAllActionsForTarget(Node* target) {
    if (Element* element = elementFor(target)) element->paused = true;
}

void ActionManager::resumeAllActionsForTarget(Node* target) {
    if (Element* element = elementFor(target)) element->paused = false;
}

// --- the pass ---

void ActionManager::tick(float dt) {
    Ref<ActionManager> keep(this);
    // A target added during the pass may not regrow the buckets under it.
    targets.holdGrowth();
    ++passDepth_;
    for (size_t b = 0; b < targets.bucketCount() && !retired_; ++b) {
        auto* element = static_cast<Element*>(targets.bucket(b));
        while (element && !retired_) {
            currentTarget = element;
            currentTargetSalvaged = false;
            if (!element->paused) {
                // The count is read again each time: actions added to this
                // target during the pass are stepped in it.
                for (element->actionIndex = 0;
                     element->actionIndex < static_cast<int>(element->actions.size()) && !retired_;
                     ++element->actionIndex) {
                    Ref<Action> action =
                        element->actions[static_cast<size_t>(element->actionIndex)];
                    element->currentAction = action.get();
                    element->currentActionSalvaged = false;
                    action->step(dt);
                    if (!element->currentActionSalvaged && action->isDone()) {
                        action->stop();
                        element->currentAction = nullptr;
                        removeFromElement(action.get(), element);
                    }
                    element->currentAction = nullptr;
                }
            }
            auto* next = static_cast<Element*>(element->hashNext);
            if (currentTargetSalvaged && element->actions.empty()) deleteElement(element);
            element = next;
        }
    }
    // Nothing is being stepped now; an element left here would make a later
    // removal defer forever.
    currentTarget = nullptr;
    currentTargetSalvaged = false;
    --passDepth_;
    targets.releaseGrowth();
    if (passDepth_ == 0) {
        while (!releasedTargets_.empty()) {
            Ref<Node> target = std::move(releasedTargets_.back());
            releasedTargets_.pop_back();
        }
    }
}

#pragma once

#include "support/HashSet.h"
#include "support/Ref.h"
#include "support/Singleton.h"

#include <vector>

class Action;
class Node;
class Timer;
class ActionManagerTicker;

// Runs every node's actions from one scheduler timer. Keeps each target with
// actions alive until its actions are gone.
class ActionManager : public Object {
public:
    static ActionManager& sharedManager();
    // Releases the shared manager; the next sharedManager() makes a new one.
    // Released from inside its own pass, it steps nothing more and goes when
    // the pass returns.
    static void purgeSharedManager();
    // The shared manager if it exists, without making one.
    static ActionManager* existingManager();

    // Schedules its own timer with the shared scheduler.
    ActionManager();
    ~ActionManager() override;

    // Adds the action to the target's actions and starts it at once. A new
    // target starts paused or not as asked; an existing one keeps its state.
    void addAction(Action* action, Node* target, bool paused);
    void removeAllActions();
    void removeAllActionsFromTarget(Node* target);
    void removeAction(Action* action);
    void removeActionByTag(int tag, Node* target);
    Action* getActionByTag(int tag, Node* target);
    int numberOfRunningActionsInTarget(Node* target);
    void pauseAllActionsForTarget(Node* target);
    void resumeAllActionsForTarget(Node* target);

    // The per-frame pass: steps every action of every target that is not
    // paused; an action done after its step is stopped and removed.
    void tick(float dt);

    // The number of targets with actions.
    size_t targetCount() const { return targets.count(); }

private:
    struct Element;

    Element* elementFor(Node* target) const;
    void removeActionAtIndex(size_t index, Element* element);
    void removeFromElement(Action* action, Element* element);
    void deleteElement(Element* element);

    SingletonGuard<ActionManager> guard_;
    bool retired_ = false;
    HashSet targets;
    Element* currentTarget = nullptr;
    bool currentTargetSalvaged = false;
    // Targets of elements deleted during a pass: letting a node go may end
    // it, and its end reaches back into this set, so they are let go after
    // the pass.
    int passDepth_ = 0;
    std::vector<Ref<Node>> releasedTargets_;
    Ref<ActionManagerTicker> ticker_;
    Ref<Timer> timer_;
};

// Placeholder until the action framework lands: no action ever runs.
#include "engine/ActionManager.h"

#include "engine/support/Singleton.h"

namespace {
Shared<ActionManager>& shared() {
    static Shared<ActionManager> s;
    return s;
}
} // namespace

ActionManager& ActionManager::sharedManager() { return shared().get(); }
void ActionManager::purgeSharedManager() { shared().purge(); }
ActionManager* ActionManager::existingManager() { return shared().peek(); }
void ActionManager::addAction(Action*, Node*, bool) {}
void ActionManager::removeAllActions() {}
void ActionManager::removeAllActionsFromTarget(Node*) {}
void ActionManager::removeAction(Action*) {}
void ActionManager::removeActionByTag(int, Node*) {}
Action* ActionManager::getActionByTag(int, Node*) { return nullptr; }
int ActionManager::numberOfRunningActionsInTarget(Node*) { return 0; }
void ActionManager::pauseAllActionsForTarget(Node*) {}
void ActionManager::resumeAllActionsForTarget(Node*) {}

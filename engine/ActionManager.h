#pragma once

#include "engine/support/Ref.h"

class Action;
class Node;

// Runs every node's actions from one scheduler timer. Keeps each target with
// actions alive until its actions are gone.
class ActionManager : public Object {
public:
    static ActionManager& sharedManager();
    // Releases the shared manager; the next sharedManager() makes a new one.
    static void purgeSharedManager();
    // The shared manager if it exists, without making one.
    static ActionManager* existingManager();

    void addAction(Action* action, Node* target, bool paused);
    void removeAllActions();
    void removeAllActionsFromTarget(Node* target);
    void removeAction(Action* action);
    void removeActionByTag(int tag, Node* target);
    Action* getActionByTag(int tag, Node* target);
    int numberOfRunningActionsInTarget(Node* target);
    void pauseAllActionsForTarget(Node* target);
    void resumeAllActionsForTarget(Node* target);
};

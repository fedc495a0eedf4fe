#pragma once

#include "engine/Node.h"

// The root of one screen. Covers the window, anchored at its centre.
class Scene : public Node {
public:
    static Ref<Scene> node();
    Scene();
    // Transition scenes take over the outgoing scene's exit and hand their
    // incoming scene over already entered.
    virtual bool isTransitionScene() const { return false; }
};

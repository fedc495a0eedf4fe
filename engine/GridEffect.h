#pragma once

#include "support/Ref.h"

class Camera;

// What a node's `grid` is to the node tree: while active, the node's visit
// lets it take over the drawing. beforeDraw comes first in the visit, with
// the matrix of the node's parent pushed; the node and its subtree are then
// drawn (with its ancestors' placement applied again, so that the effect can
// draw them wherever it likes), and afterDraw ends the effect, with the
// node's camera (null when it has none), before the matrix is popped.
// The grids themselves (the picture and the mesh it is drawn on) live with
// the textures.
class GridEffect : public Object {
public:
    virtual bool active() const = 0;
    virtual void beforeDraw() = 0;
    virtual void afterDraw(Camera* camera) = 0;
};

#include "render/GridAction.h"

#include "engine/Director.h"
#include "engine/Node.h"
#include "support/Error.h"

// --- GridAction ---

void GridAction::start() {
    IntervalAction::start();
    auto* current = dynamic_cast<GridBase*>(target_->grid());
    const bool sameKind = current && isKindOf(current) && current->gridSize() == gridSize_ &&
                          current->texture()->contentSize() == Director::sharedDirector().winSize();
    if (current && current->reuseGrid() > 0) {
        ccAssert(current->active() && sameKind,
                 "GridAction: only an active grid of the same kind and size can be reused");
        current->reuse();
        grid_ = current;
        return;
    }
    if (sameKind) {
        // Its picture and mesh serve again, flat.
        current->calculateVertexPoints();
        grid_ = current;
    } else {
        if (current) current->setActive(false);
        grid_ = makeGrid();
        target_->setGrid(grid_.get());
    }
    if (grid_) grid_->setActive(true);
}

void GridAction::update(float t) {
    if (grid_) updateGrid(t);
}

Ref<Action> GridAction::reverseAction() {
    return ReverseTime::actionWithAction(action_cast<FiniteTimeAction>(copyAction()).get());
}

// --- StopGrid, ReuseGrid ---

Ref<Action> StopGrid::copyAction() const {
    auto copy = make<StopGrid>();
    copyBaseTo(*copy);
    return copy;
}

void StopGrid::start() {
    InstantAction::start();
    if (auto* grid = dynamic_cast<GridBase*>(target_->grid())) grid->setActive(false);
}

Ref<Action> ReuseGrid::copyAction() const {
    auto copy = make<ReuseGrid>(times_);
    copyBaseTo(*copy);
    return copy;
}

void ReuseGrid::start() {
    InstantAction::start();
    auto* grid = dynamic_cast<GridBase*>(target_->grid());
    ccAssert(grid != nullptr, "ReuseGrid: the target has no grid");
    grid->setReuseGrid(grid->reuseGrid() + times_);
}

#pragma once

#include "engine/InstantAction.h"
#include "engine/IntervalAction.h"
#include "render/Grid.h"

// An action that deforms its target through a grid. When it starts it puts
// a flat grid of its kind and size on the target (taking over the target's
// grid object when it is of that kind and size, or, while ReuseGrid has
// uses left, the mesh exactly as the previous action left it) and turns it
// on. The grid stays on when the action ends: follow with StopGrid to see
// the node plainly again. A grid that cannot be made (a size out of range,
// logged) leaves the target as it is. The reverse plays the effect
// backwards.
class GridAction : public IntervalAction {
public:
    GridAction(ccGridSize size, float d) : IntervalAction(d), gridSize_(size) {}

    ccGridSize gridSize() const { return gridSize_; }
    void start() override;
    // From 0 to 1; does nothing without a grid.
    void update(float t) final;

protected:
    // A flat grid of this action's kind and size, or null (logged).
    virtual Ref<GridBase> makeGrid() const = 0;
    virtual bool isKindOf(GridBase* grid) const = 0;
    // The effect at progress t on the grid it runs on.
    virtual void updateGrid(float t) = 0;
    Ref<Action> reverseAction() override;

    ccGridSize gridSize_;
    Ref<GridBase> grid_;
};

// An effect on a mesh of shared corners.
class Grid3DAction : public GridAction {
public:
    using GridAction::GridAction;
    ccVertex3F vertex(ccGridSize pos) const { return mesh()->vertex(pos); }
    ccVertex3F originalVertex(ccGridSize pos) const { return mesh()->originalVertex(pos); }
    void setVertex(ccGridSize pos, ccVertex3F v) { mesh()->setVertex(pos, v); }

protected:
    Ref<GridBase> makeGrid() const override { return Grid3D::gridWithSize(gridSize_); }
    bool isKindOf(GridBase* grid) const override { return dynamic_cast<Grid3D*>(grid); }
    Grid3D* mesh() const { return static_cast<Grid3D*>(grid_.get()); }
};

// An effect on tiles.
class TiledGrid3DAction : public GridAction {
public:
    using GridAction::GridAction;
    ccQuad3 tile(ccGridSize pos) const { return tiles()->tile(pos); }
    ccQuad3 originalTile(ccGridSize pos) const { return tiles()->originalTile(pos); }
    void setTile(ccGridSize pos, const ccQuad3& quad) { tiles()->setTile(pos, quad); }

protected:
    Ref<GridBase> makeGrid() const override { return TiledGrid3D::gridWithSize(gridSize_); }
    bool isKindOf(GridBase* grid) const override { return dynamic_cast<TiledGrid3D*>(grid); }
    TiledGrid3D* tiles() const { return static_cast<TiledGrid3D*>(grid_.get()); }
};

// Turns the target's grid off: the node draws plainly again.
class StopGrid : public InstantAction {
    CC_ACTION_COPY(StopGrid)
public:
    static Ref<StopGrid> action() { return make<StopGrid>(); }
    void start() override;
};

// The next `times` grid actions on the target continue from the mesh as it
// is instead of a flat one. Needs a grid on the target.
class ReuseGrid : public InstantAction {
    CC_ACTION_COPY(ReuseGrid)
public:
    static Ref<ReuseGrid> actionWithTimes(int times) { return make<ReuseGrid>(times); }
    explicit ReuseGrid(int times) : times_(times) {}
    void start() override;

private:
    int times_;
};

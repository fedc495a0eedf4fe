#pragma once

#include "engine/GridEffect.h"
#include "render/Quad.h"
#include "render/RenderTexture.h"

#include <vector>

// A grid's size in cells (columns x, rows y).
struct ccGridSize {
    int x = 0, y = 0;
    constexpr bool operator==(const ccGridSize&) const = default;
};
inline constexpr ccGridSize ccg(int x, int y) {
    return {x, y};
}

// A full-screen grid effect: each frame the node it belongs to is drawn into
// a picture the size of the window (see GridEffect), and the picture is then
// drawn on a mesh of gridSize cells in scene space, whose corners the grid
// actions move. Cell (0, 0) is at the bottom-left. Grids are made by the
// grid actions when they start; a grid stays with its node until it is
// replaced, and draws only while active (StopGrid ends it).
class GridBase : public GridEffect {
public:
    // Most cells a grid takes: the mesh is indexed with 16 bits.
    static constexpr int kMaxCells = 16384;

    bool active() const override { return active_; }
    void setActive(bool on) { active_ = on; }
    // How many more grid actions take over this grid's mesh as it is
    // (ReuseGrid) instead of starting from a flat one.
    int reuseGrid() const { return reuseGrid_; }
    void setReuseGrid(int times) { reuseGrid_ = times; }
    ccGridSize gridSize() const { return gridSize_; }
    // The size of one cell in points.
    Point step() const { return step_; }
    Texture2D* texture() const { return grabber_->texture(); }

    void beforeDraw() override;
    void afterDraw(Camera* camera) override;

    // Draws the picture on the mesh.
    virtual void blit() = 0;
    // The mesh as it is becomes its starting shape (one use of reuseGrid).
    virtual void reuse() = 0;
    // The flat mesh.
    virtual void calculateVertexPoints() = 0;

protected:
    // False (logged) for sizes outside 1..kMaxCells cells or when no picture
    // can be drawn into.
    bool initWithSize(ccGridSize size, bool tiled);
    // Texture coordinates of a scene point: the picture holds the scene
    // with its top row first.
    ccTex2F texCoordOf(float x, float y) const;

    bool active_ = false;
    int reuseGrid_ = 0;
    ccGridSize gridSize_;
    Point step_;
    Ref<Grabber> grabber_;
};

// A mesh of (x + 1) x (y + 1) shared corners: the picture bends.
class Grid3D : public GridBase {
public:
    // Null (logged) when the size is unusable.
    static Ref<Grid3D> gridWithSize(ccGridSize size);

    // Corner (x, y), 0 <= x <= gridSize.x, 0 <= y <= gridSize.y.
    ccVertex3F vertex(ccGridSize pos) const { return vertices_[index(pos)]; }
    ccVertex3F originalVertex(ccGridSize pos) const { return originalVertices_[index(pos)]; }
    void setVertex(ccGridSize pos, ccVertex3F vertex) { vertices_[index(pos)] = vertex; }

    void blit() override;
    void reuse() override;
    void calculateVertexPoints() override;

private:
    size_t index(ccGridSize pos) const;

    std::vector<ccVertex3F> vertices_, originalVertices_;
    std::vector<ccTex2F> texCoords_;
    std::vector<GLushort> indices_;
};

// The four corners of one tile, in the order the tile grid keeps them.
struct ccQuad3 {
    ccVertex3F bl, br, tl, tr;
    constexpr bool operator==(const ccQuad3&) const = default;
};

// x * y tiles with corners of their own: the picture breaks into pieces
// that move apart.
class TiledGrid3D : public GridBase {
public:
    static Ref<TiledGrid3D> gridWithSize(ccGridSize size);

    // Tile (x, y), 0 <= x < gridSize.x, 0 <= y < gridSize.y.
    ccQuad3 tile(ccGridSize pos) const { return tiles_[index(pos)]; }
    ccQuad3 originalTile(ccGridSize pos) const { return originalTiles_[index(pos)]; }
    void setTile(ccGridSize pos, const ccQuad3& quad) { tiles_[index(pos)] = quad; }

    void blit() override;
    void reuse() override;
    void calculateVertexPoints() override;

private:
    size_t index(ccGridSize pos) const;

    std::vector<ccQuad3> tiles_, originalTiles_;
    std::vector<ccTex2F> texCoords_;
    std::vector<GLushort> indices_;
};

#pragma once

#include "render/GridAction.h"
#include "render/GridEffects.h"

#include <cstdint>
#include <vector>

// Effects that break the picture into tiles. Tile (0, 0) is at the
// bottom-left.

// Every tile jitters by up to `range` points, anew each frame.
class ShakyTiles3D : public TiledGrid3DAction {
    CC_ACTION_COPY(ShakyTiles3D)
public:
    static Ref<ShakyTiles3D> actionWithRange(int range, bool shakeZ, ccGridSize grid, float d) {
        return make<ShakyTiles3D>(range, shakeZ, grid, d);
    }
    ShakyTiles3D(int range, bool shakeZ, ccGridSize grid, float d)
        : TiledGrid3DAction(grid, d), range_(range), shakeZ_(shakeZ) {}

protected:
    void updateGrid(float t) override;
    int range_;
    bool shakeZ_;
};

// The order in which tile effects take tiles by chance: a shuffle of
// 0..count-1 that depends only on the seed (a Fisher-Yates shuffle drawing
// from a 32-bit Mersenne Twister seeded with `seed`), so that a seed always
// gives the same order.
std::vector<unsigned> ccShuffledOrder(unsigned count, uint32_t seed);

// Each tile slides from its place to another one's, the places dealt out
// by ccShuffledOrder: tile i (counted column by column from the bottom-left,
// i = x * rows + y) ends where tile order[i] was.
class ShuffleTiles : public TiledGrid3DAction {
    CC_ACTION_COPY(ShuffleTiles)
public:
    static Ref<ShuffleTiles> actionWithSeed(uint32_t seed, ccGridSize grid, float d) {
        return make<ShuffleTiles>(seed, grid, d);
    }
    ShuffleTiles(uint32_t seed, ccGridSize grid, float d)
        : TiledGrid3DAction(grid, d), seed_(seed) {}
    // Where tile `pos` ends.
    ccGridSize destination(ccGridSize pos) const;
    void start() override;

protected:
    void updateGrid(float t) override;
    uint32_t seed_;
    std::vector<unsigned> order_;
};

// Tiles shrink away to their centres in a front that sweeps across the
// picture: from the bottom-left towards the top-right. The front is four
// tiles deep; everything is gone at t = 1.
class FadeOutTRTiles : public TiledGrid3DAction {
    CC_ACTION_COPY(FadeOutTRTiles)
public:
    static Ref<FadeOutTRTiles> actionWithSize(ccGridSize grid, float d) {
        return make<FadeOutTRTiles>(grid, d);
    }
    FadeOutTRTiles(ccGridSize grid, float d) : TiledGrid3DAction(grid, d) {}

    // How much of tile `pos` is left at progress t: 1 whole, 0 gone.
    float testFunc(ccGridSize pos, float t) const;

protected:
    // How far the tile is from where the front starts, in tiles, and the
    // farthest any tile is.
    virtual int distance(ccGridSize pos) const { return pos.x + pos.y; }
    virtual int farthest() const { return gridSize_.x + gridSize_.y - 2; }
    // Shrinks a tile to `left` of its size about its centre.
    virtual void transformTile(ccGridSize pos, float left);
    void updateGrid(float t) override;
};

// From the top-right towards the bottom-left.
class FadeOutBLTiles : public FadeOutTRTiles {
    CC_ACTION_COPY(FadeOutBLTiles)
public:
    static Ref<FadeOutBLTiles> actionWithSize(ccGridSize grid, float d) {
        return make<FadeOutBLTiles>(grid, d);
    }
    using FadeOutTRTiles::FadeOutTRTiles;

protected:
    int distance(ccGridSize pos) const override {
        return (gridSize_.x - 1 - pos.x) + (gridSize_.y - 1 - pos.y);
    }
};

// Row by row from the bottom up; tiles flatten to their middle line.
class FadeOutUpTiles : public FadeOutTRTiles {
    CC_ACTION_COPY(FadeOutUpTiles)
public:
    static Ref<FadeOutUpTiles> actionWithSize(ccGridSize grid, float d) {
        return make<FadeOutUpTiles>(grid, d);
    }
    using FadeOutTRTiles::FadeOutTRTiles;

protected:
    int distance(ccGridSize pos) const override { return pos.y; }
    int farthest() const override { return gridSize_.y - 1; }
    void transformTile(ccGridSize pos, float left) override;
};

// Row by row from the top down.
class FadeOutDownTiles : public FadeOutUpTiles {
    CC_ACTION_COPY(FadeOutDownTiles)
public:
    static Ref<FadeOutDownTiles> actionWithSize(ccGridSize grid, float d) {
        return make<FadeOutDownTiles>(grid, d);
    }
    using FadeOutUpTiles::FadeOutUpTiles;

protected:
    int distance(ccGridSize pos) const override { return gridSize_.y - 1 - pos.y; }
};

// Tiles vanish one by one in the order ccShuffledOrder deals them: at
// progress t the first floor(t x count) tiles of the order are off.
class TurnOffTiles : public TiledGrid3DAction {
    CC_ACTION_COPY(TurnOffTiles)
public:
    static Ref<TurnOffTiles> actionWithSeed(uint32_t seed, ccGridSize grid, float d) {
        return make<TurnOffTiles>(seed, grid, d);
    }
    TurnOffTiles(uint32_t seed, ccGridSize grid, float d)
        : TiledGrid3DAction(grid, d), seed_(seed) {}
    void start() override;

protected:
    void updateGrid(float t) override;
    uint32_t seed_;
    std::vector<unsigned> order_;
};

// Tiles rise and fall towards the viewer in waves along the diagonal.
class WavesTiles3D : public TiledGrid3DAction, public AmplitudeEffect {
    CC_ACTION_COPY(WavesTiles3D)
public:
    static Ref<WavesTiles3D> actionWithWaves(int waves, float amplitude, ccGridSize grid, float d) {
        return make<WavesTiles3D>(waves, amplitude, grid, d);
    }
    WavesTiles3D(int waves, float amplitude, ccGridSize grid, float d)
        : TiledGrid3DAction(grid, d), AmplitudeEffect(amplitude), waves_(waves) {}

protected:
    void updateGrid(float t) override;
    int waves_;
};

// Tiles jump towards the viewer `jumps` times, neighbours in turn (a
// chequerboard).
class JumpTiles3D : public TiledGrid3DAction, public AmplitudeEffect {
    CC_ACTION_COPY(JumpTiles3D)
public:
    static Ref<JumpTiles3D> actionWithJumps(int jumps, float amplitude, ccGridSize grid, float d) {
        return make<JumpTiles3D>(jumps, amplitude, grid, d);
    }
    JumpTiles3D(int jumps, float amplitude, ccGridSize grid, float d)
        : TiledGrid3DAction(grid, d), AmplitudeEffect(amplitude), jumps_(jumps) {}

protected:
    void updateGrid(float t) override;
    int jumps_;
};

// The picture in `rows` rows that slide out of the window sideways, even
// rows (from the bottom) to the right and odd ones to the left.
class SplitRows : public TiledGrid3DAction {
    CC_ACTION_COPY(SplitRows)
public:
    static Ref<SplitRows> actionWithRows(int rows, float d) { return make<SplitRows>(rows, d); }
    SplitRows(int rows, float d) : TiledGrid3DAction(ccg(1, rows), d) {}

protected:
    void updateGrid(float t) override;
};

// The picture in `cols` columns that slide out of the window, even columns
// (from the left) up and odd ones down.
class SplitCols : public TiledGrid3DAction {
    CC_ACTION_COPY(SplitCols)
public:
    static Ref<SplitCols> actionWithCols(int cols, float d) { return make<SplitCols>(cols, d); }
    SplitCols(int cols, float d) : TiledGrid3DAction(ccg(cols, 1), d) {}

protected:
    void updateGrid(float t) override;
};
